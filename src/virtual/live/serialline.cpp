// SPDX-License-Identifier: MIT
#include "virtual/live/serialline.h"

#include "protocol/controlbytes.h"
#include "virtual/live/pseudoterminal.h"
#include "virtual/live/receivebuffer.h"
#include "virtual/live/replyqueue.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Virtual {

namespace {

// A paced line is read when this much time's worth of bytes has come, at least one byte.
constexpr double lineSliceSeconds = 0.005;
// After a pause the line has not stored up more than this: it brings bytes as they are sent.
constexpr double lineBurstSeconds = 0.01;
// How often the host's settings are looked at while nothing arrives. There is no notification
// when a program changes a terminal's settings.
constexpr int hostPollMs = 200;
// Reads in one turn of the event loop, so that the host (in the same process, in tests) and the
// window get their turn.
constexpr int readsPerTurn = 16;

} // namespace

SerialLine::SerialLine(PseudoTerminal &pty, ReceiveBuffer &buffer, ReplyQueue &replies,
                       LiveStats &stats, bool pacing)
    : m_pty(pty),
      m_buffer(buffer),
      m_replies(replies),
      m_stats(stats),
      m_pacing(pacing)
{
    m_clock.start();
    m_lineTimer.setSingleShot(true);
    m_lineTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_lineTimer, &QTimer::timeout, this, [this] { readLine(false); });
    m_pollTimer.setInterval(hostPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &SerialLine::pollHost);
}

// The notifier goes before the pseudo-terminal's descriptor, which outlives this.
SerialLine::~SerialLine() = default;

void SerialLine::start()
{
    // Until a host sets the line up, it stands at the controller's own settings.
    writeLineSettings(m_pty.slave(), m_line);
    m_host = readLineSettings(m_pty.slave()).value_or(m_line);

    m_readNotifier = std::make_unique<QSocketNotifier>(m_pty.master(), QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, [this] { readLine(true); });
    m_pollTimer.start();
}

void SerialLine::switchTo(const LineSettings &line)
{
    m_line = line;
    m_flowNoted = false;
    Q_EMIT noted(QStringLiteral("the controller's line is now %1; the host must reconnect with "
                                "the same settings")
                     .arg(m_line.describe()));
    updateFlow();
    Q_EMIT changed();
}

void SerialLine::roomMade()
{
    updateFlow();
    if (m_waitingForRoom) {
        m_waitingForRoom = false;
        readLine(false);
    }
}

double SerialLine::bytesPerSecond() const
{
    return double(m_host.bitsPerSecond) / m_host.bitsPerByte();
}

void SerialLine::pollHost()
{
    if (!m_pty.isOpen())
        return;
    const LineSettings host = readLineSettings(m_pty.slave()).value_or(m_host);
    if (host == m_host)
        return;
    m_host = host;
    m_overrunNoted = false;
    m_flowNoted = false;
    // A host that opens the line anew is told again when its replies are dropped. An empty
    // queue says nothing: the kernel moves bytes between its own buffers while nobody reads.
    m_replies.newHost();
    if (m_inMismatch && m_line.understands(m_host)) {
        m_inMismatch = false;
        Q_EMIT noted(QStringLiteral("line settings match again: %1; the %2 bytes before were "
                                    "garbage")
                         .arg(m_line.describe())
                         .arg(m_mismatchBytes));
    }
    Q_EMIT changed();
}

void SerialLine::readLine(bool notified)
{
    if (notified)
        ++m_stats.wakeups;
    if (!m_pty.isOpen())
        return;
    pollHost();

    const double rate = bytesPerSecond();
    if (m_pacing)
        addCredit(rate);
    char chunk[1 + ReceiveBuffer::capacity];
    for (int reads = 0; reads < readsPerTurn; ++reads) {
        const int room = m_buffer.room(false);
        const int allowed = m_pacing ? std::min(room, int(m_credit)) : room;
        if (xoffDue(allowed)) {
            // Never in the turn of the event loop that read from the line, nor right after a
            // read: the read made room, which wakes the host's port to write, and a write that
            // finds the line stopped fails. From a timer of its own, XOFF comes after the
            // host's write and before the read that would make room again.
            if (notified || reads > 0) {
                readLater(1);
                return;
            }
            sendFlow(true);
        }
        if (room <= 0) {
            waitForRoom();
            return;
        }
        if (allowed < 1) {
            const double wanted = std::max(1.0, rate * lineSliceSeconds);
            readLater(int(std::ceil((wanted - m_credit) / rate * 1000)));
            return;
        }
        const ssize_t n = ::read(m_pty.master(), chunk, std::size_t(allowed) + 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nothing waiting: the notifier says when something comes.
            m_lineIdle = true;
            m_readNotifier->setEnabled(true);
            return;
        }
        if (chunk[0] != TIOCPKT_DATA) {
            hostFlow((unsigned char)chunk[0]);
            continue;
        }
        if (m_pacing) {
            m_credit -= double(n - 1);
            // Less than was allowed: the host has sent no more for now.
            m_lineIdle = n - 1 < allowed;
        }
        receive(chunk + 1, n - 1);
    }
    m_readNotifier->setEnabled(true);
}

