// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/values.h"
#include "virtual/bitmapfont.h"
#include "virtual/blockcollector.h"
#include "virtual/linelayout.h"
#include "virtual/pagemode.h"
#include "virtual/paper.h"
#include "virtual/printstate.h"
#include "virtual/receiptrecord.h"
#include "virtual/streamdecoder.h"
#include "virtual/symbolcache.h"

#include <QString>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace Virtual {

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
//
// In page mode (ESC L to FF or ESC S) lines, pictures and symbols go onto a page instead
// (pagemode.h) at the print position, and the page goes onto the paper when FF or ESC FF prints
// it.
//
// The renderer knows the paper and where it is on it; the print state (printstate.h) keeps what
// the commands set, the line layout (linelayout.h) the text line, and the block collector
// (blockcollector.h) the data blocks of pictures and symbols as they arrive.
class Renderer
{
public:
    static constexpr int dotsPerMm = Protocol::dotsPerMm;
    static constexpr int defaultLineSpacing = PrintState::defaultLineSpacing;
    static constexpr int defaultDarkness = PrintState::defaultDarkness;
    static constexpr int graphicsMemory = BlockCollector::graphicsMemory;
    static constexpr int maxPdf417Data = BlockCollector::maxPdf417Data;
    static constexpr int bitmapMemory = BlockCollector::bitmapMemory;
    static constexpr int maxQrData = BlockCollector::maxQrData;
    static constexpr int maxGlyphsPerLine = LineLayout::maxGlyphsPerLine;
    static constexpr int maxRecordedLines = LineLayout::maxRecordedLines;

    struct Options
    {
        int headType = 0;
        int maxLength = Paper::defaultMaxLength;
        const FontSet *fonts = nullptr; // the system fonts when null
        bool stampTimes = false;        // receipts say when they started and ended
        bool endless = false;           // the roll holds its last maxLength rows and goes on
    };

    explicit Renderer(const Options &options);
    Renderer(const Renderer &) = delete;
    Renderer &operator=(const Renderer &) = delete;

    // Carries out one event; returns a remark for the trace when the event could not be carried
    // out as sent (an invalid value, a barcode that cannot be made, ...), else an empty string.
    QString handle(const Event &event);

    GreyImage image() const { return m_paper.image(); }
    const Paper &paper() const { return m_paper; }
    const std::vector<PrintedLine> &lines() const { return m_layout.lines(); }
    // Characters received but never printed, because no line end followed them.
    int unprintedCharacters() const { return m_layout.pending(); }
    // A page of page mode holds what no FF or ESC FF has printed.
    bool pageWaiting() const { return m_page.active() && (m_page.hasData() || m_layout.pending()); }

    // The receipt under way, and those that have ended since the last call (by a cut, or by
    // endReceipt()).
    ReceiptRecord &receipt() { return m_receipt; }
    std::vector<ReceiptRecord> takeReceipts()
    {
        // Their rows have been seen: the paper may let them go.
        m_paper.keepFrom(m_receipt.fromRow());
        return std::exchange(m_receipts, {});
    }
    // The end of a job: the receipt under way ends without a cut, if anything is on it.
    void endReceipt();
    // Where the bytes of this receipt and the next come from ("tcp", "127.0.0.1:53124").
    void setSource(const QString &kind, const QString &address);

    static int paperWidth(int headType) { return Protocol::headDots(headType); }
    static std::uint8_t inkForDarkness(int level) { return PrintState::inkFor(level); }

private:
    using Block = BlockCollector::Block;
    using BlockKind = BlockCollector::Kind;
    using Graphics = BlockCollector::Graphics;

