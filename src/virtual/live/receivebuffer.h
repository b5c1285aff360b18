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

// The controller's receive buffers: what the line and the TCP client have brought and the print
// engine has not taken yet, capacity bytes of each host at most, as printers with two interfaces
// have a buffer on each. It is a run of spans, each from one endpoint, so that the engine knows
// whose bytes it prints (their replies go back there); a span of the client's that ends its
// connection closes the client's job once the bytes before it are taken.
//
// One host at a time: the host whose bytes come first has the turn, and the other's bytes wait
// here, unprinted, until that host's job is over: its connection's end has been taken, or it has
// sent nothing for the job timeout and nothing of it waits here. The waiting host's bytes are
// still read as they come (so that its real-time requests are answered at once); once its share
// of the buffer is full it is held back by flow control, and it has the next turn.
class ReceiveBuffer : public QObject
{
    Q_OBJECT
public:
    static constexpr int capacity = 4096;
    static constexpr int defaultJobTimeoutMs = 1000;

    // Bytes of one endpoint, in the order they came; empty, with endsJob, where the client's
    // connection ended.
    struct Piece
    {
        QByteArray bytes;
        bool fromClient = false;
        bool endsJob = false;
    };

    explicit ReceiveBuffer(LiveStats &stats);

    // How long a host with the turn may send nothing before its job counts as over.
    void setJobTimeout(int ms) { m_jobTimeout.setInterval(ms); }

    int fill() const { return int(m_bytes.size()); }
    // The bytes of one host that wait, and the room left for it.
    int fill(bool fromClient) const { return m_fill[fromClient]; }
    int room(bool fromClient) const { return capacity - fill(fromClient); }
    // Nothing waits, not even the end of a client's job.
    bool isEmpty() const { return m_spans.empty(); }
    // Something of the host whose turn it is waits for the engine.
    bool mayTake() const { return m_turn && holds(*m_turn); }
    // Bytes of the TCP client wait for the engine.
    bool holdsClientBytes() const;

    void append(const char *data, qsizetype size, bool fromClient);
    // The client's connection has ended after the bytes it brought.
    void endClientJob();
    // The next piece of at most `most` bytes of the host whose turn it is, from its first span, or
    // the end of the client's job as an empty piece. Only when mayTake().
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
    std::deque<Span>::iterator firstSpan(bool fromClient, qsizetype &offset);
    void endTurn();
    void jobTimedOut();

    LiveStats &m_stats;
    QByteArray m_bytes;
    std::deque<Span> m_spans;
    std::optional<bool> m_turn; // whose job it is: the client's (true) or the line's
    int m_fill[2] = {0, 0};
    QTimer m_jobTimeout;
};

} // namespace Virtual
