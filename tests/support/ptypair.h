#pragma once

#include "virtual/live/pseudoterminal.h"

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair opened by a test. The application under test opens the slave path
// with QSerialPort, exactly as it would open a USB adapter; the test plays the controller on
// the master side: it reads what the application sent and writes replies.
class PtyPair
{
public:
    PtyPair() = default;
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_pty.master() >= 0; }
    QString slavePath() const { return m_pty.slavePath(); }
    // For a test that watches the far end itself (a QSocketNotifier on it, say).
    int masterFd() const { return m_pty.master(); }
    // Whatever has arrived, without waiting.
    QByteArray readAvailable() { return readSome(0); }

    // Reads until `count` bytes have arrived or `timeoutMs` has passed, running the Qt event
    // loop meanwhile so that the application's port can drain its write buffer.
    QByteArray readExactly(qsizetype count, int timeoutMs = 10000);
    // Reads whatever arrives until nothing more has come for `quietMs` (bounded by timeoutMs).
    QByteArray readUntilQuiet(int quietMs = 200, int timeoutMs = 10000);

    // Sends bytes towards the application. Replies must not contain 0x11 or 0x13 when the
    // application uses XON/XOFF: the kernel would take them as flow control.
    bool write(const QByteArray &bytes);

    // The far end goes away: closes the master (and the test's own slave descriptor), so the
    // application's port sees a hang-up.
    void hangUp();

private:
    QByteArray readSome(int waitMs);

    Virtual::PseudoTerminal m_pty{Virtual::PseudoTerminal::Mode::Raw};
};
