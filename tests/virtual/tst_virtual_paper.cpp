#include "paperreader.h"

#include "commands/commandset.h"

#include <QTest>

#include <functional>

using namespace PaperReader;
using Build = std::function<void(CommandSet &)>;
Q_DECLARE_METATYPE(Build)

// The paper of small streams made with the command set: where things land, how far the paper
// moves, what each print mode and darkness does, what a scanner reads from every barcode system
// and QR code, and the limits of the roll.
class TestVirtualPaper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data();
    void placement();
    void linePitch_data();
    void linePitch();
    void printModes();
    void darknessLevels();
    void barcodes_data();
    void barcodes();
    void barcodesRefused_data();
    void barcodesRefused();
    void qrCodes_data();
    void qrCodes();
    void rollLimits();
    void buffersAndReset();
};

namespace {

const unsigned char black[] = {0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::uint8_t reverse = 0x40;

const unsigned char *bytes(const char *text)
{
    return reinterpret_cast<const unsigned char *>(text);
}

// Reverse printing fills each character's whole cell, so its ink shows the cell exactly.
void cells(CommandSet &c, const char *text, std::uint8_t mode = reverse)
{
    c.fontTypeSet(mode);
    c.printStr(text);
}

// Check digit of a UPC or EAN number: weights 3 and 1 from the right.
char checkDigit(const QByteArray &digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    return char('0' + (10 - sum % 10) % 10);
}

// A six-digit UPC-E with number system 0, as a scanner reads it: system, digits, and the check
// digit of the UPC-A number it stands for.
QByteArray upcE(const QByteArray &six)
{
    const char last = six[5];
    QByteArray upcA = "0";
    if (last <= '2')
        upcA += six.left(2) + last + "0000" + six.mid(2, 3);
    else if (last == '3')
        upcA += six.left(3) + "00000" + six.mid(3, 2);
    else if (last == '4')
        upcA += six.left(4) + "00000" + six[4];
    else
        upcA += six.left(5) + "0000" + last;
    return "0" + six + checkDigit(upcA);
}

} // namespace

void TestVirtualPaper::placement_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");

