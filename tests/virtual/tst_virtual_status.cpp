// SPDX-License-Identifier: MIT
// The printer's half of the conversation, over TCP as point-of-sale software talks to it: status
// bytes in each printer state, paper out holding a job, automatic status, half-closed clients.
#include "controllerrig.h"

#include "virtual/virtualcontroller.h"

#include <QSignalSpy>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Virtual::LiveController;
using Virtual::PrinterState;
using Paper = PrinterState::Paper;

class TestVirtualStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void statusBytes_data();
    void statusBytes();
    void paperOutHoldsTheJob();
    void automaticStatusOnEachChange();
    void halfClosedClientGetsItsReply_data();
    void halfClosedClientGetsItsReply();
    void repliesStayWithTheirConnection();
    void drawerKickOpensAndCloses();
    void lineRepliesStayWithTheirHost();

private:
    bool connectClient(QTcpSocket &client)
    {
        const QString address = m_rig->controller().listenAddress();
        client.connectToHost(QHostAddress::LocalHost, quint16(address.section(':', -1).toUInt()));
        return client.waitForConnected(10000);
    }
    // Reads exactly `size` bytes, or what came before the deadline.
    static QByteArray readExactly(QTcpSocket &client, qsizetype size)
    {
        QByteArray got;
        (void)QTest::qWaitFor(
            [&] { return (got += client.read(size - got.size())).size() >= size; },
                        10000);
        return got;
    }
    std::unique_ptr<ControllerRig> m_rig;
};

void TestVirtualStatus::init()
{
    m_rig = std::make_unique<ControllerRig>(false, 0);
    QVERIFY(m_rig->isValid());
    QVERIFY(m_rig->controller().listen(QHostAddress::LocalHost, 0));
}

// The bits are ESC/POS's: bits 1 and 4 set in every real-time status byte; offline bit 3 of
// n 1; cover bit 2, paper-end stop bit 5 and error bit 6 of n 2; near end bits 2-3 and out bits
// 5-6 of n 4; GS r 1 near end bits 0-1 and out bits 2-3.
void TestVirtualStatus::statusBytes_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto row = [](const char *name, const char *state, const char *request,
                        const char *reply) {
        QTest::newRow(name) << QString::fromLatin1(state) << QByteArray::fromHex(request)
                            << QByteArray::fromHex(reply);
    };
    row("healthy: printer", "", "100401", "12");
    row("healthy: offline cause", "", "100402", "12");
    row("healthy: error cause", "", "100403", "12");
    row("healthy: paper", "", "100404", "12");
    row("near end: paper", "near-end", "100404", "1e");
    row("near end: still online", "near-end", "100401", "12");
    row("paper out: offline", "out", "100401", "1a");
    row("paper out: stopped at the end", "out", "100402", "72");
    row("paper out: paper", "out", "100404", "7e");
    row("cover open: offline", "cover", "100401", "1a");
    row("cover open: cause", "cover", "100402", "56");
    row("drawer open: pin 3", "drawer", "100401", "16");
    row("GS r 1 healthy", "", "1d7201", "00");
    row("GS r 49 near end", "near-end", "1d7231", "03");
    row("GS r 2 drawer open", "drawer", "1d7202", "01");
    row("GS I model", "", "1d4901", "5a");
    row("GS I type: double-byte, cutter", "", "1d4932", "03");
    row("GS I maker", "", "1d4942", "5f546573736976617200");
    row("GS a: the block once enabled", "", "1d610f", "10000000");
}

void TestVirtualStatus::statusBytes()
{
    QFETCH(QString, state);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    PrinterState &printer = m_rig->controller().printer();
    printer.setPaper(PrinterState::paperFromName(state).value_or(Paper::Ok));
    printer.setCoverOpen(state == QLatin1String("cover"));
    printer.setDrawerOpen(state == QLatin1String("drawer"));
    QTcpSocket client;
    QVERIFY(connectClient(client));
    // A ZP40x status request behind it still gets its line of text: the two are told apart.
    client.write(request + QByteArray::fromHex("1004"));
    QCOMPARE(readExactly(client, reply.size()).toHex(' '), reply.toHex(' '));
    if (printer.offline())
        return; // the text waits for the printer like any command
    QVERIFY(QTest::qWaitFor([&] { return client.canReadLine(); }, 10000));
    QVERIFY(client.readLine().startsWith("Status: "));
}

void TestVirtualStatus::paperOutHoldsTheJob()
{
    LiveController &controller = m_rig->controller();
    controller.printer().setPaper(Paper::Out);
    QByteArray job;
    for (int line = 0; line < 300; ++line)
        job += "Line " + QByteArray::number(line) + " of a long receipt\n";
    job += QByteArray::fromHex("1d5600");
    QTcpSocket client;
    QVERIFY(connectClient(client));
    // Real-time requests are answered while the printer is offline.
    client.write(QByteArray::fromHex("100404"));
    QCOMPARE(readExactly(client, 1).toHex(), QByteArray("7e"));
    // The job waits in the receive buffer, and the rest of it in the client, until paper comes.
    client.write(job);
    QTRY_COMPARE(controller.bufferFill(), LiveController::receiveBufferSize);
    QCOMPARE(m_rig->printed(), QByteArray());
    controller.printer().setPaper(Paper::Ok);
    QVERIFY(m_rig->waitForPrinted(3 + job.size()));
    QCOMPARE(m_rig->printed(), QByteArray::fromHex("100404") + job);
    // What a printer that never ran out prints.
    Virtual::VirtualController uninterrupted({});
    uninterrupted.feed(job);
    QCOMPARE(controller.paperImage(), uninterrupted.paper());
}

