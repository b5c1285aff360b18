#include "ptypair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <poll.h>
#include <unistd.h>


PtyPair::~PtyPair()
{
    hangUp();
}

QByteArray PtyPair::readSome(int waitMs)
{
    QByteArray out;
    if (m_pty.master() < 0)
        return out;
    pollfd pfd{m_pty.master(), POLLIN, 0};
    if (::poll(&pfd, 1, waitMs) <= 0 || !(pfd.revents & POLLIN))
        return out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(m_pty.master(), buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, n);
    }
    return out;
}

QByteArray PtyPair::readExactly(qsizetype count, int timeoutMs)
{
    QByteArray out;
    const QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        out += readSome(5);
    }
    return out;
}

QByteArray PtyPair::readUntilQuiet(int quietMs, int timeoutMs)
{
    QByteArray out;
    const QDeadlineTimer deadline(timeoutMs);
    QDeadlineTimer quiet(quietMs);
    while (!deadline.hasExpired() && !quiet.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const QByteArray chunk = readSome(5);
        if (!chunk.isEmpty()) {
            out += chunk;
            quiet.setRemainingTime(quietMs);
        }
    }
    return out;
}

bool PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    const QDeadlineTimer deadline(5000);
    while (m_pty.master() >= 0 && done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n =
            ::write(m_pty.master(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    return done == bytes.size();
}

void PtyPair::hangUp()
{
    m_pty.close();
}
