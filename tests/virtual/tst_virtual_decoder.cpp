#include "paperreader.h"

#include "virtual/streamdecoder.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace Virtual;

// The decoder: what it makes of every command and every encoding of the language, of bytes that
// make nothing, and of the same stream cut anywhere; the trace it feeds.
class TestVirtualDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void events_data();
    void events();
    void traceLines_data();
    void traceLines();
    void randomAndTruncatedStreams();
    void documentedCommands();
};

namespace {

QString opName(Op op)
{
    static const char *names[] = {
        "Char",      "LF",        "CR",       "HT",      "Init",        "Mode",     "Font",
        "Darkness",  "DbOn",      "DbOff",    "Align",   "Spacing",     "Spacing2", "Tabs",
        "FeedDots",  "FeedLines", "Left",     "Right",   "Position",    "Clear",    "Status",
        "Firmware",  "Sleep",     "Uart",     "Head",    "AutoStatus",  "FullCut",  "PartialCut",
        "BarHeight", "BarWidth",  "BarText",  "Barcode", "QrSize",      "QrLevel",  "QrStore",
        "QrPrint",   "QrOther",   "Raster",   "Store",   "PrintStored", "Data",     "End",
        "Ignored",   "Unknown",   "Truncated", "Skipped",   "Bold",      "Strike",   "Underline",
        "Reverse",   "Size",      "RightSpace", "DbUnderline", "DbMode", "UpsideDown", "Rotate",
        "CodePage",  "Intl",      "DbCode",   "Relative", "LeftDots",    "AreaWidth", "BarFont",
        "Column",    "Graphics",  "Cut",      "Italic"};
    return QString::fromLatin1(names[int(op)]);
}

// One line per event; the pieces of a data block are summed up, since how a block is divided
// depends on how the stream was cut.
class Recorder : public EventSink
{
public:
    QStringList lines;

    void handle(const Event &e) override
    {
        QString line = opName(e.op);
        switch (e.op) {
        case Op::Character:
            line += QLatin1Char(' ') + QChar(e.character);
            if (e.encoding != Encoding::SingleByte)
                line += QStringLiteral(" /") + QString::number(int(e.encoding));
            break;
        case Op::Unknown:
        case Op::Truncated:
            line += QLatin1Char(' ') +
                    QString::fromLatin1(
                        QByteArray(reinterpret_cast<const char *>(e.bytes.data()), e.byteCount)
                            .toHex());
            break;
        case Op::TabStops:
        case Op::Barcode:
            line += QStringLiteral(" %1 ").arg(e.a) +
                    QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(e.data.data()),
                                                   qsizetype(e.data.size()))
                                            .toHex());
            break;
        case Op::BlockData:
            if (!lines.isEmpty() && lines.last().startsWith(QLatin1String("Data "))) {
                lines.last() = QStringLiteral("Data %1").arg(lines.last().mid(5).toULongLong() +
                                                             e.data.size());
                return;
            }
            line += QStringLiteral(" %1").arg(e.data.size());
            break;
        case Op::BlockEnd:
            line += e.complete ? QStringLiteral(" whole") : QStringLiteral(" cut");
            break;
        default:
            line += QStringLiteral(" %1 %2 %3 %4").arg(e.a).arg(e.b).arg(e.c).arg(e.d);
            while (line.endsWith(QLatin1String(" 0")))
                line.chop(2);
            break;
        }
        lines << line;
    }
};

QStringList decode(const QList<QByteArray> &pieces)
{
    Recorder recorder;
    StreamDecoder decoder(&recorder);
    for (const QByteArray &piece : pieces)
        decoder.feed(piece);
    decoder.finish();
    return recorder.lines;
}

} // namespace

