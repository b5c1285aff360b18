// SPDX-License-Identifier: MIT
#include "virtual/bitmapfont.h"

#include "virtual/glyphcells.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMutexLocker>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GZIP_H

#include <cstdlib>

namespace Virtual {

namespace {

// One FreeType library for the process. Made before the first font set, which reads its faces
// later, and so destroyed after the last face (the process's font set is a static too).
FT_Library library()
{
    struct Library
    {
        FT_Library handle = nullptr;
        Library() { FT_Init_FreeType(&handle); }
        ~Library() { FT_Done_FreeType(handle); }
    };
    static const Library instance;
    return instance.handle;
}

constexpr qsizetype maxFontFile = 64 * 1024 * 1024;

// A gzip file inflated with FreeType's own zlib; empty when it is not whole.
QByteArray inflated(const QByteArray &packed)
{
    // The gzip trailer ends with the inflated size, modulo 2^32.
    const auto *end = reinterpret_cast<const unsigned char *>(packed.constEnd());
    const FT_ULong size = FT_ULong(end[-1]) << 24 | FT_ULong(end[-2]) << 16 |
                          FT_ULong(end[-3]) << 8 | FT_ULong(end[-4]);
    if (size == 0 || size > FT_ULong(maxFontFile))
        return {};
    FT_MemoryRec_ memory{};
    memory.alloc = [](FT_Memory, long bytes) { return std::malloc(std::size_t(bytes)); };
    memory.free = [](FT_Memory, void *block) { std::free(block); };
    memory.realloc = [](FT_Memory, long, long bytes, void *block) {
        return std::realloc(block, std::size_t(bytes));
    };
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    FT_ULong length = size;
    const FT_Error error = FT_Gzip_Uncompress(
        &memory, reinterpret_cast<FT_Byte *>(data.data()), &length,
        reinterpret_cast<const FT_Byte *>(packed.constData()), FT_ULong(packed.size()));
    return error == 0 && length == size ? data : QByteArray();
}

// FreeType opens a gzip-compressed font by itself, but then inflates the file again from its
// start for each glyph that lies before the last one read. So a compressed file is inflated once,
// here, and the face reads it from memory.
QByteArray fontData(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return {};
    }
    const QByteArray data = file.read(maxFontFile);
    const bool gzip = data.startsWith("\x1f\x8b") && data.size() >= 18;
    return gzip ? inflated(data) : data;
}

// 26.6 fixed point to whole dots.
int dots(FT_Pos value)
{
    return int((value + 32) >> 6);
}

} // namespace

void BitmapFont::FaceDeleter::operator()(FT_FaceRec_ *face) const
{
    FT_Done_Face(face);
}

BitmapFont::BitmapFont() = default;
BitmapFont::~BitmapFont() = default;

BitmapFont::BitmapFont(const QString &path)
{
    if (!open(path)) {
        m_face.reset();
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 is not a readable bitmap font").arg(path);
    }
}

bool BitmapFont::open(const QString &path)
{
    if (!QFile::exists(path)) {
        m_error = QStringLiteral("%1 is missing").arg(path);
        return false;
    }
    m_data = fontData(path, m_error);
    FT_Face face = nullptr;
    if (m_data.isEmpty() || !library() ||
        FT_New_Memory_Face(library(), reinterpret_cast<const FT_Byte *>(m_data.constData()),
                           FT_Long(m_data.size()), 0, &face) != 0)
        return false;
    m_face.reset(face);
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
        return false;
    // A bitmap font: its one size.
    if (face->num_fixed_sizes < 1 || FT_Select_Size(face, 0) != 0)
        return false;
    m_ascent = dots(face->size->metrics.ascender);
    m_descent = -dots(face->size->metrics.descender);
    return m_ascent >= 0 && m_descent >= 0 && m_ascent + m_descent <= 64;
}

bool BitmapFont::has(char16_t ch) const
{
    return m_face && FT_Get_Char_Index(m_face.get(), ch) != 0;
}

bool BitmapFont::load(char16_t ch, bool render) const
{
    if (!m_face)
        return false;
    const FT_UInt index = FT_Get_Char_Index(m_face.get(), ch);
    if (index == 0)
        return false;
    const FT_Int32 flags = render ? FT_LOAD_RENDER | FT_LOAD_TARGET_MONO : FT_LOAD_DEFAULT;
    return FT_Load_Glyph(m_face.get(), index, flags) == 0;
}

