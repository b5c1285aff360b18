// SPDX-License-Identifier: MIT
#include "datafile.h"
#include "paperreader.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "protocol/commands.h"
#include "virtual/bitmapfont.h"
#include "virtual/greyimageqt.h"
#include "virtual/paperpng.h"
#include "virtual/receiptpdf.h"
#include "virtual/symbols.h"
#include "virtual/tracewriter.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <utility>

using namespace PaperReader;

// The virtual controller without a line: what it decodes and traces of streams however they are
// cut, where the ink lands on its paper, what a scanner reads off it, the paper of every job the
// tool sends and of third-party encoders' streams, and the glyph cells of its fonts. Long expected
// output is in reviewed files under data/, glyphs/ and peers/ (scripts/test-data writes them).
class TestVirtualPaper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decoderTraces();
    void randomAndTruncatedStreams();
    void costs();
    void traceCeiling();
    void ink_data();
    void ink();
    void pictures_data();
    void pictures();
    void symbols_data();
    void symbols();
    void matrixSymbols_data();
    void userCharacters_data();
    void userCharacters();
    void matrixSymbols();
    void rollLimitsAndReset();
    void jobs();
    void peers_data();
    void peers();
    void pages_data();
    void pages();
    void glyphs_data();
    void glyphs();
    void glyphCellFile_data();
    void glyphCellFile();
    void pngKeepsEveryDot_data();
    void pngKeepsEveryDot();
    void pdfAtTheHeadsWidth_data();
    void pdfAtTheHeadsWidth();
    void documentedCommands();
};

