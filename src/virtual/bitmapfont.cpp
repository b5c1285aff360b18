#include "virtual/bitmapfont.h"

#include <QDir>
#include <QFile>

#include <zlib.h>

#include <algorithm>

namespace Virtual {

namespace {

// The table types and format bits of the PCF file format.
constexpr std::uint32_t pcfMagic = 0x70636601; // "\1fcp" read as a little-endian word
constexpr std::uint32_t pcfAccelerators = 1U << 1;
constexpr std::uint32_t pcfMetrics = 1U << 2;
constexpr std::uint32_t pcfBitmaps = 1U << 3;
constexpr std::uint32_t pcfEncodings = 1U << 5;
constexpr std::uint32_t pcfBdfAccelerators = 1U << 8;

constexpr std::uint32_t formatMask = 0xFFFFFF00;
constexpr std::uint32_t formatCompressedMetrics = 0x100;
constexpr std::uint32_t byteOrderMsbFirst = 1U << 2;
constexpr std::uint32_t bitOrderMsbFirst = 1U << 3;

constexpr qsizetype maxFontFile = 64 * 1024 * 1024;

QByteArray gunzip(const QByteArray &in)
{
    QByteArray out;
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.data()));
    stream.avail_in = uInt(in.size());
    char buffer[65536];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        if (out.size() > maxFontFile)
            result = Z_DATA_ERROR;
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        out.clear();
    return out;
}

// Bounds-checked reads in the byte order of a table.
class Reader
{
public:
    Reader(const QByteArray &data, qsizetype offset, qsizetype size)
        : m_data(data),
          m_pos(offset),
          m_end(qMin(data.size(), offset + size))
    {}

    bool ok() const { return m_ok; }
    void setMsbFirst(bool msb) { m_msb = msb; }

    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        const auto *p = reinterpret_cast<const unsigned char *>(m_data.constData() + m_pos);
        m_pos += 4;
        return m_msb ? (std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                        std::uint32_t(p[2]) << 8 | p[3])
                     : (std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[1]) << 8 | p[0]);
    }
    // The table format word is always little-endian.
    std::uint32_t formatWord()
    {
        const bool msb = m_msb;
        m_msb = false;
        const std::uint32_t format = u32();
        m_msb = msb;
        return format;
    }
    std::uint16_t u16()
    {
        if (!need(2))
            return 0;
        const auto *p = reinterpret_cast<const unsigned char *>(m_data.constData() + m_pos);
        m_pos += 2;
        return m_msb ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
    }
    std::uint8_t u8()
    {
        if (!need(1))
            return 0;
        return std::uint8_t(m_data[m_pos++]);
    }
    void skip(qsizetype n)
    {
        if (need(n))
            m_pos += n;
    }
    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_end - m_pos; }

private:
    bool need(qsizetype n)
    {
        if (n < 0 || m_end - m_pos < n)
            m_ok = false;
        return m_ok;
    }

    const QByteArray &m_data;
    qsizetype m_pos;
    qsizetype m_end;
    bool m_msb = false;
    bool m_ok = true;
};

struct Table
{
    std::uint32_t type;
    std::uint32_t format;
    std::uint32_t size;
    std::uint32_t offset;
};

} // namespace

BitmapFont::BitmapFont(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return;
    }
    QByteArray data = file.read(maxFontFile);
    if (data.startsWith("\x1f\x8b"))
        data = gunzip(data);
    if (!parse(data)) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 is not a readable PCF font").arg(path);
        m_metrics.clear();
        m_encoding.clear();
        m_bitmaps.clear();
        return;
    }
    m_valid = true;
}

