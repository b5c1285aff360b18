// SPDX-License-Identifier: MIT
#include "virtual/renderer.h"

#include "virtual/parameters.h"
#include "virtual/symbols.h"

#include <QScopeGuard>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace Virtual {

namespace {

constexpr int textGap = 4;      // between barcode bars and their text
constexpr int cutMarkFeed = 10; // paper used by a cut mark
constexpr std::uint8_t cutInk = 0x90;

} // namespace

Renderer::Renderer(const Options &options)
    : m_paper(options.maxLength, options.endless),
      m_layout(options.fonts ? *options.fonts : FontSet::system(), m_paper, m_state),
      m_blocks(m_paper),
      m_stampTimes(options.stampTimes),
      m_receipt(paperWidth(options.headType), 0)
{
    m_paper.setWidth(paperWidth(options.headType), 0);
    m_state.reset();
}

void Renderer::setSource(const QString &kind, const QString &address)
{
    m_sourceKind = kind;
    m_sourceAddress = address;
    m_receipt.setSource(kind, address);
}

void Renderer::endReceipt()
{
    // Characters still waiting for a line end are not printed: the receipt ends above them.
    if (!m_receipt.isEmpty() || m_y > m_receipt.fromRow())
        closeReceipt(ReceiptRecord::Cut::None);
}

void Renderer::closeReceipt(ReceiptRecord::Cut cut)
{
    m_receipt.end(m_y, cut);
    m_receipt.setHeadDots(m_paper.width());
    if (m_stampTimes)
        m_receipt.setEnded(QDateTime::currentDateTimeUtc());
    m_receipts.push_back(std::exchange(m_receipt, ReceiptRecord(m_paper.width(), m_y)));
    m_receipt.setSource(m_sourceKind, m_sourceAddress);
}

QString Renderer::blockData(const Event &event)
{
    m_blocks.data(event);
    return {};
}

QString Renderer::blockEnd(const Event &event)
{
    const BlockCollector::Ended ended = m_blocks.end(event);
    QString printed;
    if (m_state.pageMode) { // graphics go onto the page as they are stored
        if (ended.graphics)
            printed = printGraphics();
    } else {
        if (ended.feed)
            advance(*ended.feed);
        m_rowHeight = std::max(m_rowHeight, ended.rowHeight);
    }
    if (m_printAtBlockEnd)
        printed = printSymbolOfEscZ();
    return ended.note.isEmpty() || printed.isEmpty() ? ended.note + printed
                                                     : ended.note + QStringLiteral("; ") + printed;
}

QString Renderer::handle(const Event &event)
{
    if (m_stampTimes && !m_receipt.hasStarted())
        m_receipt.setStarted(QDateTime::currentDateTimeUtc());
    QString note;
    switch (event.op) {
    case Op::BlockData:
        note = blockData(event);
        break;
    case Op::BlockEnd:
        note = blockEnd(event);
        break;
    default:
        note = command(event);
        break;
    }
    if (m_paper.ranOut() && !m_ranOutReported) {
        m_ranOutReported = true;
        const QString ranOut =
            QStringLiteral("the roll ends after %1 rows; the rest is lost").arg(m_paper.endRow());
        note = note.isEmpty() ? ranOut : note + QStringLiteral("; ") + ranOut;
    }
    return note;
}

void Renderer::printLine()
{
    if (m_state.pageMode) {
        m_rowHeight = std::max(m_rowHeight, developLine(false));
        return;
    }
    const int height = m_layout.print(m_y);
    if (height > 0)
        m_receipt.addLine(m_layout.lastLine());
    m_rowHeight = std::max(m_rowHeight, height);
}

void Renderer::advance(int dots)
{
    if (m_state.pageMode) {
        m_page.feed(dots);
        m_rowHeight = 0;
        return;
    }
    feedRoll(dots);
}

void Renderer::feedRoll(int dots)
{
    m_y = std::min(m_y + std::max(dots, 0), m_paper.endRow());
    m_paper.extendTo(m_y);
    m_rowHeight = 0;
}

void Renderer::lineFeed()
{
    printLine();
    advance(std::max(m_state.lineSpacing, m_rowHeight));
}

void Renderer::endTextRow()
{
    if (m_state.pageMode) // a picture or symbol on a page stands beside the line's text
        return;
    if (m_layout.started() || m_rowHeight > 0)
        lineFeed();
}

