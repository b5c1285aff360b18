// SPDX-License-Identifier: MIT
// 4. Images: "Load Image" on a 4000 x 3000 photograph and on a 384 x 20000 picture (the window's
// loadFile: read, bring to one bit, show, account), against decoding the same file alone with
// QImageReader.
#include "sections.h"

#include "window/mainwindow.h"

#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>

namespace Bench {

namespace {

// Something like a photograph for the encoder: soft gradients, a few shapes and sensor noise.
QImage photograph(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(20240601);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const int n = int(noise.bounded(24)) - 12;
            line[x] = qRgb(qBound(0, int(200 * u + 40 * std::sin(v * 9)) + n, 255),
                           qBound(0, int(160 * v + 50 * std::cos(u * 7)) + n, 255),
                           qBound(0, int(120 + 90 * std::sin((u + v) * 5)) + n, 255));
        }
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 30, 40));
    painter.drawEllipse(QRectF(width * 0.3, height * 0.25, width * 0.35, height * 0.5));
    painter.setBrush(QColor(240, 230, 200));
    painter.drawRect(QRectF(width * 0.05, height * 0.6, width * 0.2, height * 0.3));
    return picture;
}

// A tall picture as a receipt banner might be: grey text-like stripes on white.
QImage tallPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_Grayscale8);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (int y = 0; y < height; y += 24) {
        painter.fillRect(8 + (y / 24) % 40, y + 4, width - 60, 12, QColor(60, 60, 60));
        painter.fillRect(width / 3, y + 8, (y * 7) % (width / 2), 4, QColor(150, 150, 150));
    }
    return picture;
}

} // namespace

void measureImages(const Options &options, Table &table)
{
    QTemporaryDir dir;
    struct Case
    {
        QString name;
        QString file;
        QImage picture;
        const char *format;
    };
    const QList<Case> cases = {
        {QStringLiteral("Load and convert a 4000 x 3000 photograph (JPEG)"),
         dir.filePath(QStringLiteral("photograph.jpg")),
         options.smoke ? photograph(400, 300) : photograph(4000, 3000), "JPEG"},
        {QStringLiteral("Load and convert a 384 x 20000 picture (PNG)"),
         dir.filePath(QStringLiteral("tall.png")),
         options.smoke ? tallPicture(384, 2000) : tallPicture(384, 20000), "PNG"},
    };

    MainWindow window;
    auto *console = window.findChild<QPlainTextEdit *>(QStringLiteral("editTessivar"));
    for (const Case &c : cases) {
        if (!c.picture.save(c.file, c.format, 90))
            fail(QStringLiteral("cannot write %1").arg(c.file));
        auto load = [&] {
            console->clear();
            bool loaded = false;
            QElapsedTimer timer;
            timer.start();
            QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, loaded), Q_ARG(QString, c.file));
            const double took = double(timer.nsecsElapsed());
            if (!loaded)
                fail(QStringLiteral("the window cannot load %1").arg(c.file));
            return took;
        };
        auto decode = [&] {
            QElapsedTimer timer;
            timer.start();
            QImageReader reader(c.file);
            reader.setAutoTransform(true);
            const QImage decoded = reader.read();
            const double took = double(timer.nsecsElapsed());
            if (decoded.size() != c.picture.size())
                fail(QStringLiteral("cannot decode %1").arg(c.file));
            return took;
        };
        const Pair pair = sideBySide(options.smoke ? 1 : options.runs, load, decode);
        Row row;
        row.name = c.name;
        row.baselineName =
            QStringLiteral("Images: decoding the same file alone (QImageReader::read).");
        row.tool = pair.tool;
        row.baseline = pair.baseline;
        table.add(row);
    }
}

} // namespace Bench
