#include "virtual/renderer.h"

#include "virtual/parameters.h"
#include "virtual/symbols.h"

#include <algorithm>
#include <cstdlib>

namespace Virtual {

namespace {

namespace Mode {
constexpr std::uint8_t Italic = 0x02;
constexpr std::uint8_t Bold = 0x08;
constexpr std::uint8_t DoubleHeight = 0x10;
constexpr std::uint8_t DoubleWidth = 0x20;
constexpr std::uint8_t Reverse = 0x40;
constexpr std::uint8_t Underline = 0x80;
} // namespace Mode

constexpr int underlineDots = 2;
constexpr int textGap = 4;      // between barcode bars and their text
constexpr int cutMarkFeed = 10; // paper used by a cut mark
constexpr std::uint8_t cutInk = 0x90;

} // namespace

Renderer::Renderer(const Options &options)
    : m_fonts(options.fonts ? *options.fonts : FontSet::system()),
      m_paper(options.maxLength)
{
    m_paper.setWidth(paperWidth(options.headType), 0);
    m_line.glyphs.reserve(64);
    resetModes();
}

std::uint8_t Renderer::inkForDarkness(int level)
{
    return std::uint8_t(255 - (8 - std::clamp(level, 0, 8)) * 16);
}

void Renderer::resetModes()
{
    m_modes = Modes{};
    // Default tab stops every eight standard characters.
    m_modes.tabStopCount = StreamDecoder::maxTabStops;
    for (int i = 0; i < m_modes.tabStopCount; ++i)
        m_modes.tabStops[std::size_t(i)] =
            (i + 1) * 8 * FontSet::cellWidth(FontSet::Size::Standard);
}

QString Renderer::handle(const Event &event)
{
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
        const QString ranOut = QStringLiteral("the roll ends after %1 rows; the rest is lost")
                                   .arg(m_paper.maxLength());
        note = note.isEmpty() ? ranOut : note + QStringLiteral("; ") + ranOut;
    }
    return note;
}

