// SPDX-License-Identifier: MIT
#include "virtual/receiptrecord.h"

#include "protocol/commands.h"
#include "virtual/linelayout.h"

#include <QStringDecoder>

#include <algorithm>

namespace Virtual {

namespace {

namespace Mode = Protocol::PrintMode;

const char *const alignments[] = {"left", "centre", "right"};

QJsonObject spanJson(const PrintedLine::Span &span)
{
    const TextStyle &style = span.style;
    return {{QStringLiteral("text"), span.text},
            {QStringLiteral("x"), span.x},
            {QStringLiteral("width"), span.width},
            {QStringLiteral("bold"), bool(style.mode & Mode::Bold)},
            {QStringLiteral("underline"), bool(style.mode & Mode::Underline)},
            {QStringLiteral("reverse"), bool(style.mode & Mode::Reverse)},
            {QStringLiteral("italic"), bool(style.mode & Mode::Italic)},
            {QStringLiteral("widthScale"), style.widthScale},
            {QStringLiteral("heightScale"), style.heightScale},
            {QStringLiteral("font"), style.small ? QStringLiteral("B") : QStringLiteral("A")}};
}

// Symbol data are bytes; most are text. UTF-8 where they are valid UTF-8, else one character a
// byte (Latin-1); the bytes themselves go beside in hex.
QString dataText(QByteArrayView data)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(data);
    return utf8.hasError() ? QString::fromLatin1(data) : text;
}

// ESC T's print direction as the command table names it: "bottom to top".
QString directionName(int direction)
{
    for (const Protocol::Named &named : Protocol::Table::directions) {
        if (named.value == direction)
            return QString::fromLatin1(named.text.data(), qsizetype(named.text.size()));
    }
    return {};
}

QJsonValue timeJson(const QDateTime &when)
{
    return when.isValid() ? QJsonValue(when.toString(Qt::ISODateWithMs)) : QJsonValue();
}

} // namespace

ReceiptRecord::ReceiptRecord(int headDots, int fromRow)
    : m_headDots(headDots),
      m_fromRow(fromRow),
      m_toRow(fromRow)
{}

void ReceiptRecord::append(QJsonArray &list, const QJsonObject &entry)
{
    if (list.size() < maxEntries)
        list.append(entry);
    else
        ++m_dropped;
}

QJsonObject ReceiptRecord::area(const QRect &rect) const
{
    return {{QStringLiteral("x"), rect.x()},
            {QStringLiteral("y"), rect.y() - m_fromRow},
            {QStringLiteral("width"), rect.width()},
            {QStringLiteral("height"), rect.height()}};
}

// The line's place, its text as it reads, its alignment and its spans.
QJsonObject ReceiptRecord::lineEntry(const PrintedLine &line) const
{
    const auto [first, last] = std::minmax_element(
        line.cells.begin(), line.cells.end(),
        [](const PrintedLine::Cell &a, const PrintedLine::Cell &b) { return a.x < b.x; });
    const int left = first->x;
    const int right = std::max(last->x + last->width, first->x + first->width);
    // The text as it reads, left to right whatever order its cells were printed in (a frame's
    // right edge before the text inside it), a blank for each gap of a character or more that a
    // tab or a print position left. A line turned round (ESC {) reads from its right end.
    std::vector<PrintedLine::Cell> cells = line.cells;
    if (line.upsideDown) {
        for (PrintedLine::Cell &cell : cells)
            cell.x = -(cell.x + cell.width);
    }
    std::stable_sort(
        cells.begin(), cells.end(),
        [](const PrintedLine::Cell &a, const PrintedLine::Cell &b) { return a.x < b.x; });
    QString text;
    int end = cells.front().x;
    for (const PrintedLine::Cell &cell : cells) {
        if (!text.isEmpty() && cell.x - end >= cell.width)
            text += QLatin1Char(' ');
        text += QChar(cell.character);
        end = cell.x + cell.width;
    }
    QJsonArray spans;
    for (const PrintedLine::Span &span : line.spans)
        spans.append(spanJson(span));
    QJsonObject entry = area({left, line.top, right - left, line.height});
    entry.insert(QStringLiteral("text"), text);
    entry.insert(QStringLiteral("align"), QLatin1String(alignments[std::clamp(line.align, 0, 2)]));
    entry.insert(QStringLiteral("upsideDown"), line.upsideDown);
    entry.insert(QStringLiteral("spans"), spans);
    return entry;
}

void ReceiptRecord::addLine(const PrintedLine &line)
{
    if (!line.cells.empty())
        append(m_lines, lineEntry(line));
}

void ReceiptRecord::addPageLine(const PrintedLine &line, const QRect &rect, int direction)
{
    if (line.cells.empty())
        return;
    QJsonObject entry = lineEntry(line);
    const QJsonObject place = area(rect);
    for (auto it = place.begin(); it != place.end(); ++it)
        entry.insert(it.key(), it.value());
    entry.insert(QStringLiteral("direction"), directionName(direction));
    append(m_lines, entry);
}

