#include "controllerrig.h"
#include "controllerwindow.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "virtual/paper.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

using Virtual::LiveController;

// The live controller's network endpoint: jobs over raw TCP on a loopback port, beside the
// pseudo-terminal that the rig opens.
class TestVirtualSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoJobsOneAfterTheOther();
    void idleClientHoldsOnlyItsConnection();
    void repliesWaitingAreBounded_data();
    void repliesWaitingAreBounded();
    void connectAndCloseLeavesNoDescriptor();
    void fastClientIsHeldBack();
    void windowShowsClientAndFollowsTrace();

private:
    // A controller that prints as fast as it can (or at `printSpeed`), listening on a free port.
    static std::unique_ptr<ControllerRig> listeningRig(int printSpeed = 0);
    static quint16 port(ControllerRig &rig)
    {
        return rig.controller().listenAddress().section(QLatin1Char(':'), -1).toUShort();
    }
};

namespace {

QByteArray stream(void (*queue)(CommandSet &))
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    queue(commands);
    return buffer.data();
}

QByteArray receiptWithCut()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    Jobs::queueReceipt(commands, Jobs::fullCutReceipt);
    return buffer.data();
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

} // namespace

std::unique_ptr<ControllerRig> TestVirtualSocket::listeningRig(int printSpeed)
{
    auto rig = std::make_unique<ControllerRig>(false, printSpeed);
    if (!rig->isValid() || !rig->controller().listen(QHostAddress::LocalHost, 0))
        return nullptr;
    return rig;
}

void TestVirtualSocket::twoJobsOneAfterTheOther()
{
    const std::unique_ptr<ControllerRig> rig = listeningRig();
    QVERIFY(rig);
    QSignalSpy cuts(&rig->controller(), &LiveController::cut);
    const QByteArray job = receiptWithCut();

    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, port(*rig));
    QVERIFY(first.waitForConnected(5000));
    first.write(job + stream(&Jobs::queueStatusRequest));
    QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 20000);
    QVERIFY(first.readLine().startsWith("Status: ready"));
    first.close();

    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port(*rig));
    QVERIFY(second.waitForConnected(5000));
    // It closes inside a command: that ends the command as the end of a stream does.
    second.write(job + "\x1b");
    second.disconnectFromHost();

    QTRY_COMPARE_WITH_TIMEOUT(cuts.count(), 2, 20000);
    for (const QList<QVariant> &cut : cuts)
        QVERIFY(cut.at(1).toInt() > cut.at(0).toInt() + 100);
    QTRY_COMPARE(rig->trace().count(QStringLiteral(" closed: ")), 2);
    QCOMPARE(rig->trace().count(QStringLiteral("connection from 127.0.0.1:")), 4);
    QVERIFY(rig->trace().contains(QStringLiteral(" closed: %1 bytes taken").arg(job.size() + 1)));
    QCOMPARE(rig->trace().count(QStringLiteral("ends inside")), 1);
}

void TestVirtualSocket::idleClientHoldsOnlyItsConnection()
{
    const std::unique_ptr<ControllerRig> rig = listeningRig();
    QVERIFY(rig);
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, port(*rig));
    QVERIFY(idle.waitForConnected(5000));
    QTRY_VERIFY(!rig->controller().clientAddress().isEmpty());
    QTcpSocket waiting;
    waiting.connectToHost(QHostAddress::LocalHost, port(*rig));
    QVERIFY(waiting.waitForConnected(5000));
    waiting.write("queued\n");

    // The line prints meanwhile; the waiting client does not.
    QFile line(rig->device());
    QVERIFY(line.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(line.write("line\n"), 5);
    QTRY_COMPARE(rig->traceTexts(), QStringList{QStringLiteral("line")});

    idle.close();
    QTRY_COMPARE(rig->traceTexts(),
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
    QFETCH(bool, overSocket);
    const std::unique_ptr<ControllerRig> rig = listeningRig();
    QVERIFY(rig);
    // 20,000 firmware requests ask for about 2 MB of replies, far more than the system's
    // buffers hold; the host reads none of them.
    const QByteArray requests = stream(&Jobs::queueVersionRequest).repeated(20000);
    QTcpSocket client;
    QFile line(rig->device());
    if (overSocket) {
        client.connectToHost(QHostAddress::LocalHost, port(*rig));
        QVERIFY(client.waitForConnected(5000));
        client.setReadBufferSize(1);
        client.write(requests);
    } else {
        QVERIFY(line.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        const int fd = int(line.handle());
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        // Without XON/XOFF: an XON could never reach a host whose input is full of replies.
        termios tio{};
        QVERIFY(::tcgetattr(fd, &tio) == 0);
        tio.c_iflag &= ~tcflag_t(IXON | IXOFF);
        QVERIFY(::tcsetattr(fd, TCSANOW, &tio) == 0);
        qsizetype at = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                const ssize_t n =
                    ::write(fd, requests.constData() + at, std::size_t(requests.size() - at));
                at += std::max<ssize_t>(n, 0);
                return at == requests.size();
            },
            60000));
    }
    QVERIFY(rig->waitForPrinted(requests.size(), 60000));
    QCOMPARE(rig->trace().count(QStringLiteral("further replies are dropped")), 1);
}