namespace {

const QString dataDir = QStringLiteral(TESSIVAR_TEST_DATA "/");

void checkData(const QString &name, const QByteArray &actual)
{
    QString why;
    QVERIFY2(DataFile::matches(dataDir + name, actual, &why), qPrintable(why));
}

// A table under data/: a row a line, its name and fields separated by tabs; # starts a comment.
QList<QList<QByteArray>> table(const QString &name)
{
    QFile file(dataDir + name);
    QList<QList<QByteArray>> rows;
    for (const QByteArray &line :
         file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>()) {
        if (!line.isEmpty() && !line.startsWith('#'))
            rows << line.split('\t');
    }
    return rows;
}

// The same paper and trace whether the stream comes whole, in two pieces cut anywhere, or byte by
// byte, as a line brings it.
bool cutAnywhere(const QByteArray &stream, const Rendered &whole, QString *where, int head = 0)
{
    QList<qsizetype> bytewise;
    for (qsizetype at = 1; at < stream.size(); ++at) {
        bytewise << at;
        const Rendered split = render(stream, head, Virtual::Paper::defaultMaxLength, {at});
        if (split.paper != whole.paper || split.trace != whole.trace) {
            *where = QStringLiteral("cut at %1").arg(at);
            return false;
        }
    }
    const Rendered bytes = render(stream, head, Virtual::Paper::defaultMaxLength, bytewise);
    *where = QStringLiteral("byte by byte");
    return bytes.paper == whole.paper && bytes.trace == whole.trace;
}

// A stream written as text, as the pages/ fixtures are: control bytes by name (ESC, GS, LF, FF,
// CAN, ...), 'c' a character's byte, "text" its bytes (\n, \", \\ and \xHH as in C), a number
// (0x.. in hex) one byte, w:n a word, low byte first (n may be negative); # begins a comment.
// Nothing for a token it does not know.
std::optional<QByteArray> streamFromText(const QString &text)
{
    static const QHash<QString, char> controls{
        {QStringLiteral("NUL"), 0x00}, {QStringLiteral("HT"), 0x09},  {QStringLiteral("LF"), 0x0A},
        {QStringLiteral("FF"), 0x0C},  {QStringLiteral("CR"), 0x0D},  {QStringLiteral("DLE"), 0x10},
        {QStringLiteral("CAN"), 0x18}, {QStringLiteral("ESC"), 0x1B}, {QStringLiteral("FS"), 0x1C},
        {QStringLiteral("GS"), 0x1D}};
    static const QRegularExpression tokens(QStringLiteral(R"("(?:[^"\\]|\\.)*"|'.'|#[^\n]*|\S+)"));
    QByteArray stream;
    for (auto it = tokens.globalMatch(text); it.hasNext();) {
        const QString token = it.next().captured();
        bool ok = true;
        if (token.startsWith(u'"')) {
            const QString quoted = token.mid(1, token.size() - 2);
            for (qsizetype i = 0; i < quoted.size(); ++i) {
                const QChar c = quoted[i];
                if (c != u'\\' || i + 1 == quoted.size())
                    stream += char(c.unicode());
                else if (const QChar e = quoted[++i]; e == u'n')
                    stream += '\n';
                else if (e == u'x')
                    stream += char(quoted.mid(std::exchange(i, i + 2) + 1, 2).toInt(&ok, 16));
                else
                    stream += char(e.unicode());
            }
        } else if (token.size() == 3 && token.startsWith(u'\'')) {
            stream += char(token[1].unicode());
        } else if (controls.contains(token)) {
            stream += controls.value(token);
        } else if (token.startsWith(QStringLiteral("w:"))) {
            const int n = token.mid(2).toInt(&ok);
            stream += char(n & 0xFF);
            stream += char((n >> 8) & 0xFF);
        } else if (!token.startsWith(u'#')) {
            const int n = token.toInt(&ok, 0);
            ok = ok && n >= 0 && n <= 255;
            stream += char(n);
        }
        if (!ok)
            return std::nullopt;
    }
    return stream;
}

// Whether an entry of the receipt's record is as expected: its text (runs of blanks made one) for
// a string, each member for an object.
bool entryMatches(const QJsonValue &expected, const QJsonObject &entry)
{
    const auto text = [](const QJsonValue &value) { return value.toString().simplified(); };
    if (expected.isString())
        return text(entry.value(QStringLiteral("text"))) == text(expected);
    const QJsonObject members = expected.toObject();
    for (auto it = members.begin(); it != members.end(); ++it) {
        const QJsonValue have = entry.value(it.key());
        if (it.key() == QStringLiteral("text") ? text(have) != text(*it) : have != *it)
            return false;
    }
    return true;
}

// The record's entries of a kind (lines with text, symbols, pictures) against the expected ones,
// in order.
void compareEntries(const QJsonArray &expected, const QList<QJsonObject> &entries)
{
    QCOMPARE(entries.size(), expected.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        QVERIFY2(entryMatches(expected[i], entries[i]),
                 QJsonDocument(entries[i]).toJson(QJsonDocument::Compact).constData());
}

// The symbols' data in the record (`contents`) are those expected; zbar reads each barcode and
// QR code off the paper, zxing-cpp each other 2D symbol; pictures have the size sent.
void checkSymbols(const QJsonObject &expected, const Rendered &rendered, QStringList contents)
{
    // Symbols sent as pictures are pictures to the controller; a scanner still reads them.
    QStringList readable, matrix, scanned, read;
    for (const QString &key : {QStringLiteral("barcodes"), QStringLiteral("qr")}) {
        for (const QJsonValue &data : expected.value(key).toArray())
            readable << data.toString();
    }
    for (const QJsonValue &data : expected.value(QStringLiteral("matrix")).toArray())
        matrix << data.toString();
    QStringList expectedContents = readable + matrix;
    for (const QJsonValue &data : expected.value(QStringLiteral("pictures")).toArray())
        expectedContents.removeOne(data.toString());
    contents.sort();
    expectedContents.sort();
    QCOMPARE(contents, expectedContents);
    for (const Symbol &symbol : scan(rendered.paper))
        scanned << QString::fromUtf8(symbol.data);
    for (const QString &data : std::as_const(readable))
        QVERIFY2(scanned.contains(data), qPrintable(data));
    for (const Symbol &symbol : scanMatrix(rendered.paper))
        read << QString::fromUtf8(symbol.data);
    for (const QString &data : std::as_const(matrix))
        QVERIFY2(read.contains(data), qPrintable(data));
    const QJsonArray ink = expected.value(QStringLiteral("ink")).toArray();
    if (!ink.isEmpty())
        QCOMPARE(inkBounds(rendered.paper).size(), QSize(ink.at(0).toInt(), ink.at(1).toInt()));
}

// What a stream must print (a .json beside it): no byte left unknown, every expected text line
// and nothing else, the symbols' data as the record has them, each barcode and QR code also read
// back off the paper by zbar and the other 2D symbols by zxing-cpp, where entries of the record
// are given their places, and pictures the size they were sent.
void checkPrinted(const QJsonObject &expected, const Rendered &rendered)
{
    for (const char *fault : {"no command or character", "the stream ends inside", "not printed",
                              "not a function", "not carried out"})
        QVERIFY2(!rendered.trace.contains(fault), rendered.trace.constData());
    QList<QJsonObject> lines, symbols, pictures;
    QStringList printed, contents, expectedLines;
    for (const QJsonValue &receipt :
         rendered.receipts.value(QStringLiteral("receipts")).toArray()) {
        for (const QJsonValue &line : receipt[QStringLiteral("lines")].toArray()) {
            if (const QString text = line[QStringLiteral("text")].toString().simplified();
                !text.isEmpty()) {
                printed << text;
                lines << line.toObject();
            }
        }
        for (const QJsonValue &symbol : receipt[QStringLiteral("symbols")].toArray()) {
            contents << symbol[QStringLiteral("content")].toString();
            symbols << symbol.toObject();
        }
        for (const QJsonValue &picture : receipt[QStringLiteral("pictures")].toArray())
            pictures << picture.toObject();
    }
    for (const QJsonValue &line : expected.value(QStringLiteral("lines")).toArray())
        expectedLines << (line.isString() ? line : line[QStringLiteral("text")]).toString();
    QCOMPARE(printed, expectedLines);
    compareEntries(expected.value(QStringLiteral("lines")).toArray(), lines);
    if (expected.contains(QStringLiteral("symbolEntries")))
        compareEntries(expected.value(QStringLiteral("symbolEntries")).toArray(), symbols);
    if (expected.contains(QStringLiteral("pictureEntries")))
        compareEntries(expected.value(QStringLiteral("pictureEntries")).toArray(), pictures);
    checkSymbols(expected, rendered, contents);
}

} // namespace

void TestVirtualPaper::decoderTraces()
{
    // data/decoder.streams holds the streams, data/decoder.trace their traces.
    QByteArray traces;
    const QList<QList<QByteArray>> rows = table(QStringLiteral("data/decoder.streams"));
    QVERIFY(rows.size() > 20);
    for (const QList<QByteArray> &row : rows) {
        const QByteArray name = row.value(0), stream = QByteArray::fromHex(row.value(1));
        const Rendered whole = render(stream);
        QString where;
        QVERIFY2(cutAnywhere(stream, whole, &where), qPrintable(name + ": " + where));
        traces += "== " + name + '\n' + whole.trace;
    }
    checkData(QStringLiteral("data/decoder.trace"), traces);
    // A job with text, pictures and a barcode, cut anywhere.
    const QByteArray receipt = Jobs::streamOf(
        [](CommandSet &commands) { Jobs::queueReceipt(commands, Jobs::plainReceipt); });
    QString where;
    QVERIFY2(cutAnywhere(receipt, render(receipt), &where), qPrintable(where));
}

void TestVirtualPaper::randomAndTruncatedStreams()
{
    // Random bytes, some salted with command prefixes, and the decoder's streams one after
    // another, cut at every length: none may fault, and the paper stays on its roll.
    QRandomGenerator random(20240614);
    const QByteArray prefixes = QByteArray::fromHex("1b1d1c100a0d09");
    QList<QByteArray> streams;
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes(random.bounded(1, 3000), Qt::Uninitialized);
        for (char &c : bytes)
            c = i % 2 && random.bounded(4) == 0 ? prefixes[random.bounded(prefixes.size())]
                                                : char(random.bounded(256));
        streams << bytes;
    }
    QByteArray all;
    for (const QList<QByteArray> &row : table(QStringLiteral("data/decoder.streams")))
        all += QByteArray::fromHex(row.value(1));
    for (qsizetype length = 0; length <= all.size(); ++length)
        streams << all.left(length);
    for (const QByteArray &stream : std::as_const(streams)) {
        for (int head : {0, 1}) {
            const QImage paper = render(stream, head, 20000).paper;
            QVERIFY(paper.width() >= Virtual::Renderer::paperWidth(head));
            QVERIFY(paper.height() <= 20000);
        }
    }
}

void TestVirtualPaper::costs()
{
    // Streams that cost far more than their bytes when a symbol is encoded again for every print,
    // when printing goes on after the roll has run out, when a page's canvas is turned onto it
    // whole at every change of direction, or when every repeated command makes a trace line of
    // its own. Each renders with its symbols encoded once and a trace within ten
    // times the stream; data/costs.trace holds the traces, each under "== <row>" (scripts/test-data
    // writes it). The suite's time limit catches a stream that still costs its old minutes.
    const auto qrStore = [](const QByteArray &data) {
        const int length = int(data.size()) + 3;
        return QByteArray("\x1d(k", 3) + char(length & 0xFF) + char(length >> 8) + "1P0" + data;
    };
    const QByteArray qrPrint = QByteArray::fromHex("1d286b0300315130");
    const QByteArray headSwitches = QByteArray::fromHex("1b5a011b5a00");
    const struct
    {
        const char *name;
        QByteArray stream;
        std::uint64_t encodes;
    } rows[] = {
        {"one stored QR code printed 20000 times",
         qrStore(QByteArray("0123456789").repeated(709).left(7089)) +
             QByteArray::fromHex("1d286b0300314302") + qrPrint.repeated(20000),
         1},
        {"QR data and level changed between prints",
         qrStore("first") + qrPrint.repeated(100) + qrStore("second") + qrPrint.repeated(100) +
             QByteArray::fromHex("1d286b0300314533") + qrPrint.repeated(100),
         3},
        {"one barcode printed 5000 times", QByteArray("\x1dkI\x06{B1234", 10).repeated(5000), 1},
        {"stored bitmap wider than the paper, printed past the roll",
         QByteArray::fromHex("1d7101000002 0001") + QByteArray(512 * 256, '\xff') +
             QByteArray::fromHex("1c700100").repeated(100000),
         0},
        {"1 MB of LF", QByteArray(1 << 20, '\n'), 0},
        {"head switches, then short lines, alternating",
         headSwitches.repeated(50000) + QByteArray("ab\n").repeated(1000) +
             headSwitches.repeated(2) + QByteArray::fromHex("1b5a010a"),
         0},
        {"head types and settings round a six-line cycle",
         QByteArray::fromHex("1b5a01 1b6101 1b5a00 1b6100 1b4501 1b4500").repeated(30000), 0},
        {"page mode: the print direction turned around each character",
         QByteArray::fromHex("1b4c") + QByteArray::fromHex("1b540141 1b540041").repeated(8000), 0},
        {"skipped bytes, tabs, ignored bytes",
         QByteArray(100000, '\x1b') + QByteArray(100000, '\t') + QByteArray(100000, '\0'), 0},
    };
    QByteArray traces;
    for (const auto &row : rows) {
        const std::uint64_t before = Virtual::symbolsEncoded();
        const QByteArray trace = render(row.stream).trace;
        QVERIFY2(Virtual::symbolsEncoded() - before == row.encodes, row.name);
        QVERIFY2(
            trace.size() <= 10 * row.stream.size(),
            qPrintable(QStringLiteral("%1: %2 bytes of trace").arg(row.name).arg(trace.size())));
        traces += "== " + QByteArray(row.name) + '\n' + trace;
    }
    checkData(QStringLiteral("data/costs.trace"), traces);
}

void TestVirtualPaper::traceCeiling()
{
    // Line spacings that never come round within a foldable cycle: every command is a line of
    // its own, some twenty times its three bytes. The trace stops at its ceiling and says how
    // many lines it left out: each command is in it or counted.
    constexpr int commands = 20000;
    QByteArray stream;
    for (int i = 0; i < commands; ++i)
        stream += QByteArray::fromHex("1b33") + char(i * 37 % 256);
    const QByteArray trace = render(stream).trace;
    const qsizetype lastLine = trace.lastIndexOf('\n', -2) + 1;
    QVERIFY2(quint64(lastLine) <= Virtual::TraceWriter::ceilingFactor * quint64(stream.size()) +
                                      Virtual::TraceWriter::ceilingAllowance,
             qPrintable(QString::number(trace.size())));
    qint64 shown = 0, leftOut = 0;
    const QRegularExpression leftOutLine(QStringLiteral("(\\d+) lines of the trace left out"));
    for (const QByteArray &line : trace.split('\n')) {
        shown += line.contains("ESC 3 ") ? 1 : 0;
        if (const QRegularExpressionMatch match = leftOutLine.match(QString::fromUtf8(line));
            match.hasMatch())
            leftOut += match.captured(1).toLongLong();
    }
    QVERIFY(shown > 0 && leftOut > 0 && trace.mid(lastLine).contains("of the trace left out"));
    QCOMPARE(shown + leftOut, commands);
}

void TestVirtualPaper::ink_data()
{
    // data/ink.rows: where the ink of a stream lands.
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QRect>("ink");
    const QList<QList<QByteArray>> rows = table(QStringLiteral("data/ink.rows"));
    QVERIFY(rows.size() > 30);
    for (const QList<QByteArray> &row : rows) {
        const QList<QByteArray> edges = row.value(2).split(' ');
        QTest::newRow(row.value(0).constData())
            << QByteArray::fromHex(row.value(1))
            << QRect(QPoint(edges.value(0).toInt(), edges.value(1).toInt()),
                     QPoint(edges.value(2).toInt(), edges.value(3).toInt()));
    }
}

void TestVirtualPaper::ink()
{
    QFETCH(QByteArray, stream);
    QFETCH(QRect, ink);
    QCOMPARE(inkBounds(render(stream).paper), ink);
}

void TestVirtualPaper::pictures_data()
{
    // data/pictures.rows: streams whose paper, from the top left corner to the ink's far
    // corner, is data/pictures/<row>.pgm (P2, grey levels).
    QTest::addColumn<QByteArray>("stream");
    const QList<QList<QByteArray>> rows = table(QStringLiteral("data/pictures.rows"));
    QVERIFY(rows.size() > 5);
    for (const QList<QByteArray> &row : rows)
        QTest::newRow(row.value(0).constData()) << QByteArray::fromHex(row.value(1));
}

void TestVirtualPaper::pictures()
{
    QFETCH(QByteArray, stream);
    const QImage paper = render(stream).paper;
    const QRect ink = inkBounds(paper);
    QByteArray pgm = QByteArray("P2\n%1 %2\n255\n")
                         .replace("%1", QByteArray::number(ink.right() + 1))
                         .replace("%2", QByteArray::number(ink.bottom() + 1));
    for (int y = 0; y <= ink.bottom(); ++y) {
        for (int x = 0; x <= ink.right(); ++x)
            pgm += QByteArray::number(paper.constScanLine(y)[x]) + (x < ink.right() ? ' ' : '\n');
    }
    checkData(QStringLiteral("data/pictures/%1.pgm").arg(QTest::currentDataTag()), pgm);
}

void TestVirtualPaper::symbols_data()
{
    // data/symbols.rows: barcodes and QR codes, and what zbar reads off them.
    QTest::addColumn<int>("system");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("read");
    const QList<QList<QByteArray>> rows = table(QStringLiteral("data/symbols.rows"));
    QVERIFY(rows.size() > 20);
    for (const QList<QByteArray> &row : rows) {
        QTest::newRow(row.value(0).constData())
            << row.value(1).toInt() << QByteArray::fromPercentEncoding(row.value(2))
            << QString::fromLatin1(row.value(3)) << QByteArray::fromPercentEncoding(row.value(4));
    }
}

void TestVirtualPaper::symbols()
{
    QFETCH(int, system);
    QFETCH(QByteArray, data);
    QFETCH(QString, type);
    QFETCH(QByteArray, read);

    QByteArray stream;
    if (system < 0) {
        const int length = int(data.size()) + 3;
        stream = QByteArray::fromHex("1d286b0300314303 1d286b0300314533 1d286b") +
                 char(length & 0xFF) + char(length >> 8) + "1P0" + data +
                 QByteArray::fromHex("1d286b0300315130");
    } else {
        stream = QByteArray::fromHex("1d7702 1d683c 1d6b") + char(0x41 + system) +
                 char(data.size()) + data + QByteArray::fromHex("1b2140 41 0a");
    }
    const Rendered r = render(stream);
    if (read.isEmpty()) {
        // Nothing but the cell after it, on the first line.
        QCOMPARE(inkBounds(r.paper), QRect(0, 0, 12, 24));
        QVERIFY2(r.trace.contains("not printed"), r.trace.constData());
        return;
    }
    const QList<Symbol> found = scan(r.paper, type == QLatin1String("EAN-13"));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].type, type);
    QCOMPARE(found[0].data, read);
    const QRect ink = inkBounds(r.paper, QRect(0, 0, r.paper.width(), system < 0 ? 0 : 60));
    if (system < 0) {
        QCOMPARE(ink.width(), ink.height());
        QCOMPARE(ink.width() % 3, 0);
        return;
    }
    // The bars as high as asked, and twice as wide as with modules of 1 dot.
    QCOMPARE(ink.top(), 0);
    stream[2] = 1;
    QCOMPARE(ink.width(),
             2 * inkBounds(render(stream).paper, QRect(0, 0, r.paper.width(), 60)).width());
}

void TestVirtualPaper::matrixSymbols_data()
{
    // GS ( k cn fn settings (hex, functions of the symbol's cn), then its data stored and
    // printed; zxing-cpp reads the paper. An empty reading: nothing printed, with the remark.
    QTest::addColumn<char>("cn");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("remark");
    QTest::newRow("MaxiCode mode 4")
        << '2' << QByteArray("4134") << QByteArray("Tessivar 0042") << "MaxiCode" << QByteArray();
    QTest::newRow("MaxiCode, mode out of range ignored")
        << '2' << QByteArray("4134 4139") << QByteArray("Mode 4 kept") << "MaxiCode"
        << QByteArray("outside the values");
    QTest::newRow("Aztec full range, module 4")
        << '5' << QByteArray("320000 3304 3517") << QByteArray("Aztec from the controller")
        << "Aztec" << QByteArray();
    QTest::newRow("Aztec compact, 2 layers")
        << '5' << QByteArray("320102") << QByteArray("AZ 12") << "Aztec" << QByteArray();
    QTest::newRow("Aztec, more than 2 layers hold")
        << '5' << QByteArray("320101") << QByteArray(200, 'x') << QString()
        << QByteArray("not printed");
    QTest::newRow("DataMatrix square")
        << '6' << QByteArray("42000000 4305") << QByteArray("DataMatrix 0042") << "DataMatrix"
        << QByteArray();
    QTest::newRow("DataMatrix rectangular")
        << '6' << QByteArray("42010000") << QByteArray("RECT 12") << "DataMatrix" << QByteArray();
    QTest::newRow("PDF417, read by zxing too")
        << '0' << QByteArray("4103") << QByteArray("PDF417 0042") << "PDF417" << QByteArray();
    QTest::newRow("DataMatrix, nothing stored")
        << '6' << QByteArray() << QByteArray() << QString() << QByteArray("no data stored");
}

void TestVirtualPaper::matrixSymbols()
{
    QFETCH(char, cn);
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, data);
    QFETCH(QString, type);
    QFETCH(QByteArray, remark);
    const auto function = [cn](const QByteArray &parameters) {
        const qsizetype length = parameters.size() + 1;
        return QByteArray("\x1d(k") + char(length & 0xFF) + char(length >> 8) + cn + parameters;
    };
    QByteArray stream = "\x1b@\x1b\x61\x01";
    for (const QByteArray &setting : settings.split(' ')) {
        if (!setting.isEmpty())
            stream += function(QByteArray::fromHex(setting));
    }
    if (!data.isEmpty())
        stream += function("P0" + data);
    stream += function("Q0") + "\n";
    const Rendered rendered = render(stream);
    QVERIFY(!rendered.trace.contains("no command or character"));
    QCOMPARE(rendered.trace.contains(remark), true);
    const QList<Symbol> read = scanMatrix(rendered.paper);
    if (type.isEmpty()) {
        QVERIFY2(inkBounds(rendered.paper).isEmpty(), rendered.trace.constData());
        return;
    }
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.at(0).type, type);
    QCOMPARE(read.at(0).data, data);
}

