// SPDX-License-Identifier: MIT
// 6. Answering: the virtual controller's window while a job of QR prints of one stored symbol
// prints as fast as the controller can, against the same window while a job of text lines of the
// same size prints. Both figures are the longest time the window's event loop did not answer (a
// timer of 1 ms that it failed to run on time), counted in the CPU time its thread spent in that
// gap: the work done in one go, without what the machine's other load took away.
#include "sections.h"

#ifdef TESSIVAR_BENCH_CONTROLLER_WINDOW
#include "commands/commandset.h"
#include "controllerwindow.h"
#include "virtual/live/livecontroller.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#endif

namespace Bench {

#ifdef TESSIVAR_BENCH_CONTROLLER_WINDOW

namespace {

// The largest numeric QR symbol, stored once, then printed until the stream has `size` bytes.
QByteArray qrPrintJob(qsizetype size)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    QByteArray digits(7089, '0');
    for (qsizetype i = 0; i < digits.size(); ++i)
        digits[i] = char('0' + (i * 7) % 10);
    commands.setQRSizeVersion(3);
    commands.setQRcodeErrorCorrection('0');
    commands.transferQRcodeData(static_cast<unsigned short>(digits.size()),
                                reinterpret_cast<const unsigned char *>(digits.constData()));
    while (buffer.size() < size)
        commands.printQRcodeData();
    return buffer.data();
}

QByteArray textJob(qsizetype size)
{
    QByteArray job;
    while (job.size() < size)
        job += "Line of text for the answering baseline\n";
    return job;
}

qint64 threadCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Writes `job` into the controller's line from a thread of its own, as another program would,
// and runs the event loop meanwhile; returns the longest gap between the ticks of a 1 ms timer,
// in nanoseconds of the event loop thread's CPU time.
double longestSilence(const QByteArray &job)
{
    QTemporaryDir dir;
    Virtual::LiveController::Options options;
    options.pacing = false;
    options.printSpeed = 0;
    options.settingsFile = dir.filePath(QStringLiteral("controller.ini"));
    Virtual::LiveController controller(options);
    if (!controller.isOpen())
        fail(QStringLiteral("cannot open the controller's line: %1").arg(controller.errorString()));
    ControllerWindow window(&controller);
    window.show();

    const int host = ::open(qPrintable(controller.devicePath()), O_RDWR | O_NOCTTY);
    termios raw{};
    if (host < 0 || ::tcgetattr(host, &raw) != 0)
        fail(QStringLiteral("cannot open the controller's line as its host"));
    ::cfmakeraw(&raw);
    raw.c_iflag &= ~tcflag_t(IXON | IXOFF);
    ::tcsetattr(host, TCSANOW, &raw);
    std::thread writer([&] {
        for (qsizetype at = 0; at < job.size();) {
            const ssize_t n = ::write(host, job.constData() + at, std::size_t(job.size() - at));
            if (n <= 0)
                return;
            at += n;
        }
    });

    qint64 last = threadCpuNs();
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = threadCpuNs();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    const QDeadlineTimer deadline(600000);
    while ((controller.stats().printed < quint64(job.size()) || controller.bufferFill() > 0) &&
           !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    writer.join();
    ::close(host);
    if (controller.stats().printed != quint64(job.size()))
        fail(QStringLiteral("the controller printed %1 of %2 bytes")
                 .arg(controller.stats().printed)
                 .arg(job.size()));
    return double(longest);
}

} // namespace

void measureAnswering(const Options &options, Table &table)
{
    const qsizetype size = options.smoke ? 4000 : 40000;
    const QByteArray qrJob = qrPrintJob(size);
    const QByteArray lines = textJob(qrJob.size());
    // A run takes seconds where the goal is missed: three are enough for a median.
    const Pair pair = sideBySide(
        options.smoke ? 1 : std::min(options.runs, 3), [&] { return longestSilence(qrJob); },
        [&] { return longestSilence(lines); });
    Row row;
    row.name = QStringLiteral("Controller window: longest time not answering (CPU) while %1 B "
                              "of QR prints print")
                   .arg(qrJob.size());
    row.baselineName = QStringLiteral(
        "Answering: the same window while the same number of bytes of text lines print.");
    row.tool = pair.tool;
    row.baseline = pair.baseline;
    row.goal = QStringLiteral("<= 50 ms");
    row.meets = [](const Row &r) { return r.tool <= 50e6; };
    table.add(row);
}

#else

void measureAnswering(const Options &, Table &table)
{
    Row row;
    row.name =
        QStringLiteral("Controller window: longest time not answering while QR prints print");
    row.missing = QStringLiteral("not built: no virtual controller");
    table.add(row);
}

#endif

} // namespace Bench
