#include "testimages.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace TestImages {

namespace {

void appendLe16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void appendLe32(QByteArray &out, quint32 v)
{
    appendLe16(out, quint16(v & 0xFFFF));
    appendLe16(out, quint16(v >> 16));
}

void appendBe16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8)).append(char(v & 0xFF));
}

void appendBe32(QByteArray &out, quint32 v)
{
    appendBe16(out, quint16(v >> 16));
    appendBe16(out, quint16(v & 0xFFFF));
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void appendPngChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    const QByteArray typed = QByteArray(type) + data;
    appendBe32(out, quint32(data.size()));
    out += typed;
    appendBe32(out, crc32(typed));
}

} // namespace

bool darkAt(int x, int y)
{
    return (x * 7 + y * 3) % 11 < 4 || x == y;
}

QByteArray monoBmp(int width, int height, int blackIndex)
{
    const int rowBytes = (width + 31) / 32 * 4;
    QByteArray out("BM");
    appendLe32(out, quint32(62 + rowBytes * height));
    appendLe32(out, 0);
    appendLe32(out, 62); // file header, info header and two palette entries
    appendLe32(out, 40);
    appendLe32(out, quint32(width));
    appendLe32(out, quint32(height)); // positive: rows bottom up
    appendLe16(out, 1);
    appendLe16(out, 1);
    appendLe32(out, 0);
    appendLe32(out, quint32(rowBytes * height));
    appendLe32(out, 2835);
    appendLe32(out, 2835);
    appendLe32(out, 2);
    appendLe32(out, 0);
    const QByteArray black("\x00\x00\x00\x00", 4);
    const QByteArray white("\xff\xff\xff\x00", 4);
    out += blackIndex == 0 ? black + white : white + black;
    // The fill bits hold the black index, so that left alone they would print.
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, blackIndex == 1 ? char(0xFF) : char(0x00));
        for (int x = 0; x < width; ++x) {
            const char mask = char(0x80 >> (x % 8));
            if (darkAt(x, y) == (blackIndex == 1))
                row[x / 8] = char(row[x / 8] | mask);
            else
                row[x / 8] = char(row[x / 8] & ~mask);
        }
        out += row;
    }
    return out;
}

QByteArray xbm(int width, int height)
{
    QByteArray out = QByteArrayLiteral("#define t_width ") + QByteArray::number(width) +
                     "\n#define t_height " + QByteArray::number(height) +
                     "\nstatic char t_bits[] = {\n";
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        for (int b = 0; b < rowBytes; ++b) {
            uint byte = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = b * 8 + bit;
                if (x >= width || darkAt(x, y))
                    byte |= 1u << bit;
            }
            out += "0x" + QByteArray::number(byte, 16) + ",";
        }
        out += '\n';
    }
    out += "};\n";
    return out;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return out;
}

QByteArray jpegWithOrientation(const QImage &image, quint16 orientation)
{
    // Exif header, then a big-endian TIFF header and one IFD with the Orientation tag (0112,
    // SHORT, one value).
    QByteArray exif("Exif\0\0MM\0\x2a", 10);
    appendBe32(exif, 8);
    appendBe16(exif, 1);
    appendBe16(exif, 0x0112);
    appendBe16(exif, 3);
    appendBe32(exif, 1);
    appendBe16(exif, orientation);
    appendBe16(exif, 0);
    appendBe32(exif, 0);
    QByteArray app1("\xff\xe1");
    appendBe16(app1, quint16(exif.size() + 2));
    app1 += exif;

    QByteArray jpeg = encoded(image, "JPEG");
    // After the start-of-image marker and the JFIF segment that Qt's writer puts first.
    qsizetype at = 2;
    if (jpeg.mid(2, 2) == QByteArray("\xff\xe0"))
        at = 4 + qFromBigEndian<quint16>(jpeg.constData() + 4);
    return jpeg.insert(at, app1);
}

QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray out("\x89PNG\r\n\x1a\n");
    QByteArray header;
    appendBe32(header, width);
    appendBe32(header, height);
    header += QByteArray("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, no interlace
    appendPngChunk(out, "IHDR", header);
    // The first row: filter byte 0, then black pixels. qCompress puts a length before the
    // zlib stream.
    const QByteArray firstRow(1 + 3 * qsizetype(width), '\0');
    appendPngChunk(out, "IDAT", qCompress(firstRow).mid(4));
    appendPngChunk(out, "IEND", {});
    return out;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

bool dotAt(const QByteArray &raster, qsizetype bytesPerLine, int x, int y)
{
    const auto byte = quint8(raster.at(y * bytesPerLine + x / 8));
    return byte & (0x80 >> (x % 8));
}

qsizetype firstFillDot(const QByteArray &raster, qsizetype bytesPerLine, int width)
{
    const qsizetype rows = raster.size() / bytesPerLine;
    for (int y = 0; y < rows; ++y) {
        for (int x = width; x < bytesPerLine * 8; ++x) {
            if (dotAt(raster, bytesPerLine, x, y))
                return x + y * bytesPerLine * 8;
        }
    }
    return -1;
}

} // namespace TestImages
