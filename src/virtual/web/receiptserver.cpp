// SPDX-License-Identifier: MIT
#include "virtual/web/receiptserver.h"

#include "virtual/paperpng.h"
#include "virtual/receiptpdf.h"
#include "virtual/web/receiptshelf.h"

#include <QBuffer>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QtGlobal>

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QHttpHeaders>
#endif

#include <climits>

namespace Virtual {

namespace {

using Method = QHttpServerRequest::Method;
using Status = QHttpServerResponse::StatusCode;

// The page's own files only: no inline script or style, nothing from elsewhere, no frames.
constexpr char contentSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

void addHeader(QHttpServerResponse &response, const QByteArray &name, const QByteArray &value)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QHttpHeaders headers = response.headers();
    headers.append(name, value);
    response.setHeaders(std::move(headers));
#else
    response.addHeader(name, value);
#endif
}

// An answer of `type`, and for HEAD the same without its body.
QHttpServerResponse answer(const QHttpServerRequest &request, const QByteArray &type,
                           const QByteArray &body, Status status = Status::Ok)
{
    QHttpServerResponse response(type, request.method() == Method::Head ? QByteArray() : body,
                                 status);
    addHeader(response, "X-Content-Type-Options", "nosniff");
    addHeader(response, "Content-Security-Policy", contentSecurityPolicy);
    addHeader(response, "Referrer-Policy", "no-referrer");
    addHeader(response, "Cross-Origin-Resource-Policy", "same-origin");
    // The numbers start again with each run of the program: nothing is kept for later.
    addHeader(response, "Cache-Control", "no-store");
    if (status == Status::MethodNotAllowed)
        addHeader(response, "Allow", "GET, HEAD");
    return response;
}

QHttpServerResponse error(const QHttpServerRequest &request, Status status, const char *text)
{
    return answer(request, "text/plain; charset=utf-8", QByteArray(text) + '\n', status);
}

// JSON whose strings cannot close a script element or start markup wherever it ends up; the
// same document to a JSON reader.
QByteArray jsonBytes(const QByteArray &json)
{
    QByteArray safe = json;
    safe.replace('<', "\\u003c").replace('>', "\\u003e").replace('&', "\\u0026");
    return safe;
}

QByteArray resource(const QString &name)
{
    QFile file(QStringLiteral(":/web/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pdfOf(const QByteArray &png)
{
    const GreyImage picture = PaperPng::read(png);
    QByteArray pdf;
    QBuffer buffer(&pdf);
    QString error;
    if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) ||
        !writePdf(&buffer, {picture}, &error))
        return {};
    return pdf;
}

// after=N: a whole number, 0 or more; 0 when left out.
std::optional<int> afterOf(const QHttpServerRequest &request)
{
    const QUrlQuery query = request.query();
    if (!query.hasQueryItem(QStringLiteral("after")))
        return 0;
    const QString text = query.queryItemValue(QStringLiteral("after"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    bool ok = false;
    const qlonglong after = text.toLongLong(&ok);
    if (!digits.match(text).hasMatch() || !ok || after > INT_MAX)
        return std::nullopt;
    return int(after);
}

} // namespace

ReceiptServer::ReceiptServer(const ReceiptShelf *shelf, const GuardedTcpServer::Limits &limits,
                             QObject *parent)
    : QObject(parent),
      m_shelf(shelf),
      m_http(std::make_unique<QHttpServer>()),
      m_tcp(new GuardedTcpServer(limits, m_http.get())),
      m_run(QByteArray::number(QRandomGenerator::global()->generate64(), 36))
{
    addRoutes();
}

ReceiptServer::~ReceiptServer() = default;

bool ReceiptServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_tcp->listen(address, port)) {
        m_error = QStringLiteral("cannot serve the receipts page on %1:%2: %3")
                      .arg(address.toString())
                      .arg(port)
                      .arg(m_tcp->errorString());
        return false;
    }
    m_http->bind(m_tcp);
    return true;
}

QString ReceiptServer::url() const
{
    if (!m_tcp->isListening())
        return {};
    const QHostAddress host = m_tcp->serverAddress();
    const QString name = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(host.toString())
                             : host.toString();
    return QStringLiteral("http://%1:%2/").arg(name).arg(m_tcp->serverPort());
}

void ReceiptServer::addRoutes()
{
    // The page's own files, read once.
    const auto file = [this](const char *name, const QByteArray &type) {
        return [this, body = resource(QString::fromLatin1(name)),
                type](const QHttpServerRequest &request) -> QHttpServerResponse {
            if (auto refused = refusal(request))
                return std::move(*refused);
            return answer(request, type, body);
        };
    };
    m_http->route(QStringLiteral("/"), file("index.html", "text/html; charset=utf-8"));
    m_http->route(QStringLiteral("/page.css"), file("page.css", "text/css; charset=utf-8"));
    m_http->route(QStringLiteral("/page.js"), file("page.js", "text/javascript; charset=utf-8"));
    m_http->route(QStringLiteral("/icon.svg"), file("icon.svg", "image/svg+xml"));
    m_http->route(QStringLiteral("/receipts"),
                  [this](const QHttpServerRequest &request) -> QHttpServerResponse {
                      if (auto refused = refusal(request))
                          return std::move(*refused);
                      return list(request);
                  });
    m_http->route(QStringLiteral("/receipts/<arg>"),
                  [this](QString name, const QHttpServerRequest &request) -> QHttpServerResponse {
                      if (auto refused = refusal(request))
                          return std::move(*refused);
                      return receipt(request, name);
                  });
    // Any other path: a 404 with the same headers as every other answer.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    m_http->setMissingHandler(
        this, [](const QHttpServerRequest &request, QHttpServerResponder &responder) {
            responder.sendResponse(error(request, Status::NotFound, "no such page"));
        });
#else
    m_http->setMissingHandler(
        [](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
            error(request, Status::NotFound, "no such page").write(std::move(responder));
        });
#endif
}