void TestVirtualStatus::automaticStatusOnEachChange()
{
    PrinterState &printer = m_rig->controller().printer();
    QTcpSocket client;
    QVERIFY(connectClient(client));
    client.write(QByteArray::fromHex("1d610a")); // online/offline and paper sensor
    QCOMPARE(readExactly(client, 4).toHex(' '), QByteArray("10 00 00 00"));
    printer.setPaper(Paper::NearEnd);
    QCOMPARE(readExactly(client, 4).toHex(' '), QByteArray("10 00 03 00"));
    printer.setDrawerOpen(true); // not enabled: nothing
    printer.setCoverOpen(true);
    QCOMPARE(readExactly(client, 4).toHex(' '), QByteArray("3c 00 03 00"));
    QVERIFY(!client.waitForReadyRead(200));
}

// A one-shot client sends its requests and closes its side at once, as `nc -q1` does: the
// real-time request is answered as it arrives, the others when the printer gets to them.
void TestVirtualStatus::halfClosedClientGetsItsReply_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("DLE EOT 1, as it arrives")
        << QByteArray::fromHex("100401") << QByteArray::fromHex("12");
    QTest::newRow("GS I 1 and GS r 2, in turn")
        << QByteArray::fromHex("48656c6c6f0a 1d4901 1d7202") << QByteArray::fromHex("5a00");
}

void TestVirtualStatus::halfClosedClientGetsItsReply()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(quint16(m_rig->controller().listenAddress().section(':', -1).toUInt()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0);
    QCOMPARE(::send(fd, request.constData(), std::size_t(request.size()), 0),
             ssize_t(request.size()));
    QCOMPARE(::shutdown(fd, SHUT_WR), 0);
    // The controller runs in this thread's event loop: read in short steps, up to the end.
    QByteArray got;
    bool ended = false;
    QVERIFY(QTest::qWaitFor(
        [&] {
            char bytes[64];
            const ssize_t n = ::recv(fd, bytes, sizeof bytes, MSG_DONTWAIT);
            if (n > 0)
                got.append(bytes, n);
            ended = n == 0;
            return ended;
        },
        10000));
    ::close(fd);
    QVERIFY2(got == reply, qPrintable(got.toHex(' ') + '\n' + m_rig->trace()));
}

void TestVirtualStatus::repliesStayWithTheirConnection()
{
    QTcpSocket first, second;
    QVERIFY(connectClient(first));
    first.write(QByteArray::fromHex("1d4943 1d4944 100402"));
    first.close(); // leaves its replies unread
    QVERIFY(connectClient(second));
    second.write(QByteArray::fromHex("1d4901"));
    QCOMPARE(readExactly(second, 1).toHex(), QByteArray("5a"));
    QVERIFY(!second.waitForReadyRead(300));
}

void TestVirtualStatus::drawerKickOpensAndCloses()
{
    PrinterState &printer = m_rig->controller().printer();
    QSignalSpy changes(&printer, &PrinterState::changed);
    QTcpSocket client;
    QVERIFY(connectClient(client));
    client.write(QByteArray::fromHex("1b700019fa 100401")); // ESC p, then DLE EOT 1
    QVERIFY(QTest::qWaitFor([&] { return printer.drawerOpen(); }, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(!printer.drawerOpen(), LiveController::defaultDrawerCloseMs + 10000);
    QCOMPARE(changes.count(), 2);
    // DLE DC4 1 m t kicks it at once, as a real-time command.
    client.write(QByteArray::fromHex("1014010001"));
    QTRY_VERIFY(printer.drawerOpen());
    QVERIFY(m_rig->trace().contains(QLatin1String("printer: drawer open")));
}

// A host that opens the line reads no replies that the host before it left unread.
void TestVirtualStatus::lineRepliesStayWithTheirHost()
{
    QSerialPort first(m_rig->device());
    QVERIFY(first.open(QIODevice::ReadWrite) && first.setBaudRate(115200));
    first.write(QByteArray::fromHex("1d4943 1005"));
    QVERIFY(first.waitForBytesWritten(10000));
    QVERIFY(m_rig->waitForPrinted(5));
    QTRY_VERIFY(m_rig->trace().contains(QLatin1String("reply \"Tessivar")));
    first.close();
    QSerialPort second(m_rig->device());
    QVERIFY(second.open(QIODevice::ReadWrite) && second.setBaudRate(115200));
    second.write(QByteArray::fromHex("1d4902"));
    QByteArray got;
    QVERIFY(QTest::qWaitFor([&] { return !(got += second.readAll()).isEmpty(); }, 10000));
    QVERIFY(!second.waitForReadyRead(300));
    got += second.readAll();
    QCOMPARE(got.toHex(' '), QByteArray("03"));
}

QTEST_MAIN(TestVirtualStatus)
#include "tst_virtual_status.moc"
