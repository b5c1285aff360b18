// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/linelayout.h"
#include "virtual/paper.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace Virtual {

// The page of page mode (ESC L), as common printers keep it: an image as wide as the head and
// at most maxHeight dots long, where text, barcodes, symbols and pictures are put at a print
// position instead of printing line by line, and that goes onto the paper at once (FF, ESC FF).
//
// Inside the page a print area (ESC W, at most the page) takes what comes, in a print direction
// (ESC T): 0 left to right from the area's top left corner, 1 bottom to top from its bottom
// left, 2 right to left (upside down) from its bottom right, 3 top to bottom from its top
// right. What is put goes onto the canvas, the area turned so that its lines run left to right
// and follow one another downwards; when the area or the direction changes, or the page prints,
// the canvas is turned back onto the page. The print position is the line's x on the canvas
// (the renderer's line layout keeps it) and the vertical position, the dot row that characters
// stand on and that pictures and symbols end on, as common printers count it.
//
// Nothing is allocated for a size a command announces: the page and the canvas are Papers,
// bands of rows made where dots are printed, and an area is clipped to the page.
class PageMode
{
public:
    static constexpr int maxHeight = 3200; // dots (400 mm): the longest page
    // A line of standard characters (24 rows) at the area's top stands on its row 20.
    static constexpr int standardBaseline = 20;
    static constexpr int maxItems = 4096; // lines, symbols and pictures a page remembers

    // What was put on the page, for the receipt's record once the page prints: a line as it is
    // on the canvas, a symbol or a picture, each with its place on the page as printed.
    struct Item
    {
        enum class Kind : std::uint8_t { Line, Symbol, Picture };
        Kind kind = Kind::Line;
        QRect area;    // on the page, turned as printed
        int direction; // ESC T's 0-3 when it was put
        PrintedLine line;
        QString name; // the symbology, or the kind of picture
        QByteArray data;
        QString content;
        QString text;
    };

    PageMode();
    PageMode(const PageMode &) = delete;
    PageMode &operator=(const PageMode &) = delete;

    bool active() const { return m_active; }
    // ESC L: an empty page as wide as the head, its area the one ESC W set (or the whole page).
    void enter(int headDots);
    // ESC S, FF after printing, ESC @: the page is dropped, and the area set goes back to the
    // whole page (ESC @ also the direction).
    void leave();
    void reset();

    // ESC W: the area's corner and size on a page headDots wide; clipped to the page, refused
    // when empty or outside it. A remark when not taken as sent. In page mode the area begins
    // anew, its print position at its start.
    QString setArea(int x, int y, int dx, int dy, int headDots);
    // ESC T: 0-3. In page mode the position goes to the start of the area in that direction.
    void setDirection(int direction);
    int direction() const { return m_direction; }

    // Where lines and pictures go in page mode, and its width: the area's length in the
    // direction of the lines.
    Paper &canvas() { return m_canvas; }
    int canvasWidth() const { return m_canvas.width(); }

    // The vertical position for something whose `ascent` rows stand on it (a picture's all of
    // them): until the position is set, the first thing put begins at the area's top.
    int baselineFor(int ascent);
    // GS $ n and GS \ n: a remark when the position would leave the area (then it stays).
    QString setVertical(int n);
    QString moveVertical(int by);
    // LF, ESC J, ESC d: the position moves down the area by `dots`.
    void feed(int dots);

    // What was put, its place given on the canvas. A line keeps its cells and spans as they are
    // on the canvas, in direction 0 where they are on the paper.
    void addLine(const PrintedLine &line);
    void addSymbol(const QString &symbology, QByteArrayView data, const QString &content,
                   const QString &text, const QRect &onCanvas);
    void addPicture(const QString &kind, const QRect &onCanvas);

    // CAN: the area's dots and what was put in it go; the position goes to the area's start.
    void cancel();
    // The canvas turned onto the page; then the page's rows down to the lowest thing put
    // (blank characters count) printed on `paper` from row `top`. Returns how many rows.
    int printOnto(Paper &paper, int top);
    const std::vector<Item> &items() const { return m_items; }
    // Whether anything was put on the page since it began.
    bool hasData() const { return m_bottom > 0 || m_canvas.allocatedBytes() > 0; }

private:
    QRect defaultArea() const { return {0, 0, m_page.width(), maxHeight}; }
    void restartArea();
    void commit();
    QPoint toPage(int u, int v) const;
    QRect toPage(const QRect &onCanvas) const;
    void add(Item item, const QRect &onCanvas);

    bool m_active = false;
    int m_direction = 0;
    QRect m_setting; // ESC W's area; null: the whole page
    QRect m_area;    // the area on the page
    std::optional<int> m_baseline;
    int m_bottom = 0; // rows of the page down to the lowest thing put
    Paper m_page;
    Paper m_canvas;
    std::vector<Item> m_items;
};

} // namespace Virtual
