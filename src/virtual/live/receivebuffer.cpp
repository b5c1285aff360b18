// SPDX-License-Identifier: MIT
#include "virtual/live/receivebuffer.h"

#include <algorithm>

namespace Virtual {

void ReceiveBuffer::append(const char *data, qsizetype size, bool fromClient)
{
    m_bytes.append(data, size);
    if (!m_spans.empty() && m_spans.back().fromClient == fromClient && !m_spans.back().endsJob)
        m_spans.back().length += size;
    else
        m_spans.push_back({size, fromClient, false});
    m_stats.maxFill = std::max(m_stats.maxFill, fill());
    Q_EMIT arrived();
}

bool ReceiveBuffer::holdsClientBytes() const
{
    return std::any_of(m_spans.begin(), m_spans.end(),
                       [](const Span &span) { return span.fromClient && span.length > 0; });
}

void ReceiveBuffer::endClientJob()
{
    m_spans.push_back({0, true, true});
    Q_EMIT arrived();
}

ReceiveBuffer::Piece ReceiveBuffer::take(qsizetype most)
{
    Span &span = m_spans.front();
    if (span.length == 0) {
        const Piece end{{}, span.fromClient, span.endsJob};
        m_spans.pop_front();
        return end;
    }
    // Out of the buffer before it prints, so that a status reply counts what still waits.
    Piece piece{m_bytes.first(std::min(most, span.length)), span.fromClient, false};
    m_bytes.remove(0, piece.bytes.size());
    span.length -= piece.bytes.size();
    return piece;
}

} // namespace Virtual
