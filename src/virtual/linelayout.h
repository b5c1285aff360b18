// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/bitmapfont.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace Virtual {

class Paper;
struct PrintState;

// How a character was printed: its print-mode bits (bold, underline, reverse, italic as
// Protocol::PrintMode has them), its magnification and its font.
struct TextStyle
{
    std::uint8_t mode = 0;
    std::uint8_t widthScale = 1;
    std::uint8_t heightScale = 1;
    bool small = false;

    bool operator==(const TextStyle &) const = default;
};

// A text line as it went onto the paper, for whoever wants to find it again there.
struct PrintedLine
{
    struct Cell
    {
        int x;     // left edge on the paper, in dots
        int width; // dots, after double width
        char16_t character;
    };
    // Characters side by side in one style; a tab or a print position between two characters
    // starts a new span.
    struct Span
    {
        int x = 0; // the leftmost cell's left edge
        int width = 0;
        TextStyle style;
        QString text;
        // The print position jumped a character's width or more (a tab, ESC $) before it.
        bool afterGap = false;
    };
    int top = 0;    // row of the line's top
    int height = 0; // dots, the tallest character's
    int align = 0;  // 0 left, 1 centre, 2 right, as ESC a was when the line began
    bool upsideDown = false;
    QString text;
    std::vector<Cell> cells;
    std::vector<Span> spans;
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
        TextStyle style{};
    };

    LineLayout(const FontSet &fonts, Paper &paper, const PrintState &state);
    LineLayout(const LineLayout &) = delete;
    LineLayout &operator=(const LineLayout &) = delete;

    // Where lines go from now on: the roll, or the page of page mode.
    void setPaper(Paper &paper) { m_paper = &paper; }

    // Begins a line at the current margins and alignment unless one has begun.
    void start();
    bool started() const { return m_line.started; }
    // Forgets the line and what is in it (ESC @, CAN).
    void clear() { m_line = Line{}; }

    // The character as the print state shows it: its set, font, turn, size and styles.
    Glyph shape(char16_t ch) const;
    // Begins the line; false when it has characters and one width dots wide would overflow it.
    bool fits(int width);
    // Whether the glyph is a mark that goes into the cell of the character before it.
    bool combines(const Glyph &glyph) const;
    // Puts the glyph at the print position (a combining mark into the cell before it); true
    // when the line buffer is now full.
    bool add(Glyph glyph);
    // Moves to the next tab stop; a remark when there is none further right.
    QString tab();

    // The print position, from the line's left edge, and the line's extent on the paper.
    int x() const { return m_line.x; }
    void setX(int x) { m_line.x = x; }
    int left() const { return m_line.left; }
    int width() const { return m_line.width; }

    // Prints the line with its top at row top and empties the buffer; returns the height it
    // took on the paper (0 when there was nothing to print). A line put on the page of page mode
    // (onRoll false) is not one of lines(): the page's record keeps it.
    int print(int top, bool onRoll = true);
    int pending() const { return int(m_line.glyphs.size()); }
    // The tallest character in the buffer.
    int height() const { return m_line.height; }
    const std::vector<PrintedLine> &lines() const { return m_lines; }
    // The line print() printed last, recorded or not.
    const PrintedLine &lastLine() const { return m_last; }

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
    void addToSpans(const Glyph &glyph, int x, int lineX);

    const FontSet &m_fonts;
    Paper *m_paper;
    const PrintState &m_state;
    Line m_line;
    std::vector<PrintedLine> m_lines;
    PrintedLine m_last;
    int m_spanEnd = 0; // where, in the line, the last span's last character ended
};

} // namespace Virtual
