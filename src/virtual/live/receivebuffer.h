// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/livestats.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QTimer>

#include <deque>
#include <optional>

namespace Virtual {

// The controller's receive buffer: what the line and the TCP client have brought and the print
// engine has not taken yet, capacity bytes at most. It is a run of spans, each from one endpoint,
// so that the engine knows whose bytes it prints (their replies go back there); a span of the
// client's that ends its connection closes the client's job once the bytes before it are taken.
//
// One host at a time, as printers with two interfaces do: the host whose bytes come first has the
// turn, and the other's are not taken (mayTake() says so) until that host's job is over: its
// connection's end has been taken, or it has sent nothing for the job timeout and nothing of it
// waits here. The waiting host stays in the system's buffers, held back by flow control, and has
// the next turn.
class ReceiveBuffer : public QObject
{
    Q_OBJECT
public:
    static constexpr int capacity = 4096;
    static constexpr int defaultJobTimeoutMs = 1000;

    // Bytes of one endpoint, in the order they came. Empty where a span ended: endsJob says
    // whether the client's connection ended there.
    struct Piece
    {
        QByteArray bytes;
        bool fromClient = false;
        bool endsJob = false;
    };

    explicit ReceiveBuffer(LiveStats &stats);

    // How long a host with the turn may send nothing before its job counts as over.
    void setJobTimeout(int ms) { m_jobTimeout.setInterval(ms); }
    // Whether the bytes of the client (or the line) may come in now: not while the other host has
    // the turn, which then goes to this one next.
    bool mayTake(bool fromClient);
    // The other host has the turn.
    bool heldBack(bool fromClient) const { return m_turn && *m_turn != fromClient; }

    int fill() const { return int(m_bytes.size()); }
    int room() const { return capacity - fill(); }
    // Nothing waits for the engine, not even the end of a client's job.
    bool isEmpty() const { return m_spans.empty(); }
    // Bytes of the TCP client wait for the engine.
    bool holdsClientBytes() const;

    void append(const char *data, qsizetype size, bool fromClient);
    // The client's connection has ended after the bytes it brought.
    void endClientJob();
    // The next piece of at most `most` bytes, from the span at the front; an empty one when that
    // span is used up, which goes with it. Not when isEmpty().
    Piece take(qsizetype most);

Q_SIGNALS:
    // Bytes or the end of a client's job were put in.
    void arrived();
    // These bytes were put in, from the client or the line.
    void received(QByteArrayView bytes, bool fromClient);
    // A host's turn is over: one that waited may come in now.
    void turnEnded();

private:
    struct Span
    {
        qsizetype length;
        bool fromClient;
        bool endsJob;
    };

    bool holds(bool fromClient) const;
    void endTurn();
    void jobTimedOut();

    LiveStats &m_stats;
    QByteArray m_bytes;
    std::deque<Span> m_spans;
    std::optional<bool> m_turn; // whose job it is: the client's (true) or the line's
    bool m_waiting[2] = {false, false};
    QTimer m_jobTimeout;
};

} // namespace Virtual
