// SPDX-License-Identifier: MIT
#include "paperreader.h"

#include "virtual/greyimageqt.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QPainter>

#include <zbar.h>

#include <memory>

namespace PaperReader {

Rendered render(QByteArrayView stream, int headType, int maxLength, const QList<qsizetype> &cuts,
                const Virtual::FontSet *fonts)
{
    QBuffer trace;
    trace.open(QIODevice::WriteOnly);
    Virtual::VirtualController controller({headType, maxLength, &trace, fonts});
    qsizetype at = 0;
    for (const qsizetype cut : cuts) {
        controller.feed(stream.sliced(at, cut - at));
        at = cut;
    }
    controller.feed(stream.sliced(at));
    controller.finish();
    return {Virtual::toQImage(controller.paper()),
            trace.data(),
            controller.renderer().lines(),
            controller.renderer().paper().ranOut(),
            controller.renderer().paper().allocatedBytes(),
            Virtual::ReceiptRecord::rollJson(controller.takeReceipts())};
}

QList<Symbol> scan(const QImage &paper, bool upcAsEan13)
{
    // Rows of the sheet padded to 4 bytes are white, so zbar can take them as a wider picture.
    constexpr int edge = 40;
    QImage sheet(paper.width() + 2 * edge, paper.height() + 2 * edge, QImage::Format_Grayscale8);
    sheet.fill(255);
    QPainter(&sheet).drawImage(edge, edge, paper);
    const std::unique_ptr<zbar::zbar_image_scanner_t, void (*)(zbar::zbar_image_scanner_t *)>
        scanner(zbar::zbar_image_scanner_create(), zbar::zbar_image_scanner_destroy);
    zbar::zbar_image_scanner_set_config(scanner.get(), zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::zbar_image_scanner_set_config(scanner.get(), zbar::ZBAR_UPCA, zbar::ZBAR_CFG_ENABLE,
                                        !upcAsEan13);
    const std::unique_ptr<zbar::zbar_image_t, void (*)(zbar::zbar_image_t *)> image(
        zbar::zbar_image_create(), zbar::zbar_image_destroy);
    zbar::zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(image.get(), unsigned(sheet.bytesPerLine()),
                              unsigned(sheet.height()));
    zbar::zbar_image_set_data(image.get(), sheet.constBits(),
                              static_cast<unsigned long>(sheet.sizeInBytes()), nullptr);
    zbar::zbar_scan_image(scanner.get(), image.get());
    QList<Symbol> found;
    for (const zbar::zbar_symbol_t *symbol = zbar::zbar_image_first_symbol(image.get()); symbol;
         symbol = zbar::zbar_symbol_next(symbol)) {
        found.append(
            {QString::fromLatin1(zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol))),
             QByteArray(zbar::zbar_symbol_get_data(symbol),
                        qsizetype(zbar::zbar_symbol_get_data_length(symbol)))});
    }
    return found;
}

QRect inkBounds(const QImage &paper, const QRect &area)
{
    const QRect within = (area.isEmpty() ? paper.rect() : area) & paper.rect();
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const uchar *row = paper.constScanLine(y);
        for (int x = within.left(); x <= within.right(); ++x) {
            if (row[x] == 255)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

int inkDots(const QImage &paper, const QRect &area)
{
    const QRect within = area & paper.rect();
    int count = 0;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const uchar *row = paper.constScanLine(y);
        for (int x = within.left(); x <= within.right(); ++x)
            count += row[x] != 255;
    }
    return count;
}

} // namespace PaperReader