QString Renderer::command(const Event &event)
{
    const auto ignored = [](const QString &what) { return what + QStringLiteral(" (ignored)"); };
    switch (event.op) {
    case Op::Character:
        character(event.character);
        return {};
    case Op::LineFeed:
        lineFeed();
        return {};
    case Op::CarriageReturn:
        // Back to the start of the line: what is in the buffer prints, and what follows prints
        // over it until the paper moves.
        printLine();
        return {};
    case Op::Tab:
        return tab();
    case Op::Initialise:
        m_line = Line{};
        m_qrData.clear();
        resetModes();
        return {};
    case Op::ClearBuffer:
        m_line = Line{};
        return {};
    case Op::PrintMode:
        m_modes.printMode = std::uint8_t(event.a);
        return {};
    case Op::Font:
        if (const std::optional<bool> small = Parameters::smallFont(event.a)) {
            m_modes.font = *small ? FontSet::Size::Small : FontSet::Size::Standard;
            return {};
        }
        return ignored(QStringLiteral("no such font"));
    case Op::Darkness:
        if (const std::optional<int> level = Parameters::darkness(event.a)) {
            m_modes.darkness = *level;
            return {};
        }
        return ignored(QStringLiteral("darkness goes from 0 to 8"));
    case Op::Align:
        if (const std::optional<int> align = Parameters::alignment(event.a)) {
            m_modes.align = *align;
            return {};
        }
        return ignored(QStringLiteral("no such alignment"));
    case Op::LineSpacing:
        m_modes.lineSpacing = event.a;
        return {};
    case Op::DefaultLineSpacing:
        m_modes.lineSpacing = defaultLineSpacing;
        return {};
    case Op::TabStops: {
        const bool doubleWidth = m_modes.printMode & Mode::DoubleWidth;
        const int column = FontSet::cellWidth(m_modes.font) * (doubleWidth ? 2 : 1);
        m_modes.tabStopCount = std::min(int(event.data.size()), int(m_modes.tabStops.size()));
        for (std::size_t i = 0; i < std::size_t(m_modes.tabStopCount); ++i)
            m_modes.tabStops[i] = event.data[i] * column;
        return {};
    }
    case Op::FeedDots:
        printLine();
        advance(m_rowHeight > 0 ? std::max(event.a, m_rowHeight) : event.a);
        return {};
    case Op::FeedLines:
        printLine();
        if (m_rowHeight == 0)
            advance(event.a * m_modes.lineSpacing);
        else if (event.a == 0)
            advance(m_rowHeight);
        else
            advance(std::max(m_modes.lineSpacing, m_rowHeight) +
                    (event.a - 1) * m_modes.lineSpacing);
        return {};
    case Op::LeftMargin:
        m_modes.leftMarginMm = event.a;
        return {};
    case Op::RightMargin:
        m_modes.rightEdgeMm = event.a;
        return {};
    case Op::AbsolutePosition:
        startLine();
        if (event.a >= m_line.width)
            return ignored(QStringLiteral("beyond the right edge"));
        m_line.x = event.a;
        return {};
    case Op::PrintHead:
        if (const std::optional<int> type = Parameters::headType(event.a)) {
            m_paper.setWidth(paperWidth(*type), m_y);
            return {};
        }
        return ignored(QStringLiteral("no such print head type"));
    case Op::FullCut:
    case Op::PartialCut:
        cut(event.op == Op::PartialCut);
        return {};
    case Op::BarcodeHeight:
        if (event.a == 0)
            return ignored(QStringLiteral("the height goes from 1 to 255"));
        m_modes.barcodeHeight = event.a;
        return {};
    case Op::BarcodeWidth:
        if (const std::optional<int> module = Parameters::barcodeModule(event.a)) {
            m_modes.barcodeModule = *module;
            return {};
        }
        return ignored(QStringLiteral("the module width goes from 1 to 6"));
    case Op::BarcodeText:
        if (const std::optional<int> position = Parameters::barcodeTextPosition(event.a)) {
            m_modes.barcodeText = *position;
            return {};
        }
        return ignored(QStringLiteral("no such text position"));
    case Op::Barcode:
        return barcode(event);
    case Op::QrModuleSize:
        if (const std::optional<int> module = Parameters::qrModule(event.a)) {
            m_modes.qrModule = *module;
            return {};
        }
        return ignored(QStringLiteral("the module size goes from 1 to 16"));
    case Op::QrErrorCorrection:
        if (const std::optional<int> level = Parameters::qrLevel(event.a)) {
            m_modes.qrLevel = *level;
            return {};
        }
        return ignored(QStringLiteral("no such error correction level"));
    case Op::QrStore:
        m_qrData.clear();
        m_block = Block{};
        m_block.kind = BlockKind::Qr;
        return {};
    case Op::QrPrint:
        if (event.a != '0')
            return ignored(QStringLiteral("unknown print mode"));
        return printQr();
    case Op::Raster: {
        const std::optional<Parameters::Scale> scale = Parameters::pictureScale(event.a);
        if (!scale)
            return ignored(QStringLiteral("no such size mode; its data skipped"));
        endTextRow();
        Block block;
        block.kind = BlockKind::Raster;
        block.bytesPerRow = event.b;
        block.rows = event.c;
        block.scaleX = scale->x;
        block.scaleY = scale->y;
        block.ink = ink();
        const int width = event.b * 8 * scale->x;
        block.x = place(width, m_modes.align);
        block.y = m_y;
        m_block = block;
        if (width > areaWidth())
            return QStringLiteral("wider than the print area; cut at the edge");
        return {};
    }
    case Op::StoreBitmap: {
        const std::uint64_t size = std::uint64_t(event.c) * std::uint64_t(event.d);
        const auto existing = m_stored.find(event.a);
        const int freed = existing == m_stored.end() ? 0 : int(existing->second.data.size());
        const int available = bitmapMemory - (storedBytes() - freed);
        if (size == 0)
            return ignored(QStringLiteral("an empty bitmap"));
        if (size > std::uint64_t(available))
            return QStringLiteral("does not fit the bitmap memory (%1 bytes free); not stored")
                .arg(available);
        m_collect.clear();
        m_block = Block{};
        m_block.kind = BlockKind::Store;
        m_block.place = event.a;
        m_block.align = event.b;
        m_block.bytesPerRow = event.c;
        m_block.rows = event.d;
        return {};
    }
    case Op::PrintStoredBitmap:
        return printStored(event.a, event.b);
    case Op::QrOther:
        return QStringLiteral("not a function of this controller; skipped");
    case Op::DoubleByteOn:
    case Op::DoubleByteOff:
    case Op::StatusRequest:
    case Op::FirmwareRequest:
    case Op::Sleep:
    case Op::UartMode:
    case Op::AutoStatus:
    case Op::Ignored:
    case Op::Unknown:
    case Op::Truncated:
    case Op::BlockData:
    case Op::BlockEnd:
        return {};
    }
    return {};
}

