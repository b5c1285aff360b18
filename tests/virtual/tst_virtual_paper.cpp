#include "datafile.h"
#include "paperreader.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "virtual/bitmapfont.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

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
    void ink_data();
    void ink();
    void printModesAndDarkness();
    void symbols_data();
    void symbols();
    void rollLimitsAndReset();
    void jobs();
    void peers_data();
    void peers();
    void glyphs_data();
    void glyphs();
};

namespace {

QString dataPath(const QString &name)
{
    return QStringLiteral(TESSIVAR_TEST_DATA "/") + name;
}

void checkData(const QString &name, const QByteArray &actual)
{
    QString why;
    QVERIFY2(DataFile::matches(dataPath(name), actual, &why), qPrintable(why));
}

// The same paper and trace whether the stream comes whole, in two pieces cut anywhere, or byte by
// byte, as a line brings it.
bool cutAnywhere(const QByteArray &stream, const Rendered &whole, QString *where)
{
    QList<qsizetype> bytewise;
    for (qsizetype at = 1; at < stream.size(); ++at) {
        bytewise << at;
        const Rendered split = render(stream, 0, Virtual::Paper::defaultMaxLength, {at});
        if (split.paper != whole.paper || split.trace != whole.trace) {
            *where = QStringLiteral("cut at %1").arg(at);
            return false;
        }
    }
    const Rendered bytes = render(stream, 0, Virtual::Paper::defaultMaxLength, bytewise);
    *where = QStringLiteral("byte by byte");
    return bytes.paper == whole.paper && bytes.trace == whole.trace;
}

} // namespace

void TestVirtualPaper::decoderTraces()
{
    // Every encoding of text and every kind of command, framed whole whatever its parameters
    // hold, and bytes that make nothing. data/decoder.trace holds each stream's trace.
    static const char *const streams[][2] = {
        {"Windows-1252, undefined byte, DEL", "41 80 a3 e9 81 7f 41"},
        {"UTF-16 high byte first, low byte like LF", "01 2b 03 91 06 1b 01 0a"},
        {"GB2312, JIS X 0208 and Shift_JIS", "1c26 b7c9 a3ac 2422 4267 1c2e 1c4301 1c26 8260 1c2e"},
        {"double-byte mode: single bytes, lone lead byte, empty row",
         "1c26 20 80 0a b7 0a 24 7f aaa1"},
        {"ESC @ ends double-byte mode", "1c26 1b40 b7c9"},
        {"controls and one-byte parameters",
         "0a 0d 09 00 1b2190 1b4d01 1b6d08 1b6102 1b3342 1b4a14 1b6405 1b6c08 1b5126 1b5a05"},
        {"16-bit position low byte first; commands without parameters",
         "1b243201 1b40 1b32 1b69 1b6e 1014 1004 1005 1016 1d280401"},
        {"GS with one parameter", "1d6840 1d7703 1d4800 1d61ff"},
        {"tab stops: none, not rising, at most 32",
         "1b4400 1b44 30 20 00 1b44 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f2021"
         "00"},
        {"barcodes: data, empty, system out of range, up to NUL",
         "1d6b410331321b 1d6b4900 1d6b3031 1d6b04 41424300"},
        {"stored bitmap", "1d71 01 00 0200 0100 ff1b 1c700100"},
        {"QR functions", "1d286b0300314304 1d286b0300314531 1d286b0500315030 1b40 1d286b0300315130 "
                         "1d286b0300314132 1d286b0000 41"},
        {"raster pictures: data are data, empty, 65535 x 65535 cut short",
         "1d763000 0200 0300 1b400a1d6b41 1d763000 0000 0500 41 1d763000 ffff ffff 1b400a41"},
        {"common printers' commands framed whole",
         "1b4501 1b2d01 1d570002 1b6101 1b7000197a 41 1d2841 0200 0002 41 1d564103 1d5631 "
         "1b7400 b3 1b40 b3"},
        {"graphics with 16- and 32-bit lengths, column picture",
         "1d284c 0b00 3070 3001 0131 0800 0100 ff 41 1d384c 0b000000 3070 3001 0131 0800 0100 1b "
         "1b2a21 0200 1b1d1c 0a0d09 41"},
        {"real-time parameters of common printers",
         "1004 01 1b4501 1005 02 1014 010005 1014 08 01031401060208 41 1004 1b4501 1014 0391"},
        {"bytes that make no command", "1b7a41 1b0a 1b1b40 1d59 1c41 1041 1d7631"},
        {"text run, remarks of the renderer",
         "437573746f6d65722052656365697074 0a 1d6b4102 3132 1b6d09 41"},
        {"stream ends inside a command", "1b61"},
        {"stream ends inside a barcode", "1d6b4105 3132"},
        {"stream ends inside a raster picture", "1d763000 3000 5e00 ffff"},
    };
    QByteArray traces;
    for (const auto &[name, hex] : streams) {
        const QByteArray stream = QByteArray::fromHex(hex);
        const Rendered whole = render(stream);
        QString where;
        QVERIFY2(cutAnywhere(stream, whole, &where), qPrintable(name + (": " + where)));
        traces += "== " + QByteArray(name) + '\n' + whole.trace;
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
    // Random bytes, some salted with command prefixes, and a stream of every command cut at every
    // length: none may fault, and the paper stays on its roll.
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
            const QImage paper = render(stream, head, 20000).paper;
            QVERIFY(paper.width() >= Virtual::Renderer::paperWidth(head));
            QVERIFY(paper.height() <= 20000);
        }
    }
}

