// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <cstdint>

namespace Virtual {

// A picture of the paper: one byte a dot, 255 white paper, 0 black ink, row after row with no
// padding. Copies share the bytes until one of them is written to, as QByteArray does. The
// controller's own picture type, so that printing, its files and its web page need no GUI
// library; a window or a test turns it into a QImage with toQImage() (greyimageqt.h).
class GreyImage
{
public:
    GreyImage() = default;
    // width x height dots of `level`; a null picture when either is not positive or the bytes
    // cannot be had.
    GreyImage(int width, int height, std::uint8_t level = 255)
    {
        if (width <= 0 || height <= 0 || qint64(width) * height > maxBytes)
            return;
        m_bytes = QByteArray(qsizetype(width) * height, char(level));
        m_width = width;
        m_height = height;
    }

    bool isNull() const { return m_bytes.isEmpty(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint8_t *scanLine(int y)
    {
        return reinterpret_cast<std::uint8_t *>(m_bytes.data()) + qsizetype(y) * m_width;
    }
    const std::uint8_t *constScanLine(int y) const
    {
        return reinterpret_cast<const std::uint8_t *>(m_bytes.constData()) + qsizetype(y) * m_width;
    }
    std::uint8_t level(int x, int y) const { return constScanLine(y)[x]; }

    friend bool operator==(const GreyImage &a, const GreyImage &b)
    {
        return a.m_width == b.m_width && a.m_height == b.m_height && a.m_bytes == b.m_bytes;
    }
    friend bool operator!=(const GreyImage &a, const GreyImage &b) { return !(a == b); }

private:
    // A roll's worth of the widest head with room to spare; a picture never needs more.
    static constexpr qint64 maxBytes = qint64(1) << 30;

    int m_width = 0;
    int m_height = 0;
    QByteArray m_bytes;
};

} // namespace Virtual
