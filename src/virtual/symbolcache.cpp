// SPDX-License-Identifier: MIT
#include "virtual/symbolcache.h"

#include <algorithm>

namespace Virtual {

namespace {
constexpr int barcodeKinds = 16; // above the four QR levels
}

template<typename Make>
std::shared_ptr<const Symbol> SymbolCache::find(int kind, QByteArrayView data, Make make)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &entry) {
        return entry.kind == kind && QByteArrayView(entry.data) == data;
    });
    if (found != m_entries.end()) {
        std::rotate(m_entries.begin(), found, found + 1);
        return m_entries.front().symbol;
    }
    if (m_entries.size() >= capacity)
        m_entries.pop_back();
    m_entries.insert(m_entries.begin(),
                     Entry{kind, data.toByteArray(), std::make_shared<const Symbol>(make())});
    return m_entries.front().symbol;
}

std::shared_ptr<const Symbol> SymbolCache::qr(QByteArrayView data, int level)
{
    return find(level, data, [&] { return encodeQr(data, level); });
}

std::shared_ptr<const Symbol> SymbolCache::barcode(BarcodeSystem system,
                                                   std::span<const std::uint8_t> data)
{
    const QByteArrayView bytes(data.data(), qsizetype(data.size()));
    return find(barcodeKinds + int(system), bytes, [&] { return encodeBarcode(system, data); });
}

} // namespace Virtual