void Renderer::character(char16_t ch)
{
    const LineLayout::Glyph glyph = m_layout.shape(ch);
    if (!m_layout.combines(glyph) && !m_layout.fits(glyph.width)) {
        lineFeed();
        m_layout.start();
    }
    if (m_layout.add(glyph))
        printLine();
}

QString Renderer::barcode(const Event &event)
{
    const std::optional<BarcodeSystem> system = Protocol::barcodeSystem(event.value("m"));
    if (!system)
        return QStringLiteral("no such barcode system; not printed");
    const std::shared_ptr<const Symbol> encoded = m_symbols.barcode(*system, event.data);
    const Symbol &symbol = *encoded;
    if (!symbol.ok)
        return QStringLiteral("not printed: %1").arg(symbol.error);
    const int module = m_state.barcodeModule;
    const int width = symbol.columns * module;
    if (width > room())
        return QStringLiteral("%1 dots wide, more than the print area; not printed").arg(width);

    endTextRow();
    if (rollUsedUp())
        return {};
    const std::uint8_t level = ink();
    // GS f 1 prints the text in the small font.
    const FontSet::Size textSize =
        m_state.smallBarcodeText ? FontSet::Size::Small : FontSet::Size::Standard;
    const int textHeight = FontSet::cellHeight(textSize);
    const int textWidth = int(symbol.text.size()) * FontSet::cellWidth(textSize);
    const int above = m_state.barcodeText == 3 ? textHeight + textGap : 0;
    const bool below = m_state.barcodeText != 0;
    const int rowHeight = std::max(1, m_state.barcodeHeight / std::max(symbol.rows, 1));
    // On a page the bars stand on the vertical position, their text above and below them.
    const QPoint at = spot(width, above + rowHeight * symbol.rows, m_state.align);
    const int x = at.x();
    const int textX = x + (width - textWidth) / 2;
    int y = at.y();
    if (above > 0)
        m_layout.drawText(symbol.text, textX, y, level, textSize);
    y += above;
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            if (!symbol.dark(column, row))
                continue;
            for (int dy = 0; dy < rowHeight; ++dy)
                surface().inkSpan(x + column * module, y + row * rowHeight + dy, module, level);
        }
    }
    y += rowHeight * symbol.rows;
    if (below) {
        y += textGap;
        m_layout.drawText(symbol.text, textX, y, level, textSize);
        y += textHeight;
    }
    const QRect placed(x, at.y(), width, y - at.y());
    recordSymbol(barcodeName(*system),
                 QByteArrayView(event.data.data(), qsizetype(event.data.size())),
                 scannedContent(*system, symbol), symbol.text, placed);
    pass(placed);
    return {};
}

QString Renderer::printQr()
{
    const std::shared_ptr<const Symbol> encoded = m_symbols.qr(m_blocks.qrData(), m_state.qrLevel);
    return printModules(*encoded, m_state.qrModule, QStringLiteral("QR Code"), m_blocks.qrData());
}

// A symbol of square modules, `module` dots each, across the line at the alignment.
QString Renderer::printModules(const Symbol &symbol, int module, const QString &symbology,
                               QByteArrayView data)
{
    if (!symbol.ok)
        return QStringLiteral("not printed: %1").arg(symbol.error);
    const int size = symbol.columns * module;
    if (size > room())
        return QStringLiteral("%1 dots wide, more than the print area; not printed").arg(size);
    endTextRow();
    if (rollUsedUp())
        return {};
    const std::uint8_t level = ink();
    const QPoint at = spot(size, symbol.rows * module, m_state.align);
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            if (!symbol.dark(column, row))
                continue;
            for (int dy = 0; dy < module; ++dy)
                surface().inkSpan(at.x() + column * module, at.y() + row * module + dy, module,
                                  level);
        }
    }
    const QRect placed(at, QSize(size, symbol.rows * module));
    recordSymbol(symbology, data, {}, {}, placed);
    pass(placed);
    return {};
}

