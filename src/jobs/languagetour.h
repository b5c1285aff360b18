// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

// The language tour: which character sets the controller prints and how each must be sent.
// Three encodings meet on the wire: single bytes (basic Latin and Latin-1), UTF-16 code units
// high byte first in the normal mode (the other Latin ranges, Greek, Arabic), and double-byte
// codes between "double-byte mode on" and "off" (GB2312 for Chinese, JIS X 0208 for Japanese).
//
// The tour is data: sections of steps, each section with the console lines that announce it.
// Every text goes out up to its terminating NUL, so no sample contains a zero byte (in the
// Unicode samples no code point has a zero high or low byte).
namespace Jobs::Language {

enum class Op : std::uint8_t {
    SoftInit,      // ESC @
    Text,          // the bytes of `text`
    Line,          // the bytes of `text`, then LF
    LineFeed,      // LF
    SmallFont,     // ESC M 1
    StandardFont,  // ESC M 2
    DoubleByteOn,  // FS &
    DoubleByteOff, // FS .
};

struct Step
{
    Op op;
    const char *text = nullptr;
};

struct Section
{
    const char *console[2]; // lines appended to the console, unused ones null
    std::span<const Step> steps;
};

// The first console line of the tour, and the explanation of the supported ranges that
// follows it: 17 lines of 1040 bytes in all, each ended by a line feed.
inline constexpr char heading[] = "Printing languages";
extern const char explanation[];

std::span<const Section> tour();

} // namespace Jobs::Language
