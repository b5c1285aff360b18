// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/values.h"
#include "virtual/bitmapfont.h"
#include "virtual/streamdecoder.h"

#include <array>
#include <cstdint>
#include <map>

namespace Virtual {

// What the commands have set for the text and symbols that follow: font, styles, spacing,
// margins, tab stops and the barcode, QR and PDF417 settings. ESC @ brings it back to
// reset(). The print area's edges depend on the paper's width, which the caller knows.
struct PrintState
{
    static constexpr int defaultLineSpacing = 33;
    static constexpr int defaultDarkness = Protocol::defaultDarkness;

    std::uint8_t printMode = 0;
    FontSet::Size font = FontSet::Size::Standard;
    int darkness = defaultDarkness;
    int align = 0;
    int lineSpacing = defaultLineSpacing;
    // The vertical motion unit of GS P y, 1/y inch; 0 is the default, 1/203 inch, one dot.
    int verticalUnit = 0;
    int leftMarginMm = 0;
    int rightEdgeMm = 0;
    std::array<int, StreamDecoder::maxTabStops> tabStops{};
    int tabStopCount = 0;
    int barcodeHeight = 162;
    int barcodeModule = 3;
    int barcodeText = 1; // below
    int qrModule = 3;
    int qrLevel = 0; // L
    // Common printers' text styles, kept apart from the print mode and folded into it
    // for each character.
    bool emphasis = false;     // ESC E
    bool doubleStrike = false; // ESC G
    bool italic = false;       // ESC 4
    int underline = 0;         // ESC -: 0 off, 1 one dot, 2 two dots
    bool reverse = false;      // GS B
    int widthScale = 1;        // GS !
    int heightScale = 1;
    int rightSpacing = 0;          // ESC SP, dots
    std::uint8_t kanjiMode = 0;    // FS !
    int kanjiUnderline = 0;        // FS -
    bool upsideDown = false;       // ESC {
    bool rotated = false;          // ESC V
    int international = 0;         // ESC R
    int leftMarginDots = 0;        // GS L
    int areaWidthDots = 0;         // GS W; 0: to the right edge
    bool smallBarcodeText = false; // GS f
    int pdfColumns = 0;            // PDF417 settings (GS ( k cn 48)
    int pdfRows = 0;
    int pdfModule = 3;
    int pdfRowHeight = 3;
    int pdfLevel = -1;
    bool pdfTruncated = false;
    int maxiMode = 2; // MaxiCode, Aztec and DataMatrix settings (GS ( k cn 50-54)
    bool aztecCompact = false;
    int aztecLayers = 0;
    int aztecPercent = 23;
    int aztecModule = 3;
    bool dataMatrixSquare = true;
    int dataMatrixModule = 3;
    int escZSymbol = 0; // GS Z: the symbol ESC Z prints, 0 PDF417, 1 DataMatrix, 2 QR Code
    // User-defined characters (ESC &, ESC %, ESC ?), by the character they replace, and where
    // the definitions of ESC & being read go.
    std::map<char16_t, GlyphCell> userCharacters;
    bool userCharactersOn = false;
    int nextUserCharacter = 0;
    int userCharacterHeight = 3;
    // ESC L: lines fill the page's area, the margins and ESC a wait for standard mode.
    bool pageMode = false;

    // Everything as after ESC @, with a tab stop every eight standard characters.
    void reset();

    static std::uint8_t inkFor(int darkness);
    std::uint8_t ink() const { return inkFor(darkness); }

    // The print area on paper paperWidth dots wide: its left edge and its width, in dots; in page
    // mode the whole page's width.
    int areaLeft(int paperWidth) const;
    int areaWidth(int paperWidth) const;
    // The left edge of something width dots wide, aligned in the print area (0 left,
    // 1 centre, 2 right); at the area's left edge when it does not fit.
    int place(int width, int align, int paperWidth) const;
    // ESC a for a line that begins now.
    int lineAlign() const { return pageMode ? 0 : align; }
};

} // namespace Virtual
