// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>
#include <QString>
#include <QTimer>

#include <memory>

class QHostAddress;
class QTcpServer;
class QTcpSocket;

namespace Virtual {

class ReceiveBuffer;

// The controller's TCP endpoint, as network receipt printers have one on port 9100: one client
// at a time, each connection one job. The client's bytes go into the receive buffer while there
// is room; while it is full nothing is read from the socket, so that TCP's own flow control holds
// the client back. The next connection waits in the system's queue until the current one has
// closed and its last byte has printed: the client stays until then, so that replies to its
// bytes still find it. The end of the connection is put into the receive buffer after its bytes;
// when the print engine gets there, the controller ends the job (closeClient(), takeNext()).
// A client that sends nothing for the idle timeout once all it sent has printed is closed, so
// that it cannot hold the endpoint from the clients behind it.
class NetworkEndpoint : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultIdleTimeoutMs = 30000;

    explicit NetworkEndpoint(ReceiveBuffer &buffer);
    ~NetworkEndpoint() override;

    // Takes jobs on `address`:`port` (any free port for 0). False, with errorString(), when the
    // address cannot be had.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_error; }
    // How long a client may send nothing before it is closed; 0 waits for ever.
    void setIdleTimeout(int ms);
    int idleTimeout() const { return m_idleTimeoutMs; }
    // Where it listens ("127.0.0.1:9100"), empty when it does not.
    QString listenAddress() const;
    // The client being printed ("127.0.0.1:53124") and the bytes taken from it; empty and 0
    // without one.
    QString clientAddress() const;
    quint64 clientBytes() const { return m_clientBytes; }
    QTcpSocket *client() const { return m_client; }
    // Sends a reply to the client shortly, together with the replies that follow within a
    // moment (a client that sends four status requests at once may read their four bytes in
    // one go); at once when the client has closed its sending side, because Qt closes the
    // socket as soon as it sees that, and what still waits in it is lost then.
    void sendSoon(const QByteArray &reply);
    // The client can still be answered: connected, or past a half-close before its job ends.
    bool canReply() const;
    // Reply bytes not yet taken by the system.
    qsizetype repliesWaiting() const;
    static constexpr int replyGatherMs = 20;

    // Reads what the client has sent, as far as the receive buffer has room.
    void readClient();
    // The trace's line for the end of the client's job.
    QString closedNote() const;
    // The client's job has printed: the connection goes.
    void closeClient();
    // Takes the next connection waiting, if any.
    void takeNext();

Q_SIGNALS:
    void noted(const QString &text);
    // A client came or went, or more of its bytes were taken.
    void changed();

private:
    void takeClient();
    void clientIdle();

    ReceiveBuffer &m_buffer;
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket *m_client = nullptr;
    QString m_clientPeer;
    quint64 m_clientBytes = 0;
    bool m_clientEndQueued = false;
    int m_idleTimeoutMs = defaultIdleTimeoutMs;
    QTimer m_idleTimer;
    QString m_error;
    QTimer m_flushTimer;
    QByteArray m_gathered;
    int m_replyFd = -1;
    void sendGathered();
};

} // namespace Virtual
