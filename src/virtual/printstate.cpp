// SPDX-License-Identifier: MIT
#include "virtual/printstate.h"

#include <algorithm>

namespace Virtual {

void PrintState::reset()
{
    *this = PrintState{};
    tabStopCount = StreamDecoder::maxTabStops;
    for (int i = 0; i < tabStopCount; ++i)
        tabStops[std::size_t(i)] = (i + 1) * 8 * FontSet::cellWidth(FontSet::Size::Standard);
}

std::uint8_t PrintState::inkFor(int darkness)
{
    return std::uint8_t(255 - (8 - std::clamp(darkness, 0, 8)) * 16);
}

// ESC l (millimetres) and GS L (dots) both move the left edge; ESC Q (millimetres from the
// left edge) and GS W (dots of width) both bound the area on the right.
int PrintState::areaLeft(int paperWidth) const
{
    if (pageMode)
        return 0;
    return std::min(leftMarginMm * Protocol::dotsPerMm + leftMarginDots, paperWidth - 1);
}

int PrintState::areaWidth(int paperWidth) const
{
    if (pageMode)
        return paperWidth;
    const int left = areaLeft(paperWidth);
    int right =
        rightEdgeMm == 0 ? paperWidth : std::min(rightEdgeMm * Protocol::dotsPerMm, paperWidth);
    if (areaWidthDots > 0)
        right = std::min(right, left + areaWidthDots);
    return std::max(right - left, 1);
}

int PrintState::place(int width, int align, int paperWidth) const
{
    const int room = areaWidth(paperWidth) - width;
    if (room <= 0)
        return areaLeft(paperWidth);
    return areaLeft(paperWidth) + (align == 1 ? room / 2 : align == 2 ? room : 0);
}

} // namespace Virtual
