// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/bitmapfont.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

namespace Virtual {

// Every character cell of the Basic Multilingual Plane at both sizes, as FontSet draws them,
// kept in a file so that a controller need not read the fonts at all: inflated and parsed by
// FreeType they take some 14 MB and 50-150 ms; the file takes 7 MB of disk and one small read
// for each character the first time it prints. Made once from the fonts, in the user's cache
// folder, and made again when the fonts change (the file is named for them).
class GlyphCellFile
{
public:
    using Size = FontSet::Size;
    using Draw = std::function<GlyphCell(char16_t, Size)>;

    // The file's name for fonts known by `fontsKey` (what identifies their contents), in
    // $XDG_CACHE_HOME/tessivar, else ~/.cache/tessivar; empty when there is no such folder.
    static QString pathFor(const QByteArray &fontsKey);

    // Opens the file at `path` if it is whole and made by this version of the drawing.
    bool open(const QString &path);
    // Draws every cell with `draw` and writes the file, whole or not at all (another controller
    // may be reading or writing it at the same time), then opens it. Older files in the folder
    // go. False when the file cannot be written; the caller then draws cells as they are wanted.
    bool make(const QString &path, const Draw &draw);

    bool isOpen() const { return m_file.isOpen(); }
    // The cell of `ch`: not thread-safe (FontSet serialises its calls).
    GlyphCell read(char16_t ch, Size size);

private:
    QFile m_file;
};

} // namespace Virtual
