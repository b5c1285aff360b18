// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace Virtual {

class NetworkEndpoint;
class PseudoTerminal;

// What the controller sends back: replies to DLE ENQ and DLE EOT, to the endpoint whose bytes
// asked for them (the line, or the TCP client), and on the line XON and XOFF ahead of them.
//
// The line's output waits in a queue of its own until the pseudo-terminal takes it; a client's
// waits in its socket. A host that does not read has at most maxWaiting bytes of replies waiting
// for it; further replies are dropped, and the trace says so once, and how many were dropped
// when a host opens the line anew or the next client comes. XON and XOFF are never dropped.
class ReplyQueue : public QObject
{
    Q_OBJECT
public:
    static constexpr int maxWaiting = 4096;

    ReplyQueue(PseudoTerminal &pty, NetworkEndpoint &network);
    ~ReplyQueue() override;

    // Watches the line for room once it is open.
    void start();
    // XON or XOFF: sent before any reply that waits.
    void sendFlow(char byte);
    // The host has closed the line: what it left unread is not the next host's, as a real line
    // keeps nothing for the next one.
    void dropLineReplies();
    // A reply, to the TCP client when the bytes that asked for it are the client's, else to the
    // line. A client that has gone cannot be answered. False when it was dropped.
    bool reply(const QByteArray &text, bool toClient);
    // A new host (or client) is told again when its replies are dropped.
    void newHost();

Q_SIGNALS:
    void noted(const QString &text);

private:
    bool send(const QByteArray &bytes, bool first = false);
    bool roomForReply(qsizetype waiting, qsizetype size);
    void flush();

    PseudoTerminal &m_pty;
    NetworkEndpoint &m_network;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_output;
    bool m_repliesDropped = false;
    quint64 m_droppedCount = 0;
};

} // namespace Virtual
