// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/greyimage.h"

#include <QImage>

#include <cstring>

// The paper's pictures as QImages and back, for windows and tests (which have QtGui anyway).
namespace Virtual {

inline QImage toQImage(const GreyImage &picture)
{
    if (picture.isNull())
        return {};
    QImage image(picture.width(), picture.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(image.scanLine(y), picture.constScanLine(y), std::size_t(picture.width()));
    return image;
}

inline GreyImage fromQImage(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    GreyImage picture(grey.width(), grey.height());
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(picture.scanLine(y), grey.constScanLine(y), std::size_t(picture.width()));
    return picture;
}

} // namespace Virtual
