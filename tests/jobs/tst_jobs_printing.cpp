#include "jobbench.h"
#include "wire.h"

#include "resources/samplebitmaps.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace Expect;

// The printing jobs of the General and Cutter pages: every byte each one queues, its console
// account, and a second press straight after the first.
class TestPrintingJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streamAndAccount_data();
    void streamAndAccount();
};

namespace {

const QByteArray rule(33, '.');

QByteArray quickTest()
{
    QByteArray s = softInit + align(0) + darkness(4);
    s += picture(ZP_company_384_94, 48, 94) + lf;
    s += line("======== S A M P L E ========");
    s += line("Normal 0123456 ABCD abcd", 0x00) + line("Bold 0123456 ABCD abcd", 0x08) +
         line("Double Width", 0x20) + line("Double Height", 0x10) +
         line("Reverse 0123456 ABCD abcd", 0x40) + line("Underlined 0123456 ABCD abcd", 0x80) +
         line("Italic 0123456 ABCD abcd", 0x02) + line("Italic 0123456 ABCD abcd", 0x82);
    s += lf;
    s += picture(wingdings_256_20, 32, 20) + lf;
    s += picture(wingdings_72_20, 9, 20) + lf;
    s += leftMargin(4) + barWidth(3) + barHeight(64) + barcode(0, "01234567890") + leftMargin(0);
    s += picture(rlLogoBuff1, 32, 256) + lf;
    return s;
}

QByteArray attributes()
{
    const QByteArray alphabets =
        "\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789";
    QByteArray s = align(0) + softInit + line(rule);
    s +=
        line("Normal" + alphabets, 0x00) + line("Bold" + alphabets, 0x08) +
        line("Double Width" + alphabets, 0x20) +
        line(
            "Double Height\nabcdefghijklmnop\nqrstuvwxyz\nABCDEFGHIJKLMNOP\nQRSTUVWXYZ\n0123456789",
            0x10) +
        line("Reverse" + alphabets, 0x40) + line("Underlined" + alphabets, 0x80) +
        line("Italic" + alphabets, 0x02);
    return s + line(rule + "\n\n");
}

QByteArray density()
{
    QByteArray s = align(0) + softInit + line(rule);
    for (int level = 0; level <= 8; ++level)
        s += darkness(level) + line(QByteArray::number(level) + ": abcdefghijklmnopqrstuvwxyz");
    return s + line(rule + "\n\n") + darkness(4);
}

QByteArray formatting()
{
    const QByteArray abc = "abcdefghijklmnopqrstuvwxyz";
    const QByteArray three = abc + '\n' + abc + '\n' + abc;
    const QByteArray defaultSpacing33 = "Default Line Space 33:\n " + three;
    QByteArray s = align(0) + softInit + line(rule) + line(defaultSpacing33);
    s += spacing(66) + line("Line Space 66:\n " + three) + defaultSpacing + line(defaultSpacing33);
    s += line(rule) + line("Feeding 20 dots after printing:\n" + three) + feedDots(20);
    s += line(rule) + line("Feeding 5 lines after printing:\n" + three) + feedLines(5);
    s += line(rule) + cr;
    s += leftMargin(8) + line("Left Margin 8:\nabcd\nabcd\nabcd") + leftMargin(0);
    s += rightMargin(38) + line("Right Margin 38:\nabcd\nabcd\nabcd") + rightMargin(48);
    return s;
}

QByteArray alignment()
{
    QByteArray s = align(0) + softInit + hex("1b44081826") + hex("00");
    s += line(rule) + line("No Tab: abcd");
    s += tab + "Tab1" + tab + "Tab2" + tab + "Tab3" + lf;
    s += line(rule) + hex("1b243200") + line("Abs: 1234") + line(rule);
    s += align(1) + line("Center: abcd") + align(2) + line("Right: abcd") + align(0) +
         line("Left: abcd");
    return s + line(rule);
}

QByteArray receipt(int paymentMode, const QByteArray &cut)
{
    QByteArray s = align(0) + softInit + darkness(4);
    s += picture(sample_company_384_256bmp, 48, 256) + lf;
    s += align(1) + line("Customer Receipt") + feedLines(2);
    s += align(0) + line("Date: DD/MM/YYYY") + line("PID: 034/344/00288394") + feedLines(2);
    s += QByteArray("  Qty      Item      Price") + feedDots(24);
    s += line(rule) + line("2x  1L 1.5% Milk     $3.98") + line("6x  1L 3.5% Milk     $16.75") +
         line("10x 100g Yogurt Cup  $8.50") + line(rule);
    s += line("Total:              $29.23", 0x08) + feedLines(1);
    s += line("Incl. 19% VAT $5.55 (Net $23.68)") + line(rule);
    s += line("Credit Card         $29.23", paymentMode) + feedLines(2);
    s += align(1) + line("THANK YOU FOR YOUR VISIT") + feedLines(2);
    return s + cut;
}

} // namespace

