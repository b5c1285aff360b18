// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

namespace Virtual {

struct PrintedLine;

// What the controller printed on one receipt (the paper between two cuts, or up to the end of a
// job without one), as data: the head's width, each text line with its spans and styles, each
// barcode and 2D symbol with its data, each picture's place and size, the cut, drawer kicks and
// the buzzer, the commands skipped or not understood, where the bytes came from and when.
// Positions are dots from the receipt's top left corner, as in its picture. What a page of page
// mode held says its print direction (ESC T, 0-3). toJson() writes the document
// docs/receipt.schema.json describes.
class ReceiptRecord
{
public:
    static constexpr int formatVersion = 1;
    // Entries a list keeps; more are counted, not kept, so a receipt of megabytes of unknown
    // bytes stays small.
    static constexpr int maxEntries = 10000;

    enum class Cut : std::uint8_t { None, Full, Partial };

    explicit ReceiptRecord(int headDots = 384, int fromRow = 0);

    void addLine(const PrintedLine &line);
    // A line of a page printed in `direction` (0-3) at `area` on the paper; its cells and spans
    // as they were before the page was turned (x along the line), in direction 0 on the paper.
    void addPageLine(const PrintedLine &line, const QRect &area, int direction);
    // A symbol: its data as sent, what a scanner reads off it (the data themselves when empty),
    // and for barcodes the human-readable line.
    void addSymbol(const QString &symbology, QByteArrayView data, const QString &content,
                   const QString &text, const QRect &area, int direction = -1);
    void addPicture(const QString &kind, const QRect &area, int direction = -1);
    void addDrawerKick(std::uint64_t offset, int pin, int onMs, int offMs);
    void addBuzzer(std::uint64_t offset);
    void addSkipped(std::uint64_t offset, const QString &command, QByteArrayView bytes,
                    const QString &reason);

    void setHeadDots(int dots) { m_headDots = dots; }
    void setSource(const QString &kind, const QString &address);
    void setStarted(const QDateTime &when) { m_started = when; }
    void setEnded(const QDateTime &when) { m_ended = when; }
    // The receipt ends at row toRow (not included), cut or not.
    void end(int toRow, Cut cut);

    bool isEmpty() const;
    bool hasStarted() const { return m_started.isValid(); }
    int fromRow() const { return m_fromRow; }
    int toRow() const { return m_toRow; }
    Cut cut() const { return m_cut; }

    QJsonObject toJson() const;
    // The receipts of a whole roll: {"version": ..., "receipts": [...]}.
    static QJsonObject rollJson(const std::vector<ReceiptRecord> &receipts);

private:
    void append(QJsonArray &list, const QJsonObject &entry);
    QJsonObject area(const QRect &rect) const;
    QJsonObject lineEntry(const PrintedLine &line) const;

    int m_headDots;
    int m_fromRow;
    int m_toRow;
    Cut m_cut = Cut::None;
    QString m_sourceKind;
    QString m_sourceAddress;
    QDateTime m_started;
    QDateTime m_ended;
    QJsonArray m_lines;
    QJsonArray m_symbols;
    QJsonArray m_pictures;
    QJsonArray m_drawerKicks;
    QJsonArray m_buzzer;
    QJsonArray m_skipped;
    int m_dropped = 0;
};

} // namespace Virtual
