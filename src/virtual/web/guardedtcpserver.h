// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <vector>

class QTcpSocket;

namespace Virtual {

// The TCP side of the receipts page, so that clients that misbehave cost it little: at most
// maxConnections connections at once (one more closes the one that has been idle longest); a
// request's head of at most readLimit bytes (a connection whose request outgrows it stalls and
// is closed as idle); a client that sends more requests while more than writeLimit bytes of
// answers wait for it to read them is closed; a connection that has neither received nor sent
// anything for idleMs is closed.
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT
public:
    struct Limits
    {
        int maxConnections = 32;
        qint64 readLimit = 32 * 1024;
        qint64 writeLimit = 256 * 1024;
        int idleMs = 30000;
    };

    explicit GuardedTcpServer(const Limits &limits, QObject *parent = nullptr);

    // The connections open now.
    int connections() const;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection
    {
        QPointer<QTcpSocket> socket;
        QElapsedTimer lastActive;
        bool sawDisconnect = false;
    };

    void watch(QTcpSocket *socket);
    Connection *find(const QTcpSocket *socket);
    void closeIdlest();
    void sweep();
    void close(Connection &connection);

    Limits m_limits;
    QTimer m_sweep;
    std::vector<Connection> m_connections;
};

} // namespace Virtual