void TestVirtualSocket::connectAndCloseLeavesNoDescriptor()
{
    const std::unique_ptr<ControllerRig> rig = listeningRig();
    QVERIFY(rig);
    const int before = openDescriptors();
    for (int cycle = 1; cycle <= 200; ++cycle) {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port(*rig));
        QVERIFY(client.waitForConnected(5000));
        client.close();
        QTRY_COMPARE(rig->trace().count(QStringLiteral(" closed: 0 bytes taken")), cycle);
    }
    QTRY_COMPARE(openDescriptors(), before);
}

void TestVirtualSocket::fastClientIsHeldBack()
{
    // Lines of text at the real print speed: the client sends far faster than the controller
    // prints.
    const std::unique_ptr<ControllerRig> rig = listeningRig(LiveController::defaultPrintSpeed);
    QVERIFY(rig);
    const QByteArray chunk = QByteArray(47, 'x').append('\n').repeated(1365);
    constexpr qint64 total = 20 * 1024 * 1024;
    const qint64 before = residentBytes();

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    QVERIFY(fd >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port(*rig));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    qint64 sent = 0;
    int refusals = 0;
    // As fast as it can: every turn writes until the system takes no more. Held back, the
    // client finds nothing more taken, turn after turn, long before 20 MB.
    const bool stopped = QTest::qWaitFor(
        [&] {
            qint64 taken = 0;
            for (;;) {
                const ssize_t n =
                    ::send(fd, chunk.constData(), std::size_t(chunk.size()), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                taken += n;
            }
            sent += taken;
            refusals = taken == 0 && rig->controller().clientBytes() > 0 ? refusals + 1 : 0;
            return sent >= total || refusals >= 50;
        },
        60000);
    ::close(fd);
    QVERIFY(stopped);
    QVERIFY2(sent < total, qPrintable(QString::number(sent)));
    QVERIFY(rig->controller().bufferFill() <= LiveController::receiveBufferSize);
    QVERIFY(rig->controller().clientBytes() < quint64(sent) / 4);
    QVERIFY2(residentBytes() - before < 8 * 1024 * 1024,
             qPrintable(QString::number(residentBytes() - before)));
}

void TestVirtualSocket::windowShowsClientAndFollowsTrace()
{
    const std::unique_ptr<ControllerRig> rig = listeningRig();
    QVERIFY(rig);
    // Not shown: the trace's scroll bar is hidden, as it is when the first lines overflow the
    // pane and before it appears, which is where following used to stop.
    ControllerWindow window(&rig->controller());
    const auto *status = window.findChild<QLabel *>();
    QScrollBar *traceBar = window.findChild<QPlainTextEdit *>()->verticalScrollBar();
    const QByteArray lines = QByteArray("a line of the job\n").repeated(300);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port(*rig));
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(status->text().contains(QStringLiteral("client 127.0.0.1:")));
    client.write(lines);
    QTRY_VERIFY(rig->controller().clientBytes() == quint64(lines.size()) &&
                rig->controller().bufferFill() == 0);
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
