// SPDX-License-Identifier: MIT
// 8. The live virtual controller over TCP, as a shop's receipts come to it: a small receipt a
// fresh connection (sent, the sending side shut, then read until the controller closes the
// connection, which it does once the receipt has printed and its piece is written as PNG),
// against the same client on a loopback sink that reads each connection to its end and closes
// it. The controller's start (process start to listening) against the same program answering
// --version, and its resident memory after the receipts against at its start.
#include "sections.h"

#include "farend.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace Bench {

namespace {

#ifdef TESSIVAR_BENCH_CONTROLLER
constexpr int deadlineMs = 60000;
const QByteArray receipt("\x1b@Store 42\nCoffee      2.50\nTotal       2.50\n\n\n\x1dV");

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// One receipt over a fresh connection, until the far end closes it.
bool sendReceipt(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    const QByteArray bytes = receipt + '\0'; // GS V 0: a full cut
    bool ok = fd >= 0 &&
              ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
              ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size() &&
              ::shutdown(fd, SHUT_WR) == 0;
    char answer[256];
    for (ssize_t n = 1; ok && n > 0;) {
        n = ::recv(fd, answer, sizeof answer, 0);
        ok = n >= 0;
    }
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Nanoseconds a receipt, over `count` receipts.
double receiptTime(quint16 port, int count)
{
    const std::int64_t start = nowNs();
    for (int i = 0; i < count; ++i) {
        if (!sendReceipt(port))
            fail(QStringLiteral("a receipt over TCP failed"));
    }
    return double(nowNs() - start) / count;
}

// Takes `count` connections one at a time, reads each to its end and closes it.
class Sink
{
public:
    explicit Sink(int count)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = loopback(0);
        socklen_t size = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
            ::listen(m_fd, 16) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            fail(QStringLiteral("the loopback sink cannot listen"));
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, count] {
            char bytes[4096];
            for (int i = 0; i < count; ++i) {
                const int client = ::accept(m_fd, nullptr, nullptr);
                while (client >= 0 && ::recv(client, bytes, sizeof bytes, 0) > 0) {
                }
                ::close(client);
            }
        });
    }
    ~Sink()
    {
        m_thread.join();
        ::close(m_fd);
    }
    Sink(const Sink &) = delete;
    Sink &operator=(const Sink &) = delete;
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::thread m_thread;
};

qint64 residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf("VmRSS:") + 6;
    return text.mid(at, text.indexOf('\n', at) - at).trimmed().split(' ')[0].toLongLong();
}

// Starts the controller without a window, listening on a free port that it returns; the time
// from its start to its saying so in `startNs`.
quint16 startController(QProcess &controller, const QTemporaryDir &dir, double &startNs)
{
    const std::int64_t start = nowNs();
    controller.start(QStringLiteral(TESSIVAR_BENCH_CONTROLLER),
                     {QStringLiteral("--headless"), QStringLiteral("--no-pacing"),
                      QStringLiteral("--print-speed"), QStringLiteral("0"),
                      QStringLiteral("--link"), dir.filePath(QStringLiteral("tty")),
                      QStringLiteral("--png-dir"), dir.filePath(QStringLiteral("png")),
                      QStringLiteral("--listen"), QStringLiteral("0")});
    QByteArray said;
    while (!said.contains("Listening") || !said.endsWith('\n')) {
        if (!controller.waitForReadyRead(deadlineMs))
            fail(QStringLiteral("the virtual controller did not start listening"));
        said += controller.readAllStandardOutput();
    }
    startNs = double(nowNs() - start);
    return quint16(said.trimmed().split(':').last().toUInt());
}

double versionTime()
{
    QProcess program;
    const std::int64_t start = nowNs();
    program.start(QStringLiteral(TESSIVAR_BENCH_CONTROLLER), {QStringLiteral("--version")});
    if (!program.waitForFinished(deadlineMs))
        fail(QStringLiteral("the virtual controller did not answer --version"));
    return double(nowNs() - start);
}
#endif

} // namespace

void measureNetwork([[maybe_unused]] const Options &options, Table &table)
{
    const auto named = [](const QString &name, const QString &baselineName) {
        Row row;
        row.name = name;
        row.baselineName = baselineName;
        return row;
    };
    Row receipts = named(QStringLiteral("Receipts over fresh TCP connections, a PNG each"),
                         QStringLiteral("Receipts over TCP: the same client on a loopback sink "
                                        "that reads each connection to its end."));
    receipts.goal = QStringLiteral("<= 1 ms each");
    receipts.meets = [](const Row &r) { return r.tool <= 1e6; };
    Row start = named(QStringLiteral("Virtual controller without a window, start to listening"),
                      QStringLiteral("Controller's start: the same program answering --version."));
    start.goal = QStringLiteral("<= 50 ms");
    start.meets = [](const Row &r) { return r.tool <= 50e6; };
    Row memory = named(QStringLiteral("Virtual controller's resident memory after the receipts"),
                       QStringLiteral("Controller's memory: its resident memory when it listens."));
    memory.unit = Unit::Kilobytes;
    memory.goal = QStringLiteral("< 20 MB");
    memory.meets = [](const Row &r) { return r.tool < 20 * 1024; };
#ifndef TESSIVAR_BENCH_CONTROLLER
    receipts.missing = start.missing = memory.missing = QStringLiteral("not built");
#else
    const int count = options.smoke ? 5 : 500;
    const int runs = options.smoke ? 1 : options.runs;
    QList<double> startTimes, versionTimes;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        QProcess controller;
        double startNs = 0;
        startController(controller, dir, startNs);
        startTimes << startNs;
        versionTimes << versionTime();
        controller.terminate();
        controller.waitForFinished(deadlineMs);
    }
    start.tool = median(startTimes);
    start.baseline = median(versionTimes);

    QTemporaryDir dir;
    QProcess controller;
    double startNs = 0;
    const quint16 port = startController(controller, dir, startNs);
    memory.baseline = double(residentKilobytes(controller.processId()));
    const Pair pair = sideBySide(
        runs, [&] { return receiptTime(port, count); },
        [&] {
            Sink sink(count);
            return receiptTime(sink.port(), count);
        });
    receipts.tool = pair.tool;
    receipts.baseline = pair.baseline;
    memory.tool = double(residentKilobytes(controller.processId()));
    controller.terminate();
    controller.waitForFinished(deadlineMs);
#endif
    table.add(receipts);
    table.add(start);
    table.add(memory);
}

} // namespace Bench