void TestVirtualPaper::userCharacters_data()
{
    // ESC & 3 c1 c2 defines characters; "A" is then printed at the left edge. The ink the line
    // leaves: the defined character's box, the font's "A" (about 10 x 17 dots), or nothing.
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QSize>("ink");
    QTest::addColumn<QByteArray>("remark");
    const QByteArray block = "0c" + QByteArray("ffffff").repeated(12); // 12 x 24, all ink
    const QByteArray bar = "02" + QByteArray("ff0000").repeated(2);    // 2 x 8 at the top
    QTest::newRow("a block for A, switched on")
        << "1b2603 4141" + block + "1b2501" << QSize(12, 24) << QByteArray();
    QTest::newRow("defined, not switched on") << "1b2603 4141" + block << QSize() << QByteArray();
    QTest::newRow("three in a row, A the middle one")
        << "1b2603 4042" + bar + block + bar + "1b2501" << QSize(12, 24) << QByteArray();
    QTest::newRow("cancelled by ESC ?")
        << "1b2603 4141" + block + "1b2501 1b3f41" << QSize() << QByteArray();
    QTest::newRow("forgotten at ESC @")
        << "1b2603 4141" + block + "1b40 1b2501" << QSize() << QByteArray();
    QTest::newRow("y out of range: refused")
        << QByteArray("1b2604 4141 1b2501") << QSize() << QByteArray("y goes from 1 to 3");
    QTest::newRow("wider than a cell: refused, data skipped")
        << "1b2603 4141 0d" + QByteArray("ffffff").repeated(13) + "1b2501" << QSize()
        << QByteArray("wider than a cell of 12 dots");
    QTest::newRow("8 dots tall, 2 wide")
        << QByteArray("1b2601 4141 02ffff 1b2501") << QSize(2, 8) << QByteArray();
}