void TestVirtualDecoder::events_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char *name, const char *hex, const QStringList &events) {
        QTest::newRow(name) << QByteArray::fromHex(hex) << events;
    };
    // Text in its three encodings.
    row("Windows-1252", "41 80 a3 e9", {"Char A", "Char €", "Char £", "Char é"});
    row("undefined 1252 byte and DEL", "81 7f 41", {"Unknown 81", "Unknown 7f", "Char A"});
    row("UTF-16 high byte first", "01 2b 03 91 06 1b",
        {"Char ī /1", "Char Α /1", QStringLiteral("Char ؛ /1")});
    row("UTF-16 low byte that looks like LF", "01 0a", {"Char Ċ /1"});
    row("GB2312", "1c26 b7c9 a3ac 1c2e", {"DbOn", "Char 飞 /2", "Char ， /2", "DbOff"});
    row("JIS X 0208", "1c26 2422 4267 1c2e", {"DbOn", "Char あ /3", "Char 大 /3", "DbOff"});
    row("double-byte mode keeps single bytes outside the pairs", "1c26 20 80 0a",
        {"DbOn", "Char  ", "Char €", "LF"});
    row("lead byte without partner", "1c26 b7 0a 24 7f",
        {"DbOn", "Unknown b7", "LF", "Unknown 24", "Unknown 7f"});
    row("GB2312 pair of an empty row", "1c26 aaa1", {"DbOn", "Unknown aaa1"});
    row("ESC @ ends double-byte mode", "1c26 1b40 b7c9", {"DbOn", "Init", "Char ·", "Char É"});
    // Every command of the language.
    row("controls", "0a 0d 09 00", {"LF", "CR", "HT", "Ignored"});
    row("one-byte parameters",
        "1b2190 1b4d01 1b6d08 1b6102 1b3342 1b4a14 1b6405 1b6c08 1b5126 1b5a05",
        {"Mode 144", "Font 1", "Darkness 8", "Align 2", "Spacing 66", "FeedDots 20", "FeedLines 5",
         "Left 8", "Right 38", "Head 5"});
    row("two-byte position", "1b243201", {"Position 306"});
    row("no parameters", "1b40 1b32 1b69 1b6e 1014 1004 1005 1016",
        {"Init", "Spacing2", "FullCut", "PartialCut", "Clear", "Status", "Firmware", "Sleep"});
    row("GS with one parameter", "1d6840 1d7703 1d4800 1d61ff",
        {"BarHeight 64", "BarWidth 3", "BarText", "AutoStatus 255"});
    row("UART mode", "1d280401", {"Uart 4 1"});
    row("tab stops", "1b44 08 18 26 00", {"Tabs 0 081826"});
    row("no tab stops", "1b4400", {"Tabs 0 "});
    row("a stop that does not rise ends the list", "1b44 30 20 00",
        {"Tabs 0 30", "Char  ", "Ignored"});
    row("at most 32 tab stops",
        "1b44 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20 21 00",
        {"Tabs 0 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20", "Char !",
         "Ignored"});
    row("barcode", "1d6b410331321b", {"Barcode 65 31321b"});
    row("empty barcode", "1d6b4900", {"Barcode 73 "});
    row("barcode system out of range", "1d6b3031", {"Unknown 1d6b30", "Char 1"});
    row("stored bitmap", "1d71 01 00 0200 0100 ff1b 1c700100",
        {"Store 1 0 2 1", "Data 2", "End whole", "PrintStored 1"});
    row("QR functions", "1d286b0300314304 1d286b0300314531 1d286b0500315030 1b40 1d286b0300315130",
        {"QrSize 4", "QrLevel 49", "QrStore", "Data 2", "End whole", "QrPrint 48"});
    row("other QR function", "1d286b0300314132", {"QrOther 49 65", "End whole"});
    row("QR function without parameters", "1d286b0000 41",
        {"QrOther -1 -1", "End whole", "Char A"});
    // Pictures: the data are data, whatever bytes they hold.
    row("raster picture", "1d763000 0200 0300 1b400a1d6b41",
        {"Raster 0 2 3", "Data 6", "End whole"});
    row("empty raster picture", "1d763000 0000 0500 41", {"Raster 0 0 5", "End whole", "Char A"});
    row("raster of 65535 x 65535 dots, cut short", "1d763000 ffff ffff 1b400a41",
        {"Raster 0 65535 65535", "Data 4", "End cut"});
    // Common printers' commands are framed whole: no parameter reads as text or as a command.
    row("bold then underline", "1b4501 1b2d01", {"Bold 1", "Underline 1"});
    row("print area width then alignment", "1d570002 1b6101", {"AreaWidth 512", "Align 1"});
    row("drawer kick skipped whole", "1b7000197a 41", {"Skipped 0 25 122", "Char A"});
    row("graphics store is no UART setting", "1d284c 0b00 3070 3001 0131 0800 0100 ff 41",
        {"Graphics 48 112", "Data 1", "End whole", "Char A"});
    row("graphics with a 32-bit length", "1d384c 0b000000 3070 3001 0131 0800 0100 1b",
        {"Graphics 48 112", "Data 1", "End whole"});
    row("column picture", "1b2a21 0200 1b1d1c 0a0d09 41",
        {"Column 33 2", "Data 6", "End whole", "Char A"});
    row("barcode function A up to NUL", "1d6b04 41424300 41", {"Barcode 4 414243", "Char A"});
    row("cuts with and without feed", "1d564103 1d5631", {"Cut 65 3", "Cut 49"});
    row("code page until ESC @", "1b7400 b3 1b40 b3", {"CodePage", "Char │", "Init", "Char ³"});
    row("Shift_JIS", "1c4301 1c26 8260 1c2e", {"DbCode 1", "DbOn", "Char Ａ /4", "DbOff"});
    row("real-time parameters of common printers",
        "1004 01 1b4501 1005 02 1014 010005 1014 08 01031401060208 41",
        {"Status", "Skipped", "Bold 1", "Firmware", "Skipped", "Clear", "Skipped", "Clear",
         "Skipped", "Char A"});
    row("no parameters after the controller's own", "1004 1b4501 1014 0391",
        {"Status", "Bold 1", "Clear", "Char Α /1"});
    row("extended command of another family", "1d2841 0200 0002 41", {"Skipped 0 2", "Char A"});
    // Bytes that make no command.
    row("unknown ESC command", "1b7a41", {"Unknown 1b7a", "Char A"});
    row("ESC before a control byte", "1b0a 1b1b40", {"Unknown 1b", "LF", "Unknown 1b", "Init"});
    row("unknown GS, FS and DLE commands", "1d59 1c41 1041",
        {"Unknown 1d59", "Unknown 1c41", "Unknown 1041"});
    row("GS v without 0", "1d7631", {"Unknown 1d7631"});
    row("stream ends inside a command", "1b61", {"Truncated 1b61"});
    row("stream ends inside a barcode", "1d6b4105 3132", {"Truncated 1d6b41053132"});
}

