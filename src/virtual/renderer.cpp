// SPDX-License-Identifier: MIT
#include "virtual/renderer.h"

#include "virtual/parameters.h"
#include "virtual/symbols.h"

#include <algorithm>
#include <utility>
#include <cstdlib>

namespace Virtual {

namespace {

namespace Mode = Protocol::PrintMode;

// ESC R n: the twelve characters at 23 24 40 5B 5C 5D 5E 60 7B 7C 7D 7E in the international
// character sets of common printers.
constexpr std::uint8_t internationalBytes[12] = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D,
                                                 0x5E, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
constexpr const char16_t *internationalSets[] = {
    u"#$@[\\]^`{|}~", // 0 USA
    u"#$à°ç§^`éùè¨",   // 1 France
    u"#$§ÄÖÜ^`äöüß",   // 2 Germany
    u"£$@[\\]^`{|}~", // 3 United Kingdom
    u"#$@ÆØÅ^`æøå~",   // 4 Denmark I
    u"#¤ÉÄÖÅÜéäöåü",   // 5 Sweden
    u"#$@°\\é^ùàòèì", // 6 Italy
    u"₧$@¡Ñ¿^`¨ñ}~",   // 7 Spain I
    u"#$@[¥]^`{|}~",   // 8 Japan
    u"#¤ÉÆØÅÜéæøåü",   // 9 Norway
    u"#$ÉÆØÅÜéæøåü",   // 10 Denmark II
    u"#$á¡Ñ¿é`íñóú",   // 11 Spain II
    u"#$á¡Ñ¿éüíñóú",   // 12 Latin America
    u"#$@[₩]^`{|}~",   // 13 Korea
};

constexpr bool twelveEach()
{
    for (const char16_t *set : internationalSets) {
        int n = 0;
        while (set[n] != 0)
            ++n;
        if (n != 12)
            return false;
    }
    return true;
}
static_assert(twelveEach(), "every international set replaces twelve characters");

// A glyph turned: 90 degrees clockwise, or upside down.
GlyphCell turned(const GlyphCell &cell, bool quarter)
{
    GlyphCell out = cell;
    out.rows = {};
    if (quarter) {
        out.width = std::min(cell.height, 32);
        out.height = std::min(cell.width, int(out.rows.size()));
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                if (cell.dot(y, cell.height - 1 - x))
                    out.setDot(x, y);
        return out;
    }
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x)
            if (cell.dot(cell.width - 1 - x, cell.height - 1 - y))
                out.setDot(x, y);
    return out;
}

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
    case BlockKind::Column:
        drawColumns(event.data.data(), qsizetype(event.data.size()), event.position, m_block);
        break;
    case BlockKind::Graphics: {
        // NV graphics begin with their colour byte, which is not part of the picture.
        QByteArray &target = m_nvKey >= 0 ? m_nvCollect.data : m_graphics.data;
        std::span<const std::uint8_t> data = event.data;
        if (m_nvKey >= 0 && event.position == 0 && !data.empty())
            data = data.subspan(1);
        const qsizetype room = graphicsMemory - target.size();
        const qsizetype take = std::min(room, qsizetype(data.size()));
        if (take > 0)
            target.append(reinterpret_cast<const char *>(data.data()), take);
        if (take < qsizetype(data.size()))
            m_block.overflow = true;
        break;
    }
    case BlockKind::Pdf417: {
        const qsizetype room = maxPdf417Data - m_pdfData.size();
        const qsizetype take = std::min(room, qsizetype(event.data.size()));
        if (take > 0)
            m_pdfData.append(reinterpret_cast<const char *>(event.data.data()), take);
        if (take < qsizetype(event.data.size()))
            m_block.overflow = true;
        break;
    }
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
    case BlockKind::Column:
        // The stripe stays on the line: the line feed after it moves the paper on.
        m_paper.extendTo(block.y + 8 * block.bytesPerRow * block.scaleY);
        m_rowHeight = std::max(m_rowHeight, 8 * block.bytesPerRow * block.scaleY);
        return {};
    case BlockKind::Graphics: {
        const int key = std::exchange(m_nvKey, -1);
        Graphics &graphics = key >= 0 ? m_nvCollect : m_graphics;
        if (!event.complete || block.overflow) {
            graphics = Graphics{};
            return !event.complete
                       ? QStringLiteral("the graphics were cut short; not kept")
                       : QStringLiteral("more than the graphics memory (%1 bytes); not kept")
                             .arg(graphicsMemory);
        }
        if (key >= 0)
            m_nvGraphics[key] = std::exchange(m_nvCollect, Graphics{});
        return {};
    }
    case BlockKind::Pdf417:
        if (block.overflow)
            return QStringLiteral("more than a PDF417 symbol holds; kept the first %1 bytes")
                .arg(maxPdf417Data);
        return {};
    case BlockKind::None:
        break;
    }
    return {};
}

