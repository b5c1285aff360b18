#include "paperreader.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "jobs/samplebitmaps.h"

#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QHash>
#include <QTest>

using namespace PaperReader;

// The paper of every job, as the tool itself sends it: each job's stream comes from the core's
// own job functions (the ones the window's buttons run), written into a buffer. What is checked
// is what a person reading the paper would check.
class TestVirtualJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyJob_data();
    void everyJob();
    void barcodes_data();
    void barcodes();
    void barcodeMargin();
    void qrBitmap();
    void receiptHeadingCentred();
    void reverseLineInverted();
    void doubleWidthDoublesInk();
    void rightAlignedLineEndsAtEdge();
    void languages_data();
    void languages();
    void receiptCutAnywhere();
    void streamsCutShort();

private:
    QHash<QString, QByteArray> m_streams; // by button
    QStringList m_jobs;                   // buttons
    QStringList m_names;                  // their captions
};

namespace {

const QString withMargin = QStringLiteral("UPC-A with the margin box ticked");

// Check digit of a UPC or EAN number: weights 3 and 1 from the right.
char checkDigit(const QByteArray &digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    return char('0' + (10 - sum % 10) % 10);
}

// What a scanner reads from each barcode job's data: its type and value with the check digit.
struct Reading
{
    QString type;
    QByteArray value;
};

Reading expectedReading(const Jobs::BarcodeJob &job)
{
    const QByteArray data(job.data.data(), qsizetype(job.data.size()));
    switch (job.system) {
    case 0:
        return {QStringLiteral("UPC-A"), data + checkDigit(data)};
    case 1: {
        // Number system 0; the check digit is the one of the UPC-A number it stands for.
        const char last = data[5];
        QByteArray upcA = "0";
        if (last <= '2')
            upcA += data.left(2) + last + "0000" + data.mid(2, 3);
        else if (last == '3')
            upcA += data.left(3) + "00000" + data.mid(3, 2);
        else if (last == '4')
            upcA += data.left(4) + "00000" + data[4];
        else
            upcA += data.left(5) + "0000" + last;
        return {QStringLiteral("UPC-E"), "0" + data + checkDigit(upcA)};
    }
    case 2:
        return {QStringLiteral("EAN-13"), data + checkDigit(data)};
    case 3:
        return {QStringLiteral("EAN-8"), data + checkDigit(data)};
    case 4:
        return {QStringLiteral("CODE-39"), data};
    case 5:
        return {QStringLiteral("I2/5"), data};
    case 6:
        return {QStringLiteral("Codabar"), data.toUpper()};
    case 7:
        return {QStringLiteral("CODE-93"), data};
    default:
        return {QStringLiteral("CODE-128"), data};
    }
}

bool isWhite(const QImage &paper, int x, int y)
{
    return qGray(paper.pixel(x, y)) == 255;
}

} // namespace

void TestVirtualJobs::initTestCase()
{
    QVERIFY2(Virtual::FontSet::system().isComplete(),
             qPrintable(Virtual::FontSet::system().missing()));
    for (const Jobs::JobStream &job : Jobs::allJobStreams()) {
        const QString button = QString::fromLatin1(job.button);
        m_jobs << button;
        m_names << QString::fromLatin1(job.name);
        m_streams[button] = stream(job.queue);
        QVERIFY2(!m_streams[button].isEmpty(), job.name);
    }
    m_streams[withMargin] =
        stream([](CommandSet &commands) { Jobs::queueBarcode(commands, Jobs::upcA, true); });
}

void TestVirtualJobs::everyJob_data()
{
    QTest::addColumn<QString>("job");
    for (qsizetype i = 0; i < m_jobs.size(); ++i)
        QTest::newRow(qPrintable(m_names[i])) << m_jobs[i];
}