void SerialLine::addCredit(double rate)
{
    // While bytes wait, the line has brought all that the time allows, however late this turn
    // of the event loop comes. After a pause (or while flow control held the host) it has stored
    // nothing up: it brings bytes as they are sent.
    const qint64 now = m_clock.nsecsElapsed();
    const double most =
        m_lineIdle ? std::max(1.0, rate * lineBurstSeconds) : double(ReceiveBuffer::capacity);
    m_credit = std::min(m_credit + double(now - m_creditTime) * 1e-9 * rate, most);
    m_creditTime = now;
}

void SerialLine::waitForRoom()
{
    // The print engine reads on once it has made room.
    m_waitingForRoom = true;
    m_lineIdle = true;
    m_readNotifier->setEnabled(false);
    if (m_pacing && !flowInUse() && !m_overrunNoted) {
        m_overrunNoted = true;
        Q_EMIT noted(QStringLiteral("receive buffer full without flow control at both ends: a "
                                    "real controller loses what the host sends now"));
    }
}

void SerialLine::readLater(int ms)
{
    m_readNotifier->setEnabled(false);
    m_lineTimer.start(ms);
}

bool SerialLine::xoffDue(int allowed) const
{
    if (m_xoff || !xonXoffInUse())
        return false;
    const int fill = m_buffer.fill(false);
    if (fill >= highWater)
        return true;
    // XOFF goes out before the read that brings the buffer to the mark, not after it. A read
    // makes room in the pseudo-terminal and so wakes the host to write; with the line stopped
    // in between, its write would fail.
    int waiting = 0;
    if (::ioctl(m_pty.master(), FIONREAD, &waiting) != 0)
        waiting = allowed;
    return fill + std::min(allowed, waiting) >= highWater;
}

void SerialLine::hostFlow(unsigned char status)
{
    if (status & TIOCPKT_STOP) {
        m_hostStopped = true;
        ++m_stats.hostStops;
        Q_EMIT changed();
    }
    if (status & TIOCPKT_START) {
        m_hostStopped = false;
        Q_EMIT changed();
    }
}

void SerialLine::receive(const char *data, qsizetype size)
{
    m_stats.received += quint64(size);
    if (!m_line.understands(m_host)) {
        m_stats.garbage += quint64(size);
        if (!m_inMismatch) {
            m_inMismatch = true;
            m_mismatchBytes = 0;
            Q_EMIT noted(QStringLiteral("line settings mismatch: ") + m_line.mismatch(m_host));
            Q_EMIT changed();
        }
        m_mismatchBytes += quint64(size);
        return;
    }
    if (m_line.flow != m_host.flow && !m_flowNoted) {
        m_flowNoted = true;
        Q_EMIT noted(QStringLiteral("flow control differs: controller uses %1, host uses %2")
                         .arg(m_line.flowName(), m_host.flowName()));
    }
    m_buffer.append(data, size, false);
}

bool SerialLine::xonXoffInUse() const
{
    return m_line.flow == LineSettings::Flow::XonXoff && m_host.flow == LineSettings::Flow::XonXoff;
}

bool SerialLine::flowInUse() const
{
    return m_line.flow != LineSettings::Flow::None && m_line.flow == m_host.flow;
}

void SerialLine::updateFlow()
{
    // XOFF is sent by readLine() before it reads; here the buffer has drained, or the flow
    // control has changed.
    if (m_xoff && (!xonXoffInUse() || m_buffer.fill(false) <= lowWater))
        sendFlow(false);
}

void SerialLine::sendFlow(bool stop)
{
    m_xoff = stop;
    ++(stop ? m_stats.xoffSent : m_stats.xonSent);
    m_replies.sendFlow(char(stop ? Wire::XOFF : Wire::XON));
    Q_EMIT changed();
}

} // namespace Virtual