void TestVirtualPaper::userCharacters()
{
    QFETCH(QByteArray, commands);
    QFETCH(QSize, ink);
    QFETCH(QByteArray, remark);
    const Rendered rendered = render(QByteArray::fromHex(commands) + "A\n");
    QVERIFY2(rendered.trace.contains(remark), rendered.trace.constData());
    QVERIFY2(!rendered.trace.contains("no command or character"), rendered.trace.constData());
    const QSize printed = inkBounds(rendered.paper).size();
    if (ink.isValid())
        QCOMPARE(printed, ink);
    else // the font's own A
        QVERIFY2(printed.width() > 4 && printed.width() <= 12 && printed.height() > 10 &&
                     printed.height() < 24 && printed != QSize(12, 24),
                 qPrintable(QStringLiteral("%1 x %2").arg(printed.width()).arg(printed.height())));
}

void TestVirtualPaper::rollLimitsAndReset()
{
    // Feeding past the end of a short roll: the paper stops at its end, said once.
    const Rendered fed = render(QByteArray::fromHex("1b64ff").repeated(10) + "A\n", 0, 1000);
    QCOMPARE(fed.paper.height(), 1000);
    QVERIFY(fed.ranOut);
    QCOMPARE(fed.trace.count("the roll ends"), 1);
    // A picture announced as 65535 x 65535 dots: the three rows that arrive are drawn, cut at
    // the paper's edge, and the roll holds no more than they need.
    const Rendered three =
        render(QByteArray::fromHex("1d763000ffffffff") + QByteArray(3 * 65535, '\xff'));
    QCOMPARE(three.paper.size(), QSize(384, 3));
    QCOMPARE(inkDots(three.paper, three.paper.rect()), 3 * 384);
    QVERIFY(three.allocatedBytes <= Virtual::Paper::bandRows * Virtual::Paper::maxWidth);
    // A bitmap larger than the bitmap memory is not stored, and so cannot be printed.
    const Rendered stored = render(QByteArray::fromHex("1d71 01 00 0002 0002") +
                                   QByteArray(512 * 512, '\0') + QByteArray::fromHex("1c700100"));
    QVERIFY(stored.trace.contains("does not fit the bitmap memory"));
    QVERIFY(inkBounds(stored.paper).isEmpty());

    // An endless roll, as a live controller has, that holds 2000 rows: 300 receipts of a line,
    // 100 rows' feed and a cut each print on, the oldest rows let go (once their receipts have
    // been taken) and read blank.
    Virtual::VirtualController::Options options;
    options.maxLength = 2000;
    options.endlessRoll = true;
    Virtual::VirtualController endless(options);
    for (int i = 0; i < 300; ++i) {
        endless.feed(QByteArray("A\n") + QByteArray::fromHex("1b4a64 1d5600"));
        QCOMPARE(endless.takeReceipts().size(), std::size_t(1));
    }
    const Virtual::Paper &roll = endless.renderer().paper();
    QVERIFY(!roll.ranOut());
    QVERIFY(roll.length() > 300 * 100);
    QVERIFY(roll.length() - roll.firstRow() <= 2000);
    QVERIFY(roll.allocatedBytes() <=
            std::size_t(2000 + 2 * Virtual::Paper::bandRows) * Virtual::Paper::maxWidth);
    const QImage last = Virtual::toQImage(roll.image(roll.length() - 130, roll.length()));
    QVERIFY(inkDots(last, last.rect()) > 0);
    const QImage first = Virtual::toQImage(roll.image(0, 130));
    QCOMPARE(inkDots(first, first.rect()), 0);
    // A receipt longer than the roll holds stays whole until it is taken.
    const int top = roll.length();
    endless.feed(QByteArray(QByteArray("A\n") + QByteArray::fromHex("1b4a64")).repeated(30));
    QVERIFY(roll.length() - top > 3000);
    const QImage line = Virtual::toQImage(roll.image(top, top + 30));
    QVERIFY(inkDots(line, line.rect()) > 0);
}