void TestVirtualDecoder::events()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);

    QCOMPARE(decode({stream}), expected);
    // The same in two pieces, cut anywhere, and byte by byte.
    for (qsizetype at = 1; at < stream.size(); ++at)
        QCOMPARE(decode({stream.left(at), stream.mid(at)}), expected);
    QList<QByteArray> bytes;
    for (const char c : stream)
        bytes << QByteArray(1, c);
    QCOMPARE(decode(bytes), expected);
}

namespace {

// A trace line: offset, bytes, mnemonic and meaning in their columns.
QString traceLine(const char *offset, const char *bytes, const char *mnemonic,
                  const QString &meaning)
{
    return QStringLiteral("%1  %2  %3  %4")
        .arg(QLatin1String(offset))
        .arg(QLatin1String(bytes), -30)
        .arg(QLatin1String(mnemonic), -16)
        .arg(meaning)
        .trimmed();
}

} // namespace

void TestVirtualDecoder::traceLines_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("commands") << QByteArray::fromHex("1b4000 1b6101")
                              << QStringList{
                                     traceLine("000000", "1b 40", "ESC @", "initialise"),
                                     traceLine("000002", "00", "NUL", "ignored"),
                                     traceLine("000003", "1b 61 01", "ESC a 1", "align centre")};
    QTest::newRow("text run, its bytes abbreviated")
        << QByteArray("Customer Receipt\n")
        << QStringList{
               traceLine("000000", "43 75 73 74 6f 6d 65 72 +8", "text", "\"Customer Receipt\""),
               traceLine("000010", "0a", "LF", "print and feed one line")};
    QTest::newRow("encodings named")
        << QByteArray::fromHex("41 0391 1c26 b7c9")
        << QStringList{
               traceLine("000000", "41 03 91", "text", "\"AΑ\" (UTF-16)"),
               traceLine("000003", "1c 26", "FS &", "double-byte mode on"),
               traceLine("000005", "b7 c9", "text", "\"飞\" (GB2312)"),
               traceLine("000007", "", "--", "3 characters wait for a line end; not printed")};
    QTest::newRow("data block abbreviated, cut short")
        << QByteArray::fromHex("1d763000 3000 5e00 ffff")
        << QStringList{
               traceLine("000000", "1d 76 30 00 30 00 5e 00 +4512", "GS v 0 0 48 94",
                         "raster picture 384 x 94 dots"),
               traceLine("00000a", "", "--", "the stream ends inside the data: 2 of 4512 bytes")};
    QTest::newRow("remarks of the renderer")
        << QByteArray::fromHex("1d6b4102 3132 1b6d09")
        << QStringList{traceLine("000000", "1d 6b 41 02 31 32", "GS k 65 2",
                                 "UPC-A \"12\"; not printed: UPC-A takes 11 or 12 digits"),
                       traceLine("000006", "1b 6d 09", "ESC m 9",
                                 "darkness 9; darkness goes from 0 to 8 (ignored)")};
    QTest::newRow("unknown bytes, unprinted text")
        << QByteArray::fromHex("1b7a 41")
        << QStringList{
               traceLine("000000", "1b 7a", "ESC z", "no command or character; skipped"),
               traceLine("000002", "41", "text", "\"A\""),
               traceLine("000003", "", "--", "1 character waits for a line end; not printed")};
}

