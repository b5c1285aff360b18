// SPDX-License-Identifier: MIT
#include "virtual/tracewriter.h"

#include "virtual/parameters.h"
#include "virtual/symbols.h"

#include <QIODevice>
#include <QStringList>

namespace Virtual {

using namespace Wire;

namespace {

constexpr int bytesColumn = 30;
constexpr int mnemonicColumn = 16;

QString byteName(std::uint8_t byte)
{
    static constexpr const char *controls[] = {
        "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
        "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
        "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (byte < 0x20)
        return QString::fromLatin1(controls[byte]);
    if (byte > 0x20 && byte < 0x7F)
        return QString(QChar::fromLatin1(char(byte)));
    return QStringLiteral("0x%1").arg(unsigned(byte), 2, 16, QLatin1Char('0'));
}

// "ESC a" and the parameter bytes in decimal.
QString commandName(const Event &event, int nameBytes, int parameters)
{
    QStringList parts;
    for (int i = 0; i < nameBytes && i < event.byteCount; ++i)
        parts << byteName(event.bytes[std::size_t(i)]);
    for (int i = nameBytes; i < nameBytes + parameters && i < event.byteCount; ++i)
        parts << QString::number(event.bytes[std::size_t(i)]);
    return parts.join(QLatin1Char(' '));
}

QString fromStd(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString sizeMeaning(int mode)
{
    const std::optional<Parameters::Scale> scale = Parameters::pictureScale(mode);
    if (!scale)
        return QStringLiteral(", unknown size mode %1").arg(mode);
    if (scale->x == 1 && scale->y == 1)
        return {};
    if (scale->x == 2 && scale->y == 2)
        return QStringLiteral(", quadruple size");
    return scale->x == 2 ? QStringLiteral(", double width") : QStringLiteral(", double height");
}

QString quoted(QByteArrayView data)
{
    QString text;
    for (const char c : data) {
        const auto byte = std::uint8_t(c);
        if (byte >= 0x20 && byte < 0x7F)
            text.append(QChar::fromLatin1(c));
        else
            text.append(QStringLiteral("\\x%1").arg(unsigned(byte), 2, 16, QLatin1Char('0')));
    }
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::SingleByte:
        return QStringLiteral("Windows-1252");
    case Encoding::Utf16:
        return QStringLiteral("UTF-16");
    case Encoding::Gb2312:
        return QStringLiteral("GB2312");
    case Encoding::JisX0208:
        return QStringLiteral("JIS X 0208");
    case Encoding::ShiftJis:
        return QStringLiteral("Shift_JIS");
    }
    return {};
}

QByteArray formatLine(std::uint64_t offset, const QString &text)
{
    return QStringLiteral("%1  %2\n").arg(offset, 6, 16, QLatin1Char('0')).arg(text).toUtf8();
}

} // namespace

void TraceWriter::line(std::uint64_t offset, const std::uint8_t *bytes, int shown,
                       std::uint64_t more, const QString &mnemonic, const QString &meaning,
                       const QString &remark)
{
    QString hex;
    for (int i = 0; i < shown; ++i) {
        if (i > 0)
            hex.append(QLatin1Char(' '));
        hex.append(QStringLiteral("%1").arg(unsigned(bytes[i]), 2, 16, QLatin1Char('0')));
    }
    if (more > 0)
        hex.append(QStringLiteral(" +%1").arg(more));
    QString rest = meaning;
    if (!remark.isEmpty())
        rest.append(QStringLiteral("; ") + remark);
    if (m_heldCount > 0 && hex == m_heldBytes && mnemonic == m_heldMnemonic && rest == m_heldRest) {
        ++m_heldCount;
        return;
    }
    releaseHeld();
    m_heldOffset = offset;
    m_heldBytes = hex;
    m_heldMnemonic = mnemonic;
    m_heldRest = rest;
    m_heldCount = 1;
}

void TraceWriter::endRepeats()
{
    releaseHeld();
    endCycle();
}

void TraceWriter::releaseHeld()
{
    if (m_heldCount == 0)
        return;
    const QString mnemonic = m_heldCount == 1
                                 ? m_heldMnemonic
                                 : QStringLiteral("%1 x %2").arg(m_heldMnemonic).arg(m_heldCount);
    m_heldCount = 0;
    QString text = QStringLiteral("%1  %2  %3")
                       .arg(m_heldBytes, -bytesColumn)
                       .arg(mnemonic, -mnemonicColumn)
                       .arg(m_heldRest);
    // Trailing blanks of an empty meaning are not worth keeping.
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    output(m_heldOffset, text);
}

void TraceWriter::output(std::uint64_t offset, const QString &text)
{
    const auto recent = [this](int back) -> const QString & {
        return m_recent[m_recent.size() - std::size_t(back)];
    };
    if (m_cycle > 0) {
        if (text == recent(m_cycle)) {
            if (m_folded % std::uint64_t(m_cycle) == 0)
                m_cycleOffsets.clear();
            m_cycleOffsets.push_back(offset);
            ++m_folded;
            remember(text);
            return;
        }
        endCycle();
    }
    // A cycle is folded from its third round on, once two are written in full.
    for (int cycle = 2; cycle <= maxCycle; ++cycle) {
        if (m_recent.size() < std::size_t(2 * cycle) || text != recent(cycle))
            continue;
        bool twice = true;
        for (int i = 1; i <= cycle && twice; ++i)
            twice = recent(i) == recent(i + cycle);
        if (!twice)
            continue;
        m_cycle = cycle;
        m_folded = 1;
        m_foldedOffset = offset;
        m_cycleOffsets = {offset};
        remember(text);
        return;
    }
    writeLine(offset, text);
    remember(text);
}

void TraceWriter::endCycle()
{
    if (m_cycle == 0)
        return;
    const std::uint64_t rounds = m_folded / std::uint64_t(m_cycle);
    const auto unfinished = int(m_folded % std::uint64_t(m_cycle));
    if (rounds > 0)
        writeLine(m_foldedOffset, QStringLiteral("%1  %2  the %3 lines above again x %4")
                                      .arg(QString(), -bytesColumn)
                                      .arg(QStringLiteral("--"), -mnemonicColumn)
                                      .arg(m_cycle)
                                      .arg(rounds));
    // The lines of a round cut short, as they came.
    for (int i = 0; i < unfinished; ++i)
        writeLine(m_cycleOffsets[std::size_t(i)],
                  m_recent[m_recent.size() - std::size_t(unfinished - i)]);
    m_cycle = 0;
    m_folded = 0;
}

void TraceWriter::remember(const QString &text)
{
    m_recent.push_back(text);
    if (m_recent.size() > std::size_t(2 * maxCycle))
        m_recent.pop_front();
}

void TraceWriter::writeLine(std::uint64_t offset, const QString &text)
{
    if (!m_device)
        return;
    m_lastOffset = offset;
    // Once at the ceiling, the trace goes on only when there is room for a good many lines
    // again, not with a report of what it left out every few lines.
    if (m_leftOutLines > 0 && room() >= ceilingAllowance / 4)
        reportLeftOut(offset);
    const QByteArray line = formatLine(offset, text);
    if (m_leftOutLines > 0 || room() < std::uint64_t(line.size()))
        ++m_leftOutLines;
    else
        put(line);
}

std::uint64_t TraceWriter::room() const
{
    const std::uint64_t ceiling = ceilingFactor * m_input + ceilingAllowance;
    return ceiling > m_written ? ceiling - m_written : 0;
}

void TraceWriter::put(const QByteArray &line)
{
    m_written += std::uint64_t(line.size());
    m_device->write(line);
}

void TraceWriter::reportLeftOut(std::uint64_t offset)
{
    const QString text = QStringLiteral("%1  %2  %3 lines of the trace left out: it is kept "
                                        "within %4 times the bytes it describes")
                             .arg(QString(), -bytesColumn)
                             .arg(QStringLiteral("--"), -mnemonicColumn)
                             .arg(m_leftOutLines)
                             .arg(ceilingFactor);
    put(formatLine(offset, text));
    m_leftOutLines = 0;
}

void TraceWriter::flush()
{
    endText();
    endRepeats();
}

void TraceWriter::finish()
{
    flush();
    if (m_device && m_leftOutLines > 0)
        reportLeftOut(m_lastOffset);
}

void TraceWriter::endText()
{
    if (!m_inText)
        return;
    m_inText = false;
    QString meaning = QLatin1Char('"') + m_text;
    if (m_textCharacters > maxTextShown)
        meaning.append(QStringLiteral("..."));
    meaning.append(QLatin1Char('"'));
    QStringList encodings;
    for (const Encoding encoding :
         {Encoding::Utf16, Encoding::Gb2312, Encoding::JisX0208, Encoding::ShiftJis}) {
        if (m_encodings & (1U << unsigned(encoding)))
            encodings << encodingName(encoding);
    }
    if (!encodings.isEmpty())
        meaning.append(QStringLiteral(" (") + encodings.join(QStringLiteral(", ")) +
                       QLatin1Char(')'));
    line(m_textOffset, m_textBytes.data(), m_textShown, m_textLength - std::uint64_t(m_textShown),
         QStringLiteral("text"), meaning, m_textRemark);
    m_text.clear();
    m_textRemark.clear();
}

void TraceWriter::note(std::uint64_t offset, const QString &text)
{
    flush();
    line(offset, nullptr, 0, 0, QStringLiteral("--"), text, {});
}

void TraceWriter::write(const Event &event, const QString &remark)
{
    m_input += event.op == Op::BlockData ? event.data.size() : event.length;
    if (event.op == Op::Character) {
        if (!m_inText) {
            m_inText = true;
            m_textOffset = event.offset;
            m_textShown = 0;
            m_textLength = 0;
            m_textCharacters = 0;
            m_encodings = 0;
        }
        for (int i = 0; i < event.byteCount && m_textShown < int(m_textBytes.size()); ++i)
            m_textBytes[std::size_t(m_textShown++)] = event.bytes[std::size_t(i)];
        m_textLength += event.length;
        if (m_textCharacters++ < maxTextShown)
            m_text.append(QChar(event.character));
        m_encodings |= 1U << unsigned(event.encoding);
        if (!remark.isEmpty() && m_textRemark.isEmpty())
            m_textRemark = remark;
        return;
    }
    endText();

    if (event.op == Op::BlockData)
        return;
    if (event.op == Op::BlockEnd) {
        if (!event.complete)
            line(event.offset, nullptr, 0, 0, QStringLiteral("--"),
                 QStringLiteral("the stream ends inside the data: %1 of %2 bytes")
                     .arg(event.position)
                     .arg(m_blockLength),
                 remark);
        else if (!remark.isEmpty())
            line(event.offset, nullptr, 0, 0, QStringLiteral("--"),
                 QStringLiteral("end of the data"), remark);
        return;
    }

    QString mnemonic;
    QString meaning;
    describe(event, mnemonic, meaning);
    m_blockLength = event.blockLength;
    line(event.offset, event.bytes.data(), event.byteCount,
         event.length - std::uint64_t(event.byteCount) + event.blockLength, mnemonic, meaning,
         remark);
}

// The line of a command comes from its row; only what a row cannot say (the stops of ESC D, a
// barcode's data, a picture's size in dots) is written here.
void TraceWriter::describe(const Event &event, QString &mnemonic, QString &meaning) const
{
    const QByteArrayView data(reinterpret_cast<const char *>(event.data.data()),
                              qsizetype(event.data.size()));
    const auto value = [&event](int i) { return event.values.values[std::size_t(i)]; };
    if (event.command) {
        mnemonic = fromStd(Protocol::mnemonicWithValues(*event.command, event.values));
        meaning = fromStd(Protocol::describe(*event.command, event.values, event.blockLength));
    }
    switch (event.op) {
    case Op::TabStops: {
        QStringList stops;
        for (const std::uint8_t stop : event.data)
            stops << QString::number(stop);
        meaning = stops.isEmpty()
                      ? QStringLiteral("clear the tab stops")
                      : QStringLiteral("tab stops at columns ") + stops.join(QStringLiteral(", "));
        break;
    }
    case Op::Barcode: {
        const int m = value(0);
        mnemonic = commandName(event, 2, m < Protocol::barcodeFunctionASystems ? 1 : 2);
        if (const std::optional<BarcodeSystem> system = Protocol::barcodeSystem(m))
            meaning = barcodeName(*system) + QLatin1Char(' ') + quoted(data);
        break;
    }
    case Op::Raster:
        meaning = QStringLiteral("raster picture %1 x %2 dots%3")
                      .arg(qint64(value(1)) * 8)
                      .arg(value(2))
                      .arg(sizeMeaning(value(0)));
        break;
    case Op::StoreBitmap:
        meaning = QStringLiteral("store bitmap %1: %2 x %3 dots")
                      .arg(value(0))
                      .arg(qint64(value(2)) * 8)
                      .arg(value(3));
        break;
    case Op::Unknown: {
        QStringList names;
        for (int i = 0; i < event.byteCount; ++i)
            names << byteName(event.bytes[std::size_t(i)]);
        mnemonic = names.join(QLatin1Char(' '));
        meaning = QStringLiteral("no command or character; skipped");
        break;
    }
    case Op::Truncated:
        mnemonic = commandName(event, std::min(event.byteCount, 2), 0);
        meaning = QStringLiteral("the stream ends inside this command");
        break;
    default:
        // A stray control byte has no row of its own.
        if (event.command == &Protocol::strayControl)
            mnemonic += QLatin1Char(' ') + byteName(event.bytes[0]);
        break;
    }
}

} // namespace Virtual
