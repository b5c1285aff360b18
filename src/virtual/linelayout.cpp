// SPDX-License-Identifier: MIT
#include "virtual/linelayout.h"

#include "protocol/values.h"
#include "virtual/paper.h"
#include "virtual/printstate.h"

#include <algorithm>

namespace Virtual {

namespace {

namespace Mode = Protocol::PrintMode;

// ESC R n: the twelve characters at 23 24 40 5B 5C 5D 5E 60 7B 7C 7D 7E in the international
// character sets of common printers.
constexpr std::uint8_t internationalBytes[12] = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D,
                                                 0x5E, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
constexpr const char16_t *internationalSets[] = {
    u"#$@[\\]^`{|}~", // 0 USA
    u"#$à°ç§^`éùè¨",  // 1 France
    u"#$§ÄÖÜ^`äöüß",  // 2 Germany
    u"£$@[\\]^`{|}~", // 3 United Kingdom
    u"#$@ÆØÅ^`æøå~",  // 4 Denmark I
    u"#¤ÉÄÖÅÜéäöåü",  // 5 Sweden
    u"#$@°\\é^ùàòèì", // 6 Italy
    u"₧$@¡Ñ¿^`¨ñ}~",  // 7 Spain I
    u"#$@[¥]^`{|}~",  // 8 Japan
    u"#¤ÉÆØÅÜéæøåü",  // 9 Norway
    u"#$ÉÆØÅÜéæøåü",  // 10 Denmark II
    u"#$á¡Ñ¿é`íñóú",  // 11 Spain II
    u"#$á¡Ñ¿éüíñóú",  // 12 Latin America
    u"#$@[₩]^`{|}~",  // 13 Korea
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

char16_t international(char16_t ch, int set)
{
    if (set <= 0 || ch < 0x23 || ch > 0x7E)
        return ch;
    for (int i = 0; i < 12; ++i) {
        if (internationalBytes[i] == ch)
            return internationalSets[set][i];
    }
    return ch;
}

} // namespace

LineLayout::LineLayout(const FontSet &fonts, Paper &paper, const PrintState &state)
    : m_fonts(fonts),
      m_paper(&paper),
      m_state(state)
{
    m_line.glyphs.reserve(64);
}

void LineLayout::start()
{
    if (m_line.started)
        return;
    m_line.started = true;
    m_line.left = m_state.areaLeft(m_paper->width());
    m_line.width = m_state.areaWidth(m_paper->width());
    m_line.align = m_state.lineAlign();
    m_line.upsideDown = m_state.upsideDown;
    m_line.x = 0;
    m_line.height = 0;
}

LineLayout::Glyph LineLayout::shape(char16_t ch) const
{
    const PrintState &m = m_state;
    const auto own = m.userCharactersOn ? m.userCharacters.find(ch) : m.userCharacters.end();
    ch = international(ch, m.international);
    const bool small = m.font == FontSet::Size::Small || (m.printMode & Mode::SmallFont);
    GlyphCell cell =
        own != m.userCharacters.end()
            ? own->second
            : m_fonts.glyph(ch, small ? FontSet::Size::Small : FontSet::Size::Standard);
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
    Glyph glyph{0,
                cell.width * scaleX,
                cell.height * scaleY,
                cell,
                mode,
                m.ink(),
                ch,
                std::uint8_t(std::max(underline, 1))};
    glyph.advance = glyph.width + m.rightSpacing * scaleX;
    glyph.style = {
        std::uint8_t(mode & (Mode::Bold | Mode::Underline | Mode::Reverse | Mode::Italic)),
        std::uint8_t(scaleX), std::uint8_t(scaleY), small};
    return glyph;
}

bool LineLayout::fits(int width)
{
    start();
    return !(m_line.x > 0 && m_line.x + width > m_line.width);
}

// Thai vowels above and below and the tone marks: a printer of the Thai pages prints them in
// the cell of the character before them, above or below it.
bool LineLayout::combines(const Glyph &glyph) const
{
    const char16_t ch = glyph.character;
    const bool thaiMark =
        ch == 0x0E31 || (ch >= 0x0E34 && ch <= 0x0E3A) || (ch >= 0x0E47 && ch <= 0x0E4E);
    return thaiMark && m_line.started && !m_line.glyphs.empty();
}

bool LineLayout::add(Glyph glyph)
{
    start();
    if (combines(glyph)) {
        glyph.x = m_line.glyphs.back().x;
        glyph.advance = 0;
    } else {
        glyph.x = m_line.x;
    }
    m_line.glyphs.push_back(glyph);
    m_line.x = std::max(m_line.x, glyph.x + glyph.advance);
    m_line.height = std::max(m_line.height, glyph.height);
    return m_line.glyphs.size() >= std::size_t(maxGlyphsPerLine);
}

QString LineLayout::tab()
{
    start();
    for (int i = 0; i < m_state.tabStopCount; ++i) {
        const int stop = m_state.tabStops[std::size_t(i)];
        if (stop <= m_line.x)
            continue;
        m_line.x = std::min(stop, m_line.width);
        return {};
    }
    return QStringLiteral("no tab stop further right (ignored)");
}

int LineLayout::print(int top, bool onRoll)
{
    if (!m_line.started)
        return 0;
    const int height = m_line.glyphs.empty() ? 0 : m_line.height;
    if (!m_line.glyphs.empty()) {
        const int room = m_line.width - m_line.x;
        const int offset = room <= 0           ? 0
                           : m_line.align == 1 ? room / 2
                           : m_line.align == 2 ? room
                                               : 0;
        const int left = m_line.left + offset;
        m_last.top = top;
        m_last.height = m_line.height;
        m_last.align = m_line.align;
        m_last.upsideDown = m_line.upsideDown;
        m_last.text.clear();
        m_last.cells.clear();
        m_last.spans.clear();
        for (const Glyph &glyph : m_line.glyphs) {
            // Turned round, the line reads from the right and hangs from its top.
            const int x = m_line.upsideDown
                              ? m_line.left + m_line.width - (offset + glyph.x + glyph.width)
                              : left + glyph.x;
            drawGlyph(glyph, x, top + (m_line.upsideDown ? 0 : m_line.height - glyph.height));
            m_last.text.append(QChar(glyph.character));
            m_last.cells.push_back({x, glyph.width, glyph.character});
            addToSpans(glyph, x, glyph.x);
        }
        // The lines of a roll rendered whole; an endless roll's receipts record their own, and
        // keeping its lines too would hold 30 MB after a few thousand receipts.
        if (onRoll && !m_paper->isEndless() && m_lines.size() < std::size_t(maxRecordedLines))
            m_lines.push_back(m_last);
        m_paper->extendTo(top + m_line.height);
    }
    m_line.started = false;
    m_line.glyphs.clear();
    m_line.x = 0;
    m_line.height = 0;
    return height;
}

// A glyph that starts where the one before it ended, in the same style, joins its span.
void LineLayout::addToSpans(const Glyph &glyph, int x, int lineX)
{
    std::vector<PrintedLine::Span> &spans = m_last.spans;
    if (glyph.advance == 0 && !spans.empty() && lineX < m_spanEnd) { // a mark in the cell before
        spans.back().text.append(QChar(glyph.character));
        return;
    }
    if (spans.empty() || spans.back().style != glyph.style || lineX != m_spanEnd) {
        const bool gap = !spans.empty() && lineX - m_spanEnd >= glyph.width;
        spans.push_back({x, glyph.width, glyph.style, QString(QChar(glyph.character)), gap});
    } else {
        PrintedLine::Span &span = spans.back();
        const int right = std::max(span.x + span.width, x + glyph.width);
        span.x = std::min(span.x, x);
        span.width = right - span.x;
        span.text.append(QChar(glyph.character));
    }
    m_spanEnd = lineX + glyph.advance;
}

void LineLayout::drawText(const QString &text, int x, int y, std::uint8_t level, FontSet::Size size)
{
    for (const QChar ch : text) {
        const GlyphCell cell = m_fonts.glyph(ch.unicode(), size);
        const Glyph glyph{0, cell.width, cell.height, cell, 0, level, ch.unicode()};
        drawGlyph(glyph, x, y);
        x += cell.width;
    }
}

void LineLayout::drawGlyph(const Glyph &glyph, int x, int y)
{
    // Once the roll has run out nothing more reaches it: a glyph below its end costs nothing.
    if (m_paper->ranOut() && y >= m_paper->endRow())
        return;
    const GlyphCell &cell = glyph.cell;
    const int sx = glyph.width / std::max(cell.width, 1);
    const int sy = glyph.height / std::max(cell.height, 1);
    const bool bold = glyph.mode & Mode::Bold;
    const bool italic = glyph.mode & Mode::Italic;
    const bool reverse = glyph.mode & Mode::Reverse;

    if (reverse) {
        for (int row = 0; row < glyph.height; ++row)
            m_paper->inkSpan(x, y + row, glyph.width, glyph.ink);
    }
    const int paperWidth = m_paper->width();
    const std::uint32_t cellMask = cell.width >= 32 ? ~0U : (1U << cell.width) - 1;
    for (int cy = 0; cy < cell.height; ++cy) {
        std::uint32_t bits = cell.rows[std::size_t(cy)];
        if (bold)
            bits = (bits | bits << 1) & cellMask;
        if (bits == 0)
            continue;
        for (int dy = 0; dy < sy; ++dy) {
            const int row = cy * sy + dy;
            std::uint8_t *dots = m_paper->printableRow(y + row);
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
            m_paper->inkSpan(x, y + row, glyph.width, glyph.ink);
    }
}

} // namespace Virtual
