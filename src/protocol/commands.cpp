// SPDX-License-Identifier: MIT
#include "protocol/commands.h"

namespace Protocol {

namespace {

using namespace Wire;

// Where the commands of each prefix are: for each second byte, the index of its first entry.
struct Index
{
    static constexpr std::int16_t none = -1;
    std::array<std::array<std::int16_t, 256>, 4> second{};

    static int prefixIndex(std::uint8_t prefix)
    {
        switch (prefix) {
        case ESC:
            return 0;
        case FS:
            return 1;
        case GS:
            return 2;
        case DLE:
            return 3;
        default:
            return -1;
        }
    }

    Index()
    {
        for (auto &row : second)
            row.fill(none);
        for (std::size_t i = std::size(commandTable); i-- > 0;) {
            const Command &command = commandTable[i];
            const int prefix = prefixIndex(command.bytes[0]);
            if (command.length < 2 || prefix < 0)
                continue;
            second[std::size_t(prefix)][command.bytes[1]] = std::int16_t(i);
        }
    }
};

const Index &index()
{
    static const Index built;
    return built;
}

} // namespace

std::span<const Command> commands()
{
    return commandTable;
}

bool needsThirdByte(std::uint8_t prefix, std::uint8_t second)
{
    const int p = Index::prefixIndex(prefix);
    if (p < 0)
        return false;
    const std::int16_t at = index().second[std::size_t(p)][second];
    return at != Index::none && commandTable[at].length == 3;
}

const Command *findCommand(std::uint8_t prefix, std::uint8_t second, std::uint8_t third)
{
    const int p = Index::prefixIndex(prefix);
    if (p < 0) {
        for (const Command &command : commandTable) {
            if (command.length == 1 && command.bytes[0] == prefix)
                return &command;
        }
        return nullptr;
    }
    std::int16_t at = index().second[std::size_t(p)][second];
    if (at == Index::none)
        return nullptr;
    if (commandTable[at].length == 2)
        return &commandTable[at];
    // A family of three-byte commands: its entries follow one another in the table.
    for (std::size_t i = std::size_t(at); i < std::size(commandTable); ++i) {
        const Command &command = commandTable[i];
        if (command.bytes[0] != prefix || command.bytes[1] != second || command.length != 3)
            continue;
        if (command.bytes[2] == third ||
            (command.layout == Layout::Uart && third <= Uart::Speed375000))
            return &command;
    }
    return nullptr;
}

} // namespace Protocol
