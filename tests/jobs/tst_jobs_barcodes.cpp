#include "jobbench.h"
#include "wire.h"

#include "jobs/jobdata.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QTest>

#include <iterator>

using namespace Expect;

// The Bar Codes page: the nine bar code samples with and without the margin box, and the two
// buttons that switch the value's text.
class TestBarcodeJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void barcodeJob_data();
    void barcodeJob();
    void textOption_data();
    void textOption();
    void marginBoxAloneSendsNothing();
};

namespace {

struct Sample
{
    const char *button;
    const char *console;
    const char *caption;
    int width;
    int system;
    const char *data;
    int plainTotal;
    int marginTotal;
};

const Sample samples[] = {
    {"pushButtonBarcodeUPCA", "Printing UPC-A bar code: 01234567890", "UPCA height=64 width=3", 3,
     0, "01234567890", 58, 61},
    {"pushButtonBarcodeUPCE", "Printing UPC-E bar code: 012345", "UPC-E height=64 width=3", 3, 1,
     "012345", 54, 57},
    {"pushButtonBarcodeEAN13", "Printing EAN-13 bar code: 012345678901", "EAN13 height=64 width=3",
     3, 2, "012345678901", 60, 63},
    {"pushButtonBarcodeEAN8", "Printing EAN-8 bar code: 0123456", "EAN-8 height=64 width=3", 3, 3,
     "0123456", 55, 58},
    {"pushButtonBarcodeCODE39", "Printing Code 39 bar code: 123456ZP402",
     "Code 39 height=64 width=2", 2, 4, "123456ZP402", 61, 64},
    {"pushButtonBarcodeITF25", "Printing ITF 2 5 bar code: 12345678", "ITF 2 5 height=64 width=3",
     3, 5, "12345678", 58, 61},
    {"pushButtonBarcodeCODABAR", "Printing CODA BAR bar code: a123456a",
     "CODA BAR height=64 width=3", 3, 6, "a123456a", 59, 62},
    {"pushButtonBarcodeCODE93", "Printing CODE 93 bar code: 12345678", "CODE 93 height=64 width=3",
     3, 7, "12345678", 58, 61},
    {"pushButtonBarcodeCODE128A", "Printing CODE 128A bar code: 12345678",
     "CODE 128A height=64 width=2", 2, 8, "12345678", 60, 63},
};

const Sample *sampleFor(const char *button)
{
    for (const Sample &s : samples) {
        if (qstrcmp(s.button, button) == 0)
            return &s;
    }
    return nullptr;
}

const QString marginLine =
    QStringLiteral("Adding 4 to left margin - Bar Code will be moved 4mm to the right");

} // namespace

// Walks the job table, so a button that the table leaves out or names wrongly shows up here.
void TestBarcodeJobs::barcodeJob_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("margin");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("total");
    QTest::addColumn<QStringList>("account");

    int rows = 0;
    for (const Jobs::BarcodeJob *job : Jobs::barcodeJobs) {
        const Sample *s = sampleFor(job->button);
        if (!s)
            continue;
        ++rows;
        const QByteArray head = softInit + line(s->caption) + feedLines(2);
        const QByteArray tail = barWidth(s->width) + barHeight(64) + barcode(s->system, s->data) +
                                feedLines(2) + leftMargin(0);
        const QString console = QString::fromLatin1(s->console);
        QTest::addRow("%s", job->button)
            << job->button << false << head + tail << s->plainTotal << QStringList{console};
        QTest::addRow("%s with margin", job->button)
            << job->button << true << head + leftMargin(4) + tail << s->marginTotal
            << QStringList{console, marginLine};
    }
    if (rows != int(std::size(samples)))
        QTest::newRow("every bar code button has its row")
            << QString() << false << QByteArray() << -1 << QStringList();
}

void TestBarcodeJobs::barcodeJob()
{
    QFETCH(QString, button);
    QFETCH(bool, margin);
    QFETCH(QByteArray, stream);
    QFETCH(int, total);
    QFETCH(QStringList, account);
    QVERIFY2(!button.isEmpty(), "the bar code table misses a button");
    QCOMPARE(stream.size(), total);

    JobBench bench;
    QVERIFY(bench.ready());
    QAbstractButton *box = bench.button(QStringLiteral("checkBoxBarCodeMargin"));
    QVERIFY(box);
    QVERIFY(!box->isChecked());
    box->setChecked(margin);

    QVERIFY(bench.click(button));
    QVERIFY(bench.click(button));
    QCOMPARE(bench.consoleLines(), account);
    const QByteArray got = bench.receive(2 * total);
    QCOMPARE(got.size(), 2 * total);
    QCOMPARE(got.first(total), stream);
    QCOMPARE(got.sliced(total), stream);
}

void TestBarcodeJobs::textOption_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("console");

    QTest::newRow("with text") << "pushButtonYesText" << barText(1)
                               << "Enable Bar Code Text printing - Default";
    QTest::newRow("without text") << "pushButtonNoText" << barText(0)
                                  << "Disable Bar Code Text printing";
}

// A text option changes only a setting: no soft initialisation, no feed, no sample.
void TestBarcodeJobs::textOption()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, stream);
    QFETCH(QString, console);

    JobBench bench;
    QVERIFY(bench.ready());
    QVERIFY(bench.click(button));
    QVERIFY(bench.click(button));
    QCOMPARE(bench.consoleLines(), QStringList{console});
    QCOMPARE(bench.receive(2 * stream.size()), stream + stream);
}

void TestBarcodeJobs::marginBoxAloneSendsNothing()
{
    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    QVERIFY(bench.click(QStringLiteral("checkBoxBarCodeMargin")));
    QVERIFY(bench.button(QStringLiteral("checkBoxBarCodeMargin"))->isChecked());
    QVERIFY(bench.click(QStringLiteral("checkBoxBarCodeMargin")));
    QCOMPARE(bench.receiveRest(), QByteArray());
    QCOMPARE(bench.console()->toPlainText(), QStringLiteral("an earlier account"));
}

QTEST_MAIN(TestBarcodeJobs)
#include "tst_jobs_barcodes.moc"
