// SPDX-License-Identifier: MIT
#include "protocol/commands.h"

#include <cstdio>

namespace Protocol {

namespace {

using namespace Wire;

// Where the commands of each prefix are: for each second byte, the index of its first row.
struct Index
{
    static constexpr std::int16_t none = -1;
    std::array<std::array<std::int16_t, 256>, 4> second{};
    std::array<std::int16_t, 0x20> control{};

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
        control.fill(none);
        for (std::size_t i = commandTable.size(); i-- > 0;) {
            const Command &command = commandTable[i];
            const int prefix = prefixIndex(command.bytes[0]);
            if (command.length == 1 && command.bytes[0] < 0x20)
                control[command.bytes[0]] = std::int16_t(i);
            else if (command.length >= 2 && prefix >= 0)
                second[std::size_t(prefix)][command.bytes[1]] = std::int16_t(i);
        }
    }
};

const Index &index()
{
    static const Index built;
    return built;
}

bool sameBytes(const Command &a, const Command &b)
{
    return a.length == b.length && a.bytes == b.bytes;
}

// Whether the function bytes of `row` match `parameters`.
bool functionsMatch(const Command &row, std::span<const std::uint8_t> parameters, int available)
{
    const int needed = row.selectorBytes();
    if (needed > available || needed > int(parameters.size()))
        return false;
    std::size_t at = 0;
    for (const Parameter &parameter : row.parameters) {
        if (int(at) >= needed)
            break;
        if (parameter.reading == Reading::Select && parameter.accepted(parameters[at]) < 0)
            return false;
        at += parameter.width;
    }
    return true;
}

std::string number(long long value)
{
    return std::to_string(value);
}

std::string hex(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", unsigned(value));
    return text;
}

std::string bitNames(const Parameter &parameter, int value)
{
    std::string text;
    int named = 0;
    for (const Named &bit : parameter.names) {
        named |= bit.value;
        if (bit.value == 0 || (value & bit.value) == 0)
            continue;
        text += (text.empty() ? "" : ", ") + std::string(bit.text);
    }
    if (const int unused = value & ~named)
        text += (text.empty() ? "unused bits " : ", unused bits ") + hex(unused);
    if (text.empty() && !parameter.names.empty() && parameter.names[0].value == 0)
        return std::string(parameter.names[0].text);
    return text;
}

std::string choiceName(const Parameter &parameter, int value)
{
    const int accepted = parameter.digits ? parameter.accepted(value) : value;
    for (const Named &name : parameter.names) {
        if (name.value == accepted || (parameter.digits && name.value == value))
            return std::string(name.text);
    }
    if (parameter.other.empty())
        return number(value);
    std::string text(parameter.other);
    if (const std::size_t hash = text.find('#'); hash != std::string::npos)
        text.replace(hash, 1, number(value));
    return text;
}

} // namespace

namespace Describe {

std::string headType(int value)
{
    if (!printHead(value))
        return number(value) + " (unknown)";
    return number(value) + " (" + number(headDots(value)) + " dots)";
}

std::string codePage(int value)
{
    const CodePage *page = Protocol::codePage(value);
    return number(value) + " (" + (page ? std::string(page->name) : "unknown") + ")";
}

std::string characterSize(int value)
{
    const auto scale = [](int factor, const char *what) -> std::string {
        if (factor > 8)
            return std::string("unknown ") + what;
        if (factor == 1)
            return {};
        return (factor == 2 ? std::string("double ") : "x" + number(factor) + " ") + what;
    };
    const std::string width = scale((value >> 4) + 1, "width");
    const std::string height = scale((value & 0x0F) + 1, "height");
    if (width.empty() && height.empty())
        return "normal size";
    return width + (width.empty() || height.empty() ? "" : ", ") + height;
}

std::string signedDots(int value)
{
    return number(std::int16_t(std::uint16_t(value))) + " dots";
}

} // namespace Describe

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
    return at != Index::none && commandTable[std::size_t(at)].length == 3;
}

