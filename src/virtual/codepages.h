// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace Virtual {

// The single-byte text of the controller: the characters of bytes 0x20-0xFF, 0 where a page has
// none.
using CodePageTable = std::array<char16_t, 256>;

// The character of a Windows-1252 byte (0x20-0xFF), or 0 where the code page has none.
char16_t windows1252(std::uint8_t byte);
// The controller's own single-byte text, Windows-1252 (before ESC t and after ESC @).
const CodePageTable &defaultCodePage();
// The code page of ESC t n, or null for a code page the controller does not know or the system
// cannot decode.
const CodePageTable *codePageTable(int n);

} // namespace Virtual