// ESC l (millimetres) and GS L (dots) both move the left edge; ESC Q (millimetres from the
// left edge) and GS W (dots of width) both bound the area on the right.
int Renderer::areaLeft() const
{
    return std::min(m_modes.leftMarginMm * dotsPerMm + m_modes.leftMarginDots,
                    m_paper.width() - 1);
}

int Renderer::areaWidth() const
{
    const int left = areaLeft();
    int right = m_modes.rightEdgeMm == 0
                    ? m_paper.width()
                    : std::min(m_modes.rightEdgeMm * dotsPerMm, m_paper.width());
    if (m_modes.areaWidthDots > 0)
        right = std::min(right, left + m_modes.areaWidthDots);
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
    m_line.upsideDown = m_modes.upsideDown;
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
            // Turned round, the line reads from the right and hangs from its top.
            const int x = m_line.upsideDown
                              ? m_line.left + m_line.width - (offset + glyph.x + glyph.width)
                              : left + glyph.x;
            drawGlyph(glyph, x, m_y + (m_line.upsideDown ? 0 : m_line.height - glyph.height));
            if (record) {
                printed.text.append(QChar(glyph.character));
                printed.cells.push_back({x, glyph.width, glyph.character});
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
    const Modes &m = m_modes;
    if (m.international > 0 && ch >= 0x23 && ch <= 0x7E) {
        for (int i = 0; i < 12; ++i) {
            if (internationalBytes[i] == ch) {
                ch = internationalSets[m.international][i];
                break;
            }
        }
    }
    const bool small = m.font == FontSet::Size::Small || (m.printMode & Mode::SmallFont);
    GlyphCell cell = m_fonts.glyph(ch, small ? FontSet::Size::Small : FontSet::Size::Standard);
    if (m.rotated)
        cell = turned(cell, true);
    if (m.upsideDown)
        cell = turned(cell, false);
    std::uint8_t mode = m.printMode & ~Mode::SmallFont;
    int underline = (mode & Mode::Underline) ? underlineDots : m.underline;
    int scaleX = std::max((mode & Mode::DoubleWidth) ? 2 : 1, m.widthScale);
    int scaleY = std::max((mode & Mode::DoubleHeight) ? 2 : 1, m.heightScale);
    if (cell.fullWidth) {
        if (m.kanjiMode & 0x04)
            scaleX = std::max(scaleX, 2);
        if (m.kanjiMode & 0x08)
            scaleY = std::max(scaleY, 2);
        if (m.kanjiUnderline > 0 || (m.kanjiMode & 0x80))
            underline = std::max(underline, m.kanjiUnderline > 0 ? m.kanjiUnderline : 1);
    }
    if (m.emphasis || m.doubleStrike)
        mode |= Mode::Bold;
    if (m.reverse)
        mode |= Mode::Reverse;
    if (m.italic)
        mode |= Mode::Italic;
    if (underline > 0)
        mode |= Mode::Underline;
    const int width = cell.width * scaleX;
    const int height = cell.height * scaleY;

    startLine();
    if (m_line.x > 0 && m_line.x + width > m_line.width) {
        lineFeed();
        startLine();
    }
    m_line.glyphs.push_back(
        {m_line.x, width, height, cell, mode, ink(), ch, std::uint8_t(std::max(underline, 1))});
    m_line.x += width + m.rightSpacing * scaleX;
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
        for (int row = glyph.height - glyph.underlineDots; row < glyph.height; ++row)
            m_paper.inkSpan(x, y + row, glyph.width, glyph.ink);
    }
}