const Command *findCommand(std::uint8_t prefix, std::uint8_t second, std::uint8_t third)
{
    const int p = Index::prefixIndex(prefix);
    if (p < 0) {
        const std::int16_t at = prefix < 0x20 ? index().control[prefix] : Index::none;
        return at == Index::none ? nullptr : &commandTable[std::size_t(at)];
    }
    const std::int16_t at = index().second[std::size_t(p)][second];
    if (at == Index::none)
        return nullptr;
    if (commandTable[std::size_t(at)].length == 2)
        return &commandTable[std::size_t(at)];
    // A family of three-byte commands: its rows follow one another in the table.
    for (std::size_t i = std::size_t(at); i < commandTable.size(); ++i) {
        const Command &command = commandTable[i];
        if (command.bytes[0] != prefix || command.bytes[1] != second || command.length != 3)
            continue;
        if (command.bytes[2] == third ||
            (command.layout == Layout::Uart && third <= Uart::Speed375000))
            return &command;
    }
    return nullptr;
}

bool hasFunctions(const Command &first)
{
    return first.selectorBytes() > 0;
}

const Command &selectFunction(const Command &first, std::span<const std::uint8_t> parameters,
                              int available)
{
    const Command *row = &first;
    const Command *end = commandTable.data() + commandTable.size();
    for (; row < end && sameBytes(*row, first); ++row) {
        if (functionsMatch(*row, parameters, available))
            return *row;
    }
    return *(row - 1); // the family's last row, chosen by no function byte
}

Values readValues(const Command &command, std::span<const std::uint8_t> bytes)
{
    Values values;
    std::size_t at = std::size_t(command.firstParameter());
    for (const Parameter &parameter : command.parameters) {
        int value = -1;
        if (parameter.reading != Reading::Data && at + parameter.width <= bytes.size()) {
            value = 0;
            for (int i = parameter.width; i-- > 0;)
                value = value << 8 | bytes[at + std::size_t(i)];
        }
        if (values.count < Values::max)
            values.values[std::size_t(values.count++)] = value;
        at += parameter.width;
    }
    return values;
}

std::string describeValue(const Parameter &parameter, int value)
{
    switch (parameter.reading) {
    case Reading::Number:
    case Reading::Select:
        return number(value);
    case Reading::Choice:
        return choiceName(parameter, value);
    case Reading::Switch:
        return parameter.names.size() >= 2 ? std::string(parameter.names[value & 1].text)
                                           : number(value & 1);
    case Reading::Bits:
        return bitNames(parameter, value);
    case Reading::Custom:
        return parameter.describe ? parameter.describe(value) : number(value);
    case Reading::Data:
        return {};
    }
    return {};
}

std::string describe(const Command &command, const Values &values, std::uint64_t dataLength)
{
    std::string text;
    const std::string_view meaning = command.meaning;
    std::size_t i = 0;
    while (i < meaning.size()) {
        const std::size_t open = meaning.find('{', i);
        const std::size_t close = open == std::string_view::npos ? open : meaning.find('}', open);
        if (close == std::string_view::npos) {
            text += meaning.substr(i);
            break;
        }
        text += meaning.substr(i, open - i);
        const std::string_view name = meaning.substr(open + 1, close - open - 1);
        const int at = command.indexOf(name);
        if (name == "data")
            text += number(static_cast<long long>(dataLength));
        else if (at >= 0 && at < values.count && values.values[std::size_t(at)] >= 0)
            text +=
                describeValue(command.parameters[std::size_t(at)], values.values[std::size_t(at)]);
        else
            text += "?";
        i = close + 1;
    }
    return text;
}

std::string mnemonicWithValues(const Command &command, const Values &values)
{
    std::string text(command.mnemonic);
    for (int i = 0; i < values.count && i < int(command.parameters.size()); ++i) {
        const Reading reading = command.parameters[std::size_t(i)].reading;
        const int value = values.values[std::size_t(i)];
        if (reading == Reading::Select || reading == Reading::Data || value < 0)
            continue;
        // A plain command shows its parameter bytes as they came (ESC $ 50 0); pictures and
        // symbols show their sizes as numbers (GS v 0 0 48 256).
        const int width = command.parameters[std::size_t(i)].width;
        for (int byte = 0; byte < width && command.layout == Layout::Fixed; ++byte)
            text += ' ' + number(value >> (8 * byte) & 0xFF);
        if (command.layout != Layout::Fixed)
            text += ' ' + number(value);
    }
    return text;
}

} // namespace Protocol
