// SPDX-License-Identifier: MIT
#include "virtual/live/pseudoterminal.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace Virtual {

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// Opens `path` as a lock file of this user's own (never through a symbolic link) and takes its
// lock without waiting. The descriptor, or -1 with errno set; EWOULDBLOCK when another process
// holds the lock. The lock is on the file that is at `path` once it is held: a controller that
// removes the file as it ends may have done so between open() and flock().
int takeLockFile(const QByteArray &path)
{
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return -1;
        struct stat held
        {
        };
        struct stat there
        {
        };
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 ||
            held.st_uid != ::geteuid()) {
            const int error = errno == 0 ? EPERM : errno;
            ::close(fd);
            errno = error;
            return -1;
        }
        if (::stat(path.constData(), &there) == 0 && there.st_ino == held.st_ino &&
            there.st_dev == held.st_dev)
            return fd;
        ::close(fd);
    }
}

// The process id a controller wrote into its lock file, 0 if there is none.
qint64 lockHolder(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.read(32).trimmed().toLongLong() : 0;
}

} // namespace

PseudoTerminal::PseudoTerminal(Mode mode)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        m_error = systemError("cannot open a pseudo-terminal");
        return;
    }
    char name[128] = {};
    int packet = mode == Mode::Packet ? 1 : 0;
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0 || ::ioctl(m_master, TIOCPKT, &packet) != 0 ||
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) {
        m_error = systemError("cannot set up the pseudo-terminal");
        close();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) {
        m_error = systemError("cannot open the pseudo-terminal's slave");
        close();
        return;
    }
    if (mode == Mode::Raw) {
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

QString PseudoTerminal::defaultLink(QString &error)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) {
        error = QStringLiteral("this user has no runtime directory for the link; give --link");
        return {};
    }
    const QString directory = runtime + QStringLiteral("/tessivar");
    const QByteArray path = QFile::encodeName(directory);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        error = systemError(qPrintable(QStringLiteral("cannot make %1").arg(directory)));
        return {};
    }
    // Only a directory of this user's own, not a link to one somewhere else, and writable by
    // no one else.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status
    {
    };
    const bool ours = fd >= 0 && ::fstat(fd, &status) == 0 && status.st_uid == ::geteuid() &&
                      ((status.st_mode & 07777) == 0700 || ::fchmod(fd, 0700) == 0);
    if (fd >= 0)
        ::close(fd);
    if (!ours) {
        error =
            QStringLiteral("%1 is not a directory of this user's own; not using it").arg(directory);
        return {};
    }
    return directory + QStringLiteral("/ttyTessivar0");
}

bool PseudoTerminal::lockLink(const QString &path, const QByteArray &lockPath)
{
    const int fd = takeLockFile(lockPath);
    if (fd < 0) {
        if (errno == EWOULDBLOCK) {
            const qint64 holder = lockHolder(lockPath);
            m_error = QStringLiteral("%1 is served by a running controller%2; not taking it over")
                          .arg(path, holder > 0 ? QStringLiteral(" (process %1)").arg(holder)
                                                : QString());
        } else {
            m_error = systemError(
                qPrintable(QStringLiteral("cannot lock %1").arg(QFile::decodeName(lockPath))));
        }
        return false;
    }
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::write(fd, pid.constData(), size_t(pid.size())) != pid.size()) {
        m_error = systemError("cannot write the link's lock file");
        ::close(fd);
        return false;
    }
    m_lock = fd;
    m_lockPath = lockPath;
    return true;
}

bool PseudoTerminal::makeLink(const QString &path)
{
    const QByteArray target = QFile::encodeName(m_slavePath);
    const QByteArray link = QFile::encodeName(path);
    const qsizetype slash = link.lastIndexOf('/');
    const QByteArray directory =
        slash < 0 ? QByteArray(".") : link.left(std::max<qsizetype>(slash, 1));
    const QByteArray name = link.mid(slash + 1);
    const QByteArray lockPath = directory + "/." + name + ".lock";
    if (lockPath != m_lockPath) {
        removeLink();
        if (!lockLink(path, lockPath))
            return false;
    }
    struct stat existing
    {
    };
    if (::lstat(link.constData(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            m_error =
                QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(path);
            return false;
        }
        if (existing.st_uid != ::geteuid()) {
            m_error = QStringLiteral("%1 belongs to another user; not replacing it").arg(path);
            return false;
        }
    }
    // Made under a random name of its own beside it, then renamed over the old link in one
    // step, so the path never dangles. symlink() neither follows nor replaces a name that is
    // there already: a planted one only costs another try.
    QByteArray fresh;
    for (int attempt = 0;; ++attempt) {
        fresh = directory + "/." + name + '.' +
                QByteArray::number(QRandomGenerator::system()->generate64(), 36);
        if (::symlink(target.constData(), fresh.constData()) == 0)
            break;
        if (errno != EEXIST || attempt == 15) {
            m_error = systemError("cannot make the link");
            return false;
        }
    }
    if (::rename(fresh.constData(), link.constData()) != 0) {
        m_error = systemError("cannot make the link");
        ::unlink(fresh.constData());
        return false;
    }
    m_linkPath = path;
    return true;
}

void PseudoTerminal::removeLink()
{
    if (!m_linkPath.isEmpty() && QFile::symLinkTarget(m_linkPath) == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    // Removed while still held, so that no other controller holds a lock on a file that is gone
    // (takeLockFile() checks that the file it locked is still there).
    if (m_lock >= 0) {
        ::unlink(m_lockPath.constData());
        ::close(m_lock);
    }
    m_lock = -1;
    m_lockPath.clear();
}

void PseudoTerminal::close()
{
    removeLink();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

} // namespace Virtual