QString Renderer::printStored(int place, int mode)
{
    const BlockCollector::StoredBitmap *found = m_blocks.stored(place);
    if (!found)
        return QStringLiteral("no bitmap stored at %1; nothing printed").arg(place);
    const std::optional<Parameters::Scale> scale = Parameters::pictureScale(mode);
    if (!scale)
        return QStringLiteral("no such size mode (ignored)");
    const BlockCollector::StoredBitmap &bitmap = *found;
    endTextRow();
    if (rollUsedUp())
        return {};
    Block block;
    block.kind = BlockKind::Raster;
    block.bytesPerRow = bitmap.bytesPerRow;
    block.rows = bitmap.rows;
    block.scaleX = scale->x;
    block.scaleY = scale->y;
    block.ink = ink();
    const std::optional<int> align = Parameters::alignment(bitmap.align);
    const QSize size(bitmap.bytesPerRow * 8 * scale->x, bitmap.rows * scale->y);
    const QPoint at = spot(size.width(), size.height(), align.value_or(m_state.align));
    block.x = at.x();
    block.y = at.y();
    m_blocks.drawBits(reinterpret_cast<const std::uint8_t *>(bitmap.data.constData()),
                      bitmap.data.size(), 0, block);
    recordPicture(QStringLiteral("stored bitmap"), QRect(at, size));
    pass(QRect(at, size));
    return {};
}

void Renderer::cut(bool partial)
{
    endTextRow();
    const auto ended = qScopeGuard([this, partial] {
        closeReceipt(partial ? ReceiptRecord::Cut::Partial : ReceiptRecord::Cut::Full);
    });
    if (rollUsedUp())
        return;
    const int width = m_paper.width();
    const int bridge = partial ? width / 8 : 0;
    for (int x = 0; x < width; ++x) {
        if (x % 12 >= 8 || std::abs(2 * x - width) < bridge)
            continue;
        m_paper.ink(x, m_y + cutMarkFeed / 2 - 1, cutInk);
        m_paper.ink(x, m_y + cutMarkFeed / 2, cutInk);
    }
    advance(cutMarkFeed);
}

// ESC * m nL nH: a stripe of n columns of 8 dots (m 0, 1) or 24 dots (m 32, 33) at the print
// position. The 8-dot modes print each dot three rows tall, the single-density modes (m 0, 32)
// each column two dots wide, as a 203 dpi printer does.
QString Renderer::columnPicture(const Event &event)
{
    const int m = event.value("m");
    const int columns = event.value("n");
    if (m != 0 && m != 1 && m != 32 && m != 33)
        return QStringLiteral("no such column mode; its data skipped");
    // A picture that begins a line is aligned as the line of its own width that it makes.
    const bool alone = !m_layout.started() || (m_layout.pending() == 0 && m_layout.x() == 0);
    startLine();
    Block block;
    block.kind = BlockKind::Column;
    block.bytesPerRow = (m & 32) ? 3 : 1;
    block.rows = columns;
    block.scaleX = (m & 1) ? 1 : 2;
    block.scaleY = (m & 32) ? 1 : 3;
    block.ink = ink();
    const int width = columns * block.scaleX;
    const int height = block.bytesPerRow * 8 * block.scaleY;
    if (alone && !m_state.pageMode)
        m_layout.setX(place(width, m_state.align) - m_layout.left());
    block.x = m_layout.left() + m_layout.x();
    // On a page the stripe stands on the vertical position, as the line's characters do.
    block.y = m_state.pageMode ? m_page.baselineFor(height) - height + 1 : m_y;
    m_blocks.begin(block);
    recordPicture(QStringLiteral("column"), QRect(block.x, block.y, width, height));
    m_layout.setX(std::min(m_layout.x() + width, m_layout.width()));
    if (block.x + width > m_layout.left() + m_layout.width())
        return QStringLiteral("wider than the print area; cut at the edge");
    return {};
}

QString Renderer::printGraphics()
{
    const Graphics graphics = m_blocks.takeGraphics();
    if (graphics.width == 0 || graphics.rows == 0 || graphics.data.isEmpty())
        return QStringLiteral("no graphics in the buffer; nothing printed");
    return drawGraphics(graphics, graphics.scaleX, graphics.scaleY);
}

QString Renderer::drawGraphics(const Graphics &graphics, int scaleX, int scaleY)
{
    endTextRow();
    Block block;
    block.kind = BlockKind::Raster;
    block.bytesPerRow = (graphics.width + 7) / 8;
    block.rows = graphics.rows;
    block.scaleX = scaleX;
    block.scaleY = scaleY;
    block.ink = ink();
    const QSize size(graphics.width * scaleX, graphics.rows * scaleY);
    const QPoint at = spot(size.width(), size.height(), m_state.align);
    block.x = at.x();
    block.y = at.y();
    m_blocks.drawBits(reinterpret_cast<const std::uint8_t *>(graphics.data.constData()),
                      graphics.data.size(), 0, block);
    recordPicture(QStringLiteral("graphics"), QRect(at, size));
    pass(QRect(at, size));
    return {};
}

