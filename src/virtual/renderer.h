// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/values.h"
#include "virtual/bitmapfont.h"
#include "virtual/paper.h"
#include "virtual/streamdecoder.h"
#include "virtual/symbolcache.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace Virtual {

// A text line as it went onto the paper, for whoever wants to find it again there.
struct PrintedLine
{
    struct Cell
    {
        int x;     // left edge on the paper, in dots
        int width; // dots, after double width
        char16_t character;
    };
    int top = 0;    // row of the line's top
    int height = 0; // dots, the tallest character's
    QString text;
    std::vector<Cell> cells;
};

// Prints the decoded command stream onto a paper roll, as a ZP40x controller with a 203 dpi
// (8 dots per mm) head would: 384 dots wide, 576 for the 80 mm heads (types 1 and 5).
//
// Text goes into a line buffer and is printed when the line ends (LF, ESC J, ESC d, a line
// that is full, or anything that prints graphics), aligned as ESC a says when the line began.
// The line pitch is the line spacing (33 dots by default, ESC 3 n), or the line's tallest
// character when that is taller. Characters are 12 x 24 (standard) or 8 x 16 (small, ESC M 1)
// and full-width characters take two cells; print mode (ESC !) adds bold, double width and
// height, reverse, underline and italic. ESC m 0-8 prints from light grey (0) to black (8);
// the level after ESC @ is 4.
//
// Margins are counted in millimetres of the print area (8 dots each), the unit of the tool's
// samples: ESC l n puts the left margin n mm from the area's left edge, ESC Q n puts the right
// edge of the printable area n mm from that same left edge (0: no right margin). So the
// 58 mm head's full area is ESC Q 48, and ESC Q 38 leaves the right 10 mm blank. ESC $ and
// tab stops count from the left margin, ESC $ in dots, tab stops (ESC D) in character widths
// at the time they are set; a tab stop past the right edge ends the line there, so the next
// character starts a new line.
//
// Pictures (GS v 0, FS p) and barcodes (GS k) and QR codes (GS ( k) print on rows of their
// own at the current alignment and margins. Cuts show as a dashed line (partial cut: broken in
// the middle).
class Renderer
{
public:
    static constexpr int dotsPerMm = Protocol::dotsPerMm;
    static constexpr int defaultLineSpacing = 33;
    static constexpr int defaultDarkness = Protocol::defaultDarkness;
    static constexpr int graphicsMemory = 512 * 1024; // bytes for GS ( L / GS 8 L graphics
    static constexpr int maxPdf417Data = 2710;        // the most a PDF417 symbol holds
    static constexpr int bitmapMemory = 128 * 1024;   // bytes for the stored bitmaps (GS q)
    static constexpr int maxQrData = 7089;            // the most a QR code holds
    static constexpr int maxGlyphsPerLine = 512;
    static constexpr int maxRecordedLines = 65536;

    struct Options
    {
        int headType = 0;
        int maxLength = Paper::defaultMaxLength;
        const FontSet *fonts = nullptr; // the system fonts when null
    };

    explicit Renderer(const Options &options);
    Renderer(const Renderer &) = delete;
    Renderer &operator=(const Renderer &) = delete;

    // Carries out one event; returns a remark for the trace when the event could not be carried
    // out as sent (an invalid value, a barcode that cannot be made, ...), else an empty string.
    QString handle(const Event &event);

    QImage image() const { return m_paper.image(); }
    const Paper &paper() const { return m_paper; }
    const std::vector<PrintedLine> &lines() const { return m_lines; }
    // Characters received but never printed, because no line end followed them.
    int unprintedCharacters() const { return int(m_line.glyphs.size()); }

    static int paperWidth(int headType) { return Protocol::headDots(headType); }
    static std::uint8_t inkForDarkness(int level);

private:
    struct Modes
    {
        std::uint8_t printMode = 0;
        FontSet::Size font = FontSet::Size::Standard;
        int darkness = defaultDarkness;
        int align = 0;
        int lineSpacing = defaultLineSpacing;
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
    };
    struct Glyph
    {
        int x;
        int width;
        int height;
        GlyphCell cell;
        std::uint8_t mode;
        std::uint8_t ink;
        char16_t character;
        std::uint8_t underlineDots = 2;
    };
    struct Line
    {
        bool started = false;
        int left = 0;
        int width = 0;
        int align = 0;
        int x = 0;
        int height = 0;
        bool upsideDown = false; // ESC {: the line turned round, its end on the left
        std::vector<Glyph> glyphs;
    };
    enum class BlockKind : std::uint8_t { None, Raster, Store, Qr, Column, Graphics, Pdf417 };
    struct Block
    {
        BlockKind kind = BlockKind::None;
        int x = 0;
        int y = 0;
        int bytesPerRow = 0;
        int rows = 0;
        int scaleX = 1;
        int scaleY = 1;
        std::uint8_t ink = 0;
        int place = 0;
        int align = 0;
        bool overflow = false;
    };
    struct StoredBitmap
    {
        int bytesPerRow = 0;
        int rows = 0;
        int align = 0;
        QByteArray data;
    };

