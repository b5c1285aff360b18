// SPDX-License-Identifier: MIT
#pragma once

// The table behind protocol/commands.h. Included from there only.

namespace Protocol {

namespace Table {
using namespace Wire;
using L = Layout;

constexpr Command c1(Op op, std::uint8_t b0, std::string_view mnemonic, std::string_view meaning)
{
    return {op, 1, {b0, 0, 0}, L::Fixed, 0, false, mnemonic, meaning};
}
constexpr Command c2(Op op, std::uint8_t b0, std::uint8_t b1, L layout, int parameters,
                     std::string_view mnemonic, std::string_view meaning, bool words = false)
{
    return {op, 2, {b0, b1, 0}, layout, std::uint8_t(parameters), words, mnemonic, meaning};
}
constexpr Command c3(Op op, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, L layout,
                     int parameters, std::string_view mnemonic, std::string_view meaning)
{
    return {op, 3, {b0, b1, b2}, layout, std::uint8_t(parameters), false, mnemonic, meaning};
}
// A command of common printers that the controller reads whole and does not carry out.
constexpr Command skip(std::uint8_t b0, std::uint8_t b1, int parameters, std::string_view mnemonic,
                       std::string_view meaning, bool words = false)
{
    return c2(Op::Skipped, b0, b1, L::Fixed, parameters, mnemonic, meaning, words);
}
constexpr Command skipExtended(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                               std::string_view mnemonic, std::string_view meaning)
{
    return c3(Op::Skipped, b0, b1, b2, L::Extended, 3, mnemonic, meaning);
}
} // namespace Table

// The third byte of GS ( that stands for any UART speed code.
inline constexpr std::uint8_t anySpeedCode = 0xFF;

inline constexpr Command commandTable[] = {
    // Controls.
    Table::c1(Op::Ignored, Wire::NUL, "NUL", "ignored"),
    Table::c1(Op::Tab, Wire::HT, "HT", "next tab stop"),
    Table::c1(Op::LineFeed, Wire::LF, "LF", "print and feed one line"),
    Table::c1(Op::CarriageReturn, Wire::CR, "CR", "print, back to the start of the line"),
    // ESC: the controller's own.
    Table::c2(Op::Initialise, Wire::ESC, '@', Table::L::Fixed, 0, "ESC @", "initialise"),
    Table::c2(Op::PrintMode, Wire::ESC, '!', Table::L::Fixed, 1, "ESC !", "print mode"),
    Table::c2(Op::Font, Wire::ESC, 'M', Table::L::Fixed, 1, "ESC M", "font"),
    Table::c2(Op::Darkness, Wire::ESC, 'm', Table::L::Fixed, 1, "ESC m", "darkness"),
    Table::c2(Op::Align, Wire::ESC, 'a', Table::L::Fixed, 1, "ESC a", "align"),
    Table::c2(Op::LineSpacing, Wire::ESC, '3', Table::L::Fixed, 1, "ESC 3", "line spacing"),
    Table::c2(Op::DefaultLineSpacing, Wire::ESC, '2', Table::L::Fixed, 0, "ESC 2",
              "default line spacing"),
    Table::c2(Op::TabStops, Wire::ESC, 'D', Table::L::TabStops, 0, "ESC D", "tab stops"),
    Table::c2(Op::FeedDots, Wire::ESC, 'J', Table::L::Fixed, 1, "ESC J", "print and feed dots"),
    Table::c2(Op::FeedLines, Wire::ESC, 'd', Table::L::Fixed, 1, "ESC d", "print and feed lines"),
    Table::c2(Op::LeftMargin, Wire::ESC, 'l', Table::L::Fixed, 1, "ESC l", "left margin in mm"),
    Table::c2(Op::RightMargin, Wire::ESC, 'Q', Table::L::Fixed, 1, "ESC Q", "right edge in mm"),
    Table::c2(Op::AbsolutePosition, Wire::ESC, '$', Table::L::Fixed, 2, "ESC $",
              "print position in dots", true),
    Table::c2(Op::PrintHead, Wire::ESC, 'Z', Table::L::Fixed, 1, "ESC Z", "print head type"),
    Table::c2(Op::FullCut, Wire::ESC, 'i', Table::L::Fixed, 0, "ESC i", "full cut"),
    Table::c2(Op::PartialCut, Wire::ESC, 'n', Table::L::Fixed, 0, "ESC n", "partial cut"),
    // ESC: common printers' text and positions.
    Table::c2(Op::Emphasis, Wire::ESC, 'E', Table::L::Fixed, 1, "ESC E", "bold"),
    Table::c2(Op::Italic, Wire::ESC, '4', Table::L::Fixed, 1, "ESC 4", "italic"),
    Table::c2(Op::DoubleStrike, Wire::ESC, 'G', Table::L::Fixed, 1, "ESC G",
              "double strike (printed bold)"),
    Table::c2(Op::Underline, Wire::ESC, '-', Table::L::Fixed, 1, "ESC -", "underline"),
    Table::c2(Op::RightSpacing, Wire::ESC, ' ', Table::L::Fixed, 1, "ESC SP",
              "character right spacing"),
    Table::c2(Op::UpsideDown, Wire::ESC, '{', Table::L::Fixed, 1, "ESC {", "upside down"),
    Table::c2(Op::Rotate, Wire::ESC, 'V', Table::L::Fixed, 1, "ESC V", "turned 90 degrees"),
    Table::c2(Op::CodePage, Wire::ESC, 't', Table::L::Fixed, 1, "ESC t", "code page"),
    Table::c2(Op::International, Wire::ESC, 'R', Table::L::Fixed, 1, "ESC R",
              "international character set"),
    Table::c2(Op::RelativePosition, Wire::ESC, '\\', Table::L::Fixed, 2, "ESC \\",
              "relative print position", true),
    Table::c2(Op::ColumnPicture, Wire::ESC, '*', Table::L::Column, 0, "ESC *",
              "column picture"),
    Table::skip(Wire::ESC, '%', 1, "ESC %", "user-defined characters on/off (none defined)"),
    Table::skip(Wire::ESC, '=', 1, "ESC =", "select peripheral device (ignored)"),
    Table::skip(Wire::ESC, '?', 1, "ESC ?", "cancel a user-defined character (none defined)"),
    Table::skip(Wire::ESC, 'L', 0, "ESC L", "page mode (not carried out)"),
    Table::skip(Wire::ESC, 'S', 0, "ESC S", "standard mode"),
    Table::skip(Wire::ESC, 'T', 1, "ESC T", "page mode print direction (no page mode)"),
    Table::skip(Wire::ESC, 'W', 8, "ESC W", "page mode print area (no page mode)"),
    Table::skip(Wire::ESC, 'U', 1, "ESC U", "unidirectional printing (ignored)"),
    Table::skip(Wire::ESC, 'c', 2, "ESC c", "paper sensor and panel button settings (ignored)"),
    Table::skip(Wire::ESC, 'e', 1, "ESC e", "reverse feed (no reverse feed)"),
    Table::skip(Wire::ESC, 'p', 3, "ESC p", "drawer kick pulse (no drawer)"),
    Table::skip(Wire::ESC, 'r', 1, "ESC r", "print colour (one colour only)"),
    Table::skip(Wire::ESC, 'u', 1, "ESC u", "drawer status request (no drawer)"),
    Table::skip(Wire::ESC, 'v', 0, "ESC v", "paper sensor status request (no reply)"),
    Table::skip(Wire::ESC, '<', 0, "ESC <", "return home (ignored)"),
    Table::skipExtended(Wire::ESC, '(', 'A', "ESC ( A", "beeper (no beeper)"),
    Table::skipExtended(Wire::ESC, '(', 'Y', "ESC ( Y", "batch print (ignored)"),
    // FS.
    Table::c2(Op::DoubleByteOn, Wire::FS, '&', Table::L::Fixed, 0, "FS &", "double-byte mode on"),
    Table::c2(Op::DoubleByteOff, Wire::FS, '.', Table::L::Fixed, 0, "FS .",
              "double-byte mode off"),
    Table::c2(Op::PrintStoredBitmap, Wire::FS, 'p', Table::L::Fixed, 2, "FS p",
              "print stored bitmap"),
    Table::c2(Op::KanjiPrintMode, Wire::FS, '!', Table::L::Fixed, 1, "FS !",
              "double-byte print mode"),
    Table::c2(Op::KanjiUnderline, Wire::FS, '-', Table::L::Fixed, 1, "FS -",
              "double-byte underline"),
    Table::c2(Op::KanjiCode, Wire::FS, 'C', Table::L::Fixed, 1, "FS C", "double-byte code"),
    Table::skip(Wire::FS, 'S', 2, "FS S", "double-byte character spacing (ignored)"),
    Table::skip(Wire::FS, 'W', 1, "FS W", "double-byte quadruple size (ignored)"),
    Table::skip(Wire::FS, '?', 2, "FS ?", "cancel a user-defined character (none defined)"),
    Table::skip(Wire::FS, '2', 74, "FS 2", "define a user-defined double-byte character (not kept)"),
    Table::skipExtended(Wire::FS, '(', 'A', "FS ( A", "double-byte character style (ignored)"),
    Table::skipExtended(Wire::FS, '(', 'C', "FS ( C", "character code settings (ignored)"),
    Table::skipExtended(Wire::FS, '(', 'E', "FS ( E", "receipt enhancement (ignored)"),
    Table::skipExtended(Wire::FS, '(', 'L', "FS ( L", "label paper (no label paper)"),
    Table::skipExtended(Wire::FS, '(', 'e', "FS ( e", "automatic status (ignored)"),
    Table::skipExtended(Wire::FS, '(', 'f', "FS ( f", "paper layout (ignored)"),
    // DLE.
    Table::c2(Op::StatusRequest, Wire::DLE, Wire::EOT, Table::L::Fixed, 0, "DLE EOT",
              "status request"),
    Table::c2(Op::FirmwareRequest, Wire::DLE, Wire::ENQ, Table::L::Fixed, 0, "DLE ENQ",
              "firmware information request"),
    Table::c2(Op::ClearBuffer, Wire::DLE, Wire::DC4, Table::L::Fixed, 0, "DLE DC4",
              "clear the print buffer"),
    Table::c2(Op::Sleep, Wire::DLE, Wire::SYN, Table::L::Fixed, 0, "DLE SYN",
              "sleep until the next command"),
    // GS: the controller's own.
    Table::c3(Op::UartMode, Wire::GS, '(', anySpeedCode, Table::L::Uart, 2, "GS (",
              "UART speed and flow control"),
    Table::c2(Op::AutoStatus, Wire::GS, 'a', Table::L::Fixed, 1, "GS a", "automatic status back"),
    Table::c2(Op::BarcodeHeight, Wire::GS, 'h', Table::L::Fixed, 1, "GS h", "barcode height"),
    Table::c2(Op::BarcodeWidth, Wire::GS, 'w', Table::L::Fixed, 1, "GS w",
              "barcode module width"),
    Table::c2(Op::BarcodeText, Wire::GS, 'H', Table::L::Fixed, 1, "GS H", "barcode text"),
    Table::c2(Op::Barcode, Wire::GS, 'k', Table::L::Barcode, 0, "GS k", "barcode"),
    Table::c3(Op::QrOther, Wire::GS, '(', 'k', Table::L::Extended, 3, "GS ( k", "2D symbol"),
    Table::c3(Op::Raster, Wire::GS, 'v', '0', Table::L::Raster, 0, "GS v 0", "raster picture"),
    Table::c2(Op::StoreBitmap, Wire::GS, 'q', Table::L::StoreBitmap, 0, "GS q", "store bitmap"),
    // GS: common printers' commands.
    Table::c2(Op::CharacterSize, Wire::GS, '!', Table::L::Fixed, 1, "GS !", "character size"),
    Table::c2(Op::ReverseMode, Wire::GS, 'B', Table::L::Fixed, 1, "GS B", "reverse printing"),
    Table::c2(Op::LeftMarginDots, Wire::GS, 'L', Table::L::Fixed, 2, "GS L",
              "left margin in dots", true),
    Table::c2(Op::PrintAreaWidth, Wire::GS, 'W', Table::L::Fixed, 2, "GS W",
              "print area width in dots", true),
    Table::c2(Op::BarcodeFont, Wire::GS, 'f', Table::L::Fixed, 1, "GS f", "barcode text font"),
    Table::c2(Op::Cut, Wire::GS, 'V', Table::L::Cut, 0, "GS V", "cut"),
    Table::c3(Op::Graphics, Wire::GS, '(', 'L', Table::L::Extended, 10, "GS ( L", "graphics"),
    Table::c3(Op::Graphics, Wire::GS, '8', 'L', Table::L::LongExtended, 10, "GS 8 L",
              "graphics"),
    Table::skip(Wire::GS, 'P', 2, "GS P", "motion units (accepted)"),
    Table::skip(Wire::GS, '$', 2, "GS $", "page mode vertical position (no page mode)", true),
    Table::skip(Wire::GS, '\\', 2, "GS \\", "page mode relative position (no page mode)", true),
    Table::c2(Op::Skipped, Wire::GS, '*', Table::L::DefineImage, 0, "GS *",
              "define a downloaded picture (not kept)"),
    Table::skip(Wire::GS, '/', 1, "GS /", "print the downloaded picture (none kept)"),
    Table::skip(Wire::GS, ':', 0, "GS :", "macro definition (ignored)"),
    Table::skip(Wire::GS, '^', 3, "GS ^", "run a macro (none defined)"),
    Table::skip(Wire::GS, 'I', 1, "GS I", "printer ID request (no reply)"),
    Table::skip(Wire::GS, 'T', 1, "GS T", "print position to the line start (ignored)"),
    Table::skip(Wire::GS, 'b', 1, "GS b", "smoothing (ignored)"),
    Table::skip(Wire::GS, 'j', 1, "GS j", "automatic ink status (no ink)"),
    Table::skip(Wire::GS, 'r', 1, "GS r", "status request (no reply)"),
    Table::skip(Wire::GS, 'Z', 1, "GS Z", "2D symbol type (ignored)"),
    Table::skip(Wire::GS, 'E', 1, "GS E", "print density (ignored)"),
    Table::skip(Wire::GS, '<', 0, "GS <", "initialise the mechanism (ignored)"),
    Table::skip(Wire::GS, 'g', 4, "GS g", "maintenance counter (no counter)"),
    Table::skipExtended(Wire::GS, '(', 'A', "GS ( A", "test print (not carried out)"),
    Table::skipExtended(Wire::GS, '(', 'C', "GS ( C", "NV user memory (not kept)"),
    Table::skipExtended(Wire::GS, '(', 'D', "GS ( D", "real-time command switches (ignored)"),
    Table::skipExtended(Wire::GS, '(', 'E', "GS ( E", "user setup (ignored)"),
    Table::skipExtended(Wire::GS, '(', 'H', "GS ( H", "response request (no reply)"),
    Table::skipExtended(Wire::GS, '(', 'K', "GS ( K", "print control (ignored)"),
    Table::skipExtended(Wire::GS, '(', 'M', "GS ( M", "customised values (ignored)"),
    Table::skipExtended(Wire::GS, '(', 'N', "GS ( N", "character colour (one colour only)"),
    Table::skipExtended(Wire::GS, '(', 'P', "GS ( P", "page mode area (no page mode)"),
    Table::skipExtended(Wire::GS, '(', 'Q', "GS ( Q", "lines and boxes (not drawn)"),
    Table::skipExtended(Wire::GS, '(', 'z', "GS ( z", "paper settings (ignored)"),
};

// The parameters that common printers take after their real-time commands DLE EOT n,
// DLE ENQ n and DLE DC4 fn ..., which the controller's own DLE EOT, DLE ENQ and DLE DC4 do not
// have: read after them and skipped, so that they do not start UTF-16 text.
inline constexpr Command realtimeParameters{
    Op::Skipped, 0,  {0, 0, 0}, Layout::Fixed, 0, false, "(parameters)",
    "parameters of a common printer's real-time command"};

namespace Table {
constexpr std::size_t indexOf(Op op)
{
    for (std::size_t i = 0; i < std::size(commandTable); ++i) {
        if (commandTable[i].op == op)
            return i;
    }
    return std::size(commandTable);
}
} // namespace Table

template <Op op>
constexpr auto bytesOf()
{
    constexpr std::size_t index = Table::indexOf(op);
    static_assert(index < std::size(commandTable), "no command for this operation");
    constexpr Command command = commandTable[index];
    std::array<std::uint8_t, command.length> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = command.bytes[i];
    return bytes;
}

} // namespace Protocol