    const auto picture = [](CommandSet &c, unsigned char mode = 0) {
        c.picturePrintH(mode, 1, 1, black);
    };
    QTest::newRow("picture left") << Build([picture](CommandSet &c) { picture(c); }) << 0 << 7;
    QTest::newRow("picture centred") << Build([picture](CommandSet &c) {
        c.horizontalAlign(1);
        picture(c);
    }) << 188 << 195;
    QTest::newRow("picture right") << Build([picture](CommandSet &c) {
        c.horizontalAlign(2);
        picture(c);
    }) << 376 << 383;
    QTest::newRow("picture right, 80 mm head") << Build([picture](CommandSet &c) {
        c.setPrinterHead(5);
        c.horizontalAlign(2);
        picture(c);
    }) << 568 << 575;
    QTest::newRow("picture double width")
        << Build([picture](CommandSet &c) { picture(c, 1); }) << 0 << 15;
    QTest::newRow("picture after a left margin of 4 mm") << Build([picture](CommandSet &c) {
        c.setLeftMargin(4);
        picture(c);
    }) << 32 << 39;
    QTest::newRow("picture right of a right edge at 38 mm") << Build([picture](CommandSet &c) {
        c.setRightMargin(38);
        c.horizontalAlign(2);
        picture(c);
    }) << 296 << 303;
    QTest::newRow("stored bitmap, centred as stored") << Build([](CommandSet &c) {
        c.downloadNVBitmap(7, 1, 1, 1, black);
        c.printNVBitmap(7, 1);
    }) << 184 << 199;
    QTest::newRow("text at position 50") << Build([](CommandSet &c) {
        c.absolutePrintPos(50, 0);
        cells(c, "A");
    }) << 50 << 61;
    QTest::newRow("text at the first default tab stop") << Build([](CommandSet &c) {
        c.horizontalTab();
        cells(c, "A");
    }) << 96 << 107;
    QTest::newRow("tab stops set in double width") << Build([](CommandSet &c) {
        const unsigned char stops[] = {2};
        c.fontTypeSet(0x20);
        c.horizontalTabSet(stops, 1);
        c.horizontalTab();
        cells(c, "A", reverse | 0x20);
    }) << 48 << 71;
    QTest::newRow("text after a left margin of 8 mm") << Build([](CommandSet &c) {
        c.setLeftMargin(8);
        cells(c, "A");
    }) << 64 << 75;
    QTest::newRow("text centred") << Build([](CommandSet &c) {
        c.horizontalAlign(1);
        cells(c, "AB");
    }) << 180 << 203;
    QTest::newRow("text right of a right edge at 38 mm") << Build([](CommandSet &c) {
        c.setRightMargin(38);
        c.horizontalAlign(2);
        cells(c, "AB");
    }) << 280 << 303;
    QTest::newRow("text right, 80 mm head") << Build([](CommandSet &c) {
        c.setPrinterHead(1);
        c.horizontalAlign(2);
        cells(c, "AB");
    }) << 552 << 575;
    QTest::newRow("full-width character in two cells") << Build([](CommandSet &c) {
        c.setDbMode();
        cells(c, "\xB7\xC9");
    }) << 0 << 23;
    QTest::newRow("small font") << Build([](CommandSet &c) {
        c.setFontMode(1);
        cells(c, "AB");
    }) << 0 << 15;
    QTest::newRow("line wraps at the right edge") << Build([](CommandSet &c) {
        c.setRightMargin(4);
        cells(c, "ABC");
    }) << 0 << 23;
    // Common printers' positions and pictures.
    const auto raw = [](const char *hex) {
        return [bytes = QByteArray::fromHex(hex)](CommandSet &c) {
            c.Write(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                    size_t(bytes.size()));
        };
    };
    const auto rawThen = [raw](const char *hex, const char *text) {
        return Build([send = raw(hex), text](CommandSet &c) {
            send(c);
            cells(c, text);
        });
    };
    QTest::newRow("left margin of 16 dots") << rawThen("1d4c1000", "A") << 16 << 27;
    QTest::newRow("print area 100 dots wide, right")
        << rawThen("1b6102 1d576400", "AB") << 76 << 99;
    QTest::newRow("relative position") << rawThen("1b5c1e00", "A") << 30 << 41;
    QTest::newRow("upside down: the line turned round") << rawThen("1b7b01", "A") << 372 << 383;
    QTest::newRow("graphics in the print buffer, centred")
        << Build(raw("1b6101 1d284c0b00 3070 3001 0131 0800 0100 ff 1d284c0200 3032")) << 188
        << 195;
    QTest::newRow("NV graphics by key, double width")
        << Build(raw("1d284c0c00 3043 30 4142 01 0800 0100 31 ff 1b40 1d284c0600 3045 4142 0201"))
        << 0 << 15;
    QTest::newRow("24-dot column picture at position 8")
        << Build(raw("1b240800 1b2a21 0200 ffffff ffffff")) << 8 << 9;
    QTest::newRow("tab stop past the right edge ends the line") << Build([](CommandSet &c) {
        const unsigned char stops[] = {40};
        c.horizontalTabSet(stops, 1);
        cells(c, "A");
        c.horizontalTab();
        c.printStr("B");
    }) << 0 << 11;
}

void TestVirtualPaper::placement()
{
    QFETCH(Build, build);
    QFETCH(int, left);
    QFETCH(int, right);

    const QRect ink = inkBounds(render(stream([&](CommandSet &c) {
                                    build(c);
                                    c.printLF();
                                })).paper);
    QCOMPARE(ink.left(), left);
    QCOMPARE(ink.right(), right);
}