void TestVirtualPaper::ink_data()
{
    // Where the ink of a stream lands. "R" marks reverse printing, whose ink shows a character's
    // whole cell. The pitch rows print a cell, the bytes between, then a cell at x 48: the
    // bottom of the ink is the second line's top plus 23.
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QRect>("ink");
    const auto row = [](const char *name, QByteArray hex, int left, int top, int right,
                        int bottom) {
        QTest::newRow(name) << QByteArray::fromHex(hex.replace("R", "1b2140") + "0a")
                            << QRect(QPoint(left, top), QPoint(right, bottom));
    };
    const QByteArray picture = "1d763000 0100 0100 ff";
    row("picture left", picture, 0, 0, 7, 0);
    row("picture centred", "1b6101" + picture, 188, 0, 195, 0);
    row("picture right", "1b6102" + picture, 376, 0, 383, 0);
    row("picture right, 80 mm head", "1b5a05 1b6102" + picture, 568, 0, 575, 0);
    row("picture double width", "1d763001 0100 0100 ff", 0, 0, 15, 0);
    row("picture after a left margin of 4 mm", "1b6c04" + picture, 32, 0, 39, 0);
    row("picture right of a right edge at 38 mm", "1b5126 1b6102" + picture, 296, 0, 303, 0);
    row("stored bitmap, centred as stored", "1d71 07 01 0100 0100 ff 1c70 07 01", 184, 0, 199, 0);
    row("text at position 50", "1b243200 R 41", 50, 0, 61, 23);
    row("text at the first default tab stop", "09 R 41", 96, 0, 107, 23);
    row("tab stops set in double width", "1b2120 1b440200 09 1b2160 41", 48, 0, 71, 23);
    row("text after a left margin of 8 mm", "1b6c08 R 41", 64, 0, 75, 23);
    row("text centred", "1b6101 R 4142", 180, 0, 203, 23);
    row("text right of a right edge at 38 mm", "1b5126 1b6102 R 4142", 280, 0, 303, 23);
    row("text right, 80 mm head", "1b5a01 1b6102 R 4142", 552, 0, 575, 23);
    row("full-width character in two cells", "1c26 R b7c9", 0, 0, 23, 23);
    row("small font", "1b4d01 R 4142", 0, 0, 15, 15);
    row("line wraps at the right edge", "1b5104 R 414243", 0, 0, 23, 56);
    row("tab stop past the right edge ends the line", "1b442800 R 41 09 42", 0, 0, 11, 56);
    row("left margin of 16 dots", "1d4c1000 R 41", 16, 0, 27, 23);
    row("print area 100 dots wide, right", "1b6102 1d576400 R 4142", 76, 0, 99, 23);
    row("relative position", "1b5c1e00 R 41", 30, 0, 41, 23);
    row("upside down: the line turned round", "1b7b01 R 41", 372, 0, 383, 23);
    row("graphics in the print buffer, centred",
        "1b6101 1d284c0b00 3070 3001 0131 0800 0100 ff 1d284c0200 3032", 188, 0, 195, 0);
    row("NV graphics by key, double width",
        "1d284c0c00 3043 30 4142 01 0800 0100 31 ff 1b40 1d284c0600 3045 4142 0201", 0, 0, 15, 0);
    row("24-dot column picture at position 8", "1b240800 1b2a21 0200 ffffff ffffff", 8, 0, 9, 23);
    const auto pitch = [&row](const char *name, const char *between, int pitch) {
        row(name, "R 41" + QByteArray(between) + "1b243000 R 42", 0, 0, 59, pitch + 23);
    };
    pitch("pitch: default line spacing", "0a", 33);
    pitch("pitch: ESC 3 66", "1b3342 0a", 66);
    pitch("pitch: ESC 2 back to 33", "1b3342 1b32 0a", 33);
    pitch("pitch: a double-height line is taller", "0a 1b2150 43 0a", 33 + 48);
    pitch("pitch: ESC J feeds its dots", "1b4a28", 40);
    pitch("pitch: ESC J feeds at least the line", "1b4a0a", 24);
    pitch("pitch: ESC J after the line", "0a 1b4a14", 53);
    pitch("pitch: ESC d ends the line and feeds the rest", "1b6403", 99);
    pitch("pitch: ESC d after the line", "0a 1b6402", 99);
    // A cut takes 10 dots; its mark's dashes reach across the paper.
    row("pitch: a cut", "R 41 0a 1b69 1b243000 R 42", 0, 0, 379, 43 + 23);
    pitch("pitch: a picture (null data as zeros) ends the line",
          "1d763000 0000 0000 1d763000 0100 0500 0000000000", 38);
}