void TestVirtualDecoder::traceLines()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);

    const QString trace = QString::fromUtf8(PaperReader::render(stream).trace);
    QCOMPARE(trace.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
}

void TestVirtualDecoder::randomAndTruncatedStreams()
{
    // Random bytes, and random bytes salted with command prefixes, of many lengths; then a
    // stream of every command cut at every length. None may fault, and the paper stays on the
    // roll.
    QRandomGenerator random(20240614);
    const QByteArray prefixes = QByteArray::fromHex("1b1d1c100a0d09");
    QList<QByteArray> streams;
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes(random.bounded(1, 3000), Qt::Uninitialized);
        for (char &c : bytes) {
            c = char(random.bounded(256));
            if (i % 2 && random.bounded(4) == 0)
                c = prefixes[random.bounded(prefixes.size())];
        }
        streams << bytes;
    }
    const QByteArray all = QByteArray::fromHex(
        "1b40 1b2190 41 1b4d01 1b6d08 1b6102 1b3342 1b4a14 1b6405 1b6c08 1b5126 1b243201 "
        "1b44081826 00 09 1c26 b7c9 1c2e 0391 1b5a01 1d280401 1d6840 1d7702 1d4803 "
        "1d6b410b3031323334353637383930 1d286b0300314304 1d286b0300314531 "
        "1d286b0500315030 4142 1d286b0300315130 1d763003 0100 0200 ff81 1d71 01 01 0100 0100 ff "
        "1c700100 1014 1004 1005 1016 1b69 1b6e 0a");
    for (qsizetype length = 0; length <= all.size(); ++length)
        streams << all.left(length);

    for (const QByteArray &stream : std::as_const(streams)) {
        for (int head : {0, 1}) {
            const PaperReader::Rendered rendered = PaperReader::render(stream, head, 20000);
            QVERIFY(!rendered.paper.isNull());
            QCOMPARE(rendered.paper.width() >= Renderer::paperWidth(head), true);
            QVERIFY(rendered.paper.height() <= 20000);
        }
    }
}

void TestVirtualDecoder::documentedCommands()
{
    // docs/virtual-controller.md lists every command of src/protocol once, with whether it is
    // carried out or skipped and its meaning.
    QFile doc(QStringLiteral(VIRTUAL_CONTROLLER_DOC));
    QVERIFY(doc.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(doc.readAll());
    const qsizetype begin = text.indexOf(QLatin1String("<!-- commands -->"));
    const qsizetype end = text.indexOf(QLatin1String("<!-- /commands -->"));
    QVERIFY(begin >= 0 && end > begin);
    QStringList documented;
    for (const QString &row : text.mid(begin, end - begin).split(QLatin1Char('\n'))) {
        const QStringList cells = row.split(QLatin1Char('|'));
        if (cells.size() == 6 && cells[1].trimmed().startsWith(QLatin1Char('`')))
            documented << cells[1].trimmed().remove(QLatin1Char('`')) + QLatin1Char('|') +
                              cells[3].trimmed() + QLatin1Char('|') + cells[4].trimmed();
    }
    QStringList table;
    for (const Protocol::Command &command : Protocol::commands())
        table << QString::fromLatin1(command.mnemonic.data(), qsizetype(command.mnemonic.size())) +
                     (command.op == Op::Skipped ? QStringLiteral("|skipped|")
                                                : QStringLiteral("|carried out|")) +
                     QString::fromLatin1(command.meaning.data(), qsizetype(command.meaning.size()));
    QCOMPARE(documented, table);
}

QTEST_GUILESS_MAIN(TestVirtualDecoder)
#include "tst_virtual_decoder.moc"
