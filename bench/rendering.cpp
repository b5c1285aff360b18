// SPDX-License-Identifier: MIT
// 5. Rendering: tessivar-render printing the sample receipt's stream (a process, as a user runs
// it) against the same program on an empty stream; the stream decoder on a 10 MB stream of
// every job mixed, against a plain byte-by-byte scan of the same bytes; and the virtual
// controller (paper and trace) on the streams that once cost far more than their bytes, against
// the decoder alone on the same streams.
#include "sections.h"

#ifdef TESSIVAR_BENCH_RENDER
#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "virtual/streamdecoder.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#endif

namespace Bench {

#ifdef TESSIVAR_BENCH_RENDER

namespace {

class CountingSink : public Virtual::EventSink
{
public:
    void handle(const Virtual::Event &event) override
    {
        ++events;
        bytes += event.data.size();
    }
    std::uint64_t events = 0;
    std::uint64_t bytes = 0;
};

QByteArray mixedStream(qsizetype atLeast)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    while (buffer.size() < atLeast) {
        for (const Jobs::JobStream &job : Jobs::allJobStreams())
            job.queue(commands);
    }
    return buffer.data();
}

QByteArray receiptStream()
{
    return Jobs::streamOf(
        [](CommandSet &commands) { Jobs::queueReceipt(commands, Jobs::plainReceipt); });
}

double renderProcess(const QString &stream, const QString &png)
{
    QFile::remove(png);
    QProcess render;
    QElapsedTimer timer;
    timer.start();
    render.start(QStringLiteral(TESSIVAR_BENCH_RENDER), {QStringLiteral("--png"), png, stream});
    if (!render.waitForFinished(120000) || render.exitStatus() != QProcess::NormalExit ||
        render.exitCode() != 0 || !QFile::exists(png))
        fail(QStringLiteral("tessivar-render failed on %1: %2")
                 .arg(stream, QString::fromLocal8Bit(render.readAllStandardError())));
    return double(timer.nsecsElapsed());
}

// Streams of one command again and again, about `size` bytes long.
QByteArray storedQrPrints(qsizetype size)
{
    const QByteArray digits = QByteArray("0123456789").repeated(709).left(7089);
    const int length = int(digits.size()) + 3;
    QByteArray stream = QByteArray("\x1d(k", 3) + char(length & 0xFF) + char(length >> 8) + "1P0" +
                        digits + QByteArray("\x1d(k\x03\x00" "1C\x02", 8);
    const QByteArray print("\x1d(k\x03\x00" "1Q0", 8);
    return stream + print.repeated((size - stream.size()) / print.size());
}

QByteArray storedBitmapPrints(qsizetype size)
{
    // 4096 dots wide, far wider than the paper; the roll runs out after 390 prints.
    constexpr int bytesPerRow = 512;
    constexpr int rows = 256;
    QByteArray stream = QByteArray("\x1dq\x01\x00", 4) + char(bytesPerRow & 0xFF) +
                        char(bytesPerRow >> 8) + char(rows & 0xFF) + char(rows >> 8) +
                        QByteArray(bytesPerRow * rows, char(0xFF));
    const QByteArray print("\x1cp\x01\x00", 4);
    return stream + print.repeated((size - stream.size()) / print.size());
}

double controllerRate(const QByteArray &stream)
{
    QBuffer trace;
    trace.open(QIODevice::WriteOnly);
    QElapsedTimer timer;
    timer.start();
    {
        Virtual::VirtualController controller({0, Virtual::Paper::defaultMaxLength, &trace});
        controller.feed(stream);
        controller.finish();
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (trace.size() == 0)
        fail(QStringLiteral("the virtual controller wrote no trace"));
    return double(stream.size()) / seconds;
}

double decoderRate(const QByteArray &stream)
{
    CountingSink sink;
    Virtual::StreamDecoder decoder(&sink);
    QElapsedTimer timer;
    timer.start();
    decoder.feed(stream);
    decoder.finish();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (sink.events == 0)
        fail(QStringLiteral("the decoder found no command"));
    return double(stream.size()) / seconds;
}

void measureCostlyStreams(const Options &options, Table &table)
{
    const int runs = options.smoke ? 1 : std::max(3, options.runs / 3);
    const qsizetype size = options.smoke ? 256 * 1024 : 1024 * 1024;
    const struct
    {
        const char *name;
        QByteArray stream;
    } streams[] = {
        {"QR prints of one stored 7089-digit symbol", storedQrPrints(size)},
        {"Stored-bitmap prints past the roll's end", storedBitmapPrints(size)},
        {"LF, one after another", QByteArray(size, '\n')},
    };
    for (const auto &costly : streams) {
        const Pair pair = sideBySide(
            runs, [&] { return controllerRate(costly.stream); },
            [&] { return decoderRate(costly.stream); });
        Row row;
        row.name = QStringLiteral("Virtual controller: %1 (%2 MB, paper and trace)")
                       .arg(QLatin1String(costly.name))
                       .arg(double(costly.stream.size()) / 1e6, 0, 'f', 1);
        row.baselineName = QStringLiteral(
            "Costly streams: the stream decoder alone on the same stream, nothing printed.");
        row.unit = Unit::BytesPerSecond;
        row.tool = pair.tool;
        row.baseline = pair.baseline;
        row.goal = QStringLiteral(">= 1 MB/s");
        row.meets = [](const Row &r) { return r.tool >= 1e6; };
        table.add(row);
    }
}

} // namespace

void measureRendering(const Options &options, Table &table)
{
    QTemporaryDir dir;
    const QString receipt = dir.filePath(QStringLiteral("receipt.bin"));
    const QString empty = dir.filePath(QStringLiteral("empty.bin"));
    const QString png = dir.filePath(QStringLiteral("roll.png"));
    QFile receiptFile(receipt), emptyFile(empty);
    const QByteArray receiptBytes = receiptStream();
    if (!receiptFile.open(QIODevice::WriteOnly) ||
        receiptFile.write(receiptBytes) != receiptBytes.size() ||
        !emptyFile.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write the streams for tessivar-render"));
    receiptFile.close();
    emptyFile.close();

    const int runs = options.smoke ? 1 : options.runs;
    const Pair render = sideBySide(
        runs, [&] { return renderProcess(receipt, png); },
        [&] { return renderProcess(empty, png); });
    Row renderRow;
    renderRow.name = QStringLiteral("tessivar-render of the receipt stream (%1 B) to PNG")
                         .arg(receiptBytes.size());
    renderRow.baselineName =
        QStringLiteral("Render: tessivar-render on an empty stream (start, fonts, an empty roll).");
    renderRow.tool = render.tool;
    renderRow.baseline = render.baseline;
    table.add(renderRow);

    const QByteArray stream = mixedStream(options.smoke ? 1000000 : 10000000);
    constexpr qsizetype piece = 64 * 1024;
    auto decode = [&] {
        CountingSink sink;
        Virtual::StreamDecoder decoder(&sink);
        QElapsedTimer timer;
        timer.start();
        for (qsizetype at = 0; at < stream.size(); at += piece)
            decoder.feed(QByteArrayView(stream).sliced(at, qMin(piece, stream.size() - at)));
        const std::uint64_t taken = decoder.offset();
        decoder.finish();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (taken != std::uint64_t(stream.size()) || sink.events == 0)
            fail(QStringLiteral("the decoder did not take the whole stream"));
        return double(stream.size()) / seconds;
    };
    auto scan = [&] {
        // What any decoder must do at least: look at every byte and pick out the prefixes.
        QElapsedTimer timer;
        timer.start();
        std::uint64_t prefixes = 0;
        for (qsizetype at = 0; at < stream.size(); at += piece) {
            const QByteArrayView part =
                QByteArrayView(stream).sliced(at, qMin(piece, stream.size() - at));
            for (const char byte : part) {
                switch (std::uint8_t(byte)) {
                case 0x10:
                case 0x1B:
                case 0x1C:
                case 0x1D:
                    ++prefixes;
                    break;
                default:
                    break;
                }
            }
        }
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (prefixes == 0)
            fail(QStringLiteral("the mixed stream holds no command"));
        return double(stream.size()) / seconds;
    };
    const Pair decoder = sideBySide(runs, decode, scan);
    Row decoderRow;
    decoderRow.name = QStringLiteral("Decoder on a %1 MB mixed stream of every job")
                          .arg(stream.size() / 1e6, 0, 'f', 1);
    decoderRow.baselineName = QStringLiteral(
        "Decoder: a byte-by-byte scan of the same stream that counts the command prefixes.");
    decoderRow.unit = Unit::BytesPerSecond;
    decoderRow.tool = decoder.tool;
    decoderRow.baseline = decoder.baseline;
    table.add(decoderRow);

    measureCostlyStreams(options, table);
}

#else

void measureRendering(const Options &, Table &table)
{
    for (const char *name :
         {"tessivar-render of the receipt stream", "Decoder on a 10 MB mixed stream",
          "Virtual controller: QR prints of one stored 7089-digit symbol",
          "Virtual controller: Stored-bitmap prints past the roll's end",
          "Virtual controller: LF, one after another"}) {
        Row row;
        row.name = QLatin1String(name);
        row.missing = QStringLiteral("not built yet (no tessivar_virtual in this tree)");
        table.add(row);
    }
}

#endif

} // namespace Bench
