// SPDX-License-Identifier: MIT
// zxing-cpp apart from zbar: their headers clash (zxing's error macros).
#include "paperreader.h"

#include <QPainter>

#include <ZXing/ReadBarcode.h>

#include <algorithm>

namespace PaperReader {

namespace {

QList<Symbol> read(const QImage &paper)
{
    constexpr int edge = 40;
    QImage sheet(paper.width() + 2 * edge, paper.height() + 2 * edge, QImage::Format_Grayscale8);
    sheet.fill(255);
    QPainter(&sheet).drawImage(edge, edge, paper);
    const ZXing::ImageView view(sheet.constBits(), sheet.width(), sheet.height(),
                                ZXing::ImageFormat::Lum, int(sheet.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::PDF417 | ZXing::BarcodeFormat::DataMatrix |
                     ZXing::BarcodeFormat::Aztec | ZXing::BarcodeFormat::MaxiCode);
    hints.setTryHarder(true);
    QList<Symbol> found;
    for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
        const std::string text = result.text(); // UTF-8 with ZX_USE_UTF8
        found.append({QString::fromLatin1(ZXing::ToString(result.format())),
                      QByteArray(text.data(), qsizetype(text.size()))});
    }
    return found;
}

} // namespace

// zxing-cpp finds a MaxiCode only where it is all there is, so each band of ink between blank
// rows is read on its own as well.
QList<Symbol> scanMatrix(const QImage &paper)
{
    QList<Symbol> found = read(paper);
    const auto add = [&found](const QList<Symbol> &more) {
        for (const Symbol &symbol : more) {
            const bool known = std::any_of(found.begin(), found.end(), [&symbol](const Symbol &s) {
                return s.type == symbol.type && s.data == symbol.data;
            });
            if (!known)
                found.append(symbol);
        }
    };
    // A band ends after 8 blank rows (a MaxiCode's rows of hexagons have blank rows between).
    int top = -1, last = -1;
    for (int y = 0; y <= paper.height(); ++y) {
        const bool blank =
            y == paper.height() || inkBounds(paper, QRect(0, y, paper.width(), 1)).isEmpty();
        if (!blank) {
            top = top < 0 ? y : top;
            last = y;
        } else if (top >= 0 && (y - last > 8 || y == paper.height())) {
            add(read(paper.copy(0, top, paper.width(), last + 1 - top)));
            top = -1;
        }
    }
    return found;
}

} // namespace PaperReader
