// SPDX-License-Identifier: MIT
#include "virtual/web/receiptshelf.h"

#include "virtual/live/livecontroller.h"
#include "virtual/paper.h"
#include "virtual/paperpng.h"
#include "virtual/receiptrecord.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace Virtual {

namespace {

QByteArray pngOf(const GreyImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    PaperPng::write(picture, buffer);
    return png;
}

// What the page's list shows of a receipt: its text lines, its symbols and where it came from;
// the rest is in its JSON.
QJsonObject summaryOf(int id, const QJsonObject &record, const GreyImage &picture)
{
    QJsonArray lines;
    for (const QJsonValue line : record.value(QLatin1String("lines")).toArray())
        lines.append(line[QLatin1String("text")]);
    QJsonArray symbols;
    for (const QJsonValue symbol : record.value(QLatin1String("symbols")).toArray()) {
        symbols.append(
            QJsonObject{{QStringLiteral("symbology"), symbol[QLatin1String("symbology")]},
                        {QStringLiteral("data"), symbol[QLatin1String("data")]}});
    }
    QJsonObject summary{
        {QStringLiteral("id"), id},
        {QStringLiteral("width"), picture.width()},
        {QStringLiteral("height"), picture.height()},
        {QStringLiteral("lines"), lines},
        {QStringLiteral("symbols"), symbols},
        {QStringLiteral("pictures"), record.value(QLatin1String("pictures")).toArray().size()}};
    for (const char *key : {"started", "ended", "cut", "source"})
        summary.insert(QLatin1String(key), record.value(QLatin1String(key)));
    return summary;
}

} // namespace

ReceiptShelf::ReceiptShelf(int keep, QObject *parent) : QObject(parent), m_keep(std::max(keep, 1))
{}

void ReceiptShelf::follow(const LiveController *controller)
{
    connect(controller, &LiveController::receiptEnded, this,
            [this, controller](const ReceiptRecord &record) {
                add(record, controller->paper().image(record.fromRow(), record.toRow()));
            });
}

void ReceiptShelf::add(const ReceiptRecord &record, const GreyImage &picture)
{
    const QJsonObject json = record.toJson();
    Receipt receipt;
    receipt.id = ++m_lastId;
    receipt.png = pngOf(picture);
    receipt.json = QJsonDocument(json).toJson();
    receipt.summary =
        QJsonDocument(summaryOf(receipt.id, json, picture)).toJson(QJsonDocument::Compact);
    m_receipts.push_back(std::move(receipt));
    while (m_receipts.size() > std::size_t(m_keep))
        m_receipts.pop_front();
    Q_EMIT added(m_lastId);
}

const ReceiptShelf::Receipt *ReceiptShelf::find(int id) const
{
    if (m_receipts.empty() || id < oldest() || id > newest())
        return nullptr;
    return &m_receipts[std::size_t(id - oldest())];
}

QList<const ReceiptShelf::Receipt *> ReceiptShelf::after(int id, int count) const
{
    QList<const Receipt *> receipts;
    if (id >= newest())
        return receipts;
    for (int next = std::max(id + 1, oldest()); next <= newest() && receipts.size() < count; ++next)
        receipts.append(find(next));
    return receipts;
}

} // namespace Virtual