void TestVirtualJobs::everyJob()
{
    QFETCH(QString, job);

    // Every byte the tool sends is a command or a character the controller knows, every
    // command is carried out as sent, and every line is ended.
    const Rendered r = render(m_streams.value(job));
    for (const char *trouble : {"skipped", "ends inside", "wait for a line end", "(ignored)",
                                "not printed", "not stored", "cut at the edge", "roll ends"})
        QVERIFY2(!r.trace.contains(trouble), r.trace.constData());
    // Only the 80 mm heads widen the paper.
    int width = 384;
    for (const Jobs::PrintHeadJob *head : Jobs::printHeadJobs) {
        if (job == QLatin1String(head->button) && (head->type == 1 || head->type == 5))
            width = 576;
    }
    QCOMPARE(r.paper.width(), width);
}

void TestVirtualJobs::barcodes_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("value");

    for (const Jobs::BarcodeJob *job : Jobs::barcodeJobs) {
        const Reading reading = expectedReading(*job);
        QTest::newRow(job->button)
            << QString::fromLatin1(job->button) << reading.type << reading.value;
    }
    const Reading upcA = expectedReading(Jobs::upcA);
    QTest::newRow("quick test") << QStringLiteral("pushButtonFont") << upcA.type << upcA.value;
    QTest::newRow("UPC-A with margin") << withMargin << upcA.type << upcA.value;
}

void TestVirtualJobs::barcodes()
{
    QFETCH(QString, job);
    QFETCH(QString, type);
    QFETCH(QByteArray, value);

    const QList<Symbol> symbols =
        scan(render(m_streams.value(job)).paper, type == QLatin1String("EAN-13"));
    QCOMPARE(symbols.size(), 1);
    QCOMPARE(symbols[0].type, type);
    QCOMPARE(symbols[0].data, value);
}

void TestVirtualJobs::barcodeMargin()
{
    // "Bar Code will be moved 4mm to the right": 32 dots at 8 dots per mm; the caption stays.
    const QImage plain = render(m_streams.value(QString::fromLatin1(Jobs::upcA.button))).paper;
    const QImage moved = render(m_streams.value(withMargin)).paper;
    QCOMPARE(plain.size(), moved.size());
    const QRect caption(0, 0, plain.width(), 24);
    QCOMPARE(inkBounds(moved, caption), inkBounds(plain, caption));
    const QRect below(0, 30, plain.width(), plain.height() - 30);
    QCOMPARE(inkBounds(moved, below), inkBounds(plain, below).translated(32, 0));
}

void TestVirtualJobs::qrBitmap()
{
    // The paper reads as the sample picture itself does.
    const SampleBitmap::Size size = SampleBitmap::zuvrel_qr_code_232_232;
    QImage picture(size.bytesPerRow * 8, size.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const unsigned char byte = zuvrel_qr_code_232_232[y * size.bytesPerRow + x / 8];
            picture.scanLine(y)[x] = (byte & (0x80 >> (x % 8))) ? 0 : 255;
        }
    }
    const QList<Symbol> expected = scan(picture);
    QCOMPARE(expected.size(), 1);

    const QList<Symbol> read = scan(render(m_streams.value("pushButtonBitmap")).paper);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read[0].type, QStringLiteral("QR-Code"));
    QCOMPARE(read[0].data, expected[0].data);
}

void TestVirtualJobs::receiptHeadingCentred()
{
    const Rendered r = render(m_streams.value(QString::fromLatin1(Jobs::plainReceipt.button)));
    const Virtual::PrintedLine *heading = findLine(r, QString::fromLatin1(Jobs::Receipt::heading));
    QVERIFY(heading);
    const QRect ink = inkBounds(r.paper, band(r.paper, *heading));
    QVERIFY(!ink.isEmpty());
    QVERIFY2(std::abs((ink.left() + ink.right()) - (r.paper.width() - 1)) <= 4,
             qPrintable(QStringLiteral("ink from %1 to %2").arg(ink.left()).arg(ink.right())));
    // Centred, not merely short: the heading's ink keeps off both edges alike.
    QVERIFY(ink.left() > 60);
}

