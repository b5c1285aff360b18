// SPDX-License-Identifier: MIT
#include "virtual/live/replyqueue.h"

#include "virtual/live/networkendpoint.h"
#include "virtual/live/pseudoterminal.h"

#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace Virtual {

ReplyQueue::ReplyQueue(PseudoTerminal &pty, NetworkEndpoint &network)
    : m_pty(pty),
      m_network(network)
{}

// The notifier goes before the pseudo-terminal's descriptor, which outlives this.
ReplyQueue::~ReplyQueue() = default;

void ReplyQueue::start()
{
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_pty.master(), QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &ReplyQueue::flush);
}

void ReplyQueue::dropLineReplies()
{
    m_output.clear();
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_pty.isOpen())
        ::tcflush(m_pty.slave(), TCIFLUSH);
}

void ReplyQueue::sendFlow(char byte)
{
    send(QByteArray(1, byte), true);
}

bool ReplyQueue::reply(const QByteArray &text, bool toClient)
{
    if (!toClient)
        return send(text);
    if (!m_network.canReply()) {
        ++m_droppedCount;
        return false;
    }
    if (!roomForReply(m_network.repliesWaiting(), text.size()))
        return false;
    m_network.sendSoon(text);
    return true;
}

void ReplyQueue::newHost()
{
    if (m_droppedCount > 0)
        Q_EMIT noted(QStringLiteral("%1 replies dropped in all").arg(m_droppedCount));
    m_droppedCount = 0;
    m_repliesDropped = false;
}

bool ReplyQueue::roomForReply(qsizetype waiting, qsizetype size)
{
    if (waiting + size <= maxWaiting)
        return true;
    ++m_droppedCount;
    if (!std::exchange(m_repliesDropped, true))
        Q_EMIT noted(QStringLiteral("the host reads no replies: %1 bytes wait, further replies "
                                    "are dropped")
                         .arg(waiting));
    return false;
}

bool ReplyQueue::send(const QByteArray &bytes, bool first)
{
    if (!first && !roomForReply(m_output.size(), bytes.size()))
        return false;
    if (first)
        m_output.prepend(bytes);
    else
        m_output.append(bytes);
    flush();
    return true;
}

void ReplyQueue::flush()
{
    while (!m_output.isEmpty() && m_pty.isOpen()) {
        const ssize_t n =
            ::write(m_pty.master(), m_output.constData(), std::size_t(m_output.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        m_output.remove(0, n);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_output.isEmpty());
}

} // namespace Virtual
