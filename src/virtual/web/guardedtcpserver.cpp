// SPDX-License-Identifier: MIT
#include "virtual/web/guardedtcpserver.h"

#include <QCoreApplication>
#include <QTcpSocket>

#include <algorithm>

#include <unistd.h>

namespace Virtual {

GuardedTcpServer::GuardedTcpServer(const Limits &limits, QObject *parent)
    : QTcpServer(parent),
      m_limits(limits)
{
    m_sweep.setInterval(std::clamp(m_limits.idleMs / 4, 50, 5000));
    connect(&m_sweep, &QTimer::timeout, this, &GuardedTcpServer::sweep);
    m_sweep.start();
}

int GuardedTcpServer::connections() const
{
    return int(std::count_if(m_connections.begin(), m_connections.end(), [](const auto &c) {
        return c.socket && c.socket->state() != QAbstractSocket::UnconnectedState;
    }));
}

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(int(descriptor));
        return;
    }
    // What Qt takes off the connection for a request not yet complete stays below this; the
    // rest waits in the kernel, whose window then holds the client back.
    socket->setReadBufferSize(m_limits.readLimit);
    sweep();
    if (connections() >= m_limits.maxConnections)
        closeIdlest();
    watch(socket);
    addPendingConnection(socket);
}

// Connected before the HTTP server connects its own, so that these see each request first.
void GuardedTcpServer::watch(QTcpSocket *socket)
{
    Connection connection;
    connection.socket = socket;
    connection.lastActive.start();
    m_connections.push_back(connection);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        Connection *connection = find(socket);
        if (!connection)
            return;
        connection->lastActive.start();
        // Another request while the answers to the earlier ones wait unread: the client asks
        // without reading. Closed once the server has seen this request, not under its feet.
        if (socket->bytesToWrite() > m_limits.writeLimit) {
            QMetaObject::invokeMethod(
                this,
                [this, socket = QPointer<QTcpSocket>(socket)] {
                    if (Connection *connection = socket ? find(socket) : nullptr)
                        close(*connection);
                },
                Qt::QueuedConnection);
        }
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        if (Connection *connection = find(socket))
            connection->lastActive.start();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (Connection *connection = find(socket))
            connection->sawDisconnect = true;
    });
}

GuardedTcpServer::Connection *GuardedTcpServer::find(const QTcpSocket *socket)
{
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [socket](const Connection &c) { return c.socket == socket; });
    return it == m_connections.end() ? nullptr : &*it;
}

void GuardedTcpServer::closeIdlest()
{
    const auto idlest = std::max_element(m_connections.begin(), m_connections.end(),
                                         [](const Connection &a, const Connection &b) {
                                             return a.lastActive.elapsed() < b.lastActive.elapsed();
                                         });
    if (idlest != m_connections.end()) {
        close(*idlest);
        m_connections.erase(idlest);
    }
}

// Forgets the connections that have gone and closes those idle too long.
void GuardedTcpServer::sweep()
{
    std::erase_if(m_connections, [this](Connection &c) {
        if (!c.socket)
            return true;
        if (c.socket->state() == QAbstractSocket::UnconnectedState ||
            c.lastActive.elapsed() > m_limits.idleMs) {
            close(c);
            return true;
        }
        return false;
    });
}

void GuardedTcpServer::close(Connection &connection)
{
    QTcpSocket *socket = connection.socket;
    if (!socket)
        return;
    // What the HTTP server has queued for the connection (the next of several requests sent
    // at once) would read a closed socket.
    QCoreApplication::removePostedEvents(socket, QEvent::MetaCall);
    socket->abort();
    // The HTTP server deletes a connection when it hears that it has closed. One whose signals
    // it has cut (Qt 6.4 does so on a request it cannot parse) would stay for ever.
    if (!connection.sawDisconnect)
        socket->deleteLater();
}

} // namespace Virtual
