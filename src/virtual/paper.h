// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/greyimage.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace Virtual {

// The paper roll: dot rows of at most 576 dots, each dot a darkness from 0 (white) to 255.
// Storage comes in bands of 64 rows, made when the first dot of a band is printed; feeding
// blank paper costs nothing, and no size announced by a command allocates anything.
//
// The roll has a maximum length (maxLength rows, 100 000 by default: 12.5 m at 8 dots per mm).
// Whatever would be printed beyond it is lost, as on a printer whose paper has run out. An
// endless roll (a controller that prints for hours) holds only its last maxLength rows: as it
// grows beyond them, the oldest bands are let go and read as blank, and it ends only at
// endlessRows. The receipt under way (from keepFrom()) stays whole, up to defaultMaxLength rows.
//
// A page of page mode is a Paper too, turned as its print direction has it: reset() gives it
// rows longer than a head's where the page is turned a quarter.
class Paper
{
public:
    static constexpr int maxWidth = 576;
    static constexpr int defaultMaxLength = 100000;
    static constexpr int bandRows = 64;
    static constexpr int endlessRows = 1 << 30;

    explicit Paper(int maxLength = defaultMaxLength, bool endless = false);
    Paper(const Paper &) = delete;
    Paper &operator=(const Paper &) = delete;
    ~Paper();

    // Blank again, not endless, maxLength rows of rowDots dots, all of them printable.
    void reset(int maxLength, int rowDots);

    int maxLength() const { return m_maxLength; }
    // Where the roll ends: the row after its last.
    int endRow() const { return m_endless ? endlessRows : m_maxLength; }
    bool isEndless() const { return m_endless; }
    // The first row still held; the rows before it were let go.
    int firstRow() const { return m_firstBand * bandRows; }
    // The rows from `row` on are wanted whole (a receipt begins there).
    void keepFrom(int row) { m_keepFrom = row; }
    // The head's width from row `fromRow` on (ESC Z may change heads in the middle of a roll).
    void setWidth(int width, int fromRow);
    int width() const { return m_width; }
    int widestWidth() const { return m_widest; }

    // Prints a dot: the darker of what is there and `level` stays. Outside the roll: nothing.
    void ink(int x, int y, std::uint8_t level);
    void inkSpan(int x, int y, int count, std::uint8_t level);
    // Makes count dots of row y white again.
    void erase(int x, int y, int count);
    std::uint8_t at(int x, int y) const;
    // The dots of row y for printing, width() of them, or null outside the roll. Printing
    // through it counts the row as reached.
    std::uint8_t *printableRow(int y);

    // Rows of the roll that have been reached by printing or feeding.
    int length() const { return m_length; }
    void extendTo(int rows);
    bool ranOut() const { return m_ranOut; }

    // White paper, one pixel per dot, as wide as the widest head used; rows printed while a
    // narrower head was fitted show grey beyond its edge. All the rows held.
    GreyImage image() const { return image(firstRow(), m_length); }
    // Rows fromRow to toRow (not included) of it, for a view of a long roll or a piece cut off.
    GreyImage image(int fromRow, int toRow) const;

    std::size_t allocatedBytes() const { return m_allocated; }
    // The dots of row y where its band holds dots, else null.
    const std::uint8_t *heldRow(int y) const;

private:
    std::uint8_t *row(int y);
    std::size_t rowBytes() const { return std::size_t(m_rowDots); }
    bool reaches(int y);
    void letGoBefore(int band);

    int m_maxLength;
    int m_rowDots = maxWidth; // the widest a row can be
    bool m_endless;
    int m_firstBand = 0;
    int m_keepFrom = 0;
    int m_width = 384;
    int m_widest = 384;
    int m_length = 0;
    bool m_ranOut = false;
    std::deque<std::unique_ptr<std::uint8_t[]>> m_bands; // from m_firstBand on
    std::size_t m_allocated = 0;
    struct WidthChange
    {
        int fromRow;
        int width;
    };
    std::vector<WidthChange> m_widths{{0, 384}};
};

} // namespace Virtual
