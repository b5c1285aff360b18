#include "controllerrig.h"

#include "commands/wirebytes.h"
#include "virtual/live/linesettings.h"
#include "virtual/paper.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTest>

#include <memory>

using Virtual::LineSettings;
using Virtual::LiveController;

// The virtual controller's end of the line, without a window: a QSerialPort in the test plays
// the host on the controller's pseudo-terminal. What the host's port is set to, how fast the
// controller takes bytes, when it sends XOFF and XON, its replies and what it keeps.
class TestVirtualLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hostSettings_data();
    void hostSettings();
    void mismatchText_data();
    void mismatchText();
    void pacing_data();
    void pacing();
    void flowControl_data();
    void flowControl();
    void replies_data();
    void replies();
    void sleepsUntilNextByte();
    void headTypeKeptAcrossRuns();
};

namespace {

struct HostLine
{
    qint32 baud = 115200;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flow = QSerialPort::SoftwareControl;
};

std::unique_ptr<QSerialPort> openHost(const QString &device, const HostLine &line = {})
{
    auto port = std::make_unique<QSerialPort>(device);
    port->setBaudRate(line.baud);
    port->setDataBits(line.dataBits);
    port->setParity(line.parity);
    port->setStopBits(line.stopBits);
    port->setFlowControl(line.flow);
    if (!port->open(QIODevice::ReadWrite))
        return nullptr;
    return port;
}

// Sends the GS ( command that switches the controller's UART, and waits until it has.
bool switchController(ControllerRig &rig, int speedCode, int flowCode)
{
    const std::unique_ptr<QSerialPort> host = openHost(rig.device());
    if (!host)
        return false;
    const char command[] = {char(Wire::GS), '(', char(speedCode), char(flowCode)};
    host->write(command, sizeof command);
    const LineSettings wanted = *LineSettings::fromUartCodes(speedCode, flowCode);
    return QTest::qWaitFor([&rig, &wanted] { return rig.controller().controllerLine() == wanted; },
                           10000);
}

QByteArray textLines(qsizetype size)
{
    const QByteArray line = "0123456789 abcdefghijklmnopqrstuvwxyz\n";
    return line.repeated(size / line.size() + 1).left(size);
}

LineSettings settings(int baud, int dataBits, LineSettings::Parity parity, int stopBits,
                      LineSettings::Flow flow)
{
    return {baud, dataBits, parity, stopBits, flow};
}

} // namespace

void TestVirtualLine::hostSettings_data()
{
    QTest::addColumn<qint32>("baud");
    QTest::addColumn<QSerialPort::DataBits>("dataBits");
    QTest::addColumn<QSerialPort::Parity>("parity");
    QTest::addColumn<QSerialPort::StopBits>("stopBits");
    QTest::addColumn<QSerialPort::FlowControl>("flow");
    QTest::addColumn<QString>("expected");

    // A pseudo-terminal keeps the speed, the stop bits and the flow control the host asks for;
    // the kernel's driver always makes it 8 data bits without parity.
    using P = QSerialPort;
    QTest::newRow("the tool's defaults") << 115200 << P::Data8 << P::NoParity << P::OneStop
                                         << P::SoftwareControl << "115200 bit/s, 8N1, XON/XOFF";
    QTest::newRow("9600 with hardware flow") << 9600 << P::Data8 << P::NoParity << P::OneStop
                                             << P::HardwareControl << "9600 bit/s, 8N1, RTS/CTS";
    // No B constant for these: the speed comes from termios2.
    QTest::newRow("256000, a speed without a constant")
        << 256000 << P::Data8 << P::NoParity << P::OneStop << P::NoFlowControl
        << "256000 bit/s, 8N1, no flow control";
    QTest::newRow("375000, two stop bits")
        << 375000 << P::Data8 << P::NoParity << P::TwoStop << P::NoFlowControl
        << "375000 bit/s, 8N2, no flow control";
    QTest::newRow("19200") << 19200 << P::Data8 << P::NoParity << P::OneStop << P::SoftwareControl
                           << "19200 bit/s, 8N1, XON/XOFF";
}

