// SPDX-License-Identifier: MIT
#include "virtual/live/printerstate.h"

namespace Virtual {

namespace {
constexpr std::uint8_t fixedBits = 0x12; // bits 1 and 4 of every real-time status byte
} // namespace

void PrinterState::setPaper(Paper paper)
{
    if (paper == m_paper)
        return;
    m_paper = paper;
    Q_EMIT changed(QStringLiteral("paper ") + paperName(paper));
}

void PrinterState::setCoverOpen(bool open)
{
    if (open == m_coverOpen)
        return;
    m_coverOpen = open;
    Q_EMIT changed(open ? QStringLiteral("cover open") : QStringLiteral("cover closed"));
}

void PrinterState::setDrawerOpen(bool open)
{
    if (open == m_drawerOpen)
        return;
    m_drawerOpen = open;
    Q_EMIT changed(open ? QStringLiteral("drawer open") : QStringLiteral("drawer closed"));
}

std::optional<std::uint8_t> PrinterState::realtimeStatus(int n) const
{
    const bool out = m_paper == Paper::Out;
    switch (n) {
    case 1: // bit 2: the drawer's pin 3 (high: open); bit 3: offline
        return std::uint8_t(fixedBits | (m_drawerOpen ? 0x04 : 0) | (offline() ? 0x08 : 0));
    case 2: // bit 2: cover open; bit 5: stopped at the paper's end; bit 6: an error
        return std::uint8_t(fixedBits | (m_coverOpen ? 0x04 : 0) | (out ? 0x20 : 0) |
                            (offline() ? 0x40 : 0));
    case 3: // no mechanical, cutter or unrecoverable errors in a virtual printer
        return fixedBits;
    case 4: // bits 2-3: near the end; bits 5-6: no paper
        return std::uint8_t(fixedBits | (m_paper != Paper::Ok ? 0x0C : 0) | (out ? 0x60 : 0));
    default:
        return std::nullopt;
    }
}

std::optional<std::uint8_t> PrinterState::sensorStatus(int n) const
{
    if (n == 1 || n == '1')
        return std::uint8_t((m_paper != Paper::Ok ? 0x03 : 0) | (m_paper == Paper::Out ? 0x0C : 0));
    if (n == 2 || n == '2')
        return std::uint8_t(m_drawerOpen ? 0x01 : 0);
    return std::nullopt;
}

QByteArray PrinterState::automaticStatus() const
{
    QByteArray block(4, '\0');
    block[0] = char(0x10 | (m_drawerOpen ? 0x04 : 0) | (offline() ? 0x08 : 0) |
                    (m_coverOpen ? 0x20 : 0));
    block[2] = char((m_paper != Paper::Ok ? 0x03 : 0) | (m_paper == Paper::Out ? 0x0C : 0));
    return block;
}

int PrinterState::changedItems(const QByteArray &before, const QByteArray &after)
{
    if (before.size() != 4 || after.size() != 4)
        return 0x0F;
    const auto differ = [&](int byte, int mask) {
        return ((before[byte] ^ after[byte]) & mask) != 0;
    };
    return (differ(0, 0x04) ? 0x01 : 0) | (differ(0, 0x28) ? 0x02 : 0) | (differ(1, 0x6C) ? 0x04 : 0) |
           (differ(2, 0x0F) ? 0x08 : 0);
}

QString PrinterState::describe() const
{
    return QStringLiteral("paper %1, cover %2, drawer %3, %4")
        .arg(paperName(m_paper), m_coverOpen ? QStringLiteral("open") : QStringLiteral("closed"),
             m_drawerOpen ? QStringLiteral("open") : QStringLiteral("closed"),
             offline() ? QStringLiteral("offline") : QStringLiteral("online"));
}

QString PrinterState::paperName(Paper paper)
{
    switch (paper) {
    case Paper::Ok:
        return QStringLiteral("ok");
    case Paper::NearEnd:
        return QStringLiteral("near-end");
    case Paper::Out:
        return QStringLiteral("out");
    }
    return {};
}

std::optional<PrinterState::Paper> PrinterState::paperFromName(const QString &name)
{
    for (const Paper paper : {Paper::Ok, Paper::NearEnd, Paper::Out}) {
        if (name == paperName(paper))
            return paper;
    }
    return std::nullopt;
}

} // namespace Virtual
