// SPDX-License-Identifier: MIT
#include "image/monoraster.h"

#include <cstring>

namespace MonoRaster {

namespace {

// How light a colour looks on the paper: its grey level laid over white by its opacity.
int lightnessOnPaper(QRgb colour)
{
    const int alpha = qAlpha(colour);
    return 255 - alpha * (255 - qGray(colour)) / 255;
}

// A one-bit image may come with fewer than two colours; Qt then draws index 0 black and
// index 1 white, and so do we.
QRgb colourOf(const QImage &image, int index)
{
    if (index < image.colorCount())
        return image.color(index);
    return index == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
}

// Premultiplied colour over white: each channel gains what the pixel lets through.
QImage laidOnPaper(const QImage &image)
{
    QImage paper = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < paper.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(paper.scanLine(y));
        for (int x = 0; x < paper.width(); ++x) {
            const QRgb p = row[x];
            const int through = 255 - qAlpha(p);
            row[x] = qRgb(qRed(p) + through, qGreen(p) + through, qBlue(p) + through);
        }
    }
    // Every pixel is opaque now: the same words read as RGB32, without a copy of the picture.
    paper.reinterpretAsFormat(QImage::Format_RGB32);
    return paper;
}

// Qt dithers 8-bit grey by way of a 32-bit copy, four times the picture. The same bytes read
// as an indexed picture with a grey colour table dither directly, to the same dots.
QImage greyToMono(const QImage &image)
{
    QImage indexed = image.copy();
    if (!indexed.reinterpretAsFormat(QImage::Format_Indexed8))
        return image.convertToFormat(QImage::Format_Mono);
    QList<QRgb> greys(256);
    for (int i = 0; i < 256; ++i)
        greys[i] = qRgb(i, i, i);
    indexed.setColorTable(greys);
    return indexed.convertToFormat(QImage::Format_Mono);
}

enum class BitOp { Keep, Invert, AllSet, AllClear };

uchar apply(BitOp op, uchar byte)
{
    switch (op) {
    case BitOp::Keep:
        return byte;
    case BitOp::Invert:
        return uchar(~byte);
    case BitOp::AllSet:
        return 0xFF;
    case BitOp::AllClear:
        return 0x00;
    }
    return byte;
}

} // namespace

Verdict check(const QImage &image)
{
    if (image.sizeInBytes() < 1)
        return Verdict::Empty;
    if (image.width() > maxWidth)
        return Verdict::TooWide;
    if (image.height() > maxHeight)
        return Verdict::TooTall;
    return Verdict::Printable;
}

QImage toRaster(const QImage &image)
{
    if (image.isNull())
        return {};

    QImage raster;
    if (isOneBit(image))
        raster = image.convertToFormat(QImage::Format_Mono); // MonoLSB turns MSB-first
    else if (image.format() == QImage::Format_Grayscale8)
        raster = greyToMono(image);
    else if (image.hasAlphaChannel())
        raster = laidOnPaper(image).convertToFormat(QImage::Format_Mono);
    else
        raster = image.convertToFormat(QImage::Format_Mono);

    // A set bit must stand for the darker colour. Two equal colours make a uniform picture:
    // all dots where it is dark, none where it is light.
    const int light0 = lightnessOnPaper(colourOf(raster, 0));
    const int light1 = lightnessOnPaper(colourOf(raster, 1));
    BitOp op = BitOp::Keep;
    if (light0 < light1)
        op = BitOp::Invert;
    else if (light0 == light1)
        op = light0 < 128 ? BitOp::AllSet : BitOp::AllClear;

    // The image library leaves the fill bits after the last pixel of a row undefined; on
    // paper they would be dots beyond the picture's right edge.
    const int fullBytes = raster.width() / 8;
    const int restBits = raster.width() % 8;
    const auto lastByteMask = uchar(0xFF << (8 - restBits));
    const qsizetype usedBytes = fullBytes + (restBits ? 1 : 0);
    const qsizetype bytesPerLine = raster.bytesPerLine();
    for (int y = 0; y < raster.height(); ++y) {
        uchar *row = raster.scanLine(y);
        if (op != BitOp::Keep) {
            for (qsizetype i = 0; i < usedBytes; ++i)
                row[i] = apply(op, row[i]);
        }
        if (restBits)
            row[fullBytes] &= lastByteMask;
        std::memset(row + usedBytes, 0, size_t(bytesPerLine - usedBytes));
    }

    raster.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    return raster;
}

} // namespace MonoRaster
