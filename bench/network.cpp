// SPDX-License-Identifier: MIT
// 8. The live virtual controller over TCP, as a shop's receipts come to it: a small receipt a
// fresh connection (sent, the sending side shut, then read until the controller closes the
// connection, which it does once the receipt has printed and, with --png-dir, its PNG and JSON
// are written), without files and with them, against the same client on a loopback sink that
// reads each connection to its end and closes it. The controller's start (process start to
// listening) against the same program answering --version, its resident memory after the
// receipts against at its start, and a soak: both hosts at once for ten minutes, its memory at
// the end against a fifth of the way in.
#include "sections.h"

#include "farend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace Bench {

namespace {

constexpr int smokeSoakSeconds = 2;

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

// A folder in memory (tmpfs) for the receipts' files, as a lab that prints thousands of receipts
// gives them: on a disk, making two files costs more than printing the receipt.
QString memoryFolder()
{
    for (const QString &folder :
         {qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/dev/shm")}) {
        if (!folder.isEmpty() && QFileInfo(folder).isWritable())
            return folder + QStringLiteral("/tessivar-bench-XXXXXX");
    }
    return QDir::tempPath() + QStringLiteral("/tessivar-bench-XXXXXX");
}

// Starts the controller without a window, listening on a free port that it returns; the time
// from its start to its saying so in `startNs`. With `files`, each receipt is written as PNG and
// JSON into the directory.
quint16 startController(QProcess &controller, const QTemporaryDir &dir, double &startNs,
                        bool files = true, const QStringList &more = {})
{
    QStringList arguments = {QStringLiteral("--headless"),    QStringLiteral("--no-pacing"),
                             QStringLiteral("--print-speed"), QStringLiteral("0"),
                             QStringLiteral("--link"),        dir.filePath(QStringLiteral("tty")),
                             QStringLiteral("--listen"),      QStringLiteral("0")};
    if (files)
        arguments << QStringLiteral("--png-dir") << dir.filePath(QStringLiteral("png"));
    const std::int64_t start = nowNs();
    controller.start(QStringLiteral(TESSIVAR_BENCH_CONTROLLER), arguments + more);
    QByteArray said;
    while (!said.contains("Listening") || !said.endsWith('\n')) {
        if (!controller.waitForReadyRead(deadlineMs))
            fail(QStringLiteral("the virtual controller did not start listening"));
        said += controller.readAllStandardOutput();
    }
    startNs = double(nowNs() - start);
    return quint16(said.trimmed().split(':').last().toUInt());
}

// Mixed traffic from both hosts for `seconds`: small receipts over TCP one after the other, and
// on the line every 300 ms a receipt with a picture. The controller's resident memory a fifth of
// the way in (the baseline) and at the end.
void soak(int seconds, Row &row)
{
    QTemporaryDir dir(memoryFolder());
    QProcess controller;
    double startNs = 0;
    const quint16 port = startController(controller, dir, startNs, true,
                                         {QStringLiteral("--job-timeout"), QStringLiteral("0.2")});
    const QByteArray lineJob =
        QByteArray::fromHex("1b401d76300030004000") + QByteArray(48 * 64, '\x5a') + receipt + '\0';
    const std::int64_t end = nowNs() + std::int64_t(seconds) * 1000000000;
    std::atomic<bool> lineOk = true;
    std::thread line([&] {
        const int fd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("tty"))).constData(),
                              O_WRONLY | O_NOCTTY | O_CLOEXEC);
        lineOk = fd >= 0;
        while (lineOk && nowNs() < end) {
            lineOk = ::write(fd, lineJob.constData(), size_t(lineJob.size())) == lineJob.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        if (fd >= 0)
            ::close(fd);
    });
    const std::int64_t warm = nowNs() + std::int64_t(seconds) * 200000000;
    bool warmed = false;
    while (nowNs() < end) {
        if (!sendReceipt(port))
            fail(QStringLiteral("a receipt over TCP failed during the soak"));
        if (!warmed && nowNs() >= warm) {
            warmed = true;
            row.baseline = double(residentKilobytes(controller.processId()));
        }
    }
    line.join();
    if (!lineOk)
        fail(QStringLiteral("the line's host could not write during the soak"));
    row.tool = double(residentKilobytes(controller.processId()));
    controller.terminate();
    controller.waitForFinished(deadlineMs);
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
    const QString sink = QStringLiteral("Receipts over TCP: the same client on a loopback sink "
                                        "that reads each connection to its end.");
    Row bare = named(QStringLiteral("Receipts over fresh TCP connections, no files"), sink);
    Row receipts = named(QStringLiteral("Receipts over fresh TCP connections, PNG and JSON each "
                                        "(into tmpfs)"),
                         sink);
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
    Row soaked =
        named(QStringLiteral("Both hosts for %1 s of mixed traffic: resident memory at the "
                             "end")
                  .arg(options.smoke ? smokeSoakSeconds : options.soakSeconds),
              QStringLiteral("Soak: the controller's resident memory a fifth of the way "
                             "in."));
    soaked.unit = Unit::Kilobytes;
    soaked.goal = QStringLiteral("flat (<= 1 MB more)");
    soaked.meets = [](const Row &r) { return r.tool <= r.baseline + 1024; };
#ifndef TESSIVAR_BENCH_CONTROLLER
    bare.missing = receipts.missing = start.missing = memory.missing = soaked.missing =
        QStringLiteral("not built");
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

    for (Row *row : {&bare, &receipts}) {
        QTemporaryDir dir(memoryFolder());
        QProcess controller;
        double startNs = 0;
        const quint16 port = startController(controller, dir, startNs, row == &receipts);
        memory.baseline = double(residentKilobytes(controller.processId()));
        const Pair pair = sideBySide(
            runs, [&] { return receiptTime(port, count); },
            [&] {
                Sink sink(count);
                return receiptTime(sink.port(), count);
            });
        row->tool = pair.tool;
        row->baseline = pair.baseline;
        memory.tool = double(residentKilobytes(controller.processId()));
        controller.terminate();
        controller.waitForFinished(deadlineMs);
    }
    soak(options.smoke ? smokeSoakSeconds : options.soakSeconds, soaked);
#endif
    table.add(bare);
    table.add(receipts);
    table.add(start);
    table.add(memory);
    table.add(soaked);
}

} // namespace Bench
