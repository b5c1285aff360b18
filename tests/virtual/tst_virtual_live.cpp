#include "controllerrig.h"
#include "paperreader.h"

#include "window/mainwindow.h"
#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "modalanswerer.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <memory>

using Virtual::LineSettings;
using Virtual::LiveController;

// The product's window prints on the live virtual controller through a real pseudo-terminal,
// as a user does: Configure > Custom with the controller's link, Apply, Connect, press a button.
// The controller runs in this process, on its own pseudo-terminal.
class TestVirtualLive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void quickTestBarcode();
    void receiptLines();
    void replies_data();
    void replies();
    void twoReceiptsBackToBack_data();
    void twoReceiptsBackToBack();
    void uartSettingsMismatch();
    void hostClosesAndReopens();
    void controllerExits();

private:
    // A controller; then the window, connected to it with the settings dialog's defaults.
    bool connectWindow(bool pacing, int printSpeed);
    bool press(const char *button);

    std::unique_ptr<ControllerRig> m_rig;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ModalAnswerer> m_boxes;
};

namespace {

QByteArray jobStream(const std::function<void(CommandSet &)> &queue)
{
    return PaperReader::stream(queue);
}

QByteArray receiptStream()
{
    return jobStream(
        [](CommandSet &commands) { Jobs::queueReceipt(commands, Jobs::plainReceipt); });
}

QByteArray upcAStream()
{
    return jobStream([](CommandSet &commands) { Jobs::queueBarcode(commands, Jobs::upcA, false); });
}

// UPC-A from the tool's 11 digits, with the check digit the controller adds.
const QByteArray upcAReading = "012345678905";

bool hasUpcA(const QImage &paper)
{
    const QList<PaperReader::Symbol> symbols = PaperReader::scan(paper);
    return std::any_of(symbols.begin(), symbols.end(), [](const PaperReader::Symbol &symbol) {
        return symbol.type == QLatin1String("UPC-A") && symbol.data == upcAReading;
    });
}

} // namespace

void TestVirtualLive::init()
{
    m_boxes = std::make_unique<ModalAnswerer>();
    m_window = std::make_unique<MainWindow>();
}

void TestVirtualLive::cleanup()
{
    // The window lets go of the line before the controller ends it.
    m_window.reset();
    m_rig.reset();
    m_boxes.reset();
}

bool TestVirtualLive::connectWindow(bool pacing, int printSpeed)
{
    m_rig = std::make_unique<ControllerRig>(pacing, printSpeed);
    return m_rig->isValid() && WindowDriver::connectTo(m_window.get(), m_rig->device());
}

bool TestVirtualLive::press(const char *button)
{
    auto *widget = m_window->findChild<QAbstractButton *>(QString::fromLatin1(button));
    if (!widget)
        return false;
    widget->click();
    return true;
}

void TestVirtualLive::quickTestBarcode()
{
    QVERIFY(connectWindow(false, 0));
    QVERIFY(press("pushButtonFont"));
    const QByteArray sent = jobStream(&Jobs::queueQuickTest);
    QVERIFY(m_rig->waitForPrinted(sent.size()));
    QCOMPARE(m_rig->printed(), sent);
    QVERIFY(hasUpcA(m_rig->controller().paperImage()));
}

void TestVirtualLive::receiptLines()
{
    QVERIFY(connectWindow(false, 0));
    QVERIFY(press("pushButtonReceipt"));
    QVERIFY(m_rig->waitForPrinted(receiptStream().size()));

    namespace R = Jobs::Receipt;
    QStringList expected{QLatin1String(R::heading), QLatin1String(R::date),
                         QLatin1String(R::transaction), QLatin1String(R::columnHeader)};
    for (const char *item : R::items)
        expected << QLatin1String(item);
    expected << QLatin1String(R::total) << QLatin1String(R::tax) << QLatin1String(R::payment)
             << QLatin1String(R::thanks);
    // Every line, in the order of the receipt, each decoded as a run of text of its own.
    const QStringList texts = m_rig->traceTexts();
    qsizetype at = 0;
    for (const QString &line : expected) {
        at = texts.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(line + QStringLiteral(" not in ") + texts.join(u'|')));
    }
}

void TestVirtualLive::replies_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("beginning");

    QTest::newRow("Version") << "pushButtonVersion"
                             << "Tessivar virtual ZP40x controller; firmware";
    QTest::newRow("Status") << "pushButtonStatus"
                            << "Status: ready";
}

void TestVirtualLive::replies()
{
    QFETCH(QString, button);
    QFETCH(QString, beginning);

    QVERIFY(connectWindow(true, LiveController::defaultPrintSpeed));
    QVERIFY(press(qPrintable(button)));
    QPlainTextEdit *console = WindowDriver::console(m_window.get());
    QTRY_VERIFY(console->toPlainText().contains(QLatin1Char('\n')));
    // What the console shows is the reply the controller's trace says it sent.
    const QRegularExpressionMatch sent =
        QRegularExpression(QStringLiteral("  reply \"(.*)\"\n")).match(m_rig->trace());
    QVERIFY(sent.hasMatch());
    QCOMPARE(console->toPlainText().trimmed(), sent.captured(1));
    QVERIFY(sent.captured(1).startsWith(beginning));
}

