// SPDX-License-Identifier: MIT
#include "virtual/live/receivebuffer.h"

#include <algorithm>
#include <utility>

namespace Virtual {

ReceiveBuffer::ReceiveBuffer(LiveStats &stats) : m_stats(stats)
{
    m_jobTimeout.setSingleShot(true);
    m_jobTimeout.setInterval(defaultJobTimeoutMs);
    connect(&m_jobTimeout, &QTimer::timeout, this, &ReceiveBuffer::jobTimedOut);
}

bool ReceiveBuffer::mayTake(bool fromClient)
{
    if (!heldBack(fromClient))
        return true;
    m_waiting[fromClient] = true;
    return false;
}

void ReceiveBuffer::append(const char *data, qsizetype size, bool fromClient)
{
    if (!m_turn)
        m_turn = fromClient;
    if (*m_turn == fromClient)
        m_jobTimeout.start();
    m_bytes.append(data, size);
    if (!m_spans.empty() && m_spans.back().fromClient == fromClient && !m_spans.back().endsJob)
        m_spans.back().length += size;
    else
        m_spans.push_back({size, fromClient, false});
    m_stats.maxFill = std::max(m_stats.maxFill, fill());
    Q_EMIT received(QByteArrayView(data, size), fromClient);
    Q_EMIT arrived();
}

bool ReceiveBuffer::holdsClientBytes() const
{
    return holds(true);
}

bool ReceiveBuffer::holds(bool fromClient) const
{
    return std::any_of(m_spans.begin(), m_spans.end(), [fromClient](const Span &span) {
        return span.fromClient == fromClient && (span.length > 0 || span.endsJob);
    });
}

void ReceiveBuffer::endClientJob()
{
    if (!m_turn)
        m_turn = true;
    m_spans.push_back({0, true, true});
    Q_EMIT arrived();
}

ReceiveBuffer::Piece ReceiveBuffer::take(qsizetype most)
{
    Span &span = m_spans.front();
    if (span.length == 0) {
        const Piece end{{}, span.fromClient, span.endsJob};
        m_spans.pop_front();
        if (end.endsJob && m_turn == true)
            endTurn();
        return end;
    }
    // Out of the buffer before it prints, so that a status reply counts what still waits.
    Piece piece{m_bytes.first(std::min(most, span.length)), span.fromClient, false};
    m_bytes.remove(0, piece.bytes.size());
    span.length -= piece.bytes.size();
    return piece;
}

// A host that has sent nothing for the job timeout, and of which nothing waits here, has ended
// its job.
void ReceiveBuffer::jobTimedOut()
{
    if (!m_turn)
        return;
    if (holds(*m_turn))
        m_jobTimeout.start();
    else
        endTurn();
}

// The turn goes to the host that waited for it, or to whichever comes first.
void ReceiveBuffer::endTurn()
{
    const bool other = !*m_turn;
    m_jobTimeout.stop();
    m_turn.reset();
    if (std::exchange(m_waiting[other], false))
        m_turn = other;
    Q_EMIT turnEnded();
}

} // namespace Virtual