void TestVirtualPaper::linePitch_data()
{
    QTest::addColumn<Build>("between");
    QTest::addColumn<int>("pitch");

    QTest::newRow("default line spacing") << Build([](CommandSet &c) { c.printLF(); }) << 33;
    QTest::newRow("ESC 3 66") << Build([](CommandSet &c) {
        c.lineSpacingSet(66);
        c.printLF();
    }) << 66;
    QTest::newRow("ESC 2 back to 33") << Build([](CommandSet &c) {
        c.lineSpacingSet(66);
        c.lineSpacingDefaults();
        c.printLF();
    }) << 33;
    QTest::newRow("a double-height line is taller") << Build([](CommandSet &c) {
        c.printLF();
        cells(c, "C", reverse | 0x10);
        c.printLF();
    }) << 33 + 48;
    QTest::newRow("ESC J feeds its dots")
        << Build([](CommandSet &c) { c.printAndFeedNDotLine(40); }) << 40;
    QTest::newRow("ESC J feeds at least the line")
        << Build([](CommandSet &c) { c.printAndFeedNDotLine(10); }) << 24;
    QTest::newRow("ESC J after the line") << Build([](CommandSet &c) {
        c.printLF();
        c.printAndFeedNDotLine(20);
    }) << 53;
    QTest::newRow("ESC d ends the line and feeds the rest")
        << Build([](CommandSet &c) { c.printAndFeedNFontLine(3); }) << 99;
    QTest::newRow("ESC d after the line") << Build([](CommandSet &c) {
        c.printLF();
        c.printAndFeedNFontLine(2);
    }) << 99;
    QTest::newRow("a cut takes 10 dots") << Build([](CommandSet &c) {
        c.printLF();
        c.fullCut();
    }) << 43;
    QTest::newRow("a picture ends the line") << Build([](CommandSet &c) {
        c.picturePrintH(0, 0, 0, nullptr);
        c.picturePrintH(0, 1, 5, nullptr);
    }) << 38;
}

void TestVirtualPaper::linePitch()
{
    QFETCH(Build, between);
    QFETCH(int, pitch);

    // A cell at the left, then the second one further right: the top of the second is the
    // pitch. (Its last column is clear of a cut mark's dashes.)
    const QImage paper = render(stream([&](CommandSet &c) {
                             cells(c, "A");
                             between(c);
                             c.absolutePrintPos(48, 0);
                             cells(c, "B");
                             c.printLF();
                         })).paper;
    QVERIFY(qGray(paper.pixel(0, 0)) < 255);
    int second = 0;
    while (second < paper.height() && qGray(paper.pixel(59, second)) == 255)
        ++second;
    QCOMPARE(second, pitch);
}

void TestVirtualPaper::printModes()
{
    // The same letter in each mode, side by side in cells of their own.
    const auto letter = [](std::uint8_t mode) {
        const Rendered r = render(stream([&](CommandSet &c) { c.print_with_font("H", mode); }));
        return r.paper.copy(0, 0, 24, 24);
    };
    const QImage normal = letter(0x00);
    const QRect normalInk = inkBounds(normal);
    const int normalDots = inkDots(normal, normal.rect());

    const QImage bold = letter(0x08);
    QCOMPARE(inkBounds(bold).width(), normalInk.width() + 1);
    QVERIFY(inkDots(bold, bold.rect()) > normalDots);

    const QImage underlined = letter(0x80);
    QCOMPARE(inkDots(underlined, QRect(0, 22, 12, 2)), 24);
    QCOMPARE(inkDots(normal, QRect(0, 22, 12, 2)), 0);

    // Italic leans: the top of the letter moves right, its foot stays.
    const QImage italic = letter(0x02);
    const QRect top(0, normalInk.top(), 24, 1);
    const QRect foot(0, normalInk.bottom(), 24, 1);
    QVERIFY(inkBounds(italic, top).left() > inkBounds(normal, top).left());
    QCOMPARE(inkBounds(italic, foot).left(), inkBounds(normal, foot).left());

    // Reverse: the cell is ink where the letter is not.
    const QImage inverted = letter(0x40);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 12; ++x)
            QCOMPARE(inverted.pixel(x, y) == qRgb(255, 255, 255),
                     normal.pixel(x, y) != qRgb(255, 255, 255));
    }
}

