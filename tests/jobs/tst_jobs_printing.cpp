#include "expectedjobs.h"
#include "jobbench.h"

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
    QTest::newRow("Receipt") << "pushButtonReceipt" << plainReceipt() << 12749
                             << QStringList{"Sample of typical POS receipt"};
    QTest::newRow("Receipt with Full Cut")
        << "pushButtonReceiptFullCut" << fullCutReceipt() << 12751
        << QStringList{"Sample of typical POS receipt with full paper cut"};
    QTest::newRow("Receipt with Partial Cut")
        << "pushButtonReceiptPartialCut" << partialCutReceipt() << 12751
        << QStringList{"Sample of typical POS receipt with partial paper cut"};
    QTest::newRow("QR Bitmap") << "pushButtonBitmap" << qrBitmap() << 6738
                               << QStringList{"Printing a sample QR code"};
    QTest::newRow("Reset") << "pushButtonReset" << softInit << 2
                           << QStringList{"Resets and initilizes to default values"};
    QTest::newRow("Clear") << "pushButtonClear" << clearBuffer + lf << 3
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