std::optional<QHttpServerResponse> ReceiptServer::refusal(const QHttpServerRequest &request) const
{
    if (request.method() != Method::Get && request.method() != Method::Head)
        return error(request, Status::MethodNotAllowed, "the receipts are only to be read");
    if (!hostAllowed(request))
        return error(request, Status::BadRequest, "this server answers to a loopback name only");
    return std::nullopt;
}

// On a loopback address the Host a browser sends names this machine: localhost, 127.x.x.x or
// [::1], with whatever port a tunnel gives it. Elsewhere any name reaches it.
bool ReceiptServer::hostAllowed(const QHttpServerRequest &request) const
{
    if (!m_tcp->serverAddress().isLoopback())
        return true;
    // The request's URL has the Host header's name, in lower case and IPv6 without brackets.
    const QString name = request.url().host();
    if (name.isEmpty() || name == QLatin1String("localhost"))
        return true; // HTTP/1.0 names no host: not a browser
    const QHostAddress address(name);
    return !address.isNull() && address.isLoopback();
}

QHttpServerResponse ReceiptServer::list(const QHttpServerRequest &request) const
{
    const std::optional<int> after = afterOf(request);
    if (!after)
        return error(request, Status::BadRequest, "after= takes a receipt's number, 0 or more");
    const QList<const ReceiptShelf::Receipt *> receipts = m_shelf->after(*after, listPage);
    const int last = receipts.isEmpty() ? *after : receipts.back()->id;
    const QJsonObject page{{QStringLiteral("run"), QString::fromLatin1(m_run)},
                           {QStringLiteral("newest"), m_shelf->newest()},
                           {QStringLiteral("oldest"), m_shelf->oldest()},
                           {QStringLiteral("keep"), m_shelf->keep()},
                           {QStringLiteral("more"), last < m_shelf->newest()}};
    // The summaries are JSON already: they go into the list as they are.
    QByteArray json = QJsonDocument(page).toJson(QJsonDocument::Compact);
    json.chop(1);
    json += ",\"receipts\":[";
    for (const ReceiptShelf::Receipt *receipt : receipts)
        json += receipt->summary + ',';
    if (!receipts.isEmpty())
        json.chop(1);
    json += "]}";
    return answer(request, "application/json", jsonBytes(json));
}

QHttpServerResponse ReceiptServer::receipt(const QHttpServerRequest &request,
                                           const QString &name) const
{
    static const QRegularExpression form(QStringLiteral("^([1-9][0-9]{0,9})\\.(png|json|pdf)$"));
    const QRegularExpressionMatch match = form.match(name);
    const qlonglong id = match.hasMatch() ? match.captured(1).toLongLong() : 0;
    const ReceiptShelf::Receipt *found = id > 0 && id <= INT_MAX ? m_shelf->find(int(id)) : nullptr;
    if (!found)
        return error(request, Status::NotFound, "no such receipt in this run");
    const QString kind = match.captured(2);
    if (kind == QLatin1String("png"))
        return answer(request, "image/png", found->png);
    if (kind == QLatin1String("json"))
        return answer(request, "application/json", jsonBytes(found->json));
    const QByteArray pdf = pdfOf(found->png);
    if (pdf.isEmpty())
        return error(request, Status::InternalServerError, "the PDF could not be made");
    return answer(request, "application/pdf", pdf);
}

} // namespace Virtual