QString Renderer::blockData(const Event &event)
{
    switch (m_block.kind) {
    case BlockKind::Raster:
        drawBits(event.data.data(), qsizetype(event.data.size()), event.position, m_block);
        break;
    case BlockKind::Store:
        // Grows with the data that arrive, never ahead of them.
        m_collect.append(reinterpret_cast<const char *>(event.data.data()),
                         qsizetype(event.data.size()));
        break;
    case BlockKind::Qr: {
        const qsizetype room = maxQrData - m_qrData.size();
        const qsizetype take = std::min(room, qsizetype(event.data.size()));
        if (take > 0)
            m_qrData.append(reinterpret_cast<const char *>(event.data.data()), take);
        if (take < qsizetype(event.data.size()))
            m_block.overflow = true;
        break;
    }
    case BlockKind::None:
        break;
    }
    return {};
}

QString Renderer::blockEnd(const Event &event)
{
    const Block block = m_block;
    m_block = Block{};
    switch (block.kind) {
    case BlockKind::Raster: {
        if (block.bytesPerRow == 0 || block.rows == 0)
            return {};
        const std::uint64_t rows = event.complete
                                       ? std::uint64_t(block.rows)
                                       : (event.position + std::uint64_t(block.bytesPerRow) - 1) /
                                             std::uint64_t(block.bytesPerRow);
        advance(int(std::min<std::uint64_t>(rows * std::uint64_t(block.scaleY),
                                            std::uint64_t(m_paper.maxLength()))));
        return {};
    }
    case BlockKind::Store:
        if (!event.complete) {
            m_collect.clear();
            return QStringLiteral("the bitmap was cut short; not stored");
        }
        m_stored[block.place] = StoredBitmap{block.bytesPerRow, block.rows, block.align, m_collect};
        m_collect.clear();
        return {};
    case BlockKind::Qr:
        if (block.overflow)
            return QStringLiteral("more than a QR code holds; kept the first %1 bytes")
                .arg(maxQrData);
        return {};
    case BlockKind::None:
        break;
    }
    return {};
}

int Renderer::areaLeft() const
{
    return std::min(m_modes.leftMarginMm * dotsPerMm, m_paper.width() - 1);
}

int Renderer::areaWidth() const
{
    const int left = areaLeft();
    const int right = m_modes.rightEdgeMm == 0
                          ? m_paper.width()
                          : std::min(m_modes.rightEdgeMm * dotsPerMm, m_paper.width());
    return std::max(right - left, 1);
}

int Renderer::place(int width, int align) const
{
    const int room = areaWidth() - width;
    if (room <= 0)
        return areaLeft();
    return areaLeft() + (align == 1 ? room / 2 : align == 2 ? room : 0);
}