void TestVirtualPaper::ink()
{
    QFETCH(QByteArray, stream);
    QFETCH(QRect, ink);
    QCOMPARE(inkBounds(render(stream).paper), ink);
}

void TestVirtualPaper::printModesAndDarkness()
{
    // The same letter in each mode, in a cell of its own.
    const auto letter = [](char mode) {
        return render(QByteArray("\x1b!") + mode + "H\n").paper.copy(0, 0, 24, 24);
    };
    const QImage normal = letter(0x00), bold = letter(0x08), italic = letter(0x02);
    const QRect normalInk = inkBounds(normal);
    QCOMPARE(inkBounds(bold).width(), normalInk.width() + 1);
    QVERIFY(inkDots(bold, bold.rect()) > inkDots(normal, normal.rect()));
    QCOMPARE(inkDots(letter(char(0x80)), QRect(0, 22, 12, 2)), 24);
    QCOMPARE(inkDots(normal, QRect(0, 22, 12, 2)), 0);
    // Italic leans: the top of the letter moves right, its foot stays.
    const QRect top(0, normalInk.top(), 24, 1), foot(0, normalInk.bottom(), 24, 1);
    QVERIFY(inkBounds(italic, top).left() > inkBounds(normal, top).left());
    QCOMPARE(inkBounds(italic, foot).left(), inkBounds(normal, foot).left());
    // Reverse: the cell is ink where the letter is not.
    const QImage inverted = letter(0x40);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 12; ++x)
            QCOMPARE(qGray(inverted.pixel(x, y)) == 255, qGray(normal.pixel(x, y)) != 255);
    }
    // A reversed cell at every darkness, one line each; 8 is black, each lower level lighter,
    // and ESC @ returns to level 4.
    QByteArray levels;
    for (char level = 0; level <= 8; ++level)
        levels += QByteArray("\x1bm") + level + "\x1b!\x40" "A\n";
    const QImage paper = render(levels + "\x1b@\x1b!\x40" "A\n").paper;
    const auto grey = [&](int line) { return qGray(paper.pixel(0, line * 33)); };
    QCOMPARE(grey(8), 0);
    for (int level = 1; level <= 8; ++level)
        QVERIFY2(grey(level) < grey(level - 1), qPrintable(QString::number(level)));
    QVERIFY(grey(0) < 255);
    QCOMPARE(grey(9), grey(4));
}