void TestVirtualLine::hostSettings()
{
    QFETCH(qint32, baud);
    QFETCH(QSerialPort::DataBits, dataBits);
    QFETCH(QSerialPort::Parity, parity);
    QFETCH(QSerialPort::StopBits, stopBits);
    QFETCH(QSerialPort::FlowControl, flow);
    QFETCH(QString, expected);

    ControllerRig rig;
    QVERIFY2(rig.isValid(), qPrintable(rig.controller().errorString()));
    const std::unique_ptr<QSerialPort> host =
        openHost(rig.device(), {baud, dataBits, parity, stopBits, flow});
    QVERIFY(host);
    // The settings have no notification of their own; the controller looks at them from time to
    // time.
    QTRY_COMPARE(rig.controller().hostLine().describe(), expected);
}

void TestVirtualLine::mismatchText_data()
{
    QTest::addColumn<LineSettings>("controller");
    QTest::addColumn<LineSettings>("host");
    QTest::addColumn<QString>("mismatch");

    using Parity = LineSettings::Parity;
    using Flow = LineSettings::Flow;
    const LineSettings hardware9600 = settings(9600, 8, Parity::None, 1, Flow::Hardware);
    QTest::newRow("speed") << hardware9600 << settings(115200, 8, Parity::None, 1, Flow::XonXoff)
                           << "controller at 9600 bit/s, host at 115200 bit/s";
    QTest::newRow("parity") << hardware9600 << settings(9600, 8, Parity::Even, 1, Flow::Hardware)
                            << "controller at 9600 bit/s 8N1, host at 9600 bit/s 8E1";
    QTest::newRow("data bits") << hardware9600 << settings(9600, 7, Parity::None, 1, Flow::Hardware)
                               << "controller at 9600 bit/s 8N1, host at 9600 bit/s 7N1";
    QTest::newRow("stop bits do not matter")
        << hardware9600 << settings(9600, 8, Parity::None, 2, Flow::Hardware) << QString();
    QTest::newRow("flow control does not garble bytes")
        << hardware9600 << settings(9600, 8, Parity::None, 1, Flow::None) << QString();
}

void TestVirtualLine::mismatchText()
{
    QFETCH(LineSettings, controller);
    QFETCH(LineSettings, host);
    QFETCH(QString, mismatch);

    QCOMPARE(controller.mismatch(host), mismatch);
    QCOMPARE(controller.understands(host), mismatch.isEmpty());
}

void TestVirtualLine::pacing_data()
{
    QTest::addColumn<bool>("pacing");
    QTest::addColumn<HostLine>("line");
    QTest::addColumn<int>("bitsPerByte");
    QTest::addColumn<int>("bytes");

    HostLine twoStops;
    twoStops.stopBits = QSerialPort::TwoStop;
    HostLine slowGarbage; // garbage to the controller at 115200, and still paced
    slowGarbage.baud = 9600;
    slowGarbage.stopBits = QSerialPort::TwoStop;

    QTest::newRow("115200 8N1") << true << HostLine{} << 10 << 2880;
    QTest::newRow("115200 8N2") << true << twoStops << 11 << 2880;
    QTest::newRow("9600 8N2, garbage") << true << slowGarbage << 11 << 480;
    QTest::newRow("no pacing") << false << HostLine{} << 10 << 23040;
}

void TestVirtualLine::pacing()
{
    QFETCH(bool, pacing);
    QFETCH(HostLine, line);
    QFETCH(int, bitsPerByte);
    QFETCH(int, bytes);

    // Printing takes no time here, so the line alone sets the pace.
    ControllerRig rig(pacing, 0);
    QVERIFY(rig.isValid());
    const std::unique_ptr<QSerialPort> host = openHost(rig.device(), line);
    QVERIFY(host);

    const QByteArray sent = textLines(bytes);
    QElapsedTimer clock;
    clock.start();
    host->write(sent);
    QTRY_COMPARE_WITH_TIMEOUT(rig.controller().stats().received, quint64(bytes), 20000);
    const double seconds = double(clock.nsecsElapsed()) * 1e-9;

    const double bytesPerSecond = double(line.baud) / bitsPerByte;
    const double onTheLine = bytes / bytesPerSecond;
    if (pacing) {
        // The controller may take 10 ms worth at once after a pause; never more than the line
        // brings.
        const double fastest = (bytes - bytesPerSecond * 0.01 - 1) / bytesPerSecond;
        QVERIFY2(
            seconds >= fastest,
            qPrintable(QStringLiteral("%1 s, the line takes %2 s").arg(seconds).arg(onTheLine)));
    } else {
        QVERIFY2(
            seconds < onTheLine,
            qPrintable(QStringLiteral("%1 s, the line takes %2 s").arg(seconds).arg(onTheLine)));
    }
    const bool understood = rig.controller().settingsMatch();
    QCOMPARE(rig.controller().stats().garbage, understood ? 0 : quint64(bytes));
    if (understood) {
        QVERIFY(rig.waitForPrinted(bytes));
        QCOMPARE(rig.printed(), sent);
    }
}