int Renderer::storedBytes() const
{
    int total = 0;
    for (const auto &[place, bitmap] : m_stored)
        total += int(bitmap.data.size());
    return total;
}

void Renderer::startLine()
{
    if (m_line.started)
        return;
    m_line.started = true;
    m_line.left = areaLeft();
    m_line.width = areaWidth();
    m_line.align = m_modes.align;
    m_line.x = 0;
    m_line.height = 0;
}

void Renderer::printLine()
{
    if (!m_line.started)
        return;
    if (!m_line.glyphs.empty()) {
        const int room = m_line.width - m_line.x;
        const int offset = room <= 0           ? 0
                           : m_line.align == 1 ? room / 2
                           : m_line.align == 2 ? room
                                               : 0;
        const int left = m_line.left + offset;
        const bool record = m_lines.size() < std::size_t(maxRecordedLines);
        PrintedLine printed;
        printed.top = m_y;
        printed.height = m_line.height;
        for (const Glyph &glyph : m_line.glyphs) {
            drawGlyph(glyph, left + glyph.x, m_y + m_line.height - glyph.height);
            if (record) {
                printed.text.append(QChar(glyph.character));
                printed.cells.push_back({left + glyph.x, glyph.width, glyph.character});
            }
        }
        if (record)
            m_lines.push_back(std::move(printed));
        m_rowHeight = std::max(m_rowHeight, m_line.height);
        m_paper.extendTo(m_y + m_line.height);
    }
    m_line.started = false;
    m_line.glyphs.clear();
    m_line.x = 0;
    m_line.height = 0;
}

void Renderer::advance(int dots)
{
    m_y = std::min(m_y + std::max(dots, 0), m_paper.maxLength());
    m_paper.extendTo(m_y);
    m_rowHeight = 0;
}

void Renderer::lineFeed()
{
    printLine();
    advance(std::max(m_modes.lineSpacing, m_rowHeight));
}

void Renderer::endTextRow()
{
    if (m_line.started || m_rowHeight > 0)
        lineFeed();
}

void Renderer::character(char16_t ch)
{
    const GlyphCell cell = m_fonts.glyph(ch, m_modes.font);
    const std::uint8_t mode = m_modes.printMode;
    const int width = cell.width * ((mode & Mode::DoubleWidth) ? 2 : 1);
    const int height = cell.height * ((mode & Mode::DoubleHeight) ? 2 : 1);

    startLine();
    if (m_line.x > 0 && m_line.x + width > m_line.width) {
        lineFeed();
        startLine();
    }
    m_line.glyphs.push_back({m_line.x, width, height, cell, mode, ink(), ch});
    m_line.x += width;
    m_line.height = std::max(m_line.height, height);
    if (m_line.glyphs.size() >= std::size_t(maxGlyphsPerLine))
        printLine();
}

QString Renderer::tab()
{
    startLine();
    for (int i = 0; i < m_modes.tabStopCount; ++i) {
        const int stop = m_modes.tabStops[std::size_t(i)];
        if (stop <= m_line.x)
            continue;
        m_line.x = std::min(stop, m_line.width);
        return {};
    }
    return QStringLiteral("no tab stop further right (ignored)");
}