void TestVirtualLive::twoReceiptsBackToBack_data()
{
    QTest::addColumn<bool>("pacing");
    QTest::newRow("paced at 115200") << true;
    QTest::newRow("no pacing") << false;
}

void TestVirtualLive::twoReceiptsBackToBack()
{
    QFETCH(bool, pacing);

    // The host's defaults: 115200 bit/s with XON/XOFF. The printing of the first receipt's text
    // holds up the second one's picture, and the receive buffer fills.
    QVERIFY(connectWindow(pacing, LiveController::defaultPrintSpeed));
    QVERIFY(press("pushButtonReceipt"));
    QVERIFY(press("pushButtonReceipt"));
    const QByteArray sent = receiptStream().repeated(2);
    QVERIFY(m_rig->waitForPrinted(sent.size(), 60000));

    const LiveController::Stats &stats = m_rig->controller().stats();
    QCOMPARE(m_rig->printed(), sent);
    QCOMPARE(stats.received, quint64(sent.size()));
    QCOMPARE(stats.garbage, quint64(0));
    QVERIFY(stats.xoffSent >= 1);
    QVERIFY(stats.hostStops >= 1);
    QCOMPARE(stats.xonSent, stats.xoffSent);
    QCOMPARE(m_boxes->count(), 0);
}

void TestVirtualLive::uartSettingsMismatch()
{
    QVERIFY(connectWindow(true, LiveController::defaultPrintSpeed));
    LiveController &controller = m_rig->controller();

    // Controller page: 9600 bit/s with hardware flow control, Apply.
    for (const char *radio : {"radioButton9600", "radioButtonHardFlow"}) {
        auto *button = m_window->findChild<QRadioButton *>(QString::fromLatin1(radio));
        QVERIFY(button);
        button->setChecked(true);
    }
    QVERIFY(press("pushButtonApply"));
    LineSettings wanted;
    wanted.bitsPerSecond = 9600;
    wanted.flow = LineSettings::Flow::Hardware;
    QTRY_COMPARE(controller.controllerLine(), wanted);

    // The host still sends at 115200: garbage to the controller, and nothing prints.
    const int paper = controller.paper().length();
    const QByteArray printed = m_rig->printed();
    const QByteArray job = upcAStream();
    QVERIFY(press("pushButtonBarcodeUPCA"));
    QTRY_COMPARE(controller.stats().garbage, quint64(job.size()));
    QVERIFY(m_rig->trace().contains(
        QLatin1String("line settings mismatch: controller at 9600 bit/s, host at 115200 bit/s")));
    QCOMPARE(controller.paper().length(), paper);
    QCOMPARE(m_rig->printed(), printed);

    // Reconnected at 9600 with hardware flow control, the same job prints.
    WindowDriver::trigger(m_window.get(), "actionDisconnect");
    QVERIFY(WindowDriver::selectInDialog("baudRateBox", QStringLiteral("9600")));
    QVERIFY(WindowDriver::selectInDialog("flowControlBox", QStringLiteral("RTS/CTS")));
    QVERIFY(WindowDriver::connectTo(m_window.get(), m_rig->device()));
    QVERIFY(press("pushButtonBarcodeUPCA"));
    QVERIFY(m_rig->waitForPrinted(printed.size() + job.size()));
    QCOMPARE(m_rig->printed(), printed + job);
    QVERIFY(hasUpcA(controller.paperImage()));
    QCOMPARE(controller.hostLine(), wanted);
    QVERIFY(m_rig->trace().contains(QLatin1String("line settings match again")));
}

void TestVirtualLive::hostClosesAndReopens()
{
    QVERIFY(connectWindow(false, 0));
    const QByteArray job = upcAStream();
    QVERIFY(press("pushButtonBarcodeUPCA"));
    QVERIFY(m_rig->waitForPrinted(job.size()));

    WindowDriver::trigger(m_window.get(), "actionDisconnect");
    QVERIFY(!WindowDriver::portOpen(m_window.get()));
    // With no host on the line the controller has nothing to do. Were it woken by a hang-up,
    // it would be woken on every turn of the event loop.
    const quint64 wakeups = m_rig->controller().stats().wakeups;
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    QVERIFY2(m_rig->controller().stats().wakeups <= wakeups + 2,
             qPrintable(QString::number(m_rig->controller().stats().wakeups - wakeups)));

    QVERIFY(WindowDriver::connectTo(m_window.get(), m_rig->device()));
    QVERIFY(press("pushButtonBarcodeUPCA"));
    QVERIFY(m_rig->waitForPrinted(2 * job.size()));
    QCOMPARE(m_rig->printed(), job + job);
    QCOMPARE(m_boxes->count(), 0);
}

void TestVirtualLive::controllerExits()
{
    QVERIFY(connectWindow(false, 0));
    m_rig->stop();
    QVERIFY(!QFileInfo(m_rig->device()).isSymLink());

    // The window takes the hang-up for a device that went away: one box, then closed.
    auto *connectAction = m_window->findChild<QAction *>(QStringLiteral("actionConnect"));
    QVERIFY(connectAction);
    QTRY_VERIFY(connectAction->isEnabled());
    QVERIFY(!WindowDriver::portOpen(m_window.get()));
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->seen().first().title, QStringLiteral("Critical Error"));
}

QTEST_MAIN(TestVirtualLive)
#include "tst_virtual_live.moc"