int BitmapFont::advance(char16_t ch) const
{
    return load(ch, false) ? dots(m_face->glyph->advance.x) : 0;
}

bool BitmapFont::draw(char16_t ch, GlyphCell &cell) const
{
    if (!load(ch, true))
        return false;
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap &bitmap = slot->bitmap;
    const int left = slot->bitmap_left;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        return bitmap.rows == 0 || bitmap.width == 0; // a blank glyph, such as the space
    for (int y = 0; y < int(bitmap.rows); ++y) {
        const int cellY = m_ascent - slot->bitmap_top + y;
        if (cellY < 0 || cellY >= cell.height)
            continue;
        const unsigned char *row = bitmap.buffer + y * bitmap.pitch;
        for (int x = 0; x < int(bitmap.width); ++x) {
            const int cellX = left + x;
            if (cellX >= 0 && cellX < cell.width && cellX < 32 && (row[x >> 3] & (0x80 >> (x & 7))))
                cell.setDot(cellX, cellY);
        }
    }
    return true;
}

namespace {

// The font files and the Debian packages that hold them. Only the PCF files give the bitmaps
// the paper shows: Unifont's OpenType file (fonts-unifont) places its combining marks
// differently.
struct FontFile
{
    const char *name;
    const char *package;
};
constexpr FontFile standardFile = {"b24.pcf.gz", "xfonts-efont-unicode"};
constexpr FontFile smallFile = {"b16.pcf.gz", "xfonts-efont-unicode"};
constexpr FontFile fallbackFile = {"unifont.pcf.gz", "xfonts-unifont"};

} // namespace

const FontSet &FontSet::system()
{
    static const FontSet fonts(directory());
    return fonts;
}

QString FontSet::directory()
{
    const QByteArray dir = qgetenv("TESSIVAR_FONT_DIR");
    return dir.isEmpty() ? QStringLiteral("/usr/share/fonts/X11/misc")
                         : QString::fromLocal8Bit(dir);
}

FontSet::FontSet(const QString &directory) : m_directory(directory)
{
    library();
}

FontSet::~FontSet()
{
    if (m_preload.joinable())
        m_preload.join();
}

FontSet::Faces::Faces(const QString &directory)
    : standard(QDir(directory).filePath(QLatin1String(standardFile.name))),
      small(QDir(directory).filePath(QLatin1String(smallFile.name))),
      fallback(QDir(directory).filePath(QLatin1String(fallbackFile.name)))
{}

bool FontSet::Faces::isComplete() const
{
    return standard.isValid() && small.isValid() && fallback.isValid();
}

namespace {

// What identifies the contents of the three fonts, for the name of their cell file: each one's
// name, size and gzip trailer (the CRC-32 and length of what it inflates to). Empty when one of
// them is missing or not compressed: then the cells are drawn as they are wanted.
QByteArray fontsKey(const QString &directory)
{
    QCryptographicHash key(QCryptographicHash::Sha1);
    for (const FontFile &font : {standardFile, smallFile, fallbackFile}) {
        QFile file(QDir(directory).filePath(QLatin1String(font.name)));
        if (!file.open(QIODevice::ReadOnly) || file.size() < 18 || file.peek(2) != "\x1f\x8b" ||
            !file.seek(file.size() - 8))
            return {};
        key.addData(QByteArray(font.name) + ' ' + QByteArray::number(file.size()) + ' ' +
                    file.read(8));
    }
    return key.result().toHex().left(16);
}

} // namespace

// The cell file when there is one for these fonts, or can be made; else the fonts themselves.
const FontSet::Loaded &FontSet::loaded() const
{
    std::call_once(m_loaded, [this] {
        m_state = std::make_unique<Loaded>();
        m_state->file = std::make_unique<GlyphCellFile>();
        const QByteArray key = fontsKey(m_directory);
        const QString path = key.isEmpty() ? QString() : GlyphCellFile::pathFor(key);
        if (!path.isEmpty() && m_state->file->open(path))
            return;
        auto faces = std::make_unique<Faces>(m_directory);
        // The fonts go again once their cells are on file.
        if (path.isEmpty() || !faces->isComplete() ||
            !m_state->file->make(
                path, [&faces](char16_t ch, Size size) { return draw(*faces, ch, size); }))
            m_state->faces = std::move(faces);
    });
    return *m_state;
}