void Renderer::drawGlyph(const Glyph &glyph, int x, int y)
{
    if (rollUsedUp())
        return;
    const GlyphCell &cell = glyph.cell;
    const int sx = glyph.width / std::max(cell.width, 1);
    const int sy = glyph.height / std::max(cell.height, 1);
    const bool bold = glyph.mode & Mode::Bold;
    const bool italic = glyph.mode & Mode::Italic;
    const bool reverse = glyph.mode & Mode::Reverse;

    if (reverse) {
        for (int row = 0; row < glyph.height; ++row)
            m_paper.inkSpan(x, y + row, glyph.width, glyph.ink);
    }
    const int paperWidth = m_paper.width();
    const std::uint32_t cellMask = cell.width >= 32 ? ~0U : (1U << cell.width) - 1;
    for (int cy = 0; cy < cell.height; ++cy) {
        std::uint32_t bits = cell.rows[std::size_t(cy)];
        if (bold)
            bits = (bits | bits << 1) & cellMask;
        if (bits == 0)
            continue;
        for (int dy = 0; dy < sy; ++dy) {
            const int row = cy * sy + dy;
            std::uint8_t *dots = m_paper.printableRow(y + row);
            if (!dots)
                continue;
            // Italic leans the letter: the top row moves right by a sixth of its height.
            const int lean = italic ? (glyph.height - 1 - row) / 6 : 0;
            for (int cx = 0; cx < cell.width; ++cx) {
                if (!((bits >> cx) & 1U))
                    continue;
                const int from = std::max(x + cx * sx + lean, 0);
                const int to = std::min(x + (cx + 1) * sx + lean, paperWidth);
                for (int px = from; px < to; ++px)
                    dots[px] = reverse ? 0 : std::max(dots[px], glyph.ink);
            }
        }
    }
    if ((glyph.mode & Mode::Underline) && !reverse) {
        for (int row = glyph.height - underlineDots; row < glyph.height; ++row)
            m_paper.inkSpan(x, y + row, glyph.width, glyph.ink);
    }
}

void Renderer::drawText(const QString &text, int x, int y, std::uint8_t level)
{
    for (const QChar ch : text) {
        const GlyphCell cell = m_fonts.glyph(ch.unicode(), FontSet::Size::Standard);
        const Glyph glyph{0, cell.width, cell.height, cell, 0, level, ch.unicode()};
        drawGlyph(glyph, x, y);
        x += cell.width;
    }
}

void Renderer::drawBits(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                        const Block &block)
{
    if (block.bytesPerRow == 0 || count <= 0 || rollUsedUp())
        return;
    const auto perRow = std::uint64_t(block.bytesPerRow);
    const int paperWidth = m_paper.width();
    const int maxLength = m_paper.maxLength();
    // Bytes whose dots would all fall beyond the paper's right edge are never looked at.
    const int byteWidth = 8 * block.scaleX;
    const std::uint64_t onPaper =
        block.x >= paperWidth
            ? 0
            : std::min<std::uint64_t>(
                  perRow, (std::uint64_t(paperWidth - block.x) + std::uint64_t(byteWidth) - 1) /
                              std::uint64_t(byteWidth));
    const std::uint64_t end = position + std::uint64_t(count);
    const std::uint64_t lastRow = std::min((end - 1) / perRow, std::uint64_t(block.rows) - 1);
    for (std::uint64_t row = position / perRow; row <= lastRow && block.rows > 0; ++row) {
        const std::uint64_t rowStart = row * perRow;
        const std::uint64_t from = std::max(rowStart, position);
        const std::uint64_t to = std::min(rowStart + onPaper, end);
        if (from >= to)
            continue;
        const std::uint8_t *first = bytes + (from - position);
        const std::uint8_t *last = bytes + (to - position);
        if (std::all_of(first, last, [](std::uint8_t byte) { return byte == 0; }))
            continue;
        const std::uint64_t y = std::uint64_t(block.y) + row * std::uint64_t(block.scaleY);
        if (y >= std::uint64_t(maxLength)) {
            // The roll is used up once a dot would go beyond it; what follows is lost.
            m_paper.extendTo(maxLength + 1);
            return;
        }
        for (int dy = 0; dy < block.scaleY; ++dy) {
            std::uint8_t *dots = m_paper.printableRow(int(y) + dy);
            if (!dots)
                continue;
            for (const std::uint8_t *at = first; at != last; ++at) {
                const std::uint8_t byte = *at;
                if (byte == 0)
                    continue;
                const auto column = int(from - rowStart) + int(at - first);
                const int x = block.x + column * byteWidth;
                for (int bit = 0; bit < 8; ++bit) {
                    if (!(byte & (0x80 >> bit)))
                        continue;
                    const int left = std::max(x + bit * block.scaleX, 0);
                    const int right = std::min(x + (bit + 1) * block.scaleX, paperWidth);
                    for (int px = left; px < right; ++px)
                        dots[px] = std::max(dots[px], block.ink);
                }
            }
        }
    }
}