void ReceiptRecord::addSymbol(const QString &symbology, QByteArrayView data, const QString &content,
                              const QString &text, const QRect &rect, int direction)
{
    QJsonObject entry = area(rect);
    entry.insert(QStringLiteral("symbology"), symbology);
    const QString sent = dataText(data);
    entry.insert(QStringLiteral("content"), content.isEmpty() ? sent : content);
    entry.insert(QStringLiteral("data"), sent);
    entry.insert(QStringLiteral("dataHex"), QString::fromLatin1(data.toByteArray().toHex()));
    if (!text.isEmpty())
        entry.insert(QStringLiteral("text"), text);
    if (direction >= 0)
        entry.insert(QStringLiteral("direction"), directionName(direction));
    append(m_symbols, entry);
}

void ReceiptRecord::addPicture(const QString &kind, const QRect &rect, int direction)
{
    QJsonObject entry = area(rect);
    entry.insert(QStringLiteral("kind"), kind);
    if (direction >= 0)
        entry.insert(QStringLiteral("direction"), directionName(direction));
    append(m_pictures, entry);
}

void ReceiptRecord::addDrawerKick(std::uint64_t offset, int pin, int onMs, int offMs)
{
    append(m_drawerKicks, {{QStringLiteral("offset"), qint64(offset)},
                           {QStringLiteral("pin"), pin},
                           {QStringLiteral("onMs"), onMs},
                           {QStringLiteral("offMs"), offMs}});
}

void ReceiptRecord::addBuzzer(std::uint64_t offset)
{
    append(m_buzzer, {{QStringLiteral("offset"), qint64(offset)}});
}

void ReceiptRecord::addSkipped(std::uint64_t offset, const QString &command, QByteArrayView bytes,
                               const QString &reason)
{
    append(m_skipped,
           {{QStringLiteral("offset"), qint64(offset)},
            {QStringLiteral("command"), command.isEmpty() ? QJsonValue() : QJsonValue(command)},
            {QStringLiteral("bytes"), QString::fromLatin1(bytes.toByteArray().toHex(' '))},
            {QStringLiteral("reason"), reason}});
}

void ReceiptRecord::setSource(const QString &kind, const QString &address)
{
    m_sourceKind = kind;
    m_sourceAddress = address;
}

void ReceiptRecord::end(int toRow, Cut cut)
{
    m_toRow = std::max(toRow, m_fromRow);
    m_cut = cut;
}

bool ReceiptRecord::isEmpty() const
{
    return m_toRow == m_fromRow && m_cut == Cut::None && m_lines.isEmpty() && m_symbols.isEmpty() &&
           m_pictures.isEmpty() && m_drawerKicks.isEmpty() && m_buzzer.isEmpty() &&
           m_skipped.isEmpty();
}

QJsonObject ReceiptRecord::toJson() const
{
    static const QString cuts[] = {QString(), QStringLiteral("full"), QStringLiteral("partial")};
    return {
        {QStringLiteral("format"), QStringLiteral("tessivar-receipt")},
        {QStringLiteral("version"), formatVersion},
        {QStringLiteral("head"),
         QJsonObject{{QStringLiteral("dots"), m_headDots},
                     {QStringLiteral("mm"), double(m_headDots) / Protocol::dotsPerMm}}},
        {QStringLiteral("height"), m_toRow - m_fromRow},
        {QStringLiteral("source"), m_sourceKind.isEmpty()
                                       ? QJsonValue()
                                       : QJsonObject{{QStringLiteral("kind"), m_sourceKind},
                                                     {QStringLiteral("address"), m_sourceAddress}}},
        {QStringLiteral("started"), timeJson(m_started)},
        {QStringLiteral("ended"), timeJson(m_ended)},
        {QStringLiteral("lines"), m_lines},
        {QStringLiteral("symbols"), m_symbols},
        {QStringLiteral("pictures"), m_pictures},
        {QStringLiteral("cut"), m_cut == Cut::None ? QJsonValue() : QJsonValue(cuts[int(m_cut)])},
        {QStringLiteral("drawerKicks"), m_drawerKicks},
        {QStringLiteral("buzzer"), m_buzzer},
        {QStringLiteral("skipped"), m_skipped},
        {QStringLiteral("entriesDropped"), m_dropped},
    };
}

QJsonObject ReceiptRecord::rollJson(const std::vector<ReceiptRecord> &receipts)
{
    QJsonArray all;
    for (const ReceiptRecord &receipt : receipts)
        all.append(receipt.toJson());
    return {{QStringLiteral("format"), QStringLiteral("tessivar-roll")},
            {QStringLiteral("version"), formatVersion},
            {QStringLiteral("receipts"), all}};
}

} // namespace Virtual
