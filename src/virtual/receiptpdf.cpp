// SPDX-License-Identifier: MIT
#include "virtual/receiptpdf.h"

#include "protocol/values.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace Virtual {

namespace {

QPageSize pageFor(const QImage &picture)
{
    // A page at least a millimetre tall: an empty receipt still makes a page.
    const double mm = 1.0 / Protocol::dotsPerMm;
    return QPageSize(QSizeF(picture.width() * mm, std::max(picture.height() * mm, 1.0)),
                     QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

} // namespace

bool writePdf(const QString &path, const QList<QImage> &pages, QString *error)
{
    QFile file(path);
    if (pages.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(path,
                          pages.isEmpty() ? QStringLiteral("nothing printed") : file.errorString());
        return false;
    }
    const bool written = writePdf(&file, pages, error);
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writePdf(QIODevice *device, const QList<QImage> &pages, QString *error)
{
    if (pages.isEmpty()) {
        *error = QStringLiteral("nothing printed");
        return false;
    }
    QPdfWriter writer(device);
    writer.setCreator(QStringLiteral("Tessivar"));
    writer.setResolution(Protocol::dotsPerMm * 254 / 10); // 203 dpi: a dot a pixel
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageSize(pageFor(pages.front()));
    QPainter painter(&writer);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            writer.setPageSize(pageFor(pages.at(i)));
            writer.newPage();
        }
        // The page is the picture's size in millimetres; the picture fills it.
        const QImage &picture = pages.at(i);
        const double scale = double(writer.width()) / std::max(picture.width(), 1);
        painter.drawImage(QRectF(0, 0, writer.width(), picture.height() * scale), picture);
    }
    if (!painter.end()) {
        *error = QStringLiteral("the PDF could not be drawn");
        return false;
    }
    return true;
}

} // namespace Virtual