    struct Graphics
    {
        int width = 0; // dots
        int rows = 0;
        int scaleX = 1;
        int scaleY = 1;
        QByteArray data;
    };

    // One handler per row that changes what is printed, found by the row's operation.
    using Handler = QString (Renderer::*)(const Event &);
    using Handlers = std::array<Handler, Protocol::opCount>;
    static const Handlers &handlers();
    QString command(const Event &event);
    QString onCharacter(const Event &event);
    QString onLineFeed(const Event &event);
    QString onCarriageReturn(const Event &event);
    QString onTab(const Event &event);
    QString onInitialise(const Event &event);
    QString onClearBuffer(const Event &event);
    QString onPrintMode(const Event &event);
    QString onFont(const Event &event);
    QString onDarkness(const Event &event);
    QString onAlign(const Event &event);
    QString onLineSpacing(const Event &event);
    QString onTabStops(const Event &event);
    QString onFeedDots(const Event &event);
    QString onFeedLines(const Event &event);
    QString onMargin(const Event &event);
    QString onPosition(const Event &event);
    QString onPrintHead(const Event &event);
    QString onCut(const Event &event);
    QString onTextStyle(const Event &event);
    QString onUnderline(const Event &event);
    QString onCharacterSize(const Event &event);
    QString onCharacterSetting(const Event &event);
    QString onBarcodeSetting(const Event &event);
    QString onQrSetting(const Event &event);
    QString onSymbolStore(const Event &event);
    QString onQrPrint(const Event &event);
    QString onPdf417Setting(const Event &event);
    QString onPdf417Print(const Event &event);
    QString onOtherSymbol(const Event &event);
    QString onRaster(const Event &event);
    QString onStoreBitmap(const Event &event);
    QString onPrintStoredBitmap(const Event &event);
    QString onGraphicsStore(const Event &event);
    QString onGraphicsPrint(const Event &event);
    QString onNvGraphicsStore(const Event &event);
    QString onNvGraphicsPrint(const Event &event);
    QString onOtherGraphics(const Event &event);
    QString blockData(const Event &event);
    QString blockEnd(const Event &event);

    void resetModes();
    void startLine();
    void printLine();
    void lineFeed();
    void advance(int dots);
    void endTextRow();
    void character(char16_t ch);
    QString tab();
    QString barcode(const Event &event);
    QString printQr();
    QString printStored(int place, int mode);
    void cut(bool partial);
    QString columnPicture(const Event &event);
    QString printGraphics();
    QString drawGraphics(const Graphics &graphics, int scaleX, int scaleY);
    QString printPdf417();
    void drawColumns(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                     const Block &block);

    int areaLeft() const;
    int areaWidth() const;
    int place(int width, int align) const;
    void drawGlyph(const Glyph &glyph, int x, int y);
    void drawText(const QString &text, int x, int y, std::uint8_t ink,
                  FontSet::Size size = FontSet::Size::Standard);
    void drawBits(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                  const Block &block);
    std::uint8_t ink() const { return inkForDarkness(m_modes.darkness); }
    // Once the roll has run out nothing reaches the paper any more, and printing commands cost
    // no more than their decoding.
    bool rollUsedUp() const { return m_paper.ranOut() && m_y >= m_paper.maxLength(); }
    int storedBytes() const;

    const FontSet &m_fonts;
    Paper m_paper;
    Modes m_modes;
    Line m_line;
    int m_y = 0;         // the row where the next line's top goes
    int m_rowHeight = 0; // dots printed at m_y without a feed since (CR, a full line buffer)
    Block m_block;
    QByteArray m_collect; // a block's data while it arrives: a bitmap to store, QR data
    QByteArray m_qrData;
    QByteArray m_pdfData;
    Graphics m_graphics;                  // GS ( L function 112, printed by function 50
    std::map<int, Graphics> m_nvGraphics; // GS ( L function 67 by key, printed by function 69
    Graphics m_nvCollect;
    int m_nvKey = -1;
    int nvGraphicsBytes() const;
    std::map<int, StoredBitmap> m_stored;
    SymbolCache m_symbols;
    std::vector<PrintedLine> m_lines;
    bool m_ranOutReported = false;
};

} // namespace Virtual
