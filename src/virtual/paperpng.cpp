// SPDX-License-Identifier: MIT
#include "virtual/paperpng.h"

#include <QIODevice>
#include <QSaveFile>

#include <png.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace Virtual {

namespace {

// The levels a picture holds, darkest first, and each level's index; none when more than 16.
struct Palette
{
    std::array<int, 256> index;
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
    palette.index.fill(-1);
    for (int level = 0; level < 256; ++level) {
        if (!seen[std::size_t(level)])
            continue;
        if (palette.levels.size() == 16) {
            palette.levels.clear();
            return palette;
        }
        palette.index[std::size_t(level)] = int(palette.levels.size());
        palette.levels.push_back(std::uint8_t(level));
    }
    const std::size_t count = palette.levels.size();
    palette.bits = count <= 2 ? 1 : count <= 4 ? 2 : 4;
    return palette;
}

// One row of palette indices, `bits` each, the first in the highest bits of a byte.
void packRow(const std::uint8_t *dots, int width, const Palette &palette, png_bytep row)
{
    const int perByte = 8 / palette.bits;
    if (uniform(dots, width)) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k)
            byte = byte << palette.bits | unsigned(palette.index[dots[0]]);
        std::memset(row, int(byte), std::size_t((width + perByte - 1) / perByte));
        // The dots past the row's end are 0, as below.
        const int spare = (perByte - width % perByte) % perByte;
        row[(width - 1) / perByte] &= png_byte(0xff << (spare * palette.bits));
        return;
    }
    for (int x = 0; x < width; ++row) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k, ++x)
            byte = byte << palette.bits | (x < width ? unsigned(palette.index[dots[x]]) : 0u);
        *row = png_byte(byte);
    }
}

void writeData(png_structp png, png_bytep data, png_size_t length)
{
    auto *device = static_cast<QIODevice *>(png_get_io_ptr(png));
    if (device->write(reinterpret_cast<const char *>(data), qint64(length)) != qint64(length))
        png_error(png, "write failed");
}

void flushData(png_structp) {}

// The header and the rows; libpng reports its errors by longjmp, so nothing here owns anything
// that needs destroying.
void writeRows(png_structp png, png_infop info, const GreyImage &paper, const Palette &palette,
               png_bytep row)
{
    const bool paletted = !palette.levels.empty();
    png_set_IHDR(png, info, png_uint_32(paper.width()), png_uint_32(paper.height()),
                 paletted ? palette.bits : 8,
                 paletted ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::array<png_color, 16> colors{};
    for (std::size_t i = 0; i < palette.levels.size(); ++i)
        colors[i] = {palette.levels[i], palette.levels[i], palette.levels[i]};
    if (paletted)
        png_set_PLTE(png, info, colors.data(), int(palette.levels.size()));
    // Speed over size: paper compresses well at any level.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < paper.height(); ++y) {
        if (paletted) {
            packRow(paper.constScanLine(y), paper.width(), palette, row);
            png_write_row(png, row);
        } else {
            png_write_row(png, paper.constScanLine(y));
        }
    }
    png_write_end(png, info);
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
    std::vector<png_byte> row(std::size_t(paper.width()) + 1);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool written = false; // read again after a longjmp
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &device, writeData, flushData);
        writeRows(png, info, paper, palette, row.data());
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    if (!written && error)
        *error = device.errorString().isEmpty() ? QStringLiteral("cannot write PNG")
                                                : device.errorString();
    return written;
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
