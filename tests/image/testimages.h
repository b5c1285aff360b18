#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QTemporaryDir;

// Image files made by the tests themselves, byte by byte where the image library's writers
// would not give the layout a test needs.
namespace TestImages {

// The picture that every one-bit test file shows: dark where true. It is not symmetric inside
// a byte, so a picture mirrored within its bytes does not pass for it.
bool darkAt(int x, int y);

// A one-bit BMP of darkAt() with black at palette index `blackIndex` and white at the other.
// The fill bits at the end of every row hold the black index.
QByteArray monoBmp(int width, int height, int blackIndex);

// An XBM of darkAt(): a set bit is black, the least significant bit of a byte the leftmost
// pixel (Qt reads it as Format_MonoLSB). The fill bits at the end of every row are set.
QByteArray xbm(int width, int height);

QByteArray encoded(const QImage &image, const char *format);

// A JPEG of `image` carrying an EXIF orientation tag.
QByteArray jpegWithOrientation(const QImage &image, quint16 orientation);

// A PNG whose header announces `width` x `height` pixels of RGB but whose data holds only the
// first row.
QByteArray pngClaiming(quint32 width, quint32 height);

// Writes `bytes` to `name` in `dir` and returns the file's absolute path.
QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);

// Whether the raster dot at (x, y) is set: rows of `bytesPerLine` bytes, the most significant
// bit of a byte the leftmost dot.
bool dotAt(const QByteArray &raster, qsizetype bytesPerLine, int x, int y);

// The first dot past `width` in any row that is set, or -1 (x + y * bytesPerLine * 8).
qsizetype firstFillDot(const QByteArray &raster, qsizetype bytesPerLine, int width);

} // namespace TestImages