QString Renderer::printPdf417()
{
    const PrintState &m = m_state;
    const Symbol symbol =
        encodePdf417(m_blocks.pdfData(), m.pdfColumns, m.pdfRows, m.pdfLevel, m.pdfTruncated);
    if (!symbol.ok)
        return QStringLiteral("not printed: %1").arg(symbol.error);
    const int module = m.pdfModule;
    const int width = symbol.columns * module;
    if (width > room())
        return QStringLiteral("%1 dots wide, more than the print area; not printed").arg(width);
    endTextRow();
    const std::uint8_t level = ink();
    const int rowHeight = module * m.pdfRowHeight;
    const QPoint at = spot(width, symbol.rows * rowHeight, m.align);
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            if (!symbol.dark(column, row))
                continue;
            for (int dy = 0; dy < rowHeight; ++dy)
                surface().inkSpan(at.x() + column * module, at.y() + row * rowHeight + dy, module,
                                  level);
        }
    }
    const QRect placed(at, QSize(width, symbol.rows * rowHeight));
    recordSymbol(QStringLiteral("PDF417"), m_blocks.pdfData(), {}, {}, placed);
    pass(placed);
    return {};
}

// --- Standard mode and page mode ------------------------------------------------------------

int Renderer::room() const
{
    if (!m_state.pageMode)
        return areaWidth();
    return m_page.canvasWidth() - (m_layout.started() ? m_layout.x() : 0);
}

QPoint Renderer::spot(int width, int ascent, int align)
{
    if (!m_state.pageMode)
        return {place(width, align), m_y};
    startLine();
    return {m_layout.left() + m_layout.x(), m_page.baselineFor(ascent) - ascent + 1};
}

void Renderer::pass(const QRect &placed)
{
    if (!m_state.pageMode) {
        advance(placed.height());
        return;
    }
    m_layout.setX(std::min(placed.right() + 1 - m_layout.left(), m_layout.width()));
}

void Renderer::recordSymbol(const QString &symbology, QByteArrayView data, const QString &content,
                            const QString &text, const QRect &placed)
{
    if (m_state.pageMode)
        m_page.addSymbol(symbology, data, content, text, placed);
    else
        m_receipt.addSymbol(symbology, data, content, text, placed);
}

void Renderer::recordPicture(const QString &kind, const QRect &placed)
{
    if (m_state.pageMode)
        m_page.addPicture(kind, placed);
    else
        m_receipt.addPicture(kind, placed);
}

// The characters stand on the vertical position: a line of standard characters (24 rows) on
// its row 20, as common printers count it.
int Renderer::developLine(bool keepX)
{
    const int x = m_layout.x();
    const bool started = m_layout.started();
    const int ascent = m_layout.height() * 7 / 8;
    const int top = m_layout.pending() > 0 ? m_page.baselineFor(ascent) - ascent + 1 : 0;
    const int height = m_layout.print(top, false);
    if (height > 0)
        m_page.addLine(m_layout.lastLine());
    if (keepX && started) {
        startLine();
        m_layout.setX(x);
    }
    return height;
}

void Renderer::leavePageMode()
{
    m_layout.clear();
    m_page.leave();
    m_state.pageMode = false;
    m_layout.setPaper(m_paper);
    m_blocks.setPaper(m_paper);
    m_rowHeight = 0;
}

// The page onto the roll at the paper's position, and what is on it into the receipt's record.
void Renderer::printPage()
{
    const int top = m_y;
    const int rows = m_page.printOnto(m_paper, top);
    for (const PageMode::Item &item : m_page.items()) {
        const QRect area = item.area.translated(0, top);
        if (item.kind == PageMode::Item::Kind::Symbol) {
            m_receipt.addSymbol(item.name, item.data, item.content, item.text, area,
                                item.direction);
        } else if (item.kind == PageMode::Item::Kind::Picture) {
            m_receipt.addPicture(item.name, area, item.direction);
        } else {
            m_receipt.addPageLine(item.line, area, item.direction);
        }
    }
    const int rowHeight = m_rowHeight;
    feedRoll(rows);
    m_rowHeight = rowHeight;
}

} // namespace Virtual