void FontSet::preload() const
{
    if (!m_preload.joinable())
        m_preload = std::thread([this] { loaded(); });
}

bool FontSet::isComplete() const
{
    // A cell file is only made from the complete set.
    return !loaded().faces || loaded().faces->isComplete();
}

QString FontSet::missing() const
{
    QStringList problems;
    if (const Faces *fonts = loaded().faces.get()) {
        for (const BitmapFont *font : {&fonts->standard, &fonts->small, &fonts->fallback}) {
            if (!font->isValid())
                problems << font->error();
        }
    }
    return problems.join(QStringLiteral("; "));
}

QStringList FontSet::missingPackages() const
{
    QStringList packages;
    const Faces *fonts = loaded().faces.get();
    if (fonts && (!fonts->standard.isValid() || !fonts->small.isValid()))
        packages << QLatin1String(standardFile.package);
    if (fonts && !fonts->fallback.isValid())
        packages << QLatin1String(fallbackFile.package);
    return packages;
}

GlyphCell FontSet::glyph(char16_t ch, Size size) const
{
    const std::uint32_t key = std::uint32_t(size) << 16 | ch;
    const Loaded &state = loaded();
    QMutexLocker lock(&m_mutex);
    const auto kept = m_cells.constFind(key);
    if (kept != m_cells.constEnd())
        return *kept;
    GlyphCell cell = state.faces ? draw(*state.faces, ch, size) : state.file->read(ch, size);
    if (cell.height == 0) // the cell file could not be read
        cell = replacementBox(size);
    m_cells.insert(key, cell);
    return cell;
}

GlyphCell FontSet::draw(const Faces &faces, char16_t ch, Size size)
{
    const int half = cellWidth(size);
    GlyphCell cell;
    cell.height = cellHeight(size);
    const BitmapFont &primary = size == Size::Standard ? faces.standard : faces.small;
    if (primary.has(ch) && primary.ascent() + primary.descent() == cell.height) {
        cell.fullWidth = primary.advance(ch) > half;
        cell.width = cell.fullWidth ? 2 * half : half;
        cell.found = primary.draw(ch, cell);
        if (cell.found)
            return cell;
    }
    cell = scaledFallback(faces.fallback, ch, size);
    return cell.found ? cell : replacementBox(size);
}

GlyphCell FontSet::scaledFallback(const BitmapFont &fallback, char16_t ch, Size size)
{
    // Unifont is 16 dots high: 8 or 16 wide. The small font takes it as it is; the standard
    // font scales it by 3/2 to 12 or 24 wide and 24 high.
    GlyphCell cell;
    if (!fallback.has(ch))
        return cell;
    GlyphCell source;
    source.height = fallback.ascent() + fallback.descent();
    const int fallbackHalf = 8;
    source.fullWidth = fallback.advance(ch) > fallbackHalf;
    source.width = source.fullWidth ? 2 * fallbackHalf : fallbackHalf;
    if (source.height > 24 || !fallback.draw(ch, source))
        return cell;
    cell.height = cellHeight(size);
    cell.fullWidth = source.fullWidth;
    cell.width = (cell.fullWidth ? 2 : 1) * cellWidth(size);
    for (int y = 0; y < cell.height; ++y) {
        const int sy = y * source.height / cell.height;
        for (int x = 0; x < cell.width; ++x) {
            if (source.dot(x * source.width / cell.width, sy))
                cell.setDot(x, y);
        }
    }
    cell.found = true;
    return cell;
}

GlyphCell FontSet::replacementBox(Size size)
{
    // No font has it: a box one cell wide, as printers show an unknown character.
    GlyphCell cell;
    cell.width = cellWidth(size);
    cell.height = cellHeight(size);
    const int top = cell.height / 6;
    const int bottom = cell.height - cell.height / 6 - 1;
    for (int x = 1; x < cell.width - 1; ++x) {
        cell.setDot(x, top);
        cell.setDot(x, bottom);
    }
    for (int y = top; y <= bottom; ++y) {
        cell.setDot(1, y);
        cell.setDot(cell.width - 2, y);
    }
    return cell;
}

} // namespace Virtual