void Renderer::drawText(const QString &text, int x, int y, std::uint8_t level, FontSet::Size size)
{
    for (const QChar ch : text) {
        const GlyphCell cell = m_fonts.glyph(ch.unicode(), size);
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
    const std::optional<BarcodeSystem> system = Protocol::barcodeSystem(event.value("m"));
    if (!system)
        return QStringLiteral("no such barcode system; not printed");
    const std::shared_ptr<const Symbol> encoded = m_symbols.barcode(*system, event.data);
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
    // GS f 1 prints the text in the small font.
    const FontSet::Size textSize =
        m_modes.smallBarcodeText ? FontSet::Size::Small : FontSet::Size::Standard;
    const int textHeight = FontSet::cellHeight(textSize);
    const int textWidth = int(symbol.text.size()) * FontSet::cellWidth(textSize);
    const int textX = x + (width - textWidth) / 2;
    const bool above = m_modes.barcodeText == 3;
    const bool below = m_modes.barcodeText != 0;

    int y = m_y;
    if (above) {
        drawText(symbol.text, textX, y, level, textSize);
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
        drawText(symbol.text, textX, y, level, textSize);
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

// ESC * m nL nH: a stripe of n columns of 8 dots (m 0, 1) or 24 dots (m 32, 33) at the print
// position. The 8-dot modes print each dot three rows tall, the single-density modes (m 0, 32)
// each column two dots wide, as a 203 dpi printer does.
QString Renderer::columnPicture(const Event &event)
{
    const int m = event.value("m");
    const int columns = event.value("n");
    if (m != 0 && m != 1 && m != 32 && m != 33)
        return QStringLiteral("no such column mode; its data skipped");
    startLine();
    Block block;
    block.kind = BlockKind::Column;
    block.bytesPerRow = (m & 32) ? 3 : 1;
    block.rows = columns;
    block.scaleX = (m & 1) ? 1 : 2;
    block.scaleY = (m & 32) ? 1 : 3;
    block.ink = ink();
    block.x = m_line.left + m_line.x;
    block.y = m_y;
    m_block = block;
    const int width = columns * block.scaleX;
    m_line.x = std::min(m_line.x + width, m_line.width);
    if (block.x + width > m_line.left + m_line.width)
        return QStringLiteral("wider than the print area; cut at the edge");
    return {};
}

void Renderer::drawColumns(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                           const Block &block)
{
    const auto perColumn = std::uint64_t(block.bytesPerRow);
    const int paperWidth = m_paper.width();
    for (qsizetype i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == 0)
            continue;
        const std::uint64_t index = position + std::uint64_t(i);
        const std::uint64_t column = index / perColumn;
        const int x = block.x + int(std::min<std::uint64_t>(column, 65535)) * block.scaleX;
        if (x >= paperWidth)
            continue;
        const int top = block.y + int(index % perColumn) * 8 * block.scaleY;
        for (int bit = 0; bit < 8; ++bit) {
            if (!(byte & (0x80 >> bit)))
                continue;
            for (int dy = 0; dy < block.scaleY; ++dy)
                m_paper.inkSpan(x, top + bit * block.scaleY + dy,
                                std::min(block.scaleX, paperWidth - x), block.ink);
        }
    }
}

QString Renderer::printGraphics()
{
    const Graphics graphics = std::exchange(m_graphics, Graphics{});
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
    block.x = place(graphics.width * scaleX, m_modes.align);
    block.y = m_y;
    drawBits(reinterpret_cast<const std::uint8_t *>(graphics.data.constData()),
             graphics.data.size(), 0, block);
    advance(graphics.rows * scaleY);
    return {};
}

int Renderer::nvGraphicsBytes() const
{
    int total = 0;
    for (const auto &[key, graphics] : m_nvGraphics)
        total += int(graphics.data.size());
    return total;
}

QString Renderer::printPdf417()
{
    const Modes &m = m_modes;
    const Symbol symbol =
        encodePdf417(m_pdfData, m.pdfColumns, m.pdfRows, m.pdfLevel, m.pdfTruncated);
    if (!symbol.ok)
        return QStringLiteral("not printed: %1").arg(symbol.error);
    const int module = m.pdfModule;
    const int width = symbol.columns * module;
    if (width > areaWidth())
        return QStringLiteral("%1 dots wide, more than the print area; not printed").arg(width);
    endTextRow();
    const std::uint8_t level = ink();
    const int x = place(width, m.align);
    const int rowHeight = module * m.pdfRowHeight;
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            if (!symbol.dark(column, row))
                continue;
            for (int dy = 0; dy < rowHeight; ++dy)
                m_paper.inkSpan(x + column * module, m_y + row * rowHeight + dy, module, level);
        }
    }
    advance(symbol.rows * rowHeight);
    return {};
}

} // namespace Virtual
