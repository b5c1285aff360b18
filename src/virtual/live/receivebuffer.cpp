// SPDX-License-Identifier: MIT
#include "virtual/live/receivebuffer.h"

#include <algorithm>

namespace Virtual {

ReceiveBuffer::ReceiveBuffer(LiveStats &stats) : m_stats(stats)
{
    m_jobTimeout.setSingleShot(true);
    m_jobTimeout.setInterval(defaultJobTimeoutMs);
    connect(&m_jobTimeout, &QTimer::timeout, this, &ReceiveBuffer::jobTimedOut);
}

void ReceiveBuffer::append(const char *data, qsizetype size, bool fromClient)
{
    if (!m_turn)
        m_turn = fromClient;
    if (*m_turn == fromClient)
        m_jobTimeout.start();
    m_bytes.append(data, size);
    m_fill[fromClient] += int(size);
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

std::deque<ReceiveBuffer::Span>::iterator ReceiveBuffer::firstSpan(bool fromClient,
                                                                   qsizetype &offset)
{
    offset = 0;
    auto span = m_spans.begin();
    for (; span != m_spans.end() && span->fromClient != fromClient; ++span)
        offset += span->length;
    return span;
}

ReceiveBuffer::Piece ReceiveBuffer::take(qsizetype most)
{
    qsizetype offset = 0;
    const auto span = firstSpan(*m_turn, offset);
    if (span->length == 0) {
        const Piece end{{}, span->fromClient, span->endsJob};
        m_spans.erase(span);
        if (end.endsJob)
            endTurn();
        return end;
    }
    // Out of the buffer before it prints, so that a status reply counts what still waits.
    Piece piece{m_bytes.mid(offset, std::min(most, span->length)), span->fromClient, false};
    m_bytes.remove(offset, piece.bytes.size());
    m_fill[piece.fromClient] -= int(piece.bytes.size());
    span->length -= piece.bytes.size();
    if (span->length == 0)
        m_spans.erase(span);
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

// The turn goes to the host whose bytes wait, or to whichever comes first.
void ReceiveBuffer::endTurn()
{
    const bool other = !*m_turn;
    m_jobTimeout.stop();
    m_turn.reset();
    for (const bool next : {other, !other}) {
        if (holds(next)) {
            m_turn = next;
            m_jobTimeout.start();
            break;
        }
    }
    Q_EMIT turnEnded();
}

} // namespace Virtual
