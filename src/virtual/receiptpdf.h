// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/greyimage.h"

#include <QList>
#include <QString>

class QIODevice;

namespace Virtual {

// Writes pictures of the paper (one pixel a dot) to a PDF file, one page each, at the print
// head's true size: 8 dots a millimetre, so a 384-dot receipt is 48 mm wide. Each page is the
// picture itself, dot for dot (grey, compressed), drawn without smoothing. False, with the
// reason in `error`, when the file cannot be written.
bool writePdf(const QString &path, const QList<GreyImage> &pages, QString *error);
// The same into an open device, for a PDF that is sent rather than saved.
bool writePdf(QIODevice *device, const QList<GreyImage> &pages, QString *error);

} // namespace Virtual
