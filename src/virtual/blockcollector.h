// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

namespace Virtual {

class Paper;
struct Event;

// The data blocks of pictures and symbols as they arrive: raster pictures (GS v 0) and column
// stripes (ESC *) go onto the paper piece by piece, bitmaps to store (GS *), QR and PDF417
// data and graphics (GS ( L, GS 8 L) are kept up to what their memory holds. A command begins
// a block, its data follow, and the block's end says whether it was complete.
class BlockCollector
{
public:
    static constexpr int graphicsMemory = 512 * 1024; // bytes for GS ( L / GS 8 L graphics
    static constexpr int maxPdf417Data = 2710;        // the most a PDF417 symbol holds
    static constexpr int bitmapMemory = 128 * 1024;   // bytes for the stored bitmaps (GS q)
    static constexpr int maxQrData = 7089;            // the most a QR code holds
    // The most a MaxiCode, an Aztec and a DataMatrix symbol hold, in bytes.
    static constexpr std::array<int, 3> maxSymbolData{138, 1914, 1556};

    // Symbol: MaxiCode, Aztec or DataMatrix data, the block's `place` saying which (0-2).
    enum class Kind : std::uint8_t { None, Raster, Store, Qr, Column, Graphics, Pdf417, Symbol };
    struct Block
    {
        Kind kind = Kind::None;
        int x = 0;
        int y = 0;
        int bytesPerRow = 0;
        int rows = 0;
        int scaleX = 1;
        int scaleY = 1;
        std::uint8_t ink = 0;
        int place = 0;
        int align = 0;
        bool overflow = false;
    };
    struct StoredBitmap
    {
        int bytesPerRow = 0;
        int rows = 0;
        int align = 0;
        QByteArray data;
    };
    struct Graphics
    {
        int width = 0; // dots
        int rows = 0;
        int scaleX = 1;
        int scaleY = 1;
        QByteArray data;
    };
    // What the end of a block leaves for the paper.
    struct Ended
    {
        QString note{};            // for the trace, when the block could not be kept
        std::optional<int> feed{}; // dots the paper moves on, after a raster picture
        int rowHeight = 0;         // dots a column stripe took on the current line
        bool graphics = false;     // graphics for the print buffer came whole
    };

    explicit BlockCollector(Paper &paper) : m_paper(&paper) {}
    BlockCollector(const BlockCollector &) = delete;
    BlockCollector &operator=(const BlockCollector &) = delete;

    // Where pictures go from now on: the roll, or the page of page mode.
    void setPaper(Paper &paper) { m_paper = &paper; }

    // Begins a block; the data kept for a bitmap to store, a QR code or a PDF417 symbol start
    // empty.
    void begin(const Block &block);
    // Graphics for the print buffer, or NV graphics under key, of the announced size.
    void beginGraphics(const Graphics &graphics);
    void beginNvGraphics(int key, const Graphics &graphics);
    // ESC @: the QR and PDF417 data and the graphics buffer go; stored bitmaps and NV graphics
    // stay.
    void reset();

    void data(const Event &event);
    Ended end(const Event &event);

    // Bytes free for a bitmap stored at place, counting the one it would replace as free.
    int bitmapRoom(int place) const;
    bool nvGraphicsFit(int key, std::uint64_t size) const;

    const QByteArray &qrData() const { return m_qrData; }
    const QByteArray &pdfData() const { return m_pdfData; }
    const QByteArray &symbolData(int which) const { return m_symbolData[std::size_t(which)]; }
    const StoredBitmap *stored(int place) const;
    const Graphics &graphics() const { return m_graphics; }
    Graphics takeGraphics();
    const Graphics *nvGraphics(int key) const;

    // Draws count bytes of a raster picture, from byte position of its data on.
    void drawBits(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                  const Block &block);

private:
    void keep(QByteArray &target, const std::uint8_t *bytes, qsizetype count, int limit);
    void keepGraphics(const Event &event);
    void drawColumns(const std::uint8_t *bytes, qsizetype count, std::uint64_t position,
                     const Block &block);
    Ended endGraphics(const Event &event, const Block &block);

    Paper *m_paper;
    Block m_block;
    QByteArray m_collect; // a bitmap to store while it arrives
    QByteArray m_qrData;
    QByteArray m_pdfData;
    std::array<QByteArray, 3> m_symbolData; // MaxiCode, Aztec, DataMatrix
    Graphics m_graphics;                    // GS ( L function 112, printed by function 50
    std::map<int, Graphics> m_nvGraphics;   // GS ( L function 67 by key, printed by function 69
    Graphics m_nvCollect;
    int m_nvKey = -1;
    std::map<int, StoredBitmap> m_stored;
};

} // namespace Virtual
