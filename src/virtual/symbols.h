// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/values.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace Virtual {

// A barcode or QR symbol as a matrix of modules, made by libzint.
struct Symbol
{
    bool ok = false;
    QString error; // why there is no symbol
    int columns = 0;
    int rows = 0;
    std::vector<std::uint8_t> modules; // rows x columns, 1 = a dark module
    QString text;                      // the human-readable line, check digits included

    bool dark(int column, int row) const
    {
        return modules[std::size_t(row) * std::size_t(columns) + std::size_t(column)] != 0;
    }
};

// The barcode systems of GS k m (src/protocol).
using BarcodeSystem = Protocol::BarcodeSystem;
using Protocol::barcodeSystems;

QString barcodeName(BarcodeSystem system);

// Encodes barcode data as the controller takes it:
//  - UPC-A 11 digits, EAN-13 12, EAN-8 7 and UPC-E 6 (number system 0) or 7 get their check
//    digit; with the check digit given (12, 13, 8, 8 digits) it must be right;
//  - Code 39 takes 0-9 A-Z space $ % + - . / with or without its * start and stop;
//  - ITF an even number of digits; Codabar 0-9 - $ : / . + between the start and stop
//    characters A-D (either case), which the data must carry;
//  - Code 93 any ASCII; Code 128 any ASCII, or data in the ESC/POS form that begins with a code
//    set selection "{A", "{B" or "{C" (in set C each byte is a pair of digits 0-99, and "{{" is
//    a brace). The symbol's own code set choice may differ from the one the data names; its
//    value is the same;
//  - UPC-E also as the 11 or 12 digits of the UPC-A it stands for;
//  - GS1-128 and GS1 DataBar Expanded take application identifiers and their data as digits
//    and characters without brackets ("{1" or parentheses are left out), DataBar
//    Omnidirectional, Truncated and Limited the 13 digits of the GTIN without its check digit
//    (or the 14 with it, or those after AI 01); Code 128 (auto) any ASCII, the code sets of
//    the printer's own choosing.
Symbol encodeBarcode(BarcodeSystem system, std::span<const std::uint8_t> data);

// Encodes stored PDF417 data: columns 1-30 (0: automatic), rows 3-90 (0: automatic), error
// correction level 0-8 (-1: automatic), truncated (compact) or not.
Symbol encodePdf417(QByteArrayView data, int columns, int rows, int level, bool truncated);

// Encodes stored QR data (bytes as they are) at error correction level 0-3 (L, M, Q, H).
Symbol encodeQr(QByteArrayView data, int level);

// What a scanner reads off a barcode: its human-readable line without Code 39's start and stop
// characters and without the brackets round GS1 application identifiers.
QString scannedContent(BarcodeSystem system, const Symbol &symbol);

// Encodes stored MaxiCode data in mode 2-6 as libzint draws it (hexagons and the bullseye), as
// a picture `dots` wide: each module of the result is a dot.
Symbol encodeMaxiCode(QByteArrayView data, int mode, int dots);

// Encodes stored Aztec data: compact or full range, layers (0: automatic), error correction
// in per cent of the symbol (0: libzint's default).
Symbol encodeAztec(QByteArrayView data, bool compact, int layers, int percent);

// Encodes stored DataMatrix (ECC 200) data, its size chosen automatically among the square
// ones or among all.
Symbol encodeDataMatrix(QByteArrayView data, bool square);

// How many symbols libzint has been asked to make in this process (any thread).
std::uint64_t symbolsEncoded();

} // namespace Virtual
