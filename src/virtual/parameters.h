// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/values.h"

#include <iterator>
#include <optional>

// The values a command's parameter byte may take, read the same way by the renderer and the
// trace. Several commands take a small number either as a byte or as its ASCII digit, as ESC/POS
// does: ESC a 1 and ESC a '1' both centre.
namespace Virtual::Parameters {

inline std::optional<int> smallNumber(int byte, int max)
{
    if (byte >= 0 && byte <= max)
        return byte;
    if (byte >= '0' && byte <= '0' + max)
        return byte - '0';
    return std::nullopt;
}

// ESC a: 0 left, 1 centre, 2 right.
inline std::optional<int> alignment(int byte)
{
    return smallNumber(byte, 2);
}

// GS H: 0 none, 1 below (the controller's own meaning), 2 below, 3 above and below.
inline std::optional<int> barcodeTextPosition(int byte)
{
    return smallNumber(byte, 3);
}

// GS v 0 and FS p size modes: bit 0 doubles the width, bit 1 the height.
struct Scale
{
    int x;
    int y;
};
inline std::optional<Scale> pictureScale(int byte)
{
    const std::optional<int> mode = smallNumber(byte, 3);
    if (!mode)
        return std::nullopt;
    return Scale{(*mode & 1) ? 2 : 1, (*mode & 2) ? 2 : 1};
}

// ESC M: 1 small, 2 standard; 0 is the standard font (font A) as on common printers.
inline std::optional<bool> smallFont(int byte)
{
    const std::optional<int> font = smallNumber(byte, 2);
    if (!font)
        return std::nullopt;
    return *font == 1;
}

// ESC m: darkness 0-8.
inline std::optional<int> darkness(int byte)
{
    return byte >= 0 && byte <= 8 ? std::optional<int>(byte) : std::nullopt;
}

// GS ( k function 169: '0'-'3' for L, M, Q, H.
inline std::optional<int> qrLevel(int byte)
{
    return byte >= '0' && byte <= '3' ? std::optional<int>(byte - '0') : std::nullopt;
}

// GS ( k function 167: module size 1-16 dots.
inline std::optional<int> qrModule(int byte)
{
    return byte >= 1 && byte <= 16 ? std::optional<int>(byte) : std::nullopt;
}

// GS w: module width 1-6 dots.
inline std::optional<int> barcodeModule(int byte)
{
    return byte >= 1 && byte <= 6 ? std::optional<int>(byte) : std::nullopt;
}

// GS ( s f: the UART speed codes 0-6 in bit/s, and the flow codes 0-2.
enum class Flow { None = 0, XonXoff = 1, Hardware = 2 };
inline std::optional<int> uartSpeed(int code)
{
    return Protocol::Uart::bitRate(code);
}
inline std::optional<Flow> uartFlow(int code)
{
    return code >= 0 && code <= 2 ? std::optional<Flow>(Flow(code)) : std::nullopt;
}

// ESC Z: print head types 0-7.
inline std::optional<int> headType(int byte)
{
    return Protocol::printHead(byte) ? std::optional<int>(byte) : std::nullopt;
}

} // namespace Virtual::Parameters
