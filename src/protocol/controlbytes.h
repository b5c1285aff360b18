// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The control bytes of the controller's command language. Every command begins with one of
// these or is one of them; they are named here once and used everywhere else by name.
namespace Wire {
inline constexpr std::uint8_t NUL = 0x00;
inline constexpr std::uint8_t EOT = 0x04;
inline constexpr std::uint8_t ENQ = 0x05;
inline constexpr std::uint8_t HT = 0x09;
inline constexpr std::uint8_t LF = 0x0A;
inline constexpr std::uint8_t FF = 0x0C;
inline constexpr std::uint8_t CR = 0x0D;
inline constexpr std::uint8_t DLE = 0x10;
inline constexpr std::uint8_t DC2 = 0x12;
inline constexpr std::uint8_t DC4 = 0x14;
inline constexpr std::uint8_t SYN = 0x16;
inline constexpr std::uint8_t CAN = 0x18;
inline constexpr std::uint8_t ESC = 0x1B;
inline constexpr std::uint8_t FS = 0x1C;
inline constexpr std::uint8_t GS = 0x1D;

// Bytes that a host using XON/XOFF flow control takes as flow control when they travel
// towards it; a controller never sends them as data.
inline constexpr std::uint8_t XON = 0x11;
inline constexpr std::uint8_t XOFF = 0x13;
} // namespace Wire
