// SPDX-License-Identifier: MIT
#include "datafile.h"
#include "jobbench.h"
#include "windowdriver.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "virtual/virtualcontroller.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCryptographicHash>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSerialPort>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTest>

// Every job of the window, driven from the core's registry of job streams: what each one means
// (its stream rendered into the virtual controller's trace, against a reviewed file), that the
// window's button puts exactly that stream on a real serial line, and the guard that keeps a
// closed port quiet. Then the jobs that read widgets or show replies.
class TestJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void traceAsReviewed_data() { everyJob(); }
    void traceAsReviewed();
    void buttonSendsItsStream_data() { everyJob(); }
    void buttonSendsItsStream();
    void closedPortSendsNothing_data() { everyJob(); }
    void closedPortSendsNothing();
    void uartCodesFromRadioButtons_data();
    void uartCodesFromRadioButtons();
    void headOnPressActsOnce();
    void marginBoxMovesTheBars();
    void doubleByteModeBalancedAndFreeOfNul();
    void waitingReplyShowsAtOnce_data();
    void waitingReplyShowsAtOnce();

private:
    static void everyJob();
};

namespace {

QString dataPath(const char *button, const char *suffix)
{
    return QStringLiteral(TESSIVAR_JOBS_DATA "/%1.%2")
        .arg(QString::fromLatin1(button), QString::fromLatin1(suffix));
}

// The trace shows pictures by their size only; the first line's checksum covers their bytes.
QByteArray traceOf(const QByteArray &stream)
{
    QBuffer trace;
    trace.open(QIODevice::WriteOnly);
    trace.write(QStringLiteral("# %1 bytes, SHA-1 %2\n")
                    .arg(stream.size())
                    .arg(QString::fromLatin1(
                        QCryptographicHash::hash(stream, QCryptographicHash::Sha1).toHex()))
                    .toLatin1());
    Virtual::VirtualController controller({.trace = &trace});
    controller.feed(stream);
    controller.finish();
    return trace.data();
}

} // namespace

void TestJobs::everyJob()
{
    QTest::addColumn<int>("entry");
    const auto jobs = Jobs::allJobStreams();
    for (qsizetype i = 0; i < qsizetype(jobs.size()); ++i)
        QTest::newRow(jobs[i].button) << int(i);
}

// The trace names every command with its parameters and every text, so a wrong byte anywhere in
// a job shows as a changed line of its reviewed trace.
void TestJobs::traceAsReviewed()
{
    QFETCH(int, entry);
    const Jobs::JobStream &job = Jobs::allJobStreams()[entry];
    QString why;
    QVERIFY2(DataFile::matches(dataPath(job.button, "trace"), traceOf(Jobs::streamOf(job)), &why),
             qPrintable(why));
}

// Two presses in a row: the stream twice, behind itself, on the far end of a real serial line;
// the pane holds the job's account once.
void TestJobs::buttonSendsItsStream()
{
    QFETCH(int, entry);
    const Jobs::JobStream &job = Jobs::allJobStreams()[entry];
    const QByteArray stream = Jobs::streamOf(job);

    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    QVERIFY(bench.click(QString::fromLatin1(job.button)));
    const QString account = bench.console()->toPlainText();
    QVERIFY(bench.click(QString::fromLatin1(job.button)));
    QCOMPARE(bench.console()->toPlainText(), account);

    const QByteArray got = bench.receive(2 * stream.size());
    QCOMPARE(got.size(), 2 * stream.size());
    QVERIFY(got.first(stream.size()) == stream);
    QVERIFY(got.sliced(stream.size()) == stream);
    QCOMPARE(bench.boxes().count(), 0);
    QString why;
    QVERIFY2(DataFile::matches(dataPath(job.button, "console"), account.toUtf8(), &why),
             qPrintable(why));
}

// The line was open and is closed again, so a job that wrote regardless would reach the far end
// or at least trip the port's "device not open" warning. The margin box and the radio buttons are
// set away from their defaults: a job that read them would add a console line or change bytes.
void TestJobs::closedPortSendsNothing()
{
    QFETCH(int, entry);
    const Jobs::JobStream &job = Jobs::allJobStreams()[entry];
    QTest::failOnWarning(QRegularExpression(QStringLiteral("not open")));

    JobBench bench;
    QVERIFY(bench.ready());
    WindowDriver::trigger(&bench.window(), "actionDisconnect");
    QVERIFY(!WindowDriver::portOpen(&bench.window()));
    bench.button(QStringLiteral("checkBoxBarCodeMargin"))->setChecked(true);
    bench.button(QStringLiteral("radioButton9600"))->setChecked(true);
    const QString before = QStringLiteral("an earlier account\nstill here");
    bench.console()->setPlainText(before);

    QVERIFY(bench.click(QString::fromLatin1(job.button)));

    QCOMPARE(bench.boxes().count(), 1);
    const ModalAnswerer::Seen box = bench.boxes().seen().constFirst();
    QCOMPARE(box.title, QStringLiteral("Serial Port Connect"));
    QCOMPARE(box.text, QStringLiteral("Please configure and connect to the serial port first!"));
    QCOMPARE(bench.console()->toPlainText(), before);
    QCOMPARE(bench.receiveRest(), QByteArray());
}