void TestVirtualPaper::darknessLevels()
{
    // A reversed cell at every level, one line each; level 8 is black, each lower level lighter.
    const QImage paper = render(stream([](CommandSet &c) {
                             for (std::uint8_t level = 0; level <= 8; ++level) {
                                 c.setFontGrayScale(level);
                                 cells(c, "A");
                                 c.printLF();
                             }
                             c.printerSoftInit();
                             cells(c, "A");
                             c.printLF();
                         })).paper;
    const auto grey = [&](int line) { return qGray(paper.pixel(0, line * 33)); };
    QCOMPARE(grey(8), 0);
    for (int level = 1; level <= 8; ++level)
        QVERIFY2(grey(level) < grey(level - 1), qPrintable(QString::number(level)));
    QVERIFY(grey(0) < 255);
    // ESC @ returns to the usual level 4.
    QCOMPARE(grey(9), grey(4));
}

void TestVirtualPaper::barcodes_data()
{
    QTest::addColumn<int>("system");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("read");

    const QByteArray upcA = "01234567890";
    const QByteArray ean13 = "401234567890";
    const QByteArray ean8 = "9638507";
    QTest::newRow("UPC-A, check digit added") << 0 << upcA << "UPC-A" << upcA + checkDigit(upcA);
    QTest::newRow("UPC-A with its check digit")
        << 0 << upcA + checkDigit(upcA) << "UPC-A" << upcA + checkDigit(upcA);
    QTest::newRow("UPC-E of six digits") << 1 << QByteArray("012345") << "UPC-E" << upcE("012345");
    QTest::newRow("UPC-E of six digits ending in 2")
        << 1 << QByteArray("654322") << "UPC-E" << upcE("654322");
    QTest::newRow("UPC-E with its check digit") << 1 << upcE("012345") << "UPC-E" << upcE("012345");
    QTest::newRow("EAN-13, check digit added")
        << 2 << ean13 << "EAN-13" << ean13 + checkDigit(ean13);
    QTest::newRow("EAN-13 with its check digit")
        << 2 << ean13 + checkDigit(ean13) << "EAN-13" << ean13 + checkDigit(ean13);
    QTest::newRow("EAN-8, check digit added") << 3 << ean8 << "EAN-8" << ean8 + checkDigit(ean8);
    QTest::newRow("EAN-8 with its check digit stays EAN-8")
        << 3 << ean8 + checkDigit(ean8) << "EAN-8" << ean8 + checkDigit(ean8);
    QTest::newRow("Code 39") << 4 << QByteArray("CODE-39 $/+%") << "CODE-39"
                             << QByteArray("CODE-39 $/+%");
    QTest::newRow("Code 39 with start and stop")
        << 4 << QByteArray("*AB12*") << "CODE-39" << QByteArray("AB12");
    QTest::newRow("ITF") << 5 << QByteArray("00123456") << "I2/5" << QByteArray("00123456");
    QTest::newRow("Codabar in lower case")
        << 6 << QByteArray("b40156d") << "Codabar" << QByteArray("B40156D");
    QTest::newRow("Code 93") << 7 << QByteArray("Code 93!") << "CODE-93" << QByteArray("Code 93!");
    QTest::newRow("Code 128 plain")
        << 8 << QByteArray("Tessivar 1.1") << "CODE-128" << QByteArray("Tessivar 1.1");
    QTest::newRow("Code 128 in code set B")
        << 8 << QByteArray("{BNo.{{1}") << "CODE-128" << QByteArray("No.{1}");
    QTest::newRow("Code 128 in code set C")
        << 8 << QByteArray("{C\x0c\x22\x38") << "CODE-128" << QByteArray("123456");
    QTest::newRow("Code 128 from set A to set C")
        << 8 << QByteArray("{AAB{C\x05") << "CODE-128" << QByteArray("AB05");
}