void TestVirtualJobs::reverseLineInverted()
{
    const Rendered r = render(m_streams.value("pushButtonFont"));
    const auto sample = [](std::uint8_t mode) {
        for (const Jobs::TextSample &s : Jobs::quickTestSamples) {
            if (s.mode == mode)
                return QString::fromLatin1(s.text);
        }
        return QString();
    };
    // Over the span of its characters, a reversed line is mostly ink and its top row solid;
    // the normal line is mostly paper.
    const auto span = [&](const QString &text) {
        const Virtual::PrintedLine *line = findLine(r, text);
        return line ? QRect(line->cells.front().x, line->top,
                            line->cells.back().x + line->cells.back().width - line->cells.front().x,
                            line->height)
                    : QRect();
    };
    const QRect reversed = span(sample(Jobs::PrintMode::Reverse));
    const QRect normal = span(sample(Jobs::PrintMode::Normal));
    QVERIFY(!reversed.isEmpty() && !normal.isEmpty());
    const auto share = [&](const QRect &area) {
        return double(inkDots(r.paper, area)) / (area.width() * area.height());
    };
    QVERIFY(share(reversed) > 0.6);
    QVERIFY(share(normal) < 0.3);
    QCOMPARE(inkDots(r.paper, QRect(reversed.left(), reversed.top(), reversed.width(), 1)),
             reversed.width());
}

void TestVirtualJobs::doubleWidthDoublesInk()
{
    // The attribute samples each end with the digits; compare the normal and the double-width
    // sample's digit lines.
    const Rendered r = render(m_streams.value("pushButtonAttributes"));
    int normalIndex = -1, doubleIndex = -1;
    for (int i = 0; i < int(std::size(Jobs::attributeSamples)); ++i) {
        if (Jobs::attributeSamples[i].mode == Jobs::PrintMode::Normal)
            normalIndex = i;
        if (Jobs::attributeSamples[i].mode == Jobs::PrintMode::DoubleWidth)
            doubleIndex = i;
    }
    const Virtual::PrintedLine *normal = findLine(r, QStringLiteral("0123456789"), normalIndex);
    const Virtual::PrintedLine *wide = findLine(r, QStringLiteral("0123456789"), doubleIndex);
    QVERIFY(normal && wide);
    const QRect normalInk = inkBounds(r.paper, band(r.paper, *normal));
    const QRect wideInk = inkBounds(r.paper, band(r.paper, *wide));
    QVERIFY(!normalInk.isEmpty());
    QVERIFY2(std::abs(wideInk.width() - 2 * normalInk.width()) <= 2,
             qPrintable(QStringLiteral("%1 and %2").arg(normalInk.width()).arg(wideInk.width())));
    QCOMPARE(wideInk.height(), normalInk.height());
}

void TestVirtualJobs::rightAlignedLineEndsAtEdge()
{
    const Rendered r = render(m_streams.value("pushButtonTabs"));
    QString text;
    for (const Jobs::Alignment::AlignedLine &line : Jobs::Alignment::alignedLines) {
        if (line.align == Jobs::Align::Right)
            text = QString::fromLatin1(line.text);
    }
    const Virtual::PrintedLine *line = findLine(r, text);
    QVERIFY(line);
    const QRect ink = inkBounds(r.paper, band(r.paper, *line));
    QVERIFY2(ink.right() >= r.paper.width() - 3, qPrintable(QString::number(ink.right())));
    QVERIFY(ink.left() > r.paper.width() / 2);
}

void TestVirtualJobs::languages_data()
{
    QTest::addColumn<char16_t>("first");
    QTest::addColumn<char16_t>("last");

    QTest::newRow("Latin beyond Latin-1") << char16_t(0x0100) << char16_t(0x1EFF);
    QTest::newRow("Chinese") << char16_t(0x4E00) << char16_t(0x9FFF);
    QTest::newRow("Japanese") << char16_t(0x3040) << char16_t(0x30FF);
    QTest::newRow("Greek") << char16_t(0x0370) << char16_t(0x03FF);
    QTest::newRow("Arabic") << char16_t(0x0600) << char16_t(0x06FF);
}

