#pragma once

#include <QByteArray>

// The bytes a controller should see, written out independently of the program's command set:
// each helper is one command as the controller's manual gives it, in hex.
namespace Expect {

inline QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}
inline QByteArray withByte(const char *prefix, int value)
{
    return hex(prefix) + char(value);
}
inline QByteArray le16(int value)
{
    return QByteArray(1, char(value & 0xFF)) + char((value >> 8) & 0xFF);
}

inline const QByteArray softInit = hex("1b40");
inline const QByteArray lf = hex("0a");
inline const QByteArray cr = hex("0d");
inline const QByteArray tab = hex("09");
inline const QByteArray defaultSpacing = hex("1b32");
inline const QByteArray dbOn = hex("1c26");
inline const QByteArray dbOff = hex("1c2e");
inline const QByteArray fullCut = hex("1b69");
inline const QByteArray partialCut = hex("1b6e");
inline const QByteArray clearBuffer = hex("1014");
inline const QByteArray statusRequest = hex("1004");
inline const QByteArray versionRequest = hex("1005");
inline const QByteArray enterSleep = hex("1016");

inline QByteArray align(int n)
{
    return withByte("1b61", n);
}
inline QByteArray darkness(int n)
{
    return withByte("1b6d", n);
}
inline QByteArray mode(int n)
{
    return withByte("1b21", n);
}
inline QByteArray fontMode(int n)
{
    return withByte("1b4d", n);
}
inline QByteArray spacing(int n)
{
    return withByte("1b33", n);
}
inline QByteArray feedDots(int n)
{
    return withByte("1b4a", n);
}
inline QByteArray feedLines(int n)
{
    return withByte("1b64", n);
}
inline QByteArray leftMargin(int n)
{
    return withByte("1b6c", n);
}
inline QByteArray rightMargin(int n)
{
    return withByte("1b51", n);
}
inline QByteArray barWidth(int n)
{
    return withByte("1d77", n);
}
inline QByteArray barHeight(int n)
{
    return withByte("1d68", n);
}
inline QByteArray barText(int n)
{
    return withByte("1d48", n);
}
inline QByteArray head(int n)
{
    return withByte("1b5a", n);
}

// A line in a print mode: ESC ! n, the text, LF.
inline QByteArray line(const QByteArray &text, int printMode = 0)
{
    return mode(printMode) + text + lf;
}

// GS v 0 with the size in bytes per row and rows, then the dots.
inline QByteArray picture(const unsigned char *bits, int bytesPerRow, int rows)
{
    return hex("1d763000") + le16(bytesPerRow) + le16(rows) +
           QByteArray(reinterpret_cast<const char *>(bits), bytesPerRow * rows);
}

// GS k m n d1...dn, m being 'A' + the system.
inline QByteArray barcode(int system, const QByteArray &data)
{
    return hex("1d6b") + char(0x41 + system) + char(data.size()) + data;
}

// Where two streams first differ (-1 when they are equal), so that a failure in a stream of
// kilobytes names its place.
inline qsizetype firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const qsizetype common = qMin(actual.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (actual[i] != expected[i])
            return i;
    }
    return actual.size() == expected.size() ? -1 : common;
}

} // namespace Expect