void TestVirtualPaper::jobs()
{
    // Every job as the tool sends it (the functions the window's buttons run): every byte a
    // command or character the controller knows, carried out as sent, every line ended, every
    // character of the language tour drawn from a glyph of the fonts. data/jobs.symbols holds
    // what a scanner reads off each paper.
    const Virtual::FontSet &fonts = Virtual::FontSet::system();
    QVERIFY2(fonts.isComplete(), qPrintable(fonts.missing()));
    QByteArray symbols;
    int characters = 0;
    for (const Jobs::JobStream &job : Jobs::allJobStreams()) {
        const Rendered r = render(Jobs::streamOf(job));
        for (const char *trouble : {"skipped", "ends inside", "wait for a line end", "(ignored)",
                                    "not printed", "not stored", "cut at the edge", "roll ends"})
            QVERIFY2(!r.trace.contains(trouble), qPrintable(job.button + ('\n' + r.trace)));
        for (const Symbol &symbol : scan(r.paper))
            symbols += job.button + (' ' + symbol.type.toLatin1()) + ' ' + symbol.data + '\n';
        for (const Virtual::PrintedLine &line : r.lines) {
            for (const Virtual::PrintedLine::Cell &cell : line.cells) {
                characters += cell.character >= 0x100;
                QVERIFY2(cell.character < 0x100 ||
                             (fonts.glyph(cell.character, Virtual::FontSet::Size::Standard).found &&
                              inkDots(r.paper, QRect(cell.x, line.top, cell.width, line.height))),
                         qPrintable(QStringLiteral("U+%1").arg(int(cell.character), 4, 16)));
            }
        }
    }
    QVERIFY(characters >= 50);
    checkData(QStringLiteral("data/jobs.symbols"), symbols);
    // The margin box: the bars 4 mm (32 dots) further right, the caption where it was.
    const auto upcA = [](bool margin) {
        return render(Jobs::streamOf(
                          [margin](CommandSet &c) { Jobs::queueBarcode(c, Jobs::upcA, margin); }))
            .paper;
    };
    const QImage plain = upcA(false), moved = upcA(true);
    const QRect caption(0, 0, plain.width(), 24), bars(0, 30, plain.width(), plain.height());
    QCOMPARE(inkBounds(moved, caption), inkBounds(plain, caption));
    QCOMPARE(inkBounds(moved, bars), inkBounds(plain, bars).translated(32, 0));
}

