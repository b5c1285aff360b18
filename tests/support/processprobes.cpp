// SPDX-License-Identifier: MIT
#include "processprobes.h"

#include <QByteArray>
#include <QFile>

#include <time.h>

namespace ProcessProbes {

namespace {

qint64 statusField(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

} // namespace

qint64 residentBytes()
{
    return statusField("VmRSS");
}

qint64 peakResidentBytes()
{
    return statusField("VmHWM");
}

bool resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace ProcessProbes

namespace {

qint64 clockNs(clockid_t clock)
{
    timespec ts{};
    ::clock_gettime(clock, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace

StallMeter::StallMeter()
{
    m_lastWall = clockNs(CLOCK_MONOTONIC);
    m_lastCpu = clockNs(CLOCK_THREAD_CPUTIME_ID);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_timer.start();
}

void StallMeter::tick()
{
    const qint64 wall = clockNs(CLOCK_MONOTONIC);
    const qint64 cpu = clockNs(CLOCK_THREAD_CPUTIME_ID);
    m_longestWall = qMax(m_longestWall, wall - m_lastWall);
    m_longestCpu = qMax(m_longestCpu, cpu - m_lastCpu);
    m_lastWall = wall;
    m_lastCpu = cpu;
    ++m_ticks;
}
