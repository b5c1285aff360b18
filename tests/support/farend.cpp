// SPDX-License-Identifier: MIT
#include "farend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <utility>

std::int64_t nowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

FarEnd::~FarEnd()
{
    hangUp();
}

void FarEnd::stopThreads()
{
    m_stop = true;
    if (m_writer.joinable())
        m_writer.join();
    if (m_reader.joinable())
        m_reader.join();
    m_stop = false;
}

void FarEnd::hangUp()
{
    stopThreads();
    m_pty.close();
}

QByteArray FarEnd::readSome(int waitMs)
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

QByteArray FarEnd::readExactly(qsizetype count, int timeoutMs)
{
    QByteArray out;
    const QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        out += readSome(5);
    }
    return out;
}

QByteArray FarEnd::readUntilQuiet(int quietMs, int timeoutMs)
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

bool FarEnd::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    const QDeadlineTimer deadline(5000);
    while (m_pty.master() >= 0 && done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n =
            ::write(m_pty.master(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done == bytes.size();
}

void FarEnd::send(QByteArray bytes)
{
    if (m_writer.joinable())
        m_writer.join();
    m_sendFinished = false;
    m_sending = std::move(bytes);
    m_writer = std::thread([this] {
        qsizetype done = 0;
        while (done < m_sending.size() && !m_stop.load()) {
            // Waits for room with a bound, so that hangUp() can always stop the thread.
            pollfd pfd{m_pty.master(), POLLOUT, 0};
            if (::poll(&pfd, 1, 50) <= 0)
                continue;
            const ssize_t n = ::write(m_pty.master(), m_sending.constData() + done,
                                      size_t(m_sending.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
        }
        m_sendFinished = true;
    });
}

void FarEnd::countArrivals(bool keepBytes)
{
    m_keep = keepBytes;
    if (m_reader.joinable())
        return;
    m_reader = std::thread([this] {
        char buf[65536];
        while (!m_stop.load()) {
            pollfd pfd{m_pty.master(), POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN))
                continue;
            for (;;) {
                const ssize_t n = ::read(m_pty.master(), buf, sizeof buf);
                if (n <= 0)
                    break;
                const std::int64_t now = nowNs();
                if (m_keep) {
                    const std::lock_guard lock(m_bytesMutex);
                    m_bytes.append(buf, n);
                }
                std::int64_t unset = 0;
                m_firstNs.compare_exchange_strong(unset, now);
                m_lastNs = now;
                m_received += n;
            }
        }
    });
}

QByteArray FarEnd::takeBytes()
{
    const std::lock_guard lock(m_bytesMutex);
    return std::exchange(m_bytes, QByteArray());
}

void FarEnd::reset()
{
    const std::lock_guard lock(m_bytesMutex);
    m_bytes.clear();
    m_received = 0;
    m_firstNs = 0;
    m_lastNs = 0;
}

bool FarEnd::waitForBytes(std::int64_t count, int timeoutMs)
{
    if (m_received.load() >= count)
        return true;
    // A tick looks at the count now and then. The moments measured are taken on the reader
    // thread, so the tick's period does not enter them.
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (m_received.load() >= count || deadline.hasExpired())
            loop.quit();
    });
    tick.start();
    loop.exec();
    return m_received.load() >= count;
}
