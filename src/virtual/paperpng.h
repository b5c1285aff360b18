// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/greyimage.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace Virtual {

// Writes a piece of the paper (as Paper::image() makes it) as PNG,
// fast enough to keep up with a controller that prints a thousand receipts a second. Paper holds
// few darkness levels (white, black, the grey of a cut mark or of a narrow head's margin), so the
// picture is written with a palette of the levels it holds, packed into 1, 2 or 4 bits a dot
// where they fit: an eighth of the data to compress, against 8-bit grey. A picture of more than 16
// levels is written as 8-bit grey. Readers see the same grey values either way. The PNG is put
// together here, deflated by a zlib stream kept for the thread: libpng made a new stream for each
// picture, which cost more than compressing a receipt.
class PaperPng
{
public:
    // Returns false and sets `error` when the device cannot take it.
    static bool write(const GreyImage &paper, QIODevice &device, QString *error = nullptr);
    static bool write(const GreyImage &paper, const QString &path, QString *error = nullptr);
    // A PNG read back as grey, such as one write() made; a null picture when it is not a PNG.
    static GreyImage read(const QByteArray &png);
};

} // namespace Virtual
