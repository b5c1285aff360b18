#include "benchpty.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

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

BenchPty::BenchPty(bool keepBytes) : m_keep(keepBytes)
{
    // The slave stays open here too, so the master never sees a hang-up between two openings by
    // the program under test.
    m_reader = std::thread([this] { readLoop(); });
}

BenchPty::~BenchPty()
{
    m_stop = true;
    if (m_reader.joinable())
        m_reader.join();
    m_pty.close();
}

void BenchPty::readLoop()
{
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
            std::int64_t expected = 0;
            m_firstNs.compare_exchange_strong(expected, now);
            m_lastNs = now;
            m_received += n;
        }
    }
}

QByteArray BenchPty::takeBytes()
{
    const std::lock_guard lock(m_bytesMutex);
    return std::exchange(m_bytes, QByteArray());
}

void BenchPty::reset()
{
    const std::lock_guard lock(m_bytesMutex);
    m_bytes.clear();
    m_received = 0;
    m_firstNs = 0;
    m_lastNs = 0;
}

bool BenchPty::waitForBytes(std::int64_t count, int timeoutMs)
{
    if (m_received.load() >= count)
        return true;
    // The loop sleeps between its events; a tick looks at the count now and then. The moments
    // measured are taken on the reader thread, so the tick's period does not enter them.
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
