// SPDX-License-Identifier: MIT
#include "virtual/pagemode.h"

#include <algorithm>

namespace Virtual {

namespace {
// The farthest the vertical position goes below an area's top; beyond the area nothing prints.
constexpr int farthest = 4 * PageMode::maxHeight;
} // namespace

PageMode::PageMode() : m_page(1), m_canvas(1) {}

void PageMode::enter(int headDots)
{
    m_active = true;
    m_page.reset(maxHeight, Paper::maxWidth);
    m_page.setWidth(headDots, 0);
    m_items.clear();
    m_bottom = 0;
    restartArea();
}

void PageMode::leave()
{
    m_active = false;
    m_setting = {};
    m_items.clear();
    m_bottom = 0;
    m_page.reset(1, 1);
    m_canvas.reset(1, 1);
}

void PageMode::reset()
{
    leave();
    m_direction = 0;
}

// The area as set, on the page as wide as it is now, and a blank canvas for it.
void PageMode::restartArea()
{
    m_area = m_setting.isNull() ? defaultArea() : m_setting.intersected(defaultArea());
    if (m_area.isEmpty())
        m_area = defaultArea();
    const bool across = m_direction == 0 || m_direction == 2;
    const int length = across ? m_area.width() : m_area.height();
    const int depth = across ? m_area.height() : m_area.width();
    m_canvas.reset(depth, length);
    m_baseline.reset();
}

QString PageMode::setArea(int x, int y, int dx, int dy, int headDots)
{
    if (dx == 0 || dy == 0)
        return QStringLiteral("an empty area; refused");
    if (x >= headDots || y >= maxHeight)
        return QStringLiteral("begins outside the page of %1 x %2 dots; refused")
            .arg(headDots)
            .arg(maxHeight);
    QString remark;
    if (x + dx > headDots || y + dy > maxHeight) {
        dx = std::min(dx, headDots - x);
        dy = std::min(dy, maxHeight - y);
        remark = QStringLiteral("beyond the page of %1 x %2 dots; clipped to %3 x %4")
                     .arg(headDots)
                     .arg(maxHeight)
                     .arg(dx)
                     .arg(dy);
    }
    if (m_active)
        commit();
    m_setting = QRect(x, y, dx, dy);
    if (m_active)
        restartArea();
    return remark;
}

void PageMode::setDirection(int direction)
{
    if (m_active)
        commit();
    m_direction = direction & 3;
    if (m_active)
        restartArea();
}

int PageMode::baselineFor(int ascent)
{
    if (!m_baseline)
        m_baseline = std::max(ascent - 1, 0);
    return *m_baseline;
}

QString PageMode::setVertical(int n)
{
    if (n >= m_canvas.maxLength())
        return QStringLiteral("beyond the area's %1 dots (ignored)").arg(m_canvas.maxLength());
    m_baseline = n;
    return {};
}

QString PageMode::moveVertical(int by)
{
    const int to = m_baseline.value_or(standardBaseline) + by;
    if (to < 0 || to >= m_canvas.maxLength())
        return QStringLiteral("outside the print area (ignored)");
    m_baseline = to;
    return {};
}

void PageMode::feed(int dots)
{
    m_baseline = std::min(m_baseline.value_or(standardBaseline) + std::max(dots, 0), farthest);
}

// A dot of the canvas on the page: the canvas's x runs along the lines, its y across them.
QPoint PageMode::toPage(int u, int v) const
{
    const QRect &a = m_area;
    switch (m_direction) {
    case 1: // bottom to top: the lines read upwards and follow one another to the right
        return {a.left() + v, a.bottom() - u};
    case 2: // right to left: upside down
        return {a.right() - u, a.bottom() - v};
    case 3: // top to bottom: the lines read downwards and follow one another to the left
        return {a.right() - v, a.top() + u};
    default:
        return {a.left() + u, a.top() + v};
    }
}

QRect PageMode::toPage(const QRect &onCanvas) const
{
    if (onCanvas.isEmpty())
        return {};
    const QPoint a = toPage(onCanvas.left(), onCanvas.top());
    const QPoint b = toPage(onCanvas.right(), onCanvas.bottom());
    const QRect turned(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                       QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    return turned.intersected(m_area);
}

void PageMode::add(Item item, const QRect &onCanvas)
{
    item.area = toPage(onCanvas);
    if (item.area.isEmpty())
        return;
    item.direction = m_direction;
    m_bottom = std::max(m_bottom, item.area.bottom() + 1);
    if (m_items.size() < std::size_t(maxItems))
        m_items.push_back(std::move(item));
}

void PageMode::addLine(const PrintedLine &line)
{
    if (line.cells.empty())
        return;
    int left = line.cells.front().x, right = left;
    for (const PrintedLine::Cell &cell : line.cells) {
        left = std::min(left, cell.x);
        right = std::max(right, cell.x + cell.width);
    }
    Item item;
    item.kind = Item::Kind::Line;
    item.line = line;
    if (m_direction == 0) { // as a line of the roll: its cells and spans where they are on paper
        for (PrintedLine::Cell &cell : item.line.cells)
            cell.x += m_area.left();
        for (PrintedLine::Span &span : item.line.spans)
            span.x += m_area.left();
    }
    add(std::move(item), QRect(left, line.top, right - left, line.height));
}

void PageMode::addSymbol(const QString &symbology, QByteArrayView data, const QString &content,
                         const QString &text, const QRect &onCanvas)
{
    Item item;
    item.kind = Item::Kind::Symbol;
    item.name = symbology;
    item.data = data.toByteArray();
    item.content = content;
    item.text = text;
    add(std::move(item), onCanvas);
}

void PageMode::addPicture(const QString &kind, const QRect &onCanvas)
{
    Item item;
    item.kind = Item::Kind::Picture;
    item.name = kind;
    add(std::move(item), onCanvas);
}

// Only the rows of the canvas's bands that hold dots, down to the last row printed, are looked
// at.
void PageMode::commit()
{
    if (m_canvas.allocatedBytes() == 0)
        return;
    const int length = m_canvas.width();
    const auto inked = [](std::uint8_t dot) { return dot != 0; };
    for (int v = 0; v < std::min(m_canvas.length(), m_canvas.maxLength()); ++v) {
        const std::uint8_t *dots = m_canvas.heldRow(v);
        for (const std::uint8_t *at = dots; dots && at != dots + length; ++at) {
            at = std::find_if(at, dots + length, inked);
            if (at == dots + length)
                break;
            const QPoint spot = toPage(int(at - dots), v);
            m_page.ink(spot.x(), spot.y(), *at);
        }
    }
    m_canvas.reset(m_canvas.maxLength(), length);
}

void PageMode::cancel()
{
    m_canvas.reset(m_canvas.maxLength(), m_canvas.width());
    for (int y = m_area.top(); y <= m_area.bottom(); ++y)
        m_page.erase(m_area.left(), y, m_area.width());
    std::erase_if(m_items, [this](const Item &item) { return item.area.intersects(m_area); });
    m_bottom = 0;
    for (const Item &item : m_items)
        m_bottom = std::max(m_bottom, item.area.bottom() + 1);
    m_baseline.reset();
}

int PageMode::printOnto(Paper &paper, int top)
{
    commit();
    const int width = std::min(m_page.width(), paper.width());
    for (int y = 0; y < m_bottom; ++y) {
        const std::uint8_t *dots = m_page.heldRow(y);
        if (!dots || std::all_of(dots, dots + width, [](std::uint8_t dot) { return dot == 0; }))
            continue;
        std::uint8_t *row = paper.printableRow(top + y);
        if (!row)
            break;
        for (int x = 0; x < width; ++x)
            row[x] = std::max(row[x], dots[x]);
    }
    return m_bottom;
}

} // namespace Virtual