QString Renderer::barcode(const Event &event)
{
    const auto system = BarcodeSystem(event.a - 'A');
    const std::shared_ptr<const Symbol> encoded = m_symbols.barcode(system, event.data);
    const Symbol &symbol = *encoded;
    if (!symbol.ok)
        return QStringLiteral("not printed: %1").arg(symbol.error);
    const int module = m_modes.barcodeModule;
    const int width = symbol.columns * module;
    if (width > areaWidth())
        return QStringLiteral("%1 dots wide, more than the print area; not printed").arg(width);

    endTextRow();
    if (rollUsedUp())
        return {};
    const std::uint8_t level = ink();
    const int x = place(width, m_modes.align);
    const int textHeight = FontSet::cellHeight(FontSet::Size::Standard);
    const int textWidth = int(symbol.text.size()) * FontSet::cellWidth(FontSet::Size::Standard);
    const int textX = x + (width - textWidth) / 2;
    const bool above = m_modes.barcodeText & 2;
    const bool below = m_modes.barcodeText & 1;

    int y = m_y;
    if (above) {
        drawText(symbol.text, textX, y, level);
        y += textHeight + textGap;
    }
    const int height = m_modes.barcodeHeight;
    const int rowHeight = std::max(1, height / std::max(symbol.rows, 1));
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            if (!symbol.dark(column, row))
                continue;
            for (int dy = 0; dy < rowHeight; ++dy)
                m_paper.inkSpan(x + column * module, y + row * rowHeight + dy, module, level);
        }
    }
    y += rowHeight * symbol.rows;
    if (below) {
        y += textGap;
        drawText(symbol.text, textX, y, level);
        y += textHeight;
    }
    advance(y - m_y);
    return {};
}

QString Renderer::printQr()
{
    const std::shared_ptr<const Symbol> encoded = m_symbols.qr(m_qrData, m_modes.qrLevel);
    const Symbol &symbol = *encoded;
    if (!symbol.ok)
        return QStringLiteral("not printed: %1").arg(symbol.error);
    const int module = m_modes.qrModule;
    const int size = symbol.columns * module;
    if (size > areaWidth())
        return QStringLiteral("%1 dots wide, more than the print area; not printed").arg(size);
    endTextRow();
    if (rollUsedUp())
        return {};
    const std::uint8_t level = ink();
    const int x = place(size, m_modes.align);
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            if (!symbol.dark(column, row))
                continue;
            for (int dy = 0; dy < module; ++dy)
                m_paper.inkSpan(x + column * module, m_y + row * module + dy, module, level);
        }
    }
    advance(symbol.rows * module);
    return {};
}

QString Renderer::printStored(int place, int mode)
{
    const auto found = m_stored.find(place);
    if (found == m_stored.end())
        return QStringLiteral("no bitmap stored at %1; nothing printed").arg(place);
    const std::optional<Parameters::Scale> scale = Parameters::pictureScale(mode);
    if (!scale)
        return QStringLiteral("no such size mode (ignored)");
    const StoredBitmap &bitmap = found->second;
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
    block.x = this->place(bitmap.bytesPerRow * 8 * scale->x, align.value_or(m_modes.align));
    block.y = m_y;
    drawBits(reinterpret_cast<const std::uint8_t *>(bitmap.data.constData()), bitmap.data.size(), 0,
             block);
    advance(bitmap.rows * scale->y);
    return {};
}

void Renderer::cut(bool partial)
{
    endTextRow();
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

} // namespace Virtual
