// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/renderer.h"

#include <QImage>
#include <QJsonObject>
#include <QRect>

#include <vector>

// What the tests read off the virtual paper, as a person holding it would: where the ink is,
// and what a barcode scanner (zbar) makes of the symbols on it.
namespace PaperReader {

struct Rendered
{
    QImage paper;
    QByteArray trace;
    std::vector<Virtual::PrintedLine> lines;
    bool ranOut = false;
    std::size_t allocatedBytes = 0;
    QJsonObject receipts; // what the controller says it printed, receipt by receipt
};

// Renders a stream fed in one piece, or cut before each offset of `cuts` (ascending), with the
// system's fonts or `fonts`.
Rendered render(QByteArrayView stream, int headType = 0,
                int maxLength = Virtual::Paper::defaultMaxLength, const QList<qsizetype> &cuts = {},
                const Virtual::FontSet *fonts = nullptr);

struct Symbol
{
    QString type;
    QByteArray data;
};
// Every symbol zbar finds. The paper is laid on white first (the roll's edges beyond the print
// area are blank paper), so symbols printed at the edge keep their quiet zone. With
// `upcAsEan13` a UPC-A is reported as the EAN-13 it also is.
QList<Symbol> scan(const QImage &paper, bool upcAsEan13 = false);

// Every PDF417, DataMatrix, Aztec and MaxiCode symbol zxing-cpp finds (zbar reads none of
// them), its type as zxing names it.
QList<Symbol> scanMatrix(const QImage &paper);

// The smallest rectangle holding every dot that is not white, within `area` (the whole paper
// when empty); an empty rectangle when there is none.
QRect inkBounds(const QImage &paper, const QRect &area = {});
int inkDots(const QImage &paper, const QRect &area);

} // namespace PaperReader
