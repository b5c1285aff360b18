// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/web/guardedtcpserver.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

#include <QHttpServerResponse>

class QHttpServer;
class QHttpServerRequest;

namespace Virtual {

class ReceiptShelf;

// The receipts page: the receipts of this run over HTTP, read-only, for people on other machines.
//
//   /                   the page (HTML, its style and its script from the program's resources)
//   /receipts?after=N   the receipts after number N, the oldest first, as JSON: the page asks
//                       for the new ones every second
//   /receipts/N.png     receipt N's picture, one pixel a dot
//   /receipts/N.json    what was printed on it (docs/receipt.schema.json)
//   /receipts/N.pdf     its picture at the paper's true size
//
// Only GET and HEAD; anything else is 405. Every answer names its type and forbids the browser
// to guess another (nosniff), and the page may load nothing but its own files: receipt text is
// whatever a host sent, and the page only ever sets it as text. On a loopback address it answers
// only requests for a loopback name, so that a web page elsewhere cannot reach it through a name
// of its own that points here.
class ReceiptServer : public QObject
{
    Q_OBJECT
public:
    // How many receipts one answer of /receipts lists at most; the page asks again for more.
    static constexpr int listPage = 50;

    explicit ReceiptServer(const ReceiptShelf *shelf, const GuardedTcpServer::Limits &limits = {},
                           QObject *parent = nullptr);
    ~ReceiptServer() override;

    // False, with errorString(), when the address cannot be had; port 0 takes any free one.
    bool listen(const QHostAddress &address, quint16 port);
    // The page's address ("http://127.0.0.1:8080/"); empty before listen().
    QString url() const;
    QString errorString() const { return m_error; }
    // The TCP connections open now.
    int connections() const { return m_tcp->connections(); }

private:
    void addRoutes();
    // Why the request gets no answer but an error: a method other than GET and HEAD, or a
    // name for this machine that it has not been asked for.
    std::optional<QHttpServerResponse> refusal(const QHttpServerRequest &request) const;
    bool hostAllowed(const QHttpServerRequest &request) const;
    QHttpServerResponse list(const QHttpServerRequest &request) const;
    QHttpServerResponse receipt(const QHttpServerRequest &request, const QString &name) const;

    const ReceiptShelf *m_shelf;
    std::unique_ptr<QHttpServer> m_http;
    GuardedTcpServer *m_tcp; // a child of m_http
    QByteArray m_run;
    QString m_error;
};

} // namespace Virtual
