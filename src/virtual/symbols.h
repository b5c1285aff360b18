#pragma once

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

// The nine barcode systems of GS k m, m = 'A' + system.
enum class BarcodeSystem : std::uint8_t {
    UpcA,
    UpcE,
    Ean13,
    Ean8,
    Code39,
    Itf,
    Codabar,
    Code93,
    Code128,
};
inline constexpr int barcodeSystems = 9;

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
//    value is the same.
Symbol encodeBarcode(BarcodeSystem system, std::span<const std::uint8_t> data);

// Encodes stored QR data (bytes as they are) at error correction level 0-3 (L, M, Q, H).
Symbol encodeQr(QByteArrayView data, int level);

// How many symbols libzint has been asked to make in this process (any thread).
std::uint64_t symbolsEncoded();

} // namespace Virtual