    // One handler per row that changes what is printed, found by the row's operation.
    using Handler = QString (Renderer::*)(const Event &);
    using Handlers = std::array<Handler, Protocol::opCount>;
    static const std::pair<Op, Handler> dispatch[];
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
    QString onMotionUnits(const Event &event);
    QString onDefineCharacters(const Event &event);
    QString onUserCharacter(const Event &event);
    QString onUserCharacterSetting(const Event &event);
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
    QString onSymbolSetting(const Event &event);
    QString onSymbolPrint(const Event &event);
    QString onOtherSymbol(const Event &event);
    QString onSymbolType(const Event &event);
    QString onSymbolCommand(const Event &event);
    QString printSymbolOfEscZ();
    QString onRaster(const Event &event);
    QString onStoreBitmap(const Event &event);
    QString onPrintStoredBitmap(const Event &event);
    QString onGraphicsStore(const Event &event);
    QString onGraphicsPrint(const Event &event);
    QString onNvGraphicsStore(const Event &event);
    QString onNvGraphicsPrint(const Event &event);
    QString onOtherGraphics(const Event &event);
    QString onPageMode(const Event &event);
    QString onStandardMode(const Event &event);
    QString onPrintDirection(const Event &event);
    QString onPageArea(const Event &event);
    QString onPageVertical(const Event &event);
    QString onPrintPage(const Event &event);
    QString onCancelPage(const Event &event);
    QString blockData(const Event &event);
    QString blockEnd(const Event &event);

    void startLine() { m_layout.start(); }
    void printLine();
    void lineFeed();
    // Standard mode: the paper moves on; page mode: the vertical position moves down the area.
    void advance(int dots);
    void feedRoll(int dots);
    void endTextRow();
    void character(char16_t ch);
    QString barcode(const Event &event);
    QString printQr();
    QString printStored(int place, int mode);
    void cut(bool partial);
    void closeReceipt(ReceiptRecord::Cut cut);
    QString columnPicture(const Event &event);
    QString printGraphics();
    QString drawGraphics(const Graphics &graphics, int scaleX, int scaleY);
    QString printPdf417();
    QString printModules(const Symbol &symbol, int module, const QString &symbology,
                         QByteArrayView data);

    int areaWidth() const { return m_state.areaWidth(m_paper.width()); }
    int place(int width, int align) const { return m_state.place(width, align, m_paper.width()); }
    // What is drawn goes onto the roll, or onto the page's canvas in page mode.
    Paper &surface() { return m_state.pageMode ? m_page.canvas() : m_paper; }
    // The room for a symbol: the print area's width, or in page mode what is left of the line.
    int room() const;
    // The top left corner of something `width` dots wide whose `ascent` rows stand on the line:
    // standard mode at the alignment on the next rows of the roll, page mode at the print
    // position, on the page's vertical position.
    QPoint spot(int width, int ascent, int align);
    // After it: standard mode feeds the paper past it, page mode moves the print position to its
    // right.
    void pass(const QRect &placed);
    void recordSymbol(const QString &symbology, QByteArrayView data, const QString &content,
                      const QString &text, const QRect &placed);
    void recordPicture(const QString &kind, const QRect &placed);
    // Page mode: the line in the buffer put on the page at the vertical position; the print
    // position stays where the line ended when keepX. Returns the line's height.
    int developLine(bool keepX);
    void leavePageMode();
    void printPage();
    std::uint8_t ink() const { return m_state.ink(); }
    // Once the roll has run out nothing reaches the paper any more, and printing commands cost
    // no more than their decoding.
    bool rollUsedUp() const
    {
        return !m_state.pageMode && m_paper.ranOut() && m_y >= m_paper.endRow();
    }

    Paper m_paper;
    PrintState m_state;
    LineLayout m_layout;
    BlockCollector m_blocks;
    int m_y = 0;         // the row where the next line's top goes
    int m_rowHeight = 0; // dots printed at m_y without a feed since (CR, a full line buffer)
    bool m_printAtBlockEnd = false; // ESC Z: the symbol prints once its data are in
    SymbolCache m_symbols;
    PageMode m_page;
    bool m_ranOutReported = false;
    bool m_stampTimes;
    ReceiptRecord m_receipt;
    std::vector<ReceiptRecord> m_receipts;
    QString m_sourceKind;
    QString m_sourceAddress;
};

} // namespace Virtual
