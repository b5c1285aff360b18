// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace Virtual {

// Writes a piece of the paper (a Format_Grayscale8 picture, as Paper::image() makes it) as PNG,
// fast enough to keep up with a controller that prints a thousand receipts a second. Paper holds
// few darkness levels (white, black, the grey of a cut mark or of a narrow head's margin), so the
// picture is written with a palette of the levels it holds, packed into 1, 2 or 4 bits a dot
// where they fit: an eighth of the data to compress, against Qt's writer's 8-bit grey. Any other
// picture is written as 8-bit grey. Readers see the same grey values either way.
class PaperPng
{
public:
    // Returns false and sets `error` when the device cannot take it.
    static bool write(const QImage &paper, QIODevice &device, QString *error = nullptr);
    static bool write(const QImage &paper, const QString &path, QString *error = nullptr);
};

} // namespace Virtual
