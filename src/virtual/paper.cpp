// SPDX-License-Identifier: MIT
#include "virtual/paper.h"

#include <algorithm>
#include <cstring>

namespace Virtual {

Paper::Paper(int maxLength, bool endless) : m_maxLength(std::max(1, maxLength)), m_endless(endless)
{}

Paper::~Paper() = default;

void Paper::reset(int maxLength, int rowDots)
{
    m_maxLength = std::max(1, maxLength);
    m_rowDots = std::max(1, rowDots);
    m_endless = false;
    m_firstBand = 0;
    m_keepFrom = 0;
    m_width = m_widest = m_rowDots;
    m_widths = {{0, m_rowDots}};
    m_length = 0;
    m_ranOut = false;
    m_bands.clear();
    m_allocated = 0;
}

void Paper::setWidth(int width, int fromRow)
{
    width = std::clamp(width, 1, m_rowDots);
    fromRow = std::clamp(fromRow, 0, endRow());
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

// Whether row y is on the roll; the roll runs out below its end, and an endless one lets its
// oldest rows go to hold y.
bool Paper::reaches(int y)
{
    if (y < firstRow())
        return false;
    if (y >= endRow()) {
        m_ranOut = true;
        return false;
    }
    if (y - firstRow() >= m_maxLength) {
        int band = (y - m_maxLength) / bandRows + 1;
        // The receipt under way stays whole, up to a default roll's worth of rows.
        const int keepBand = m_keepFrom / bandRows;
        if (band > keepBand && y - keepBand * bandRows < defaultMaxLength)
            band = keepBand;
        if (band > m_firstBand)
            letGoBefore(band);
    }
    m_length = std::max(m_length, y + 1);
    return true;
}

void Paper::letGoBefore(int band)
{
    const std::size_t gone = std::min(std::size_t(band - m_firstBand), m_bands.size());
    for (std::size_t i = 0; i < gone; ++i) {
        if (m_bands.front())
            m_allocated -= std::size_t(bandRows) * rowBytes();
        m_bands.pop_front();
    }
    m_firstBand = band;
    // The width of the first row held is all that is still wanted of the changes before it.
    while (m_widths.size() > 1 && m_widths[1].fromRow <= firstRow())
        m_widths.erase(m_widths.begin());
}

std::uint8_t *Paper::row(int y)
{
    const std::size_t band = std::size_t(y / bandRows - m_firstBand);
    if (band >= m_bands.size())
        m_bands.resize(band + 1);
    if (!m_bands[band]) {
        m_bands[band] = std::make_unique<std::uint8_t[]>(std::size_t(bandRows) * rowBytes());
        m_allocated += std::size_t(bandRows) * rowBytes();
    }
    return m_bands[band].get() + std::size_t(y % bandRows) * rowBytes();
}

const std::uint8_t *Paper::heldRow(int y) const
{
    if (y < firstRow() || y >= endRow())
        return nullptr;
    const std::size_t band = std::size_t(y / bandRows - m_firstBand);
    if (band >= m_bands.size() || !m_bands[band])
        return nullptr;
    return m_bands[band].get() + std::size_t(y % bandRows) * rowBytes();
}

std::uint8_t *Paper::printableRow(int y)
{
    return reaches(y) ? row(y) : nullptr;
}

void Paper::ink(int x, int y, std::uint8_t level)
{
    if (x < 0 || x >= m_width || !reaches(y))
        return;
    std::uint8_t &dot = row(y)[x];
    dot = std::max(dot, level);
}

void Paper::inkSpan(int x, int y, int count, std::uint8_t level)
{
    const int from = std::max(x, 0);
    const int to = std::min(x + count, m_width);
    if (from >= to || !reaches(y))
        return;
    std::uint8_t *dots = row(y);
    for (int i = from; i < to; ++i)
        dots[i] = std::max(dots[i], level);
}

void Paper::erase(int x, int y, int count)
{
    const int from = std::max(x, 0);
    const int to = std::min(x + count, m_rowDots);
    if (from < to && heldRow(y))
        std::fill(row(y) + from, row(y) + to, std::uint8_t(0));
}

std::uint8_t Paper::at(int x, int y) const
{
    const std::uint8_t *dots = x >= 0 && x < m_rowDots ? heldRow(y) : nullptr;
    return dots ? dots[x] : 0;
}

void Paper::extendTo(int rows)
{
    if (rows > endRow()) {
        m_ranOut = true;
        rows = endRow();
    }
    if (rows > m_length)
        reaches(rows - 1);
}

GreyImage Paper::image(int fromRow, int toRow) const
{
    fromRow = std::clamp(fromRow, 0, endRow());
    // No more than the roll holds, however many rows are asked for.
    const int height = std::clamp(std::min(toRow, endRow()) - fromRow, 1, m_maxLength);
    GreyImage image(m_widest, height);
    if (image.isNull())
        return image;
    for (int i = 0; i < height; ++i) {
        const std::uint8_t *dots = heldRow(fromRow + i);
        if (!dots)
            continue;
        // White is 255 less the darkness: the dots' bits inverted, eight at a time.
        std::uint8_t *pixels = image.scanLine(i);
        int x = 0;
        for (; x + 8 <= m_widest; x += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, dots + x, 8);
            eight = ~eight;
            std::memcpy(pixels + x, &eight, 8);
        }
        for (; x < m_widest; ++x)
            pixels[x] = std::uint8_t(255 - dots[x]);
    }
    for (std::size_t i = 0; i < m_widths.size(); ++i) {
        const int width = m_widths[i].width;
        if (width >= m_widest)
            continue;
        const int from = std::max(m_widths[i].fromRow, fromRow);
        const int to = std::min(i + 1 < m_widths.size() ? m_widths[i + 1].fromRow : endRow(),
                                fromRow + height);
        for (int y = from; y < to; ++y)
            std::memset(image.scanLine(y - fromRow) + width, 0xC0, std::size_t(m_widest - width));
    }
    return image;
}

} // namespace Virtual
