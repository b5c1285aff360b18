#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace Virtual {

// One character cell as the print head sees it: at most 24 x 24 dots, row by row, bit x of a
// row the dot x from the left.
struct GlyphCell
{
    int width = 0;  // dots; one cell (half width) or two cells (full width)
    int height = 0; // dots
    bool fullWidth = false;
    bool found = false; // false: the font set has no glyph, the cell shows a replacement box
    std::array<std::uint32_t, 24> rows{};

    bool dot(int x, int y) const { return (rows[std::size_t(y)] >> x) & 1U; }
    void setDot(int x, int y) { rows[std::size_t(y)] |= 1U << x; }
};

// A bitmap font read from an X11 PCF file (plain or gzip-compressed), as Debian ships them in
// the xfonts-* packages. Qt no longer loads bitmap fonts, so the file is read here: the
// metrics, the bitmaps and the encoding index, kept as the file has them; glyphs are cut out on
// demand and nothing per glyph is stored.
class BitmapFont
{
public:
    BitmapFont() = default;
    // Reads `path`; on any problem the font stays empty (isValid() false) and error() says why.
    explicit BitmapFont(const QString &path);

    bool isValid() const { return m_valid; }
    QString error() const { return m_error; }
    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }

    // Whether the font has a glyph for the code point (the Basic Multilingual Plane only).
    bool has(char16_t ch) const { return glyphIndex(ch) >= 0; }
    // The glyph's advance in dots, 0 if there is none.
    int advance(char16_t ch) const;
    // Sets the glyph's dots into `cell` (which must be ascent + descent high) with the baseline
    // at ascent(). Returns false when there is no glyph.
    bool draw(char16_t ch, GlyphCell &cell) const;

private:
    struct Metrics
    {
        std::int16_t left = 0;
        std::int16_t right = 0;
        std::int16_t width = 0;
        std::int16_t ascent = 0;
        std::int16_t descent = 0;
    };

    bool parse(const QByteArray &file);
    int glyphIndex(char16_t ch) const;

    bool m_valid = false;
    QString m_error;
    int m_ascent = 0;
    int m_descent = 0;

    std::vector<Metrics> m_metrics;
    std::vector<std::uint32_t> m_bitmapOffsets;
    QByteArray m_bitmaps;
    std::uint32_t m_bitmapFormat = 0;
    std::vector<std::uint16_t> m_encoding; // 0xFFFF: no glyph
    int m_firstCol = 0, m_lastCol = -1, m_firstRow = 0, m_lastRow = -1;
};

// The controller's two character fonts, each with a fallback for coverage:
//  - standard: 12 x 24 (full width 24 x 24), from efont's 24-dot "biwidth" font; characters
//    that efont lacks come from GNU Unifont's 8 x 16 / 16 x 16 glyphs scaled by 1.5;
//  - small: 8 x 16 (full width 16 x 16), from efont's 16-dot font, then Unifont as it is.
// A character that neither font has is drawn as a replacement box.
class FontSet
{
public:
    enum class Size : std::uint8_t { Standard, Small };

    // The fonts of the Debian packages xfonts-efont-unicode and xfonts-unifont, loaded once for
    // the process from `directory()`.
    static const FontSet &system();
    // The font folder: $TESSIVAR_FONT_DIR if set, else Debian's X11 misc font folder.
    static QString directory();

    explicit FontSet(const QString &directory);

    bool isComplete() const;
    QString missing() const;

    static int cellWidth(Size size) { return size == Size::Standard ? 12 : 8; }
    static int cellHeight(Size size) { return size == Size::Standard ? 24 : 16; }

    GlyphCell glyph(char16_t ch, Size size) const;

private:
    BitmapFont m_standard;
    BitmapFont m_small;
    BitmapFont m_fallback;
};

} // namespace Virtual
