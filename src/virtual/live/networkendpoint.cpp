// SPDX-License-Identifier: MIT
#include "virtual/live/networkendpoint.h"

#include "virtual/live/receivebuffer.h"
#include "virtual/live/replyqueue.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace Virtual {

namespace {

// No more than the receive buffer's worth of a client's bytes is read ahead of the print engine;
// the rest waits in the system, whose TCP window holds the client back. One client accepted
// while another prints waits so, the clients after it wait in the system's queue.
class JobServer : public QTcpServer
{
public:
    JobServer() { setMaxPendingConnections(1); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setReadBufferSize(ReceiveBuffer::capacity);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            ::close(int(descriptor));
            return;
        }
        addPendingConnection(socket);
    }
};

QString endpointName(const QHostAddress &address, quint16 port)
{
    return (address.protocol() == QAbstractSocket::IPv6Protocol
                ? QStringLiteral("[%1]").arg(address.toString())
                : address.toString()) +
           QStringLiteral(":%1").arg(port);
}

} // namespace

NetworkEndpoint::NetworkEndpoint(ReceiveBuffer &buffer) : m_buffer(buffer)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(replyGatherMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &NetworkEndpoint::sendGathered);
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &NetworkEndpoint::clientIdle);
}

NetworkEndpoint::~NetworkEndpoint()
{
    if (m_replyFd >= 0)
        ::close(m_replyFd);
    if (m_client) {
        m_client->disconnect(this);
        delete m_client;
    }
    m_server.reset();
}

bool NetworkEndpoint::listen(const QHostAddress &address, quint16 port)
{
    m_server = std::make_unique<JobServer>();
    if (!m_server->listen(address, port)) {
        m_error = QStringLiteral("cannot listen on %1: %2")
                      .arg(endpointName(address, port), m_server->errorString());
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QTcpServer::newConnection, this, &NetworkEndpoint::takeClient);
    return true;
}

void NetworkEndpoint::setIdleTimeout(int ms)
{
    m_idleTimeoutMs = ms;
    if (m_client && ms > 0)
        m_idleTimer.start(ms);
    else
        m_idleTimer.stop();
}

QString NetworkEndpoint::listenAddress() const
{
    return m_server ? endpointName(m_server->serverAddress(), m_server->serverPort()) : QString();
}

QString NetworkEndpoint::clientAddress() const
{
    return m_client ? m_clientPeer : QString();
}

void NetworkEndpoint::takeClient()
{
    if (m_client || !m_server->hasPendingConnections())
        return;
    // The next client waits in the system's queue until this one's job has printed.
    m_server->pauseAccepting();
    m_client = m_server->nextPendingConnection();
    m_client->setParent(nullptr);
    m_client->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, ReplyQueue::maxWaiting);
    m_clientPeer = endpointName(m_client->peerAddress(), m_client->peerPort());
    // Qt closes the socket when the client closes its sending side; a second descriptor keeps
    // the connection open for the replies still to come until the job has printed.
    m_replyFd = ::fcntl(int(m_client->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    m_clientBytes = 0;
    m_clientEndQueued = false;
    connect(m_client, &QTcpSocket::readyRead, this, &NetworkEndpoint::readClient);
    connect(m_client, &QTcpSocket::disconnected, this, &NetworkEndpoint::readClient);
    Q_EMIT noted(QStringLiteral("connection from %1").arg(m_clientPeer));
    Q_EMIT changed();
    if (m_idleTimeoutMs > 0)
        m_idleTimer.start(m_idleTimeoutMs);
    readClient();
}

void NetworkEndpoint::clientIdle()
{
    if (!m_client || m_clientEndQueued)
        return;
    // A client held back by a full buffer, or whose bytes still print, is not idle: its time
    // counts from when the controller waits for it.
    if (m_client->bytesAvailable() > 0 || m_buffer.holdsClientBytes()) {
        m_idleTimer.start(m_idleTimeoutMs);
        return;
    }
    Q_EMIT noted(QStringLiteral("connection from %1 sent nothing for %2 ms: closed")
                     .arg(m_clientPeer)
                     .arg(m_idleTimeoutMs));
    m_client->abort();
    readClient();
}

void NetworkEndpoint::readClient()
{
    if (!m_client || m_clientEndQueued)
        return;
    const auto ended = [this] {
        return m_client->state() == QAbstractSocket::UnconnectedState &&
               m_client->bytesAvailable() == 0;
    };
    // While the line's job prints, the client's bytes wait unprinted in its share of the buffer,
    // and the rest in the system.
    const qsizetype room = m_buffer.room(true);
    if (room > 0 && m_client->bytesAvailable() > 0) {
        if (m_idleTimeoutMs > 0)
            m_idleTimer.start(m_idleTimeoutMs);
        const QByteArray bytes = m_client->read(room);
        m_clientBytes += quint64(bytes.size());
        m_buffer.append(bytes.constData(), bytes.size(), true);
        Q_EMIT changed();
    }
    if (ended()) {
        m_clientEndQueued = true;
        m_idleTimer.stop();
        m_buffer.endClientJob();
    }
}

QString NetworkEndpoint::closedNote() const
{
    return QStringLiteral("connection from %1 closed: %2 bytes taken")
        .arg(m_clientPeer)
        .arg(m_clientBytes);
}

void NetworkEndpoint::closeClient()
{
    sendGathered();
    if (m_replyFd >= 0)
        ::close(std::exchange(m_replyFd, -1));
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
}

void NetworkEndpoint::sendSoon(const QByteArray &reply)
{
    if (!m_client)
        return;
    m_gathered += reply;
    char byte = 0;
    const bool peerFinished =
        m_replyFd >= 0 && ::recv(m_replyFd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
    if (peerFinished)
        sendGathered();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void NetworkEndpoint::sendGathered()
{
    m_flushTimer.stop();
    if (m_client && m_client->state() == QAbstractSocket::ConnectedState) {
        m_client->write(m_gathered);
        m_client->flush();
    } else if (m_replyFd >= 0 && !m_gathered.isEmpty()) {
        // Past a half-close: what the system takes now (a few replies fit in its buffer).
        const ssize_t sent = ::send(m_replyFd, m_gathered.constData(),
                                    std::size_t(m_gathered.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        Q_UNUSED(sent);
    }
    m_gathered.clear();
}

bool NetworkEndpoint::canReply() const
{
    return m_client && (m_client->state() == QAbstractSocket::ConnectedState || m_replyFd >= 0);
}

qsizetype NetworkEndpoint::repliesWaiting() const
{
    return m_gathered.size() + (m_client ? m_client->bytesToWrite() : 0);
}

void NetworkEndpoint::takeNext()
{
    m_server->resumeAccepting();
    takeClient();
}

} // namespace Virtual