bool BitmapFont::parse(const QByteArray &file)
{
    Reader header(file, 0, file.size());
    if (header.u32() != pcfMagic)
        return false;
    const std::uint32_t count = header.u32();
    if (!header.ok() || count > 64)
        return false;
    std::vector<Table> tables;
    for (std::uint32_t i = 0; i < count; ++i)
        tables.push_back({header.u32(), header.u32(), header.u32(), header.u32()});
    if (!header.ok())
        return false;
    auto find = [&](std::uint32_t type) -> const Table * {
        for (const Table &t : tables) {
            if (t.type == type)
                return &t;
        }
        return nullptr;
    };

    // Font ascent and descent: the BDF accelerators when present, else the plain ones.
    const Table *accel = find(pcfBdfAccelerators);
    if (!accel)
        accel = find(pcfAccelerators);
    const Table *metrics = find(pcfMetrics);
    const Table *bitmaps = find(pcfBitmaps);
    const Table *encodings = find(pcfEncodings);
    if (!accel || !metrics || !bitmaps || !encodings)
        return false;

    {
        Reader r(file, accel->offset, accel->size);
        const std::uint32_t format = r.formatWord();
        r.setMsbFirst(format & byteOrderMsbFirst);
        r.skip(8); // flags
        m_ascent = int(std::int32_t(r.u32()));
        m_descent = int(std::int32_t(r.u32()));
        if (!r.ok() || m_ascent < 0 || m_descent < 0 || m_ascent + m_descent > 64)
            return false;
    }
    {
        Reader r(file, metrics->offset, metrics->size);
        const std::uint32_t format = r.formatWord();
        r.setMsbFirst(format & byteOrderMsbFirst);
        const bool compressed = (format & formatMask) == formatCompressedMetrics;
        const std::uint32_t n = compressed ? r.u16() : r.u32();
        if (!r.ok() || n > 200000)
            return false;
        m_metrics.resize(n);
        for (Metrics &m : m_metrics) {
            if (compressed) {
                m.left = std::int16_t(r.u8() - 0x80);
                m.right = std::int16_t(r.u8() - 0x80);
                m.width = std::int16_t(r.u8() - 0x80);
                m.ascent = std::int16_t(r.u8() - 0x80);
                m.descent = std::int16_t(r.u8() - 0x80);
            } else {
                m.left = std::int16_t(r.u16());
                m.right = std::int16_t(r.u16());
                m.width = std::int16_t(r.u16());
                m.ascent = std::int16_t(r.u16());
                m.descent = std::int16_t(r.u16());
                r.u16(); // attributes
            }
        }
        if (!r.ok())
            return false;
    }
    {
        Reader r(file, bitmaps->offset, bitmaps->size);
        m_bitmapFormat = r.formatWord();
        r.setMsbFirst(m_bitmapFormat & byteOrderMsbFirst);
        const std::uint32_t n = r.u32();
        if (!r.ok() || n != m_metrics.size())
            return false;
        m_bitmapOffsets.resize(n);
        for (std::uint32_t &offset : m_bitmapOffsets)
            offset = r.u32();
        std::uint32_t sizes[4];
        for (std::uint32_t &size : sizes)
            size = r.u32();
        const std::uint32_t size = sizes[m_bitmapFormat & 3];
        if (!r.ok() || qsizetype(size) > r.remaining())
            return false;
        m_bitmaps = file.mid(r.pos(), size);
    }
    {
        Reader r(file, encodings->offset, encodings->size);
        const std::uint32_t format = r.formatWord();
        r.setMsbFirst(format & byteOrderMsbFirst);
        m_firstCol = r.u16();
        m_lastCol = r.u16();
        m_firstRow = r.u16();
        m_lastRow = r.u16();
        r.u16(); // default character
        if (!r.ok() || m_lastCol > 0xFF || m_lastRow > 0xFF || m_firstCol > m_lastCol ||
            m_firstRow > m_lastRow)
            return false;
        m_encoding.resize(std::size_t(m_lastCol - m_firstCol + 1) *
                          std::size_t(m_lastRow - m_firstRow + 1));
        for (std::uint16_t &index : m_encoding)
            index = r.u16();
        if (!r.ok())
            return false;
    }
    return true;
}

int BitmapFont::glyphIndex(char16_t ch) const
{
    const int row = ch >> 8;
    const int col = ch & 0xFF;
    if (row < m_firstRow || row > m_lastRow || col < m_firstCol || col > m_lastCol)
        return -1;
    const std::uint16_t index = m_encoding[std::size_t(
        (row - m_firstRow) * (m_lastCol - m_firstCol + 1) + (col - m_firstCol))];
    if (index == 0xFFFF || index >= m_metrics.size())
        return -1;
    return index;
}

int BitmapFont::advance(char16_t ch) const
{
    const int index = glyphIndex(ch);
    return index < 0 ? 0 : m_metrics[std::size_t(index)].width;
}

