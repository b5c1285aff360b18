#include "expectedjobs.h"
#include "jobbench.h"

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
        const BarcodeSample *s = barcodeSampleFor(job->button);
        if (!s)
            continue;
        ++rows;
        const QString console = QString::fromLatin1(s->console);
        QTest::addRow("%s", job->button) << job->button << false << barcodeStream(*s, false)
                                         << s->plainTotal << QStringList{console};
        QTest::addRow("%s with margin", job->button)
            << job->button << true << barcodeStream(*s, true) << s->marginTotal
            << QStringList{console, marginLine};
    }
    if (rows != int(std::size(barcodeSamples)))
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