void TestVirtualPaper::barcodes()
{
    QFETCH(int, system);
    QFETCH(QByteArray, data);
    QFETCH(QString, type);
    QFETCH(QByteArray, read);

    const Rendered r = render(stream([&](CommandSet &c) {
        c.barcodeWidthSet(2);
        c.barcodeHeightSet(60);
        c.barcodePrint(std::uint8_t(system), bytes(data.constData()), std::uint8_t(data.size()));
    }));
    const QList<Symbol> symbols = scan(r.paper, type == QLatin1String("EAN-13"));
    QCOMPARE(symbols.size(), 1);
    QCOMPARE(symbols[0].type, type);
    QCOMPARE(symbols[0].data, read);
    // The bars are as high as asked and modules two dots wide: the narrowest bar is 2 dots.
    const QRect bars = inkBounds(r.paper, QRect(0, 0, r.paper.width(), 60));
    QCOMPARE(bars.top(), 0);
    int narrowest = INT_MAX;
    for (int x = bars.left(), run = 0; x <= bars.right() + 1; ++x) {
        if (x <= bars.right() && qGray(r.paper.pixel(x, 30)) < 128) {
            ++run;
        } else if (run > 0) {
            narrowest = std::min(narrowest, run);
            run = 0;
        }
    }
    QCOMPARE(narrowest, 2);
}

void TestVirtualPaper::barcodesRefused_data()
{
    QTest::addColumn<int>("system");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("UPC-A of ten digits") << 0 << QByteArray("0123456789");
    QTest::newRow("UPC-A with a wrong check digit") << 0 << QByteArray("012345678901");
    QTest::newRow("EAN-8 with a letter") << 3 << QByteArray("012345A");
    QTest::newRow("Code 39 in lower case") << 4 << QByteArray("abc");
    QTest::newRow("ITF of an odd number of digits") << 5 << QByteArray("12345");
    QTest::newRow("Codabar without start and stop") << 6 << QByteArray("123456");
    QTest::newRow("Code 128 code set C above 99") << 8 << QByteArray("{C\x64");
    QTest::newRow("wider than the paper") << 8 << QByteArray(60, 'x');
}

void TestVirtualPaper::barcodesRefused()
{
    QFETCH(int, system);
    QFETCH(QByteArray, data);

    const Rendered r = render(stream([&](CommandSet &c) {
        c.barcodeWidthSet(3);
        c.barcodePrint(std::uint8_t(system), bytes(data.constData()), std::uint8_t(data.size()));
        cells(c, "A");
        c.printLF();
    }));
    // Nothing but the cell after it, on the first line; the trace says why.
    QCOMPARE(inkBounds(r.paper), QRect(0, 0, 12, 24));
    QVERIFY2(r.trace.contains("not printed"), r.trace.constData());
}

void TestVirtualPaper::qrCodes_data()
{
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("module 3, level L") << 3 << 0x30 << QByteArray("hello");
    QTest::newRow("module 6, level H") << 6 << 0x33 << QByteArray("https://example.org/tessivar");
    QTest::newRow("module 2, level M, command bytes in the data")
        << 2 << 0x31 << QByteArray("\x1b@\x1d(k\n", 7);
}

