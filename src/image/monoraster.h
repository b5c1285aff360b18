// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>

// The one-bit picture that the controller prints: rows top to bottom, each row as wide as the
// image's own row storage (whole 32-bit words), the most significant bit of a byte the leftmost
// dot, a set bit a printed dot. Every image the window keeps is brought to this form on load, so
// the view shows exactly what the raster command sends.
namespace MonoRaster {

// The dot width of the 58 mm print heads.
inline constexpr int maxWidth = 384;
// The raster header announces the height in 16 bits.
inline constexpr int maxHeight = 65535;

enum class Verdict { Printable, Empty, TooWide, TooTall };

// Whether an image can go out as one raster picture, and if not, why. An image with no bytes
// (nothing loaded) is Empty; the width is tested before the height.
Verdict check(const QImage &image);

// Whether the image already has one bit per pixel (and so needs no dithering).
inline bool isOneBit(const QImage &image)
{
    return image.depth() < 2;
}

// Brings any non-null image to the raster form: QImage::Format_Mono, a set bit the darker of the
// image's two colours, the fill bits at the end of each row clear, and the colour table white
// for 0 and black for 1, so that the image shows as it prints. A one-bit image keeps its pixels
// (only its bit order and bit values may change); a deeper image is dithered with Qt's default
// conversion after transparent areas have been laid on white paper.
QImage toRaster(const QImage &image);

} // namespace MonoRaster
