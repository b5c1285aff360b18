#include "expectedjobs.h"
#include "jobbench.h"

#include "jobs/jobdata.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSerialPort>
#include <QTabWidget>
#include <QTest>

#include <iterator>

using namespace Expect;

// The jobs that configure the controller: print heads, UART settings, cutter and sleep.
class TestConfigurationJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printHead_data();
    void printHead();
    void headOnPressActsOnce();
    void uart_data();
    void uart();
    void cutAndSleep_data();
    void cutAndSleep();
    void hexCheckBoxDoesNothing();
};

namespace {
QStringList headAccount(const HeadSample &h)
{
    return {QStringLiteral("Setting Print Head to Type: %1 - %2")
                .arg(h.type)
                .arg(QString::fromLatin1(h.name)),
            h.flash};
}

const QStringList uartAccount = {
    "Setting UART com speed and flow control. Startup default settings are 115200bps and XON/XOFF",
    "After issuing this command you must adjust your host UART settings as well by diconnecting "
    "and connectin with the right settings"};
} // namespace

// Walks the job table; the expectations come from the head table of the controller's manual.
void TestConfigurationJobs::printHead_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("account");

    QStringList covered;
    for (const Jobs::PrintHeadJob *job : Jobs::printHeadJobs) {
        for (const HeadSample &h : heads) {
            if (qstrcmp(h.button, job->button) == 0) {
                QTest::newRow(h.button)
                    << QString::fromLatin1(h.button) << h.type << headAccount(h);
                covered << QString::fromLatin1(h.button);
            }
        }
    }
    if (covered.size() != int(std::size(heads)))
        QTest::newRow("every head button has its row") << QString() << -1 << QStringList();
}

void TestConfigurationJobs::printHead()
{
    QFETCH(QString, button);
    QFETCH(int, type);
    QFETCH(QStringList, account);
    QVERIFY2(!button.isEmpty(), "the print head table misses a button");

    JobBench bench;
    QVERIFY(bench.ready());
    QVERIFY(bench.click(button));
    QVERIFY(bench.click(button));
    QCOMPARE(bench.consoleLines(), account);
    QCOMPARE(bench.receive(6), head(type) + head(type));
}

// The M23-DH-H69 head is set when its button goes down; letting go sends nothing more.
void TestConfigurationJobs::headOnPressActsOnce()
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
    QCOMPARE(bench.consoleLines(), headAccount(heads[6]));
    QCOMPARE(bench.receive(3), head(6));
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(bench.receiveRest(), QByteArray());
    QCOMPARE(bench.consoleLines(), headAccount(heads[6]));
}

void TestConfigurationJobs::uart_data()
{
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QByteArray>("stream");

    QTest::newRow("as the form starts") << QStringList() << uartAtStart;
    QTest::newRow("9600, hardware")
        << QStringList{"radioButton9600", "radioButtonHardFlow"} << hex("1d280002");
    QTest::newRow("375000, none") << QStringList{"radioButton375000", "radioButtonNoFlow"}
                                  << hex("1d280600");
    QTest::newRow("19200, XON/XOFF")
        << QStringList{"radioButton19200", "radioButtonSoftFlow"} << hex("1d280101");
    QTest::newRow("38400, none") << QStringList{"radioButton38400", "radioButtonNoFlow"}
                                 << hex("1d280200");
    QTest::newRow("57600, hardware")
        << QStringList{"radioButton57600", "radioButtonHardFlow"} << hex("1d280302");
    QTest::newRow("256000, hardware")
        << QStringList{"radioButton256000", "radioButtonHardFlow"} << hex("1d280502");
    // Unticked by hand: the job falls back to the controller's start-up settings.
    QTest::newRow("nothing checked")
        << QStringList{"-radioButton115200", "-radioButtonSoftFlow"} << uartAtStart;
}

void TestConfigurationJobs::uart()
{
    QFETCH(QStringList, checked);
    QFETCH(QByteArray, stream);

    JobBench bench;
    QVERIFY(bench.ready());
    for (QString name : checked) {
        const bool untick = name.startsWith(QLatin1Char('-'));
        if (untick)
            name.remove(0, 1);
        auto *radio = bench.window().findChild<QRadioButton *>(name);
        QVERIFY2(radio, qPrintable(name));
        if (untick) {
            QVERIFY(radio->isChecked());
            radio->setAutoExclusive(false);
        }
        radio->setChecked(!untick);
    }
    QVERIFY(bench.click(QStringLiteral("pushButtonApply")));
    QVERIFY(bench.click(QStringLiteral("pushButtonApply")));
    QCOMPARE(bench.consoleLines(), uartAccount);
    QCOMPARE(bench.receive(8), stream + stream);
    // The host keeps its own line settings.
    QVERIFY(bench.port()->isOpen());
    QCOMPARE(bench.port()->baudRate(), 115200);
}

void TestConfigurationJobs::cutAndSleep_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("console");

    QTest::newRow("full cut") << "pushButtonFullCut" << fullCut << "Sending full cut command";
    QTest::newRow("partial cut") << "pushButtonPartialCut" << partialCut
                                 << "Sending partial cut command";
    QTest::newRow("sleep") << "pushButtonPowerManagment" << enterSleep
                           << "Setting controller into sleep mode.\n"
                              "Send any command to exit sleep mode and then continue printing...";
}

void TestConfigurationJobs::cutAndSleep()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, stream);
    QFETCH(QString, console);

    JobBench bench;
    QVERIFY(bench.ready());
    QVERIFY(bench.click(button));
    QVERIFY(bench.click(button));
    QCOMPARE(bench.console()->toPlainText(), console);
    QCOMPARE(bench.receive(2 * stream.size()), stream + stream);
}

// Its page is never shown; were it reachable, it would still send nothing.
void TestConfigurationJobs::hexCheckBoxDoesNothing()
{
    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    QVERIFY(bench.click(QStringLiteral("checkBoxHexEnable")));
    QCOMPARE(bench.receiveRest(), QByteArray());
    QCOMPARE(bench.console()->toPlainText(), QStringLiteral("an earlier account"));
    QCOMPARE(bench.boxes().count(), 0);
}

QTEST_MAIN(TestConfigurationJobs)
#include "tst_jobs_configuration.moc"
