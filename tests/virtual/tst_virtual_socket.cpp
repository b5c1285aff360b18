#include "controllerrig.h"
#include "controllerwindow.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

#include <QDir>
#include <QHostAddress>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <sys/socket.h>

using Virtual::LiveController;

// The live controller's network endpoint: jobs over raw TCP on a loopback port, beside the
// pseudo-terminal that the rig opens. The controller prints as fast as it can unless a test
// says otherwise.
class TestVirtualSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(listen(0)); }
    void cleanup() { m_rig.reset(); }
    void twoJobsOneAfterTheOther();
    void idleClientHoldsOnlyItsConnection();
    void repliesWaitingAreBounded_data();
    void repliesWaitingAreBounded();
    void connectAndCloseLeavesNoDescriptor();
    void fastClientIsHeldBack();
    void windowShowsClientAndFollowsTrace();

private:
    bool listen(int printSpeed)
    {
        m_rig = std::make_unique<ControllerRig>(false, printSpeed);
        return m_rig->isValid() && m_rig->controller().listen(QHostAddress::LocalHost, 0);
    }
    bool connectClient(QTcpSocket &client)
    {
        const QString address = m_rig->controller().listenAddress();
        client.connectToHost(QHostAddress::LocalHost, address.section(u':', -1).toUShort());
        return client.waitForConnected(5000);
    }
    int count(const char *traced) const { return int(m_rig->trace().count(QLatin1String(traced))); }

    std::unique_ptr<ControllerRig> m_rig;
};

void TestVirtualSocket::twoJobsOneAfterTheOther()
{
    QSignalSpy cuts(&m_rig->controller(), &LiveController::cut);
    const QByteArray job =
        Jobs::streamOf([](CommandSet &c) { Jobs::queueReceipt(c, Jobs::fullCutReceipt); });
    QTcpSocket first, second;
    QVERIFY(connectClient(first));
    first.write(job + Jobs::streamOf(&Jobs::queueStatusRequest));
    QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 20000);
    QVERIFY(first.readLine().startsWith("Status: ready"));
    first.close();
    // The second closes inside a command: that ends the command as the end of a stream does.
    QVERIFY(connectClient(second));
    second.write(job + "\x1b");
    second.disconnectFromHost();

    QTRY_COMPARE_WITH_TIMEOUT(cuts.count(), 2, 20000);
    for (const QList<QVariant> &cut : cuts)
        QVERIFY(cut.at(1).toInt() > cut.at(0).toInt() + 100);
    QTRY_COMPARE(count(" closed: "), 2);
    QCOMPARE(count("connection from 127.0.0.1:"), 4);
    QVERIFY(m_rig->trace().contains(QStringLiteral(" closed: %1 bytes taken").arg(job.size() + 1)));
    QCOMPARE(count("ends inside"), 1);
}

void TestVirtualSocket::idleClientHoldsOnlyItsConnection()
{
    QTcpSocket idle, waiting;
    QVERIFY(connectClient(idle));
    QTRY_VERIFY(!m_rig->controller().clientAddress().isEmpty());
    QVERIFY(connectClient(waiting));
    waiting.write("queued\n");
    // The line prints meanwhile; the waiting client does not.
    QFile line(m_rig->device());
    QVERIFY(line.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(line.write("line\n"), 5);
    QTRY_COMPARE(m_rig->traceTexts(), QStringList{QStringLiteral("line")});
    idle.close();
    QTRY_COMPARE(m_rig->traceTexts(),
                 (QStringList{QStringLiteral("line"), QStringLiteral("queued")}));
}

void TestVirtualSocket::repliesWaitingAreBounded_data()
{
    QTest::addColumn<bool>("overSocket");
    QTest::newRow("pseudo-terminal") << false;
    QTest::newRow("socket") << true;
}

void TestVirtualSocket::repliesWaitingAreBounded()
{
    // 20,000 firmware requests ask for about 2 MB of replies, far more than the system's
    // buffers hold; the host reads none of them. The line is without XON/XOFF: an XON could
    // never reach a host whose input is full of replies.
    QFETCH(bool, overSocket);
    QTcpSocket client;
    QSerialPort line(m_rig->device());
    line.setBaudRate(115200);
    line.setFlowControl(QSerialPort::NoFlowControl);
    QIODevice &host = overSocket ? static_cast<QIODevice &>(client) : line;
    QVERIFY(overSocket ? connectClient(client) : line.open(QIODevice::ReadWrite));
    client.setReadBufferSize(1);
    line.setReadBufferSize(1);
    const QByteArray requests = Jobs::streamOf(&Jobs::queueVersionRequest).repeated(20000);
    host.write(requests);
    QVERIFY(m_rig->waitForPrinted(requests.size(), 60000));
    QCOMPARE(count("further replies are dropped"), 1);
}

void TestVirtualSocket::connectAndCloseLeavesNoDescriptor()
{
    const auto descriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
    };
    const qsizetype before = descriptors();
    for (int cycle = 1; cycle <= 200; ++cycle) {
        QTcpSocket client;
        QVERIFY(connectClient(client));
        client.close();
        QTRY_COMPARE(count(" closed: 0 bytes taken"), cycle);
    }
    QTRY_COMPARE(descriptors(), before);
}

