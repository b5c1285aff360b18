// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/livestats.h"

#include <QByteArray>
#include <QObject>

#include <deque>

namespace Virtual {

// The controller's receive buffer: what the line and the TCP client have brought and the print
// engine has not taken yet, capacity bytes at most. It is a run of spans, each from one endpoint,
// so that the engine knows whose bytes it prints (their replies go back there); a span of the
// client's that ends its connection closes the client's job once the bytes before it are taken.
class ReceiveBuffer : public QObject
{
    Q_OBJECT
public:
    static constexpr int capacity = 4096;

    // Bytes of one endpoint, in the order they came. Empty where a span ended: endsJob says
    // whether the client's connection ended there.
    struct Piece
    {
        QByteArray bytes;
        bool fromClient = false;
        bool endsJob = false;
    };

    explicit ReceiveBuffer(LiveStats &stats) : m_stats(stats) {}

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

private:
    struct Span
    {
        qsizetype length;
        bool fromClient;
        bool endsJob;
    };

    LiveStats &m_stats;
    QByteArray m_bytes;
    std::deque<Span> m_spans;
};

} // namespace Virtual
