// SPDX-License-Identifier: MIT
// 2. Draining: a raster job of about 1 MB goes from the window, through its port, to the far end
// of a pseudo-terminal; against the same bytes written by a plain program (tessivar-bench-write)
// into another pseudo-terminal. Both figures are bytes per second from the start of the job (the
// handler's start, the program's first write) to the last byte at the far end.
#include "farend.h"
#include "sections.h"

#include "commands/commandset.h"
#include "image/monoraster.h"
#include "window/mainwindow.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

namespace Bench {

namespace {

// A picture 384 dots wide whose rows are not all alike, so the stream is not one repeated row.
QImage rasterPicture(int rows)
{
    QImage picture(384, rows, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < rows; ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < picture.bytesPerLine(); ++x)
            line[x] = uchar((x * 37 + y * 11) ^ (y >> 3));
    }
    return picture;
}

QByteArray rasterJobStream(const QImage &raster)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    commands.printerSoftInit();
    commands.picturePrintH(0, static_cast<unsigned short>(raster.bytesPerLine()),
                           static_cast<unsigned short>(raster.height()), raster.constBits());
    return buffer.data();
}

} // namespace

void measureDraining(const Options &options, Table &table)
{
    // 21,845 rows of 48 bytes: 1 MiB of picture, and the header and soft initialisation.
    const int rows = options.smoke ? 2000 : 21845;
    QTemporaryDir dir;
    const QString picturePath = dir.filePath(QStringLiteral("raster.png"));
    const QString streamPath = dir.filePath(QStringLiteral("raster.bin"));
    if (!dir.isValid() || !rasterPicture(rows).save(picturePath, "PNG"))
        fail(QStringLiteral("cannot write the raster picture"));
    const QByteArray stream =
        rasterJobStream(MonoRaster::toRaster(QImageReader(picturePath).read()));
    QFile streamFile(streamPath);
    if (!streamFile.open(QIODevice::WriteOnly) || streamFile.write(stream) != stream.size())
        fail(QStringLiteral("cannot write the raster stream"));
    streamFile.close();

    FarEnd toolEnd;
    FarEnd plainEnd;
    toolEnd.countArrivals(/*keepBytes=*/true);
    plainEnd.countArrivals(/*keepBytes=*/false);
    if (!toolEnd.isValid() || !plainEnd.isValid())
        fail(QStringLiteral("cannot open a pseudo-terminal"));
    MainWindow window;
    connectWindow(&window, toolEnd.slavePath());
    bool loaded = false;
    QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection, Q_RETURN_ARG(bool, loaded),
                              Q_ARG(QString, picturePath));
    if (!loaded)
        fail(QStringLiteral("the window cannot load the raster picture"));

    bool checked = false;
    auto drainTool = [&] {
        toolEnd.reset();
        const std::int64_t start = nowNs();
        invokeSlot(&window, "on_pushButton_58PrintH_released()");
        if (!toolEnd.waitForBytes(stream.size()))
            fail(QStringLiteral("the far end got %1 of %2 bytes of the raster job")
                     .arg(toolEnd.received())
                     .arg(stream.size()));
        const double seconds = double(toolEnd.lastByteNs() - start) / 1e9;
        if (!std::exchange(checked, true)) {
            if (toolEnd.takeBytes() != stream)
                fail(QStringLiteral("the raster job arrived changed"));
            toolEnd.setKeepBytes(false); // the plain end keeps nothing either
        }
        return double(stream.size()) / seconds;
    };
    auto drainPlain = [&] {
        plainEnd.reset();
        QProcess writer;
        writer.start(QStringLiteral(TESSIVAR_BENCH_WRITE), {plainEnd.slavePath(), streamPath});
        if (!writer.waitForFinished(60000) || writer.exitCode() != 0)
            fail(QStringLiteral("tessivar-bench-write failed: %1")
                     .arg(QString::fromLocal8Bit(writer.readAllStandardError())));
        const std::int64_t start = writer.readAllStandardOutput().trimmed().toLongLong();
        if (!plainEnd.waitForBytes(stream.size()))
            fail(QStringLiteral("the plain writer's far end got %1 of %2 bytes")
                     .arg(plainEnd.received())
                     .arg(stream.size()));
        return double(stream.size()) / (double(plainEnd.lastByteNs() - start) / 1e9);
    };

    const Pair pair = sideBySide(options.smoke ? 1 : options.runs, drainTool, drainPlain);
    Row row;
    row.name = QStringLiteral("Drain a raster job (%1 B) to a pseudo-terminal").arg(stream.size());
    row.baselineName = QStringLiteral(
        "Drain: a plain program writing the same bytes with blocking write(2) into another "
        "pseudo-terminal set up as the tool sets it up.");
    row.unit = Unit::BytesPerSecond;
    row.tool = pair.tool;
    row.baseline = pair.baseline;
    row.goal = QStringLiteral(">= 0.9x");
    row.meets = [](const Row &r) { return r.ratio() >= 0.9; };
    table.add(row);
}

} // namespace Bench
