// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/symbols.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace Virtual {

// The symbols printed lately, each kept until its data or its level changes: a stream that
// prints one stored QR code again and again has it encoded once. A handful of symbols are kept,
// the least recently printed one goes first.
class SymbolCache
{
public:
    static constexpr std::size_t capacity = 8;

    std::shared_ptr<const Symbol> qr(QByteArrayView data, int level);
    std::shared_ptr<const Symbol> barcode(BarcodeSystem system,
                                          std::span<const std::uint8_t> data);

private:
    struct Entry
    {
        int kind; // the QR level, or barcodeKinds + the barcode system
        QByteArray data;
        std::shared_ptr<const Symbol> symbol;
    };
    template<typename Make>
    std::shared_ptr<const Symbol> find(int kind, QByteArrayView data, Make make);

    std::vector<Entry> m_entries; // the most recently printed first
};

} // namespace Virtual