void TestPrintingJobs::streamAndAccount_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("total");
    QTest::addColumn<QStringList>("account");

    QTest::newRow("Quick Test") << "pushButtonFont" << quickTest() << 13833
                                << QStringList{"Printing features:",
                                               "Normal",
                                               "Bold",
                                               "Double Width",
                                               "Double Height",
                                               "Reverse",
                                               "Underlined",
                                               "Italic",
                                               "Combined font attribute Italic and Underlined",
                                               "Printing tiny Windings Bitmaps",
                                               "Printing Bar Code",
                                               "Printing Raster Bitmap"};
    QTest::newRow("Attributes") << "pushButtonAttributes" << attributes() << 624
                                << QStringList{"Printing text attribute options:",
                                               "Normal",
                                               "Bold",
                                               "Double Width",
                                               "Double Height",
                                               "Double Width and Height",
                                               "Reverse",
                                               "Underlined",
                                               "Italic"};
    QTest::newRow("Density") << "pushButtonDensity" << density() << 408
                             << QStringList{"Printing text darkness options:",
                                            "0 - Default",
                                            "1",
                                            "2",
                                            "3",
                                            "4",
                                            "5",
                                            "6",
                                            "7",
                                            "8"};
    QTest::newRow("Formatting") << "pushButtonFormatting" << formatting() << 793
                                << QStringList{"Setting some text parameters:",
                                               "Default line space of 33 dots",
                                               "Line space of 66 dots ",
                                               "Resetting to default 33 dots",
                                               "Print and feed paper 20 dots",
                                               "Print and feed paper 5 lines",
                                               "Test carriage return",
                                               "Setting a left margin of 8 dots",
                                               "Setting a right margin of 38 dots"};
    QTest::newRow("Alignment") << "pushButtonTabs" << alignment() << 262
                               << QStringList{"Setting 3 tabs and stepping to each",
                                              "Setting absolute print position",
                                              "Setting print alignment center",
                                              "Setting print alignment right",
                                              "Setting print alignment left"};
    QTest::newRow("Receipt") << "pushButtonReceipt" << receipt(0x90, {}) << 12749
                             << QStringList{"Sample of typical POS receipt"};
    QTest::newRow("Receipt with Full Cut")
        << "pushButtonReceiptFullCut" << receipt(0x10, fullCut) << 12751
        << QStringList{"Sample of typical POS receipt with full paper cut"};
    QTest::newRow("Receipt with Partial Cut")
        << "pushButtonReceiptPartialCut" << receipt(0x10, partialCut) << 12751
        << QStringList{"Sample of typical POS receipt with partial paper cut"};
    QTest::newRow("QR Bitmap") << "pushButtonBitmap"
                               << softInit + picture(zuvrel_qr_code_232_232, 29, 232) << 6738
                               << QStringList{"Printing a sample QR code"};
    QTest::newRow("Reset") << "pushButtonReset" << softInit << 2
                           << QStringList{"Resets and initilizes to default values"};
    QTest::newRow("Clear") << "pushButtonClear" << hex("1014") + lf << 3
                           << QStringList{"Clears the cyclic print buffer and line feeds"};
}

// Two presses in a row: the stream is queued twice, behind itself, and the pane holds one
// account, not two.
void TestPrintingJobs::streamAndAccount()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, stream);
    QFETCH(int, total);
    QFETCH(QStringList, account);
    QCOMPARE(stream.size(), total);

    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    QVERIFY(bench.click(button));
    QCOMPARE(bench.consoleLines(), account);
    QVERIFY(bench.click(button));
    QCOMPARE(bench.consoleLines(), account);

    const QByteArray got = bench.receive(2 * total);
    QCOMPARE(got.size(), 2 * total);
    QCOMPARE(firstDifference(got, stream + stream), -1);
    QCOMPARE(got.first(total), stream);
    QCOMPARE(got.sliced(total), stream);
    QCOMPARE(bench.boxes().count(), 0);
}

QTEST_MAIN(TestPrintingJobs)
#include "tst_jobs_printing.moc"
