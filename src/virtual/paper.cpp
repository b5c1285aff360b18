// SPDX-License-Identifier: MIT
#include "virtual/paper.h"

#include <algorithm>
#include <cstring>

namespace Virtual {

Paper::Paper(int maxLength) : m_maxLength(std::max(1, maxLength)) {}

Paper::~Paper() = default;

void Paper::setWidth(int width, int fromRow)
{
    width = std::clamp(width, 1, maxWidth);
    fromRow = std::clamp(fromRow, 0, m_maxLength);
    m_width = width;
    m_widest = std::max(m_widest, width);
    // Rows only grow; a change on the row of the last one replaces it, so the list cannot
    // outgrow the roll.
    WidthChange &last = m_widths.back();
    if (last.width == width)
        return;
    if (last.fromRow < fromRow) {
        m_widths.push_back({fromRow, width});
        return;
    }
    last.width = width;
    if (m_widths.size() > 1 && m_widths[m_widths.size() - 2].width == width)
        m_widths.pop_back();
}

std::uint8_t *Paper::row(int y)
{
    const std::size_t band = std::size_t(y / bandRows);
    if (band >= m_bands.size())
        m_bands.resize(band + 1);
    if (!m_bands[band]) {
        m_bands[band] = std::make_unique<std::uint8_t[]>(std::size_t(bandRows) * maxWidth);
        m_allocated += std::size_t(bandRows) * maxWidth;
    }
    return m_bands[band].get() + std::size_t(y % bandRows) * maxWidth;
}

std::uint8_t *Paper::printableRow(int y)
{
    if (y < 0)
        return nullptr;
    if (y >= m_maxLength) {
        m_ranOut = true;
        return nullptr;
    }
    m_length = std::max(m_length, y + 1);
    return row(y);
}

void Paper::ink(int x, int y, std::uint8_t level)
{
    if (x < 0 || x >= m_width || y < 0)
        return;
    if (y >= m_maxLength) {
        m_ranOut = true;
        return;
    }
    std::uint8_t &dot = row(y)[x];
    dot = std::max(dot, level);
    m_length = std::max(m_length, y + 1);
}

void Paper::inkSpan(int x, int y, int count, std::uint8_t level)
{
    const int from = std::max(x, 0);
    const int to = std::min(x + count, m_width);
    if (from >= to || y < 0)
        return;
    if (y >= m_maxLength) {
        m_ranOut = true;
        return;
    }
    std::uint8_t *dots = row(y);
    for (int i = from; i < to; ++i)
        dots[i] = std::max(dots[i], level);
    m_length = std::max(m_length, y + 1);
}

std::uint8_t Paper::at(int x, int y) const
{
    if (x < 0 || x >= maxWidth || y < 0 || y >= m_maxLength)
        return 0;
    const std::size_t band = std::size_t(y / bandRows);
    if (band >= m_bands.size() || !m_bands[band])
        return 0;
    return m_bands[band][std::size_t(y % bandRows) * maxWidth + std::size_t(x)];
}

void Paper::extendTo(int rows)
{
    if (rows > m_maxLength) {
        m_ranOut = true;
        rows = m_maxLength;
    }
    m_length = std::max(m_length, rows);
}

QImage Paper::image(int fromRow, int toRow) const
{
    fromRow = std::clamp(fromRow, 0, m_maxLength);
    const int height = std::max(1, std::min(toRow, m_maxLength) - fromRow);
    QImage image(m_widest, height, QImage::Format_Grayscale8);
    if (image.isNull())
        return image;
    image.fill(255);
    for (int i = 0; i < height; ++i) {
        const int y = fromRow + i;
        const std::size_t band = std::size_t(y / bandRows);
        if (band >= m_bands.size() || !m_bands[band])
            continue;
        const std::uint8_t *dots = m_bands[band].get() + std::size_t(y % bandRows) * maxWidth;
        std::uint8_t *pixels = image.scanLine(i);
        for (int x = 0; x < m_widest; ++x)
            pixels[x] = std::uint8_t(255 - dots[x]);
    }
    for (std::size_t i = 0; i < m_widths.size(); ++i) {
        const int width = m_widths[i].width;
        if (width >= m_widest)
            continue;
        const int from = std::max(m_widths[i].fromRow, fromRow);
        const int to = std::min(i + 1 < m_widths.size() ? m_widths[i + 1].fromRow : m_maxLength,
                                fromRow + height);
        for (int y = from; y < to; ++y)
            std::memset(image.scanLine(y - fromRow) + width, 0xC0, std::size_t(m_widest - width));
    }
    return image;
}

} // namespace Virtual
