// 5. Rendering: tessivar-render printing the sample receipt's stream (a process, as a user runs
// it) against the same program on an empty stream; and the stream decoder on a 10 MB stream of
// every job mixed, against a plain byte-by-byte scan of the same bytes.
#include "sections.h"

#ifdef TESSIVAR_BENCH_RENDER
#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "virtual/streamdecoder.h"

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
}

#else

void measureRendering(const Options &, Table &table)
{
    for (const char *name :
         {"tessivar-render of the receipt stream", "Decoder on a 10 MB mixed stream"}) {
        Row row;
        row.name = QLatin1String(name);
        row.missing = QStringLiteral("not built yet (no tessivar_virtual in this tree)");
        table.add(row);
    }
}

#endif

} // namespace Bench
