#include "expectedjobs.h"

#include "commands/commandset.h"
#include "jobs/jobstreams.h"

#include <QBuffer>
#include <QTest>

#include <algorithm>

using namespace Expect;

// Every entry of Jobs::allJobStreams() queued into a buffer, without a window or a port, against
// the stream the pseudo-terminal tests expect from the same button.
class TestJobStreams : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stream_data();
    void stream();
};

namespace {

struct Expected
{
    const char *button;
    QByteArray stream;
};

// Each button's stream with its widgets as the window starts.
QList<Expected> defaultStreams()
{
    QList<Expected> out = {
        {"pushButtonFont", quickTest()},
        {"pushButtonAttributes", attributes()},
        {"pushButtonLanguage", languageTour()},
        {"pushButtonDensity", density()},
        {"pushButtonBitmap", qrBitmap()},
        {"pushButtonFormatting", formatting()},
        {"pushButtonTabs", alignment()},
        {"pushButtonReset", softInit},
        {"pushButtonClear", clearBuffer + lf},
        {"pushButtonReceipt", plainReceipt()},
        {"pushButtonVersion", versionRequest},
        {"pushButtonStatus", statusRequest},
        {"pushButtonPowerManagment", enterSleep},
        {"pushButtonYesText", barText(1)},
        {"pushButtonNoText", barText(0)},
        {"pushButtonFullCut", fullCut},
        {"pushButtonPartialCut", partialCut},
        {"pushButtonReceiptFullCut", fullCutReceipt()},
        {"pushButtonReceiptPartialCut", partialCutReceipt()},
        {"pushButtonApply", uartAtStart},
    };
    for (const BarcodeSample &sample : barcodeSamples)
        out.append({sample.button, barcodeStream(sample, false)});
    for (const HeadSample &printHead : heads)
        out.append({printHead.button, head(printHead.type)});
    return out;
}

} // namespace

// One row per listed job, named by its caption. A listed job without an expected stream (also
// one listed twice) has no stream to meet; a job missing from the list has no entry to run.
void TestJobStreams::stream_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QByteArray>("expected");

    QList<Expected> unmatched = defaultStreams();
    const auto jobs = Jobs::allJobStreams();
    for (qsizetype i = 0; i < qsizetype(jobs.size()); ++i) {
        const auto it = std::find_if(unmatched.begin(), unmatched.end(), [&](const Expected &e) {
            return qstrcmp(e.button, jobs[i].button) == 0;
        });
        QByteArray expected;
        if (it != unmatched.end()) {
            expected = it->stream;
            unmatched.erase(it);
        }
        QTest::newRow(jobs[i].name) << int(i) << expected;
    }
    for (const Expected &missing : unmatched)
        QTest::addRow("%s is not listed", missing.button) << -1 << missing.stream;
}

void TestJobStreams::stream()
{
    QFETCH(int, entry);
    QFETCH(QByteArray, expected);
    QVERIFY2(entry >= 0, "the job is missing from allJobStreams()");
    QVERIFY2(!expected.isEmpty(), "no expected stream for this button, or it is listed twice");

    QCOMPARE(firstDifference(Jobs::streamOf(Jobs::allJobStreams()[entry]), expected), -1);
}

QTEST_GUILESS_MAIN(TestJobStreams)
#include "tst_jobstreams.moc"