// A row "name" for each fixture of `folder` ending in `suffix`: its path without the suffix.
// At least `atLeast` of them, so that a folder gone missing fails rather than testing nothing.
void addFixtureRows(const QString &folder, const QString &suffix, int atLeast)
{
    QTest::addColumn<QString>("name");
    const QDir dir(dataDir + folder);
    const QStringList files = dir.entryList({QLatin1Char('*') + suffix}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= atLeast);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << dir.filePath(file.chopped(suffix.size()));
}

void TestVirtualPaper::peers_data()
{
    addFixtureRows(QStringLiteral("peers"), QStringLiteral(".bin"), 8);
}

void TestVirtualPaper::peers()
{
    // Streams of ESC/POS encoders from npm (scripts/peer-streams makes them), as they come.
    QFETCH(QString, name);
    QFile bin(name + QStringLiteral(".bin")), json(name + QStringLiteral(".json"));
    QVERIFY(bin.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
    const QByteArray stream = bin.readAll();
    const int head = expected.value(QStringLiteral("head")).toInt();
    const Rendered rendered = render(stream, head);
    // The live controller gets the stream in pieces as the line brings them: the same paper.
    QList<qsizetype> pieces;
    for (qsizetype at = 7; at < stream.size(); at += 7)
        pieces << at;
    QCOMPARE(render(stream, head, Virtual::Paper::defaultMaxLength, pieces).paper, rendered.paper);
    checkPrinted(expected, rendered);
}

void TestVirtualPaper::pages_data()
{
    addFixtureRows(QStringLiteral("pages"), QStringLiteral(".stream"), 5);
}

void TestVirtualPaper::pages()
{
    // Page mode as label and kitchen-ticket software uses it, in streams written as text
    // (pages/): where each line, symbol and picture lands on the paper, turned by the print
    // direction, the symbols read back off it, the page's length, and the trace's remarks.
    QFETCH(QString, name);
    QFile text(name + QStringLiteral(".stream")), json(name + QStringLiteral(".json"));
    QVERIFY(text.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly));
    const std::optional<QByteArray> stream = streamFromText(QString::fromUtf8(text.readAll()));
    QVERIFY(stream);
    const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
    const int head = expected.value(QStringLiteral("head")).toInt();
    const Rendered rendered = render(*stream, head);
    QString where;
    QVERIFY2(cutAnywhere(*stream, rendered, &where, head), qPrintable(where));
    checkPrinted(expected, rendered);
    for (const QJsonValue &remark : expected.value(QStringLiteral("remarks")).toArray())
        QVERIFY2(rendered.trace.contains(remark.toString().toUtf8()), rendered.trace.constData());
    QCOMPARE(rendered.paper.height(), expected.value(QStringLiteral("height")).toInt());
}

void TestVirtualPaper::pngKeepsEveryDot_data()
{
    // Pictures of `levels` darkness levels in a pattern that puts every level at every bit
    // position of a packed byte, as wide as given; more than 16 levels are written as grey.
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("width");
    QTest::newRow("white only") << 1 << 576;
    QTest::newRow("black and white, odd width") << 2 << 383;
    QTest::newRow("three levels, 2 bits") << 3 << 385;
    QTest::newRow("four levels, 2 bits") << 4 << 7;
    QTest::newRow("five levels, 4 bits") << 5 << 573;
    QTest::newRow("sixteen levels") << 16 << 577;
    QTest::newRow("seventeen levels, grey") << 17 << 101;
    QTest::newRow("every level") << 256 << 576;
}