// The codes are the controller's: speeds 9600 ... 375000 are 0 ... 6, flow none/XON-XOFF/hardware
// 0/1/2. With nothing ticked the job falls back to the start-up settings, 115200 and XON/XOFF.
void TestJobs::uartCodesFromRadioButtons_data()
{
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QByteArray>("stream");

    QTest::newRow("as the form starts") << QStringList() << QByteArray::fromHex("1d280401");
    QTest::newRow("9600, hardware")
        << QStringList{"radioButton9600", "radioButtonHardFlow"} << QByteArray::fromHex("1d280002");
    QTest::newRow("19200, XON/XOFF") << QStringList{"radioButton19200", "radioButtonSoftFlow"}
                                     << QByteArray::fromHex("1d280101");
    QTest::newRow("38400, none") << QStringList{"radioButton38400", "radioButtonNoFlow"}
                                 << QByteArray::fromHex("1d280200");
    QTest::newRow("57600, hardware") << QStringList{"radioButton57600", "radioButtonHardFlow"}
                                     << QByteArray::fromHex("1d280302");
    QTest::newRow("256000, hardware") << QStringList{"radioButton256000", "radioButtonHardFlow"}
                                      << QByteArray::fromHex("1d280502");
    QTest::newRow("375000, none") << QStringList{"radioButton375000", "radioButtonNoFlow"}
                                  << QByteArray::fromHex("1d280600");
    QTest::newRow("nothing checked") << QStringList{"-radioButton115200", "-radioButtonSoftFlow"}
                                     << QByteArray::fromHex("1d280401");
}

void TestJobs::uartCodesFromRadioButtons()
{
    QFETCH(QStringList, checked);
    QFETCH(QByteArray, stream);

    JobBench bench;
    QVERIFY(bench.ready());
    for (QString name : checked) {
        const bool untick = name.startsWith(QLatin1Char('-'));
        auto *radio = bench.window().findChild<QRadioButton *>(name.remove(QLatin1Char('-')));
        QVERIFY2(radio, qPrintable(name));
        radio->setAutoExclusive(!untick);
        radio->setChecked(!untick);
    }
    QVERIFY(bench.click(QStringLiteral("pushButtonApply")));
    QCOMPARE(bench.receive(stream.size()), stream);
    // The host keeps its own line settings.
    QVERIFY(bench.port()->isOpen());
    QCOMPARE(bench.port()->baudRate(), 115200);
}

// The M23-DH-H69 head is set when its button goes down; letting go sends nothing more.
void TestJobs::headOnPressActsOnce()
{
    JobBench bench;
    QVERIFY(bench.ready());
    auto *tabs = bench.window().findChild<QTabWidget *>(QStringLiteral("mainTabsTessivar"));
    QAbstractButton *button = bench.button(QStringLiteral("pushButtonM23_H69"));
    QVERIFY(tabs && button);
    bench.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.window()));
    tabs->setCurrentWidget(bench.window().findChild<QWidget *>(QStringLiteral("tab_4")));
    QTRY_VERIFY(button->isVisible());

    QTest::mousePress(button, Qt::LeftButton);
    const QByteArray stream = Jobs::streamOf(
        [](CommandSet &commands) { Jobs::queuePrintHead(commands, Jobs::headM23H69); });
    QCOMPARE(bench.receive(stream.size()), stream);
    const QString account = bench.console()->toPlainText();
    QVERIFY(!account.isEmpty());
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(bench.receiveRest(), QByteArray());
    QCOMPARE(bench.console()->toPlainText(), account);
}

// "Add Left Margin Formatting" changes what every bar code job sends (the bars move off the
// edge); ticking it alone sends nothing.
void TestJobs::marginBoxMovesTheBars()
{
    JobBench bench;
    QVERIFY(bench.ready());
    QVERIFY(bench.click(QStringLiteral("checkBoxBarCodeMargin")));
    QCOMPARE(bench.receiveRest(), QByteArray());
    for (const Jobs::BarcodeJob *job : Jobs::barcodeJobs) {
        const QByteArray withMargin = Jobs::streamOf(
            [job](CommandSet &commands) { Jobs::queueBarcode(commands, *job, true); });
        QVERIFY(withMargin != Jobs::streamOf([job](CommandSet &commands) {
            Jobs::queueBarcode(commands, *job, false);
        }));
        QVERIFY(bench.click(QString::fromLatin1(job->button)));
        QCOMPARE(bench.receive(withMargin.size()), withMargin);
    }
}

// The language tour switches double-byte mode on (FS &) and off (FS .) in pairs, never twice in a
// row, and ends with it off; no NUL goes out, which the controller would take as a string's end.
void TestJobs::doubleByteModeBalancedAndFreeOfNul()
{
    const QByteArray stream = Jobs::streamOf(Jobs::queueLanguageTour);
    QVERIFY(!stream.contains('\0'));
    int depth = 0;
    int switches = 0;
    for (qsizetype i = 0; i + 1 < stream.size(); ++i) {
        if (stream[i] != '\x1c' || (stream[i + 1] != '&' && stream[i + 1] != '.'))
            continue;
        depth += stream[i + 1] == '&' ? 1 : -1;
        QVERIFY2(depth == 0 || depth == 1, qPrintable(QString::number(i)));
        ++switches;
    }
    QCOMPARE(depth, 0);
    QVERIFY(switches > 0);
}

void TestJobs::waitingReplyShowsAtOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Version") << "pushButtonVersion";
    QTest::newRow("Status") << "pushButtonStatus";
}

// Bytes the port has received but not yet shown (held back here by blocking its signals) are in
// the freshly cleared pane as soon as the handler returns, without the event loop running.
void TestJobs::waitingReplyShowsAtOnce()
{
    QFETCH(QString, button);
    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    const QByteArray late = "late answer: FW 1.22 \xc2\xb5";
    {
        const QSignalBlocker blocker(bench.port());
        QVERIFY(bench.controller().write(late));
        QTRY_COMPARE(bench.port()->bytesAvailable(), late.size());
    }
    QVERIFY(bench.click(button));
    QCOMPARE(bench.console()->toPlainText(), QString::fromUtf8(late));
}

QTEST_MAIN(TestJobs)
#include "tst_jobs.moc"
