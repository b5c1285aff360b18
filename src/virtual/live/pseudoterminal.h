// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Virtual {

// A pseudo-terminal pair for the controller's end of the line. The host opens the slave as it
// would open a serial adapter; the controller reads and writes the master.
//
// The controller keeps a descriptor of the slave open itself. Without it, the master would
// report a hang-up on every turn of the event loop while no host has the port open; with it,
// the line simply goes quiet between connections, as a real one does. Termios settings belong
// to the terminal, not to a descriptor, so this descriptor also reads the settings the host
// chose.
//
// In packet mode (the controller's) every read of the master starts with a status byte, which
// says whether data follows or the host's output was stopped or restarted by XOFF and XON. In
// raw mode (the far end that tests and benchmarks play) the master reads the bytes alone and the
// line starts raw: nothing echoed or translated until the program on the slave sets it up.
class PseudoTerminal
{
public:
    enum class Mode { Packet, Raw };

    explicit PseudoTerminal(Mode mode = Mode::Packet);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString errorString() const { return m_error; }
    int master() const { return m_master; }
    int slave() const { return m_slave; }
    QString slavePath() const { return m_slavePath; }

    // Makes `path` a symbolic link to the slave, replacing a link this user left there in an
    // earlier run (but no other kind of file, and nothing of another user's). The link is
    // removed again with the terminal, unless it has been pointed elsewhere since.
    //
    // One controller serves a link: it holds an flock() on a lock file beside the link
    // (.NAME.lock, with its process id in it) for as long as it runs. A link whose lock another
    // process holds is refused, with that process named; the kernel lets go of a controller's
    // lock when it dies, so a link it left is replaced.
    bool makeLink(const QString &path);
    // Where the link goes by default: ttyTessivar0 in tessivar/ of the user's runtime directory
    // ($XDG_RUNTIME_DIR), made with mode 0700 if it is not there, so that no one else can
    // plant a name in it. Empty, with the reason in `error`, when there is no such directory or
    // tessivar/ there is not a directory of this user's own.
    static QString defaultLink(QString &error);
    QString linkPath() const { return m_linkPath; }

    // Ends the line: the host's port sees a hang-up.
    void close();

private:
    bool lockLink(const QString &path, const QByteArray &lockPath);
    void removeLink();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    int m_lock = -1;
    QByteArray m_lockPath;
    QString m_error;
};

} // namespace Virtual