void TestVirtualPaper::pngKeepsEveryDot()
{
    QFETCH(int, levels);
    QFETCH(int, width);
    QImage paper(width, 40, QImage::Format_Grayscale8);
    const int step = 255 / std::max(1, levels - 1);
    for (int y = 0; y < paper.height(); ++y) {
        for (int x = 0; x < width; ++x)
            paper.scanLine(y)[x] = std::uint8_t(255 - (x * 7 + y) % levels * step);
    }
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QVERIFY(Virtual::PaperPng::write(Virtual::fromQImage(paper), png));
    const QImage read = QImage::fromData(png.data(), "PNG");
    QCOMPARE(read.convertToFormat(QImage::Format_Grayscale8), paper);
    // And read back as the receipts page does, for its PDF.
    QCOMPARE(Virtual::toQImage(Virtual::PaperPng::read(png.data())), paper);
}

void TestVirtualPaper::pdfAtTheHeadsWidth_data()
{
    QTest::addColumn<int>("head");
    QTest::addColumn<double>("widthMm");
    QTest::newRow("58 mm paper, 48 mm head") << 0 << 48.0;
    QTest::newRow("80 mm paper, 72 mm head") << 1 << 72.0;
}

void TestVirtualPaper::pdfAtTheHeadsWidth()
{
    // A page a receipt, as wide as the head prints and as long as the paper it used (PDF pages
    // are whole points: within a third of a millimetre), showing its dots as they are: poppler
    // renders each page back at 8 dots a millimetre.
    QFETCH(int, head);
    QFETCH(double, widthMm);
    const QImage paper = render("Total 12.50\n\x1d(k\x03\x001C\x04\x1d(k\x06\x001P0ABC"
                                "\x1d(k\x03\x001Q0\n\x1bi",
                                head)
                             .paper;
    const QImage blank = render("", head).paper;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roll.pdf"));
    QString error;
    QVERIFY2(
        Virtual::writePdf(path, {Virtual::fromQImage(paper), Virtual::fromQImage(blank)}, &error),
        qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    const QRegularExpression box(QStringLiteral(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])"));
    QList<QSizeF> pages;
    for (auto it = box.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pages << QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) * 25.4 / 72;
    }
    QCOMPARE(pages.size(), 2);
    QVERIFY2(qAbs(pages.front().width() - widthMm) < 0.36,
             qPrintable(QString::number(pages.front().width())));
    QVERIFY(qAbs(pages.front().height() - paper.height() / 8.0) < 0.36);
    QVERIFY(qAbs(pages.back().height() - 1.0) < 0.36); // nothing printed: a millimetre

    QProcess poppler;
    poppler.start(QStringLiteral(PDFTOPPM),
                  {QStringLiteral("-r"), QStringLiteral("203.2"), QStringLiteral("-gray"),
                   QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-singlefile"), path,
                   dir.filePath(QStringLiteral("page"))});
    QVERIFY(poppler.waitForFinished(60000));
    QCOMPARE(poppler.exitCode(), 0);
    const QImage shown(dir.filePath(QStringLiteral("page.pgm")));
    QCOMPARE(shown.convertToFormat(QImage::Format_Grayscale8), paper);

    QVERIFY(!Virtual::writePdf(dir.filePath(QStringLiteral("no/such/dir.pdf")),
                               {Virtual::fromQImage(paper)}, &error));
    QVERIFY(error.contains(QStringLiteral("cannot write")));
}

void TestVirtualPaper::glyphCellFile_data()
{
    // What is in the cache folder before the controller starts.
    QTest::addColumn<QString>("before");
    QTest::newRow("nothing: the file is made") << QString();
    QTest::newRow("a file cut short: made again") << QStringLiteral("cut");
    QTest::newRow("a file of another drawing: made again") << QStringLiteral("other");
    QTest::newRow("a folder that cannot be written: the fonts themselves")
        << QStringLiteral("file");
}

void TestVirtualPaper::glyphCellFile()
{
    // Every cell a controller reads from the cell file is the cell the fonts draw, at both sizes:
    // against a font set that has no cache folder (no HOME) and so draws each one itself.
    QFETCH(QString, before);
    const QByteArray home = qgetenv("HOME");
    const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", home);
        cacheHome.isNull() ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", cacheHome);
    });
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString folder = cache.filePath(QStringLiteral("tessivar"));
    QString made;
    qint64 whole = 0;
    if (!before.isEmpty()) {
        // A first controller makes the file, which is then damaged or replaced.
        Virtual::FontSet(Virtual::FontSet::directory()).glyph(u'A', Virtual::FontSet::Size::Small);
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        made = QDir(folder).filePath(files.front());
        QFile file(made);
        whole = file.size();
        QVERIFY(file.open(QIODevice::ReadWrite));
        // Cells that would print wrong if the file were taken as it is.
        QVERIFY(file.seek(16) && file.write(QByteArray(65536, '\x55')) == 65536);
        if (before == QLatin1String("cut"))
            QVERIFY(file.resize(file.size() / 2));
        else if (before == QLatin1String("other"))
            QVERIFY(file.seek(0) && file.write("TESSIVAR-CELLS0\n") == 16);
    }
    if (before == QLatin1String("file")) {
        QVERIFY(QDir(cache.path()).rename(QStringLiteral("tessivar"), QStringLiteral("moved")));
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder would be
    }
    const Virtual::FontSet fromFile(Virtual::FontSet::directory());
    QVERIFY(fromFile.isComplete());
    QCOMPARE(QFileInfo(folder).isDir(), before != QLatin1String("file"));
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("HOME");
    const Virtual::FontSet drawn(Virtual::FontSet::directory());
    QVERIFY(drawn.isComplete());
    for (const auto size : {Virtual::FontSet::Size::Standard, Virtual::FontSet::Size::Small}) {
        for (int ch = 0; ch < 0x10000; ++ch) {
            const Virtual::GlyphCell a = fromFile.glyph(char16_t(ch), size);
            const Virtual::GlyphCell b = drawn.glyph(char16_t(ch), size);
            if (a.width != b.width || a.height != b.height || a.found != b.found ||
                a.fullWidth != b.fullWidth || a.rows != b.rows)
                QFAIL(qPrintable(QStringLiteral("U+%1 differs").arg(ch, 4, 16, QLatin1Char('0'))));
        }
    }
    if (before == QLatin1String("cut") || before == QLatin1String("other"))
        QCOMPARE(QFileInfo(made).size(), whole);
}