void TestVirtualLine::flowControl_data()
{
    QTest::addColumn<int>("controllerFlow"); // a GS ( flow code, or -1 for the start-up default
    QTest::addColumn<QSerialPort::FlowControl>("hostFlow");
    QTest::addColumn<bool>("xonXoff");
    QTest::addColumn<bool>("overrunNoted");

    QTest::newRow("XON/XOFF at both ends") << -1 << QSerialPort::SoftwareControl << true << false;
    QTest::newRow("host without flow control") << -1 << QSerialPort::NoFlowControl << false << true;
    QTest::newRow("host with RTS/CTS, controller with XON/XOFF")
        << -1 << QSerialPort::HardwareControl << false << true;
    QTest::newRow("RTS/CTS at both ends") << 2 << QSerialPort::HardwareControl << false << false;
}

void TestVirtualLine::flowControl()
{
    QFETCH(int, controllerFlow);
    QFETCH(QSerialPort::FlowControl, hostFlow);
    QFETCH(bool, xonXoff);
    QFETCH(bool, overrunNoted);

    ControllerRig rig;
    QVERIFY(rig.isValid());
    if (controllerFlow >= 0)
        QVERIFY(switchController(rig, 4, controllerFlow));
    HostLine line;
    line.flow = hostFlow;
    const std::unique_ptr<QSerialPort> host = openHost(rig.device(), line);
    QVERIFY(host);
    const quint64 before = rig.controller().stats().printed;

    // Two feeds of 255 dots keep the mechanism busy for 0.64 s while the picture behind them
    // comes down the line in 0.52 s: the receive buffer fills. The picture's bytes include
    // 0x11 and 0x13, which travel from the host as data whatever its flow control.
    QByteArray stream = QByteArray::fromHex("1b4aff1b4aff");
    constexpr int bytesPerRow = 48;
    constexpr int rows = 125;
    stream += QByteArray::fromHex("1d763000") + char(bytesPerRow) + char(0) + char(rows) + char(0);
    for (int i = 0; i < bytesPerRow * rows; ++i)
        stream += char(i % 256);
    host->write(stream);
    QVERIFY(rig.waitForPrinted(qsizetype(before) + stream.size()));

    const LiveController::Stats &stats = rig.controller().stats();
    QCOMPARE(rig.printed().mid(qsizetype(before)), stream);
    QCOMPARE(stats.garbage, quint64(0));
    QVERIFY(stats.maxFill >= LiveController::highWater);
    QVERIFY(stats.maxFill <= LiveController::receiveBufferSize);
    if (xonXoff) {
        QVERIFY(stats.xoffSent >= 1);
        QCOMPARE(stats.xonSent, stats.xoffSent);
        // The host's kernel really stopped the host's output.
        QVERIFY(stats.hostStops >= 1);
    } else {
        QCOMPARE(stats.xoffSent, 0);
        QCOMPARE(stats.hostStops, 0);
        // Nothing stray arrived at the host either.
        QCOMPARE(host->readAll(), QByteArray());
    }
    QCOMPARE(rig.trace().contains(QLatin1String("receive buffer full without flow control")),
             overrunNoted);
}