void TestVirtualJobs::languages()
{
    QFETCH(char16_t, first);
    QFETCH(char16_t, last);

    // The box a character without a glyph gets, to tell it from a glyph on the paper.
    const Virtual::GlyphCell box =
        Virtual::FontSet::system().glyph(0xFFFF, Virtual::FontSet::Size::Standard);
    QVERIFY(!box.found);

    const Rendered r = render(m_streams.value("pushButtonLanguage"));
    int characters = 0;
    for (const Virtual::PrintedLine &line : r.lines) {
        for (const Virtual::PrintedLine::Cell &cell : line.cells) {
            if (cell.character < first || cell.character > last)
                continue;
            ++characters;
            const QString name =
                QStringLiteral("U+%1").arg(int(cell.character), 4, 16, QLatin1Char('0'));
            QVERIFY2(inkDots(r.paper, QRect(cell.x, line.top, cell.width, line.height)) > 0,
                     qPrintable(name + QStringLiteral(" is blank")));
            const bool boxed = [&] {
                for (int y = 0; y < box.height; ++y) {
                    for (int x = 0; x < box.width; ++x) {
                        if (isWhite(r.paper, cell.x + x, line.top + line.height - box.height + y) ==
                            box.dot(x, y))
                            return false;
                    }
                }
                return true;
            }();
            QVERIFY2(!boxed, qPrintable(name + QStringLiteral(" is a box")));
        }
    }
    QVERIFY(characters >= 10);
}

void TestVirtualJobs::receiptCutAnywhere()
{
    // The receipt fed in two pieces, cut at every offset, and byte by byte: the same paper and
    // the same trace as in one piece.
    const QByteArray receipt = m_streams.value(QString::fromLatin1(Jobs::plainReceipt.button));
    const auto run = [&](const std::function<void(Virtual::VirtualController &)> &feed) {
        QBuffer trace;
        trace.open(QIODevice::WriteOnly);
        Virtual::VirtualController controller({0, Virtual::Paper::defaultMaxLength, &trace});
        feed(controller);
        controller.finish();
        return std::make_pair(controller.paper(), trace.data());
    };
    const auto whole = run([&](Virtual::VirtualController &c) { c.feed(receipt); });
    QVERIFY(!inkBounds(whole.first).isEmpty());
    for (qsizetype at = 1; at < receipt.size(); ++at) {
        const auto split = run([&](Virtual::VirtualController &c) {
            c.feed(QByteArrayView(receipt).first(at));
            c.feed(QByteArrayView(receipt).sliced(at));
        });
        QVERIFY2(split.first == whole.first, qPrintable(QString::number(at)));
        QVERIFY2(split.second == whole.second, qPrintable(QString::number(at)));
    }
    const auto bytewise = run([&](Virtual::VirtualController &c) {
        for (qsizetype i = 0; i < receipt.size(); ++i)
            c.feed(QByteArrayView(receipt).sliced(i, 1));
    });
    QVERIFY(bytewise.first == whole.first);
    QCOMPARE(bytewise.second, whole.second);
}

void TestVirtualJobs::streamsCutShort()
{
    // A job's stream cut short prints part of its paper: every dot it prints is one that the
    // whole stream prints the same.
    for (const QString &job : std::as_const(m_jobs)) {
        const QByteArray stream = m_streams.value(job);
        const QImage full = render(stream).paper;
        for (int part = 1; part < 16; ++part) {
            const QImage cut =
                render(QByteArrayView(stream).first(stream.size() * part / 16)).paper;
            QVERIFY(cut.height() <= full.height());
            for (int y = 0; y < cut.height(); ++y) {
                const uchar *a = cut.constScanLine(y);
                const uchar *b = full.constScanLine(y);
                for (int x = 0; x < cut.width(); ++x) {
                    if (a[x] != 255 && a[x] != b[x])
                        QFAIL(qPrintable(QStringLiteral("%1 cut at %2/16: dot %3,%4")
                                             .arg(job)
                                             .arg(part)
                                             .arg(x)
                                             .arg(y)));
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestVirtualJobs)
#include "tst_virtual_jobs.moc"
