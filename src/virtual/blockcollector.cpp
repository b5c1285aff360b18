// SPDX-License-Identifier: MIT
#include "virtual/blockcollector.h"

#include "virtual/paper.h"
#include "virtual/streamdecoder.h"

#include <algorithm>
#include <span>
#include <utility>

namespace Virtual {

void BlockCollector::begin(const Block &block)
{
    switch (block.kind) {
    case Kind::Store:
        m_collect.clear();
        break;
    case Kind::Qr:
        m_qrData.clear();
        break;
    case Kind::Pdf417:
        m_pdfData.clear();
        break;
    case Kind::Symbol:
        m_symbolData[std::size_t(block.place)].clear();
        break;
    default:
        break;
    }
    m_block = block;
}

void BlockCollector::beginGraphics(const Graphics &graphics)
{
    m_graphics = graphics;
    begin(Block{Kind::Graphics});
}

void BlockCollector::beginNvGraphics(int key, const Graphics &graphics)
{
    m_nvCollect = graphics;
    m_nvKey = key;
    begin(Block{Kind::Graphics});
}

void BlockCollector::reset()
{
    m_qrData.clear();
    m_pdfData.clear();
    for (QByteArray &data : m_symbolData)
        data.clear();
    m_graphics = Graphics{};
}

void BlockCollector::data(const Event &event)
{
    const auto *bytes = event.data.data();
    const auto count = qsizetype(event.data.size());
    switch (m_block.kind) {
    case Kind::Raster:
        drawBits(bytes, count, event.position, m_block);
        break;
    case Kind::Store:
        // Grows with the data that arrive, never ahead of them.
        m_collect.append(reinterpret_cast<const char *>(bytes), count);
        break;
    case Kind::Column:
        drawColumns(bytes, count, event.position, m_block);
        break;
    case Kind::Graphics:
        keepGraphics(event);
        break;
    case Kind::Pdf417:
        keep(m_pdfData, bytes, count, maxPdf417Data);
        break;
    case Kind::Qr:
        keep(m_qrData, bytes, count, maxQrData);
        break;
    case Kind::Symbol: {
        const auto which = std::size_t(m_block.place);
        keep(m_symbolData[which], bytes, count, maxSymbolData[which]);
        break;
    }
    case Kind::None:
        break;
    }
}

// Keeps what fits under limit bytes; the block overflows when something did not.
void BlockCollector::keep(QByteArray &target, const std::uint8_t *bytes, qsizetype count, int limit)
{
    const qsizetype room = limit - target.size();
    const qsizetype take = std::min(room, count);
    if (take > 0)
        target.append(reinterpret_cast<const char *>(bytes), take);
    if (take < count)
        m_block.overflow = true;
}

void BlockCollector::keepGraphics(const Event &event)
{
    // NV graphics begin with their colour byte, which is not part of the picture.
    QByteArray &target = m_nvKey >= 0 ? m_nvCollect.data : m_graphics.data;
    std::span<const std::uint8_t> data = event.data;
    if (m_nvKey >= 0 && event.position == 0 && !data.empty())
        data = data.subspan(1);
    keep(target, data.data(), qsizetype(data.size()), graphicsMemory);
}

BlockCollector::Ended BlockCollector::end(const Event &event)
{
    const Block block = std::exchange(m_block, Block{});
    switch (block.kind) {
    case Kind::Raster: {
        if (block.bytesPerRow == 0 || block.rows == 0)
            return {};
        const std::uint64_t rows = event.complete
                                       ? std::uint64_t(block.rows)
                                       : (event.position + std::uint64_t(block.bytesPerRow) - 1) /
                                             std::uint64_t(block.bytesPerRow);
        return {.feed = int(std::min<std::uint64_t>(rows * std::uint64_t(block.scaleY),
                                                    std::uint64_t(m_paper->maxLength())))};
    }
    case Kind::Store:
        if (!event.complete) {
            m_collect.clear();
            return {.note = QStringLiteral("the bitmap was cut short; not stored")};
        }
        m_stored[block.place] = StoredBitmap{block.bytesPerRow, block.rows, block.align, m_collect};
        m_collect.clear();
        return {};
    case Kind::Qr:
        if (block.overflow)
            return {.note = QStringLiteral("more than a QR code holds; kept the first %1 bytes")
                                .arg(maxQrData)};
        return {};
    case Kind::Column:
        // The stripe stays on the line: the line feed after it moves the paper on.
        m_paper->extendTo(block.y + 8 * block.bytesPerRow * block.scaleY);
        return {.rowHeight = 8 * block.bytesPerRow * block.scaleY};
    case Kind::Graphics:
        return endGraphics(event, block);
    case Kind::Pdf417:
        if (block.overflow)
            return {.note =
                        QStringLiteral("more than a PDF417 symbol holds; kept the first %1 bytes")
                            .arg(maxPdf417Data)};
        return {};
    case Kind::Symbol:
        if (block.overflow)
            return {.note = QStringLiteral("more than the symbol holds; kept the first %1 bytes")
                                .arg(maxSymbolData[std::size_t(block.place)])};
        return {};
    case Kind::None:
        break;
    }
    return {};
}

BlockCollector::Ended BlockCollector::endGraphics(const Event &event, const Block &block)
{
    const int key = std::exchange(m_nvKey, -1);
    Graphics &graphics = key >= 0 ? m_nvCollect : m_graphics;
    if (!event.complete || block.overflow) {
        graphics = Graphics{};
        return {.note = !event.complete
                            ? QStringLiteral("the graphics were cut short; not kept")
                            : QStringLiteral("more than the graphics memory (%1 bytes); not kept")
                                  .arg(graphicsMemory)};
    }
    if (key >= 0)
        m_nvGraphics[key] = std::exchange(m_nvCollect, Graphics{});
    return {.graphics = key < 0};
}

int BlockCollector::bitmapRoom(int place) const
{
    int total = 0;
    for (const auto &[at, bitmap] : m_stored) {
        if (at != place)
            total += int(bitmap.data.size());
    }
    return bitmapMemory - total;
}

bool BlockCollector::nvGraphicsFit(int key, std::uint64_t size) const
{
    int total = 0;
    for (const auto &[at, graphics] : m_nvGraphics) {
        if (at != key)
            total += int(graphics.data.size());
    }
    return total + size <= std::uint64_t(graphicsMemory);
}

const BlockCollector::StoredBitmap *BlockCollector::stored(int place) const
{
    const auto found = m_stored.find(place);
    return found == m_stored.end() ? nullptr : &found->second;
}

BlockCollector::Graphics BlockCollector::takeGraphics()
{
    return std::exchange(m_graphics, Graphics{});
}

const BlockCollector::Graphics *BlockCollector::nvGraphics(int key) const
{
    const auto found = m_nvGraphics.find(key);
    return found == m_nvGraphics.end() ? nullptr : &found->second;
}

namespace {
// A row's bytes of a raster picture onto a dot row of the paper, the first byte's dots from x.
void inkBytes(std::uint8_t *dots, int paperWidth, std::span<const std::uint8_t> bytes, int x,
              const BlockCollector::Block &block)
{
    for (const std::uint8_t byte : bytes) {
        for (int bit = 0; bit < 8 && byte != 0; ++bit) {
            if (!(byte & (0x80 >> bit)))
                continue;
            const int left = std::max(x + bit * block.scaleX, 0);
            const int right = std::min(x + (bit + 1) * block.scaleX, paperWidth);
            for (int px = left; px < right; ++px)
                dots[px] = std::max(dots[px], block.ink);
        }
        x += 8 * block.scaleX;
    }
}
} // namespace

void BlockCollector::drawBits(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                              const Block &block)
{
    // Once the roll has run out below the picture's top nothing more reaches it.
    const bool rollUsedUp = m_paper->ranOut() && block.y >= m_paper->endRow();
    if (block.bytesPerRow == 0 || count <= 0 || rollUsedUp)
        return;
    const auto perRow = std::uint64_t(block.bytesPerRow);
    const int paperWidth = m_paper->width();
    const int endRow = m_paper->endRow();
    // Bytes whose dots would all fall beyond the paper's right edge are never looked at.
    const int byteWidth = 8 * block.scaleX;
    const std::uint64_t onPaper =
        block.x >= paperWidth
            ? 0
            : std::min<std::uint64_t>(
                  perRow, (std::uint64_t(paperWidth - block.x) + std::uint64_t(byteWidth) - 1) /
                              std::uint64_t(byteWidth));
    const std::uint64_t end = position + std::uint64_t(count);
    const std::uint64_t lastRow = std::min((end - 1) / perRow, std::uint64_t(block.rows) - 1);
    for (std::uint64_t row = position / perRow; row <= lastRow && block.rows > 0; ++row) {
        const std::uint64_t rowStart = row * perRow;
        const std::uint64_t from = std::max(rowStart, position);
        const std::uint64_t to = std::min(rowStart + onPaper, end);
        if (from >= to)
            continue;
        const std::uint8_t *first = bytes + (from - position);
        const std::uint8_t *last = bytes + (to - position);
        if (std::all_of(first, last, [](std::uint8_t byte) { return byte == 0; }))
            continue;
        // Rows above the paper's top (a picture standing on a page's baseline near its top)
        // are cut off.
        const std::int64_t y = std::int64_t(block.y) + std::int64_t(row) * block.scaleY;
        if (y + block.scaleY <= 0)
            continue;
        if (y >= endRow) {
            // The roll is used up once a dot would go beyond it; what follows is lost.
            m_paper->extendTo(endRow + 1);
            return;
        }
        for (int dy = 0; dy < block.scaleY; ++dy) {
            std::uint8_t *dots = m_paper->printableRow(int(y) + dy);
            if (!dots)
                continue;
            inkBytes(dots, paperWidth, {first, last}, block.x + int(from - rowStart) * byteWidth,
                     block);
        }
    }
}

void BlockCollector::drawColumns(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                                 const Block &block)
{
    const auto perColumn = std::uint64_t(block.bytesPerRow);
    const int paperWidth = m_paper->width();
    for (qsizetype i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == 0)
            continue;
        const std::uint64_t index = position + std::uint64_t(i);
        const std::uint64_t column = index / perColumn;
        const int x = block.x + int(std::min<std::uint64_t>(column, 65535)) * block.scaleX;
        if (x >= paperWidth)
            continue;
        const int top = block.y + int(index % perColumn) * 8 * block.scaleY;
        for (int bit = 0; bit < 8; ++bit) {
            if (!(byte & (0x80 >> bit)))
                continue;
            for (int dy = 0; dy < block.scaleY; ++dy)
                m_paper->inkSpan(x, top + bit * block.scaleY + dy,
                                 std::min(block.scaleX, paperWidth - x), block.ink);
        }
    }
}

} // namespace Virtual