void TestVirtualPaper::symbols_data()
{
    // GS k with modules 2 dots wide, or a QR code (system -1) at level H with modules of 3. zbar
    // checks every check digit it reads; an empty reading is a barcode refused, and the trace
    // says why.
    QTest::addColumn<int>("system");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("read");
    const auto row = [](const char *name, int system, const QByteArray &data, const char *type,
                        const QByteArray &read) {
        QTest::newRow(name) << system << data << QString::fromLatin1(type) << read;
    };
    row("UPC-A, check digit added", 0, "01234567890", "UPC-A", "012345678905");
    row("UPC-A with its check digit", 0, "012345678905", "UPC-A", "012345678905");
    row("UPC-E of six digits", 1, "012345", "UPC-E", "00123457");
    row("UPC-E of six digits ending in 2", 1, "654322", "UPC-E", "06543226");
    row("UPC-E with its check digit", 1, "00123457", "UPC-E", "00123457");
    row("EAN-13, check digit added", 2, "401234567890", "EAN-13", "4012345678901");
    row("EAN-13 with its check digit", 2, "4012345678901", "EAN-13", "4012345678901");
    row("EAN-8, check digit added", 3, "9638507", "EAN-8", "96385074");
    row("EAN-8 with its check digit stays EAN-8", 3, "96385074", "EAN-8", "96385074");
    row("Code 39", 4, "CODE-39 $/+%", "CODE-39", "CODE-39 $/+%");
    row("Code 39 with start and stop", 4, "*AB12*", "CODE-39", "AB12");
    row("ITF", 5, "00123456", "I2/5", "00123456");
    row("Codabar in lower case", 6, "b40156d", "Codabar", "B40156D");
    row("Code 93", 7, "Code 93!", "CODE-93", "Code 93!");
    row("Code 128 plain", 8, "Tessivar 1.1", "CODE-128", "Tessivar 1.1");
    row("Code 128 in code set B", 8, "{BNo.{{1}", "CODE-128", "No.{1}");
    row("Code 128 in code set C", 8, "{C\x0c\x22\x38", "CODE-128", "123456");
    row("Code 128 from set A to set C", 8, "{AAB{C\x05", "CODE-128", "AB05");
    row("QR code", -1, "https://example.org/tessivar", "QR-Code", "https://example.org/tessivar");
    row("QR code of command bytes", -1, QByteArray("\x1b@\x1d(k\n\0", 7), "QR-Code",
        QByteArray("\x1b@\x1d(k\n\0", 7));
    row("refused: UPC-A of ten digits", 0, "0123456789", "", "");
    row("refused: UPC-A with a wrong check digit", 0, "012345678901", "", "");
    row("refused: EAN-8 with a letter", 3, "012345A", "", "");
    row("refused: Code 39 in lower case", 4, "abc", "", "");
    row("refused: ITF of an odd number of digits", 5, "12345", "", "");
    row("refused: Codabar without start and stop", 6, "123456", "", "");
    row("refused: Code 128 code set C above 99", 8, "{C\x64", "", "");
    row("refused: wider than the paper", 8, QByteArray(60, 'x'), "", "");
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
                 char(data.size()) + data + "\x1b!\x40" "A\n";
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
    // The bars as high as asked, and the narrowest bar one module of 2 dots.
    QCOMPARE(ink.top(), 0);
    int narrowest = INT_MAX;
    for (int x = ink.left(), run = 0; x <= ink.right() + 1; ++x) {
        if (x <= ink.right() && qGray(r.paper.pixel(x, 30)) < 128) {
            ++run;
        } else if (run > 0) {
            narrowest = std::min(narrowest, run);
            run = 0;
        }
    }
    QCOMPARE(narrowest, 2);
}

