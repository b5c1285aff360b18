// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// What the reliability tests read from the running process: its resident memory, and how long
// its event loop went without turning.
namespace ProcessProbes {

// VmRSS and VmHWM of /proc/self/status, in bytes (-1 if unreadable).
qint64 residentBytes();
qint64 peakResidentBytes();
// Starts a new peak: VmHWM falls back to the present resident size. False where the kernel
// does not offer it.
bool resetPeakResident();

// Whether the build runs under AddressSanitizer, whose quarantine and shadow memory make the
// process's own memory figures say little about the program's.
constexpr bool underAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

} // namespace ProcessProbes

// Measures the longest stretch for which the event loop of the thread it lives in did not
// turn: a 1 ms timer notes the gap between its ticks, both as wall-clock time and as the CPU time
// the thread spent in it. The CPU time is the work done in one go; the wall-clock time adds
// whatever the machine's other load took away.
class StallMeter : public QObject
{
public:
    StallMeter();

    qint64 longestWallNs() const { return m_longestWall; }
    qint64 longestCpuNs() const { return m_longestCpu; }
    int ticks() const { return m_ticks; }

private:
    void tick();

    QTimer m_timer;
    qint64 m_lastWall = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longestWall = 0;
    qint64 m_longestCpu = 0;
    int m_ticks = 0;
};