void TestVirtualPaper::qrCodes()
{
    QFETCH(int, module);
    QFETCH(int, level);
    QFETCH(QByteArray, data);

    const Rendered r = render(stream([&](CommandSet &c) {
        c.setQRSizeVersion(std::uint8_t(module));
        c.setQRcodeErrorCorrection(std::uint8_t(level));
        c.transferQRcodeData(std::uint16_t(data.size()), bytes(data.constData()));
        c.printQRcodeData();
    }));
    const QList<Symbol> symbols = scan(r.paper);
    QCOMPARE(symbols.size(), 1);
    QCOMPARE(symbols[0].type, QStringLiteral("QR-Code"));
    QCOMPARE(symbols[0].data, data);
    const QRect ink = inkBounds(r.paper);
    QCOMPARE(ink.width(), ink.height());
    QCOMPARE(ink.width() % module, 0);
    QVERIFY(ink.width() / module >= 21);
}

void TestVirtualPaper::rollLimits()
{
    // Feeding past the end of a short roll: the paper stops at its end, said once.
    const Rendered fed = render(stream([](CommandSet &c) {
                                    for (int i = 0; i < 10; ++i)
                                        c.printAndFeedNFontLine(255);
                                    cells(c, "A");
                                    c.printLF();
                                }),
                                0, 1000);
    QCOMPARE(fed.paper.height(), 1000);
    QVERIFY(fed.ranOut);
    QCOMPARE(fed.trace.count("the roll ends"), 1);

    // A picture announced as 65535 x 65535 dots: three rows arrive and are drawn, cut at the
    // paper's edge; the roll holds no more than the rows it received, and the stream ends inside
    // the picture.
    const QByteArray header = QByteArray::fromHex("1d763000ffffffff");
    const Rendered three = render(header + QByteArray(3 * 65535, '\xff'));
    QCOMPARE(three.paper.size(), QSize(384, 3));
    QCOMPARE(inkDots(three.paper, three.paper.rect()), 3 * 384);
    QVERIFY(three.allocatedBytes <= Virtual::Paper::bandRows * Virtual::Paper::maxWidth);
    QVERIFY(three.trace.contains("196605 of 4294836225 bytes"));

    // A bitmap larger than the bitmap memory is not stored, and so cannot be printed.
    const Rendered stored = render(stream([](CommandSet &c) {
        c.downloadNVBitmap(1, 0, 512, 512, nullptr);
        c.printNVBitmap(1, 0);
    }));
    QVERIFY(stored.trace.contains("does not fit the bitmap memory"));
    QVERIFY(stored.trace.contains("no bitmap stored at 1"));
    QVERIFY(inkBounds(stored.paper).isEmpty());
}

void TestVirtualPaper::buffersAndReset()
{
    // ESC @ drops the text waiting in the line and the print mode; DLE DC4 drops the text.
    const Rendered reset = render(stream([](CommandSet &c) {
        cells(c, "XYZ");
        c.printerSoftInit();
        c.printStr("A");
        c.printLF();
        c.printStr("lost");
        c.clearPrintBuffer();
        c.printLF();
        c.printStr("never printed");
    }));
    const QRect ink = inkBounds(reset.paper);
    QVERIFY(ink.right() < 12 && ink.bottom() < 24);
    QVERIFY(inkDots(reset.paper, QRect(0, 0, 12, 24)) < 100);
    QVERIFY(reset.trace.contains("13 characters wait for a line end"));

    // CR prints the line and goes back: what follows prints over it.
    const Rendered over = render(stream([](CommandSet &c) {
        c.printStr("I");
        c.printCR();
        c.printStr("-");
        c.printLF();
    }));
    const QImage i = render(stream([](CommandSet &c) { c.print_with_font("I", 0); })).paper;
    const QImage dash = render(stream([](CommandSet &c) { c.print_with_font("-", 0); })).paper;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool expected = qGray(i.pixel(x, y)) < 255 || qGray(dash.pixel(x, y)) < 255;
            QCOMPARE(qGray(over.paper.pixel(x, y)) < 255, expected);
        }
    }
}

QTEST_GUILESS_MAIN(TestVirtualPaper)
#include "tst_virtual_paper.moc"