void TestVirtualPaper::glyphs_data()
{
    // One row per path a character takes through the fonts; glyphs/<row>.pbm is its cell (P1, 1
    // is ink).
    QTest::addColumn<char16_t>("character");
    QTest::addColumn<Virtual::FontSet::Size>("size");
    using Size = Virtual::FontSet::Size;
    QTest::newRow("latin-A-efont-24") << char16_t(u'A') << Size::Standard;
    QTest::newRow("latin-g-efont-16") << char16_t(u'g') << Size::Small;
    QTest::newRow("cjk-kan-efont-24-full-width") << char16_t(u'漢') << Size::Standard;
    QTest::newRow("devanagari-ka-unifont-scaled") << char16_t(u'क') << Size::Standard;
    QTest::newRow("devanagari-ka-unifont-16") << char16_t(u'क') << Size::Small;
    QTest::newRow("fonts missing") << char16_t(0) << Size::Standard;
}

void TestVirtualPaper::glyphs()
{
    QFETCH(char16_t, character);
    QFETCH(Virtual::FontSet::Size, size);
    if (!character) {
        // Without the fonts the trace says once which packages hold them.
        const Virtual::FontSet none(QStringLiteral("/nonexistent"));
        const QByteArray trace =
            render("A\nB\n", 0, Virtual::Paper::defaultMaxLength, {}, &none).trace;
        QCOMPARE(trace.count("fonts missing"), 1);
        QVERIFY(trace.contains("install xfonts-efont-unicode xfonts-unifont"));
        return;
    }
    const Virtual::GlyphCell cell = Virtual::FontSet::system().glyph(character, size);
    QVERIFY(cell.found);
    QByteArray pbm =
        "P1\n" + QByteArray::number(cell.width) + ' ' + QByteArray::number(cell.height) + '\n';
    for (int y = 0; y < cell.height; ++y) {
        for (int x = 0; x < cell.width; ++x)
            pbm += cell.dot(x, y) ? '1' : '0';
        pbm += '\n';
    }
    checkData(QStringLiteral("glyphs/%1.pbm").arg(QTest::currentDataTag()), pbm);
}

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// "n (0 left, 1 centre, 2 right)", "nL nH", "fn = 67".
QString documentedParameter(const Protocol::Parameter &parameter)
{
    using Protocol::Reading;
    const QString name = fromStd(parameter.name);
    if (parameter.reading == Reading::Select)
        return name + QStringLiteral(" = %1").arg(parameter.low);
    if (parameter.reading == Reading::Data)
        return QStringLiteral("%1 bytes").arg(parameter.width);
    QString text =
        parameter.width == 2 ? name + QStringLiteral("L ") + name + QLatin1Char('H') : name;
    QStringList values;
    for (const Protocol::Named &named : parameter.names) {
        // The size modes of pictures are a suffix of the meaning: ", double width".
        const QString meaning =
            fromStd(named.text).remove(QRegularExpression(QStringLiteral("^, ")));
        const QString value = parameter.reading == Reading::Bits
                                  ? QStringLiteral("0x%1").arg(named.value, 2, 16, QLatin1Char('0'))
                                  : QString::number(named.value);
        if (!meaning.isEmpty())
            values << value + QLatin1Char(' ') + meaning;
    }
    if (parameter.reading == Reading::Number &&
        (parameter.low > 0 || parameter.high < (parameter.width == 2 ? 0xFFFF : 255)))
        values << QStringLiteral("%1-%2").arg(parameter.low).arg(parameter.high);
    if (!values.isEmpty())
        text += QStringLiteral(" (") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text;
}

QString documentedRow(const Protocol::Command &command)
{
    using Protocol::Layout;
    QStringList parameters;
    if (command.layout == Layout::Extended)
        parameters << QStringLiteral("pL pH");
    else if (command.layout == Layout::LongExtended)
        parameters << QStringLiteral("p1 p2 p3 p4");
    for (const Protocol::Parameter &parameter : command.parameters)
        parameters << documentedParameter(parameter);
    switch (command.layout) {
    case Layout::TabStops:
        parameters << QStringLiteral("n1...nk NUL");
        break;
    case Layout::Barcode:
        parameters << QStringLiteral("d1...dk NUL (m 0-6), n d1...dn (m 65-79)");
        break;
    case Layout::Cut:
        parameters.last() = QStringLiteral("n (after m 65, 66, 97, 98, 103, 104)");
        break;
    case Layout::Fixed:
    case Layout::Uart:
        break;
    default:
        parameters << QStringLiteral("d1...dk");
        break;
    }
    return QStringLiteral("| `%1` | %2 | %3 | %4 |")
        .arg(fromStd(command.mnemonic), parameters.join(QStringLiteral("; ")),
             command.skipped ? QStringLiteral("skipped") : QStringLiteral("carried out"),
             fromStd(command.meaning));
}

} // namespace

// The command table of docs/virtual-controller.md is made from the protocol table's rows:
// scripts/test-data writes it, and a row added or changed in one place and not in the other
// fails here.
void TestVirtualPaper::documentedCommands()
{
    const QString path = QStringLiteral(TESSIVAR_DOCS "/virtual-controller.md");
    QFile doc(path);
    QVERIFY(doc.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(doc.readAll());
    const QString begin = QStringLiteral("<!-- commands -->\n");
    const QString end = QStringLiteral("<!-- /commands -->");
    const qsizetype from = text.indexOf(begin);
    const qsizetype to = text.indexOf(end);
    QVERIFY(from >= 0 && to > from);
    QStringList table{QStringLiteral("| Command | Parameters | Done | Meaning |"),
                      QStringLiteral("|---|---|---|---|")};
    for (const Protocol::Command &command : Protocol::commands())
        table << documentedRow(command);
    const QString made = text.left(from + begin.size()) + table.join(QLatin1Char('\n')) +
                         QLatin1Char('\n') + text.mid(to);
    QString why;
    QVERIFY2(DataFile::matches(path, made.toUtf8(), &why), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestVirtualPaper)
#include "tst_virtual_paper.moc"
