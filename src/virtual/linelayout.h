// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/bitmapfont.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace Virtual {

class Paper;
struct PrintState;

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

// The line buffer: characters go into a line at the print state's size and style, tab stops
// and ESC $ move along it, and print() puts the line onto the paper at its alignment, margins
// and the state of ESC { when it began, recording it as a PrintedLine. Moving the paper is
// the caller's: a character that does not fit says so, and the caller feeds the line first.
class LineLayout
{
public:
    static constexpr int maxGlyphsPerLine = 512;
    static constexpr int maxRecordedLines = 65536;

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
        int advance = 0; // how far the print position moves past it
    };

    LineLayout(const FontSet &fonts, Paper &paper, const PrintState &state);
    LineLayout(const LineLayout &) = delete;
    LineLayout &operator=(const LineLayout &) = delete;

    // Begins a line at the current margins and alignment unless one has begun.
    void start();
    bool started() const { return m_line.started; }
    // Forgets the line and what is in it (ESC @, CAN).
    void clear() { m_line = Line{}; }

    // The character as the print state shows it: its set, font, turn, size and styles.
    Glyph shape(char16_t ch) const;
    // Begins the line; false when it has characters and one width dots wide would overflow it.
    bool fits(int width);
    // Puts the glyph at the print position; true when the line buffer is now full.
    bool add(Glyph glyph);
    // Moves to the next tab stop; a remark when there is none further right.
    QString tab();

    // The print position, from the line's left edge, and the line's extent on the paper.
    int x() const { return m_line.x; }
    void setX(int x) { m_line.x = x; }
    int left() const { return m_line.left; }
    int width() const { return m_line.width; }

    // Prints the line with its top at row top and empties the buffer; returns the height it
    // took on the paper (0 when there was nothing to print).
    int print(int top);
    int pending() const { return int(m_line.glyphs.size()); }
    const std::vector<PrintedLine> &lines() const { return m_lines; }

    void drawText(const QString &text, int x, int y, std::uint8_t ink,
                  FontSet::Size size = FontSet::Size::Standard);

private:
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

    void drawGlyph(const Glyph &glyph, int x, int y);

    const FontSet &m_fonts;
    Paper &m_paper;
    const PrintState &m_state;
    Line m_line;
    std::vector<PrintedLine> m_lines;
};

} // namespace Virtual
