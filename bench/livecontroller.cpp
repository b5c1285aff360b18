// SPDX-License-Identifier: MIT
// 6. The live virtual controller at its fastest UART setting (375000 bit/s, 8N1, XON/XOFF; set
// as a user does, with the "Apply" job's command at 115200 bit/s, then the host's port), the
// print mechanism as fast as it can draw (--print-speed 0): bytes a second from the first byte
// of a raster job written to its link to the controller's answer to a status request after it,
// against the line's own limit (375000 / 10 bits a byte).
#include "sections.h"

#include "farend.h"

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

#include <QBuffer>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>

#include <cstring>

namespace Bench {

namespace {

constexpr int lineSpeed = 375000;
constexpr double lineLimit = lineSpeed / 10.0; // bytes a second: start bit, 8 data bits, stop bit
constexpr int deadlineMs = 60000;

// A raster picture 384 dots wide of about `bytes` bytes, in pieces of 256 rows (GS v 0).
QByteArray rasterJob(qsizetype bytes)
{
    QByteArray job;
    for (int row = 0; job.size() < bytes;) {
        const int rows = 256;
        job += QByteArray::fromHex("1d763000300000") + char(rows >> 8);
        job[job.size() - 2] = char(rows & 0xFF);
        for (int y = 0; y < rows; ++y, ++row) {
            for (int x = 0; x < 48; ++x)
                job += char(0x80 | ((x * 37 + row * 11) & 0x7F));
        }
    }
    return job;
}

QByteArray statusRequest()
{
    for (const Jobs::JobStream &job : Jobs::allJobStreams()) {
        if (std::strcmp(job.button, "pushButtonStatus") == 0)
            return Jobs::streamOf(job);
    }
    fail(QStringLiteral("no Status job"));
}

QByteArray fastestUartCommand()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    Jobs::queueUartSettings(commands, Jobs::Uart::Speed375000, Jobs::Uart::XonXoff);
    return buffer.data();
}

// Writes `bytes` and waits for the controller's answer; the time it took, in nanoseconds.
double untilAnswered(QSerialPort &port, const QByteArray &bytes)
{
    port.clear();
    const std::int64_t start = nowNs();
    port.write(bytes);
    QByteArray answer;
    const std::int64_t end = start + std::int64_t(deadlineMs) * 1000000;
    while (answer.isEmpty() && nowNs() < end) {
        port.waitForReadyRead(int((end - nowNs()) / 1000000) + 1);
        answer += port.readAll();
    }
    if (answer.isEmpty())
        fail(QStringLiteral("the virtual controller did not answer the status request"));
    return double(nowNs() - start);
}

} // namespace

void measureLiveController(const Options &options, Table &table)
{
    Row row;
    row.name = QStringLiteral("Live virtual controller at 375000 bit/s, print speed 0");
    row.baselineName = QStringLiteral(
        "Live controller: the line's own limit, 375000 bit/s at 10 bits a byte (37.5 KB/s).");
    row.unit = Unit::BytesPerSecond;
    row.baseline = lineLimit;
    row.goal = QStringLiteral(">= 0.95x");
    row.meets = [](const Row &r) { return r.ratio() >= 0.95; };
#ifndef TESSIVAR_BENCH_CONTROLLER
    row.missing = QStringLiteral("not built");
    table.add(row);
    return;
#else
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyBench"));
    QProcess controller;
    controller.start(QStringLiteral(TESSIVAR_BENCH_CONTROLLER),
                     {QStringLiteral("--headless"), QStringLiteral("--print-speed"),
                      QStringLiteral("0"), QStringLiteral("--link"), link});
    QByteArray said;
    while (!said.contains("ready") && controller.waitForReadyRead(deadlineMs))
        said += controller.readAllStandardOutput();
    if (!said.contains("ready"))
        fail(QStringLiteral("the virtual controller did not start: %1")
                 .arg(QString::fromLocal8Bit(controller.readAllStandardError())));

    QSerialPort port(link);
    port.setBaudRate(QSerialPort::Baud115200);
    port.setFlowControl(QSerialPort::SoftwareControl);
    if (!port.open(QIODevice::ReadWrite))
        fail(QStringLiteral("cannot open %1: %2").arg(link, port.errorString()));
    const QByteArray request = statusRequest();
    untilAnswered(port, fastestUartCommand() + request);
    if (!port.setBaudRate(lineSpeed))
        fail(QStringLiteral("cannot set %1 bit/s: %2").arg(lineSpeed).arg(port.errorString()));

    const QByteArray job = rasterJob(options.smoke ? 4096 : qsizetype(lineLimit)) + request;
    QList<double> samples;
    for (int run = 0; run < (options.smoke ? 1 : options.runs); ++run)
        samples << double(job.size()) * 1e9 / untilAnswered(port, job);
    port.close();
    controller.terminate();
    controller.waitForFinished(10000);
    row.tool = median(samples);
    table.add(row);
#endif
}

} // namespace Bench