void TestVirtualLine::replies_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("firmwareSays");

    QTest::newRow("start-up") << QByteArray()
                              << QStringList{"print head type 0: 58mm FTP628MCL101 or compatible",
                                             "UART 115200 bit/s, 8N1, XON/XOFF"};
    QTest::newRow("head type 7") << QByteArray::fromHex("1b5a07")
                                 << QStringList{"print head type 7: 58mm M23-SX or compatible"};
    QTest::newRow("head type 5") << QByteArray::fromHex("1b5a05")
                                 << QStringList{
                                        "print head type 5: 80mm 576 dots with cutter 7.2V/24V"};
    // The request sent behind the switch still came at the old speed.
    QTest::newRow("UART 9600, hardware flow")
        << QByteArray::fromHex("1d280002") << QStringList{"UART 9600 bit/s, 8N1, RTS/CTS"};
    QTest::newRow("UART 375000, no flow control")
        << QByteArray::fromHex("1d280600")
        << QStringList{"UART 375000 bit/s, 8N1, no flow control"};
}

void TestVirtualLine::replies()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, firmwareSays);

    ControllerRig rig;
    QVERIFY(rig.isValid());
    // Without flow control the host's kernel hands over every byte, 0x11 and 0x13 included.
    HostLine line;
    line.flow = QSerialPort::NoFlowControl;
    const std::unique_ptr<QSerialPort> host = openHost(rig.device(), line);
    QVERIFY(host);

    host->write(before + QByteArray::fromHex("10051004"));
    QByteArray replies;
    QVERIFY(QTest::qWaitFor(
        [&] {
            replies += host->readAll();
            return replies.count("\r\n") >= 2;
        },
        10000));
    const QList<QByteArray> lines = replies.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[2], QByteArray());
    for (const QByteArray &reply : {lines[0], lines[1]}) {
        QVERIFY(reply.endsWith('\r'));
        for (const char c : reply.chopped(1))
            QVERIFY2(c >= 0x20 && c <= 0x7E, reply.constData());
    }
    const QString firmware = QString::fromLatin1(lines[0]);
    QVERIFY(firmware.contains(QLatin1String("virtual ZP40x controller")));
    for (const QString &part : firmwareSays)
        QVERIFY2(firmware.contains(part), qPrintable(firmware));
    // The tool's texts speak of firmware 1.22 and newer.
    const QRegularExpressionMatch version =
        QRegularExpression(QStringLiteral("firmware (\\d+)\\.(\\d+)")).match(firmware);
    QVERIFY(version.hasMatch());
    QVERIFY(version.captured(1).toInt() * 100 + version.captured(2).toInt() >= 122);
    QVERIFY(lines[1].startsWith("Status: ready"));
}

void TestVirtualLine::sleepsUntilNextByte()
{
    ControllerRig rig;
    QVERIFY(rig.isValid());
    const std::unique_ptr<QSerialPort> host = openHost(rig.device());
    QVERIFY(host);

    host->write(QByteArray::fromHex("1016"));
    QTRY_VERIFY(rig.controller().sleeping());
    host->write(QByteArray::fromHex("1b40"));
    QTRY_VERIFY(!rig.controller().sleeping());
    QVERIFY(rig.trace().contains(QLatin1String("woken by the next byte")));

    // A command that comes with the DLE SYN wakes it at once.
    host->write(QByteArray::fromHex("10161b40"));
    QVERIFY(rig.waitForPrinted(8));
    QVERIFY(!rig.controller().sleeping());
}

void TestVirtualLine::headTypeKeptAcrossRuns()
{
    ControllerRig rig;
    QVERIFY(rig.isValid());
    QCOMPARE(rig.controller().headType(), 0);
    {
        const std::unique_ptr<QSerialPort> host = openHost(rig.device());
        QVERIFY(host);
        host->write(QByteArray::fromHex("1b5a05"));
        QTRY_COMPARE(rig.controller().headType(), 5);
    }
    rig.restart();
    QVERIFY(rig.isValid());
    QCOMPARE(rig.controller().headType(), 5);
    QCOMPARE(rig.controller().paper().width(), 576);
    QVERIFY(rig.controller().firmwareReply().contains("print head type 5:"));
}

QTEST_GUILESS_MAIN(TestVirtualLine)
#include "tst_virtual_line.moc"