void TestVirtualPaper::rollLimitsAndReset()
{
    // Feeding past the end of a short roll: the paper stops at its end, said once.
    const Rendered fed = render(QByteArray("\x1b" "d\xff").repeated(10) + "A\n", 0, 1000);
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
    // ESC @ drops the text waiting in the line and the print mode; DLE DC4 drops the text.
    const Rendered reset = render("\x1b!\x40XYZ\x1b@A\nlost\x10\x14\nnever printed");
    const QRect ink = inkBounds(reset.paper);
    QVERIFY(ink.right() < 12 && ink.bottom() < 24);
    QVERIFY(inkDots(reset.paper, QRect(0, 0, 12, 24)) < 100);
    QVERIFY(reset.trace.contains("13 characters wait for a line end"));
    // CR prints the line and goes back: what follows prints over it.
    const QImage over = render("I\r-\n").paper, i = render("I\n").paper, dash = render("-\n").paper;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 12; ++x)
            QCOMPARE(qGray(over.pixel(x, y)) < 255,
                     qGray(i.pixel(x, y)) < 255 || qGray(dash.pixel(x, y)) < 255);
    }
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

void TestVirtualPaper::peers_data()
{
    QTest::addColumn<QString>("name");
    const QDir dir(dataPath(QStringLiteral("peers")));
    const QStringList streams = dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    QVERIFY(streams.size() >= 8);
    for (const QString &file : streams)
        QTest::newRow(qPrintable(file)) << dir.filePath(file.chopped(4));
}

void TestVirtualPaper::peers()
{
    // Streams of ESC/POS encoders from npm (scripts/peer-streams makes them): no byte left
    // unknown, every expected text line printed and nothing else, every barcode and QR code read
    // back, pictures the size they were sent.
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
    for (const char *fault : {"no command or character", "the stream ends inside", "not printed",
                              "not a function", "not carried out"})
        QVERIFY2(!rendered.trace.contains(fault), rendered.trace.constData());
    // A gap of a character or more between cells (a tab, a print position) reads as a blank.
    QStringList printed, lines, scanned;
    for (const Virtual::PrintedLine &line : rendered.lines) {
        QString text;
        int end = 0;
        for (const Virtual::PrintedLine::Cell &cell : line.cells) {
            if (!text.isEmpty() && cell.x - end >= cell.width)
                text += QLatin1Char(' ');
            text += QChar(cell.character);
            end = cell.x + cell.width;
        }
        if (!text.simplified().isEmpty())
            printed << text.simplified();
    }
    for (const QJsonValue &line : expected.value(QStringLiteral("lines")).toArray())
        lines << line.toString().simplified();
    QCOMPARE(printed, lines);
    for (const Symbol &symbol : scan(rendered.paper))
        scanned << QString::fromUtf8(symbol.data);
    for (const QString &key : {QStringLiteral("barcodes"), QStringLiteral("qr")}) {
        for (const QJsonValue &data : expected.value(key).toArray())
            QVERIFY2(scanned.contains(data.toString()), qPrintable(data.toString()));
    }
    const QJsonArray ink = expected.value(QStringLiteral("ink")).toArray();
    if (!ink.isEmpty())
        QCOMPARE(inkBounds(rendered.paper).size(), QSize(ink.at(0).toInt(), ink.at(1).toInt()));
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
        QBuffer trace;
        trace.open(QIODevice::WriteOnly);
        Virtual::VirtualController controller({0, Virtual::Paper::defaultMaxLength, &trace, &none});
        controller.feed("A\nB\n");
        controller.finish();
        QCOMPARE(trace.data().count("fonts missing"), 1);
        QVERIFY(trace.data().contains("install xfonts-efont-unicode xfonts-unifont"));
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

QTEST_GUILESS_MAIN(TestVirtualPaper)
#include "tst_virtual_paper.moc"
