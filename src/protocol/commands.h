// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/controlbytes.h"
#include "protocol/values.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The controller's command language named once: for every command its bytes, how its
// parameters are laid out, its mnemonic and its meaning. The tool's CommandSet takes its bytes
// from here, the virtual controller frames and traces the stream with it.
namespace Protocol {

// What a command, or a byte of the stream, is to the controller.
enum class Op : std::uint8_t {
    // Text and formatting.
    Character,          // one printable character
    LineFeed,           // LF
    CarriageReturn,     // CR
    Tab,                // HT
    Initialise,         // ESC @
    PrintMode,          // ESC ! n
    Font,               // ESC M n
    Darkness,           // ESC m n
    DoubleByteOn,       // FS &
    DoubleByteOff,      // FS .
    Align,              // ESC a n
    LineSpacing,        // ESC 3 n
    DefaultLineSpacing, // ESC 2
    TabStops,           // ESC D k... NUL
    FeedDots,           // ESC J n
    FeedLines,          // ESC d n
    LeftMargin,         // ESC l n
    RightMargin,        // ESC Q n
    AbsolutePosition,   // ESC $ nL nH
    ClearBuffer,        // DLE DC4
    // Configuration, status, cutter and power.
    StatusRequest,   // DLE EOT
    FirmwareRequest, // DLE ENQ
    Sleep,           // DLE SYN
    UartMode,        // GS ( s f
    PrintHead,       // ESC Z n
    AutoStatus,      // GS a n
    FullCut,         // ESC i
    PartialCut,      // ESC n
    // Barcodes and QR codes.
    BarcodeHeight,     // GS h n
    BarcodeWidth,      // GS w n
    BarcodeText,       // GS H n
    Barcode,           // GS k m ...
    QrModuleSize,      // GS ( k 03 00 31 43 n
    QrErrorCorrection, // GS ( k 03 00 31 45 n
    QrStore,           // GS ( k pL pH 31 50 30 d...
    QrPrint,           // GS ( k 03 00 31 51 m
    QrOther,           // GS ( k with another function
    // Pictures.
    Raster,            // GS v 0 m xL xH yL yH d...
    StoreBitmap,       // GS q l a xL xH yL yH d...
    PrintStoredBitmap, // FS p n m
    // The data block announced by the command before, and its end.
    BlockData,
    BlockEnd,
    // Bytes that make no command.
    Ignored,   // NUL between commands
    Unknown,   // bytes that make no command or no character; skipped
    Truncated, // the stream ended inside a command
    // The commands of common ESC/POS printers.
    Skipped,          // a command the controller knows and does not carry out
    Emphasis,         // ESC E n
    DoubleStrike,     // ESC G n
    Underline,        // ESC - n
    ReverseMode,      // GS B n
    CharacterSize,    // GS ! n
    RightSpacing,     // ESC SP n
    KanjiUnderline,   // FS - n
    KanjiPrintMode,   // FS ! n
    UpsideDown,       // ESC { n
    Rotate,           // ESC V n
    CodePage,         // ESC t n
    International,    // ESC R n
    KanjiCode,        // FS C n
    RelativePosition, // ESC \ nL nH
    LeftMarginDots,   // GS L nL nH
    PrintAreaWidth,   // GS W nL nH
    BarcodeFont,      // GS f n
    ColumnPicture,    // ESC * m nL nH d...
    Graphics,         // GS ( L pL pH m fn ... / GS 8 L p1 p2 p3 p4 m fn ...
    Cut,              // GS V m [n]
    Italic,           // ESC 4 n
};

// How a command's parameters follow its bytes.
enum class Layout : std::uint8_t {
    Fixed,       // `parameters` bytes
    TabStops,    // stops up to NUL
    Barcode,     // m, then NUL-terminated data (m 0-6) or a length byte and the data (m 65-79)
    Extended,    // pL pH and that many bytes; the first `parameters` of them held, the rest a block
    LongExtended, // p1 p2 p3 p4 and that many bytes; as Extended
    Raster,      // m xL xH yL yH, then (xL + 256 xH)(yL + 256 yH) bytes
    StoreBitmap, // l a xL xH yL yH, then (xL + 256 xH)(yL + 256 yH) bytes
    Column,      // m nL nH, then n columns of 1 (m 0, 1) or 3 (m 32, 33) bytes
    DefineImage, // x y, then 8 x y bytes
    Uart,        // speed code 0-6 and flow code
    Cut,         // m, and n after m 65, 66, 97, 98, 103, 104
};

struct Command
{
    Op op;
    std::uint8_t length; // of the command's own bytes, 1-3
    std::array<std::uint8_t, 3> bytes;
    Layout layout;
    std::uint8_t parameters; // Fixed: the bytes after the command's own; Extended: those held
    bool words;              // Fixed: the parameters are 16-bit values, low byte first
    std::string_view mnemonic;
    std::string_view meaning; // what the controller does with it
};

// Every command, the controller's own and those of common printers it reads.
std::span<const Command> commands();

// The command whose bytes begin `bytes` (at least two of them, three for GS ( / GS 8 / GS v
// / FS ( families), or null.
const Command *findCommand(std::uint8_t prefix, std::uint8_t second, std::uint8_t third);
// Whether the command of `prefix second` needs a third byte to be known.
bool needsThirdByte(std::uint8_t prefix, std::uint8_t second);

// The bytes of the command that `op` stands for, for whoever sends it.
template <Op op>
constexpr auto bytesOf();

} // namespace Protocol

#include "protocol/commandtable.h"
