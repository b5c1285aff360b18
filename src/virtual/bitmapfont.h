// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct FT_FaceRec_;

namespace Virtual {

class GlyphCellFile;

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

// A bitmap font read by FreeType: the X11 PCF fonts of Debian's xfonts-* packages (plain or
// gzip-compressed), at their one size, one bit a dot. Not for use from two threads at once
// (FreeType's faces are not); FontSet serialises its calls.
class BitmapFont
{
public:
    BitmapFont();
    // Opens `path`; on any problem the font stays empty (isValid() false) and error() says why.
    explicit BitmapFont(const QString &path);
    ~BitmapFont();
    BitmapFont(const BitmapFont &) = delete;
    BitmapFont &operator=(const BitmapFont &) = delete;

    bool isValid() const { return bool(m_face); }
    QString error() const { return m_error; }
    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }

    // Whether the font has a glyph for the code point (the Basic Multilingual Plane only).
    bool has(char16_t ch) const;
    // The glyph's advance in dots, 0 if there is none.
    int advance(char16_t ch) const;
    // Sets the glyph's dots into `cell` (which must be ascent + descent high) with the baseline
    // at ascent(). Returns false when there is no glyph.
    bool draw(char16_t ch, GlyphCell &cell) const;

private:
    struct FaceDeleter
    {
        void operator()(FT_FaceRec_ *face) const;
    };

    bool open(const QString &path);
    bool load(char16_t ch, bool render) const;

    QByteArray m_data;                                // the file, inflated; the face reads from it
    std::unique_ptr<FT_FaceRec_, FaceDeleter> m_face; // after m_data: goes before it
    QString m_error;
    int m_ascent = 0;
    int m_descent = 0;
};

// The controller's two character fonts, each with a fallback for coverage:
//  - standard: 12 x 24 (full width 24 x 24), from efont's 24-dot "biwidth" font; characters
//    that efont lacks come from GNU Unifont's 8 x 16 / 16 x 16 glyphs scaled by 1.5;
//  - small: 8 x 16 (full width 16 x 16), from efont's 16-dot font, then Unifont as it is.
// A character that neither font has is drawn as a replacement box.
//
// Every cell is drawn once for all (GlyphCellFile) and then read from that file; only where the
// file cannot be had, or a font is missing, are the fonts themselves read and kept.
class FontSet
{
public:
    enum class Size : std::uint8_t { Standard, Small };

    // The fonts of the Debian packages xfonts-efont-unicode and xfonts-unifont, loaded once for
    // the process from `directory()`.
    static const FontSet &system();
    // The font folder: $TESSIVAR_FONT_DIR if set, else Debian's X11 misc font folder.
    static QString directory();

    // Reads nothing yet: the cells or fonts are opened when first wanted, or by preload().
    explicit FontSet(const QString &directory);
    ~FontSet();
    FontSet(const FontSet &) = delete;
    FontSet &operator=(const FontSet &) = delete;
    // Starts opening the cell file on a thread of their own (the first time on a machine, and
    // when the fonts change, it is made: some 0.5 s of reading and drawing the fonts), so that
    // a program can go on starting; whoever wants a cell first waits for the rest.
    void preload() const;

    bool isComplete() const;
    QString missing() const;
    // The Debian packages that hold the missing fonts, for a user to install.
    QStringList missingPackages() const;

    static int cellWidth(Size size) { return size == Size::Standard ? 12 : 8; }
    static int cellHeight(Size size) { return size == Size::Standard ? 24 : 16; }

    // The cell as it prints; each character is drawn once and then kept. Safe from any thread.
    GlyphCell glyph(char16_t ch, Size size) const;

private:
    struct Faces
    {
        explicit Faces(const QString &directory);
        bool isComplete() const;
        BitmapFont standard;
        BitmapFont small;
        BitmapFont fallback;
    };
    // Where cells come from: their file (the usual way), or the fonts when there is none.
    struct Loaded
    {
        std::unique_ptr<GlyphCellFile> file;
        std::unique_ptr<Faces> faces;
    };
    const Loaded &loaded() const;

    static GlyphCell draw(const Faces &faces, char16_t ch, Size size);
    static GlyphCell scaledFallback(const BitmapFont &fallback, char16_t ch, Size size);
    static GlyphCell replacementBox(Size size);

    QString m_directory;
    mutable std::once_flag m_loaded;
    mutable std::unique_ptr<Loaded> m_state;
    mutable std::thread m_preload;
    mutable QMutex m_mutex;
    mutable QHash<std::uint32_t, GlyphCell> m_cells; // key: size << 16 | character
};

} // namespace Virtual