void TestVirtualSocket::fastClientIsHeldBack()
{
    // Lines of text at the real print speed: the client sends far faster than the controller
    // prints, straight into its socket (a QTcpSocket would buffer what the system refuses).
    QVERIFY(listen(LiveController::defaultPrintSpeed));
    const auto residentBytes = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
        const qsizetype at = text.indexOf("VmRSS:") + 6;
        return text.mid(at, text.indexOf('\n', at) - at).trimmed().split(' ')[0].toLongLong() *
               1024;
    };
    const qint64 before = residentBytes();
    QTcpSocket client;
    QVERIFY(connectClient(client));
    const int fd = int(client.socketDescriptor());
    const QByteArray chunk = QByteArray(47, 'x').append('\n').repeated(1365);
    constexpr qint64 total = 20 * 1024 * 1024;
    qint64 sent = 0;
    int refusals = 0;
    // Every turn writes until the system takes no more. Held back, the client finds nothing
    // more taken, turn after turn, long before 20 MB.
    QVERIFY(QTest::qWaitFor(
        [&] {
            qint64 taken = 0;
            for (ssize_t n;
                 (n = ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL)) > 0;)
                taken += n;
            sent += taken;
            refusals = taken == 0 && m_rig->controller().clientBytes() > 0 ? refusals + 1 : 0;
            return sent >= total || refusals >= 50;
        },
        60000));
    QVERIFY2(sent < total, qPrintable(QString::number(sent)));
    QVERIFY(m_rig->controller().bufferFill() <= LiveController::receiveBufferSize);
    QVERIFY(m_rig->controller().clientBytes() < quint64(sent) / 4);
    QVERIFY2(residentBytes() - before < 8 * 1024 * 1024,
             qPrintable(QString::number(residentBytes() - before)));
}

void TestVirtualSocket::windowShowsClientAndFollowsTrace()
{
    // Not shown: the trace's scroll bar is hidden, as it is when the first lines overflow the
    // pane and before it appears, which is where following used to stop.
    ControllerWindow window(&m_rig->controller());
    const auto *status = window.findChild<QLabel *>();
    QScrollBar *traceBar = window.findChild<QPlainTextEdit *>()->verticalScrollBar();
    const QByteArray lines = QByteArray("a line of the job\n").repeated(300);
    QTcpSocket client;
    QVERIFY(connectClient(client));
    QTRY_VERIFY(status->text().contains(QStringLiteral("client 127.0.0.1:")));
    client.write(lines);
    QTRY_VERIFY(m_rig->controller().clientBytes() == quint64(lines.size()) &&
                m_rig->controller().bufferFill() == 0);
    QTRY_VERIFY(traceBar->maximum() > 0 && traceBar->value() == traceBar->maximum());
    // Scrolled away by the user, it stays where the user put it.
    traceBar->setValue(0);
    client.write(lines);
    client.disconnectFromHost();
    QTRY_VERIFY(status->text().contains(QStringLiteral("no client")));
    QTRY_VERIFY(traceBar->maximum() > 0);
    QCOMPARE(traceBar->value(), 0);
}

QTEST_MAIN(TestVirtualSocket)
#include "tst_virtual_socket.moc"
