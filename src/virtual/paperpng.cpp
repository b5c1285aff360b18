// SPDX-License-Identifier: MIT
#include "virtual/paperpng.h"

#include <QIODevice>
#include <QSaveFile>

#include <png.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <vector>

namespace Virtual {

namespace {

// The levels a picture holds, darkest first, and each level's index; none when more than 16.
struct Palette
{
    std::array<std::uint8_t, 256> index; // of levels the picture holds
    std::vector<std::uint8_t> levels;
    int bits = 8;
};

// Most rows of a receipt are blank paper.
bool uniform(const std::uint8_t *dots, int width)
{
    return std::memcmp(dots, dots + 1, std::size_t(width - 1)) == 0;
}

Palette paletteOf(const GreyImage &paper)
{
    const int width = paper.width();
    std::array<bool, 256> seen{};
    for (int y = 0; y < paper.height(); ++y) {
        const std::uint8_t *dots = paper.constScanLine(y);
        seen[dots[0]] = true;
        if (uniform(dots, width))
            continue;
        for (int x = 1; x < width; ++x)
            seen[dots[x]] = true;
    }
    Palette palette;
    palette.index.fill(0);
    for (int level = 0; level < 256; ++level) {
        if (!seen[std::size_t(level)])
            continue;
        if (palette.levels.size() == 16) {
            palette.levels.clear();
            return palette;
        }
        palette.index[std::size_t(level)] = std::uint8_t(palette.levels.size());
        palette.levels.push_back(std::uint8_t(level));
    }
    const std::size_t count = palette.levels.size();
    palette.bits = count <= 2 ? 1 : count <= 4 ? 2 : 4;
    return palette;
}

// One row of palette indices, `bits` each, the first in the highest bits of a byte.
void packRow(const std::uint8_t *dots, int width, const Palette &palette, std::uint8_t *row)
{
    const int perByte = 8 / palette.bits;
    if (uniform(dots, width)) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k)
            byte = byte << palette.bits | unsigned(palette.index[dots[0]]);
        std::memset(row, int(byte), std::size_t((width + perByte - 1) / perByte));
        // The dots past the row's end are 0, as below.
        const int spare = (perByte - width % perByte) % perByte;
        row[(width - 1) / perByte] &= std::uint8_t(0xff << (spare * palette.bits));
        return;
    }
    const int whole = width / perByte;
    for (int i = 0; i < whole; ++i, dots += perByte) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k)
            byte = byte << palette.bits | palette.index[dots[k]];
        row[i] = std::uint8_t(byte);
    }
    if (const int rest = width - whole * perByte; rest > 0) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k)
            byte = byte << palette.bits | (k < rest ? palette.index[dots[k]] : 0u);
        row[whole] = std::uint8_t(byte);
    }
}

// One deflate stream for the thread, reset for each picture: making one costs some 300 KB of
// allocations and page faults, more than compressing a receipt.
class Deflater
{
public:
    Deflater()
    {
        m_ready = deflateInit2(&m_stream, 1, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    // `raw` deflated as a zlib stream onto the end of `out`.
    bool deflate(const std::vector<std::uint8_t> &raw, QByteArray &out)
    {
        if (!m_ready || deflateReset(&m_stream) != Z_OK)
            return false;
        const qsizetype at = out.size();
        out.resize(at + qsizetype(deflateBound(&m_stream, uLong(raw.size()))));
        m_stream.next_in = const_cast<Bytef *>(raw.data());
        m_stream.avail_in = uInt(raw.size());
        m_stream.next_out = reinterpret_cast<Bytef *>(out.data() + at);
        m_stream.avail_out = uInt(out.size() - at);
        const bool done = ::deflate(&m_stream, Z_FINISH) == Z_STREAM_END;
        out.resize(at + qsizetype(m_stream.total_out));
        return done;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

void putBigEndian(QByteArray &out, std::uint32_t value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

// Ends the chunk whose type is at `typeAt` of `out` and whose data follow it to the end: its
// length goes before the type, the CRC-32 of type and data after the data.
void endChunk(QByteArray &out, qsizetype typeAt)
{
    const qsizetype length = out.size() - typeAt - 4;
    const char *type = out.constData() + typeAt;
    const std::uint32_t crc =
        std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(type), uInt(length + 4)));
    const char size[4] = {char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
    out.replace(typeAt - 4, 4, size, 4);
    putBigEndian(out, crc);
}

qsizetype beginChunk(QByteArray &out, const char *type)
{
    out.append(4, '\0'); // the length, once known
    out.append(type, 4);
    return out.size() - 4;
}

// The rows as PNG's filter-less scan lines: a 0 filter byte, then the row's dots (palette
// indices packed or grey bytes).
void scanLines(const GreyImage &paper, const Palette &palette, std::vector<std::uint8_t> &raw)
{
    const bool paletted = !palette.levels.empty();
    const int perByte = paletted ? 8 / palette.bits : 1;
    const std::size_t rowBytes = std::size_t((paper.width() + perByte - 1) / perByte);
    raw.resize((rowBytes + 1) * std::size_t(paper.height()));
    std::uint8_t *line = raw.data();
    for (int y = 0; y < paper.height(); ++y, line += rowBytes + 1) {
        line[0] = 0;
        if (paletted)
            packRow(paper.constScanLine(y), paper.width(), palette, line + 1);
        else
            std::memcpy(line + 1, paper.constScanLine(y), rowBytes);
    }
}

} // namespace

bool PaperPng::write(const GreyImage &paper, QIODevice &device, QString *error)
{
    if (paper.isNull()) {
        if (error)
            *error = QStringLiteral("no picture to write");
        return false;
    }
    const Palette palette = paletteOf(paper);
    const bool paletted = !palette.levels.empty();
    thread_local std::vector<std::uint8_t> raw;
    thread_local Deflater deflater;
    scanLines(paper, palette, raw);

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(qsizetype(raw.size() / 4) + 256);
    qsizetype chunk = beginChunk(png, "IHDR");
    putBigEndian(png, std::uint32_t(paper.width()));
    putBigEndian(png, std::uint32_t(paper.height()));
    // Bit depth, colour type (3 palette, 0 grey), compression, filter, interlace.
    const char header[5] = {char(paletted ? palette.bits : 8), char(paletted ? 3 : 0), 0, 0, 0};
    png.append(header, 5);
    endChunk(png, chunk);
    if (paletted) {
        chunk = beginChunk(png, "PLTE");
        for (const std::uint8_t level : palette.levels)
            png.append(3, char(level));
        endChunk(png, chunk);
    }
    chunk = beginChunk(png, "IDAT");
    const bool deflated = deflater.deflate(raw, png);
    endChunk(png, chunk);
    endChunk(png, beginChunk(png, "IEND"));
    if (deflated && device.write(png) == png.size())
        return true;
    if (error)
        *error = !deflated || device.errorString().isEmpty() ? QStringLiteral("cannot write PNG")
                                                             : device.errorString();
    return false;
}

bool PaperPng::write(const GreyImage &paper, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !write(paper, file, error) || !file.commit()) {
        if (error && error->isEmpty())
            *error = file.errorString();
        return false;
    }
    return true;
}

GreyImage PaperPng::read(const QByteArray &png)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.constData(), std::size_t(png.size())))
        return {};
    image.format = PNG_FORMAT_GRAY;
    GreyImage picture(int(image.width), int(image.height));
    if (picture.isNull() || !png_image_finish_read(&image, nullptr, picture.scanLine(0),
                                                   png_int_32(image.width), nullptr)) {
        png_image_free(&image);
        return {};
    }
    return picture;
}

} // namespace Virtual
