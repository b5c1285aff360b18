// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/linesettings.h"
#include "virtual/live/livestats.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace Virtual {

class PseudoTerminal;
class ReceiveBuffer;
class ReplyQueue;

// The serial line between the host and the controller, on the pseudo-terminal's master: it reads
// the host's bytes into the receive buffer as fast as the line would bring them, and holds the
// host back when the buffer fills.
//
//  - Pacing: bytes are taken no faster than the host's settings allow (speed / bits per byte:
//    11,520 bytes a second at 115200 8N1). After a pause the line has stored up at most 10 ms
//    worth; while bytes wait it catches up on a late turn of the event loop.
//  - Settings: the host's are read from the terminal (there is no notification of a change);
//    the controller's own are its UART's (GS ( switches them). Bytes sent while the two do not
//    match are garbage to the controller: they are dropped and the trace says why.
//  - Flow control: with XON/XOFF at both ends the line sends XOFF as the buffer reaches highWater
//    bytes (just before the read that would take it there, from a timer of its own) and XON once
//    it is down to lowWater; the host's kernel then really stops and restarts the host's output,
//    which the pseudo-terminal reports (a host stop). Otherwise a full buffer takes nothing more
//    until there is room: that is hardware flow control, which a pseudo-terminal cannot signal
//    otherwise; without flow control at both ends a real controller would lose bytes there, and
//    the trace says so.
//  - Turns: while a TCP client's job has the print engine, the line's bytes wait unprinted in
//    the line's share of the receive buffer; once that is full the host is held back as above.
class SerialLine : public QObject
{
    Q_OBJECT
public:
    // XOFF leaves room for 512 bytes more: what is already on its way when the host stops.
    static constexpr int highWater = 3584;
    static constexpr int lowWater = 1024;

    SerialLine(PseudoTerminal &pty, ReceiveBuffer &buffer, ReplyQueue &replies, LiveStats &stats,
               bool pacing);
    ~SerialLine() override;

    // Sets the open line up at the controller's settings and starts reading it.
    void start();

    LineSettings controllerLine() const { return m_line; }
    LineSettings hostLine() const { return m_host; }
    bool settingsMatch() const { return m_line.understands(m_host); }
    bool hostStopped() const { return m_hostStopped; }

    // The controller's UART is switched: the host must reconnect with the same settings.
    void switchTo(const LineSettings &line);
    // The print engine has taken bytes from the receive buffer: XON may be due, and a line that
    // waited for room reads on.
    void roomMade();

Q_SIGNALS:
    void noted(const QString &text);
    // The host's or the controller's settings, or the flow control state changed.
    void changed();

private:
    void pollHost();
    void readLine(bool notified);
    void addCredit(double rate);
    void waitForRoom();
    void readLater(int ms);
    void receive(const char *data, qsizetype size);
    void hostFlow(unsigned char status);
    bool xoffDue(int allowed) const;
    void updateFlow();
    void sendFlow(bool stop);
    double bytesPerSecond() const;
    // XON/XOFF works when both ends use it; the controller leaves XOFF out when the host's port
    // would only read it as a stray byte.
    bool xonXoffInUse() const;
    // Some flow control that both ends use stands between the host and an overrun.
    bool flowInUse() const;

    PseudoTerminal &m_pty;
    ReceiveBuffer &m_buffer;
    ReplyQueue &m_replies;
    LiveStats &m_stats;
    const bool m_pacing;
    std::unique_ptr<QSocketNotifier> m_readNotifier;

    LineSettings m_line;
    LineSettings m_host;

    QElapsedTimer m_clock;
    QTimer m_lineTimer;
    QTimer m_pollTimer;
    double m_credit = 0; // bytes the line has brought since the last read
    qint64 m_creditTime = 0;
    bool m_lineIdle = true;
    bool m_waitingForRoom = false;
    bool m_hostStopped = false;
    bool m_inMismatch = false;
    quint64 m_mismatchBytes = 0;
    bool m_overrunNoted = false;
    bool m_flowNoted = false;
    bool m_xoff = false;
};

} // namespace Virtual