bool BitmapFont::draw(char16_t ch, GlyphCell &cell) const
{
    const int index = glyphIndex(ch);
    if (index < 0)
        return false;
    const Metrics &m = m_metrics[std::size_t(index)];
    const int width = m.right - m.left;
    const int height = m.ascent + m.descent;
    if (width <= 0 || height <= 0)
        return true; // a blank glyph, such as the space

    // Rows are padded to 1, 2, 4 or 8 bytes and stored in scan units of 1, 2 or 4 bytes whose
    // byte and bit order the format gives.
    const int pad = 1 << (m_bitmapFormat & 3);
    const int unit = 1 << ((m_bitmapFormat >> 4) & 3);
    const bool msbBytes = m_bitmapFormat & byteOrderMsbFirst;
    const bool msbBits = m_bitmapFormat & bitOrderMsbFirst;
    const int rowBytes = ((width + pad * 8 - 1) / (pad * 8)) * pad;
    const qsizetype start = m_bitmapOffsets[std::size_t(index)];
    if (start < 0 || start + qsizetype(rowBytes) * height > m_bitmaps.size())
        return false;
    const auto *bits = reinterpret_cast<const unsigned char *>(m_bitmaps.constData() + start);

    // Where each column's bit lies within a row.
    constexpr int maxColumns = 32;
    std::array<int, maxColumns> byteOf{};
    std::array<std::uint8_t, maxColumns> maskOf{};
    const int columns = std::min(width, maxColumns);
    for (int x = 0; x < columns; ++x) {
        const int inUnit = x % (unit * 8);
        const int bitInUnit = msbBits ? unit * 8 - 1 - inUnit : inUnit;
        const int significance = bitInUnit / 8;
        byteOf[std::size_t(x)] =
            (x / (unit * 8)) * unit + (msbBytes ? unit - 1 - significance : significance);
        maskOf[std::size_t(x)] = std::uint8_t(1U << (bitInUnit % 8));
    }

    for (int y = 0; y < height; ++y) {
        const int cellY = m_ascent - m.ascent + y;
        if (cellY < 0 || cellY >= cell.height)
            continue;
        const unsigned char *row = bits + y * rowBytes;
        for (int x = 0; x < columns; ++x) {
            const int cellX = m.left + x;
            if (cellX >= 0 && cellX < cell.width &&
                (row[byteOf[std::size_t(x)]] & maskOf[std::size_t(x)]))
                cell.setDot(cellX, cellY);
        }
    }
    return true;
}

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

FontSet::FontSet(const QString &directory)
    : m_standard(QDir(directory).filePath(QStringLiteral("b24.pcf.gz"))),
      m_small(QDir(directory).filePath(QStringLiteral("b16.pcf.gz"))),
      m_fallback(QDir(directory).filePath(QStringLiteral("unifont.pcf.gz")))
{}

bool FontSet::isComplete() const
{
    return m_standard.isValid() && m_small.isValid() && m_fallback.isValid();
}

QString FontSet::missing() const
{
    QStringList problems;
    for (const BitmapFont *font : {&m_standard, &m_small, &m_fallback}) {
        if (!font->isValid())
            problems << font->error();
    }
    return problems.join(QStringLiteral("; "));
}

GlyphCell FontSet::glyph(char16_t ch, Size size) const
{
    const int half = cellWidth(size);
    const int height = cellHeight(size);
    GlyphCell cell;
    cell.height = height;

    const BitmapFont &primary = size == Size::Standard ? m_standard : m_small;
    if (primary.has(ch) && primary.ascent() + primary.descent() == height) {
        cell.fullWidth = primary.advance(ch) > half;
        cell.width = cell.fullWidth ? 2 * half : half;
        cell.found = primary.draw(ch, cell);
        if (cell.found)
            return cell;
        cell.rows.fill(0);
    }

    if (m_fallback.has(ch)) {
        // Unifont is 16 dots high: 8 or 16 wide. The small font takes it as it is; the standard
        // font scales it by 3/2 to 12 or 24 wide and 24 high.
        GlyphCell source;
        source.height = m_fallback.ascent() + m_fallback.descent();
        const int fallbackHalf = 8;
        source.fullWidth = m_fallback.advance(ch) > fallbackHalf;
        source.width = source.fullWidth ? 2 * fallbackHalf : fallbackHalf;
        if (source.height <= 24 && m_fallback.draw(ch, source)) {
            cell.fullWidth = source.fullWidth;
            cell.width = cell.fullWidth ? 2 * half : half;
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
    }

    // No font has it: a box one cell wide, as printers show an unknown character.
    cell.width = half;
    cell.fullWidth = false;
    cell.found = false;
    cell.rows.fill(0);
    const int top = height / 6;
    const int bottom = height - height / 6 - 1;
    for (int x = 1; x < half - 1; ++x) {
        cell.setDot(x, top);
        cell.setDot(x, bottom);
    }
    for (int y = top; y <= bottom; ++y) {
        cell.setDot(1, y);
        cell.setDot(half - 2, y);
    }
    return cell;
}

} // namespace Virtual
