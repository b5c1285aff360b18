// SPDX-License-Identifier: MIT
#pragma once

// The table behind protocol/commands.h. Included from there only.

namespace Protocol {

// Values whose meaning takes a sentence of code; commands.cpp.
namespace Describe {
std::string headType(int value);
std::string codePage(int value);
std::string characterSize(int value);
std::string signedDots(int value);
} // namespace Describe

namespace Table {
using namespace Wire;
using L = Layout;
using R = Reading;
using P = Parameter;
using Ps = std::span<const Parameter>;

// --- Parameters ------------------------------------------------------------------------------

constexpr P number(std::string_view name, int high = 255, int low = 0)
{
    return {name, 1, R::Number, std::uint16_t(low), std::uint16_t(high)};
}
constexpr P word(std::string_view name)
{
    return {name, 2, R::Number, 0, 0xFFFF};
}
constexpr P choice(std::string_view name, std::span<const Named> names, std::string_view other,
                   bool digits = false)
{
    std::uint16_t low = 0xFFFF;
    std::uint16_t high = 0;
    for (const Named &named : names) {
        low = std::min(low, named.value);
        high = std::max(high, named.value);
    }
    return {name, 1, R::Choice, low, high, names, other, digits};
}
constexpr P onOff(std::string_view name, std::span<const Named> names)
{
    return {name, 1, R::Switch, 0, 255, names};
}
constexpr P bits(std::string_view name, std::span<const Named> names)
{
    return {name, 1, R::Bits, 0, 255, names};
}
// A function byte: `value`, or also its ASCII digit where `digits`.
constexpr P function(std::string_view name, int value, bool digits = false)
{
    return {name, 1, R::Select, std::uint16_t(value), std::uint16_t(value), {}, {}, digits};
}
constexpr P custom(std::string_view name, std::string (*describe)(int), int width = 1)
{
    return {name, std::uint8_t(width), R::Custom, 0, 0xFFFF, {}, {}, false, describe};
}
constexpr P data(std::string_view name, int width)
{
    return {name, std::uint8_t(width), R::Data};
}

inline constexpr Named offOn[] = {{0, "off"}, {1, "on"}};
inline constexpr Named printModeBits[] = {
    {0x00, "normal"},        {0x01, "small font"},   {0x02, "italic"},  {0x08, "bold"},
    {0x10, "double height"}, {0x20, "double width"}, {0x40, "reverse"}, {0x80, "underline"}};
inline constexpr Named fonts[] = {{0, "standard"}, {1, "small"}, {2, "standard"}};
inline constexpr Named alignments[] = {{0, "left"}, {1, "centre"}, {2, "right"}};
inline constexpr Named rightEdge[] = {{0, "at the area's right end (no right margin)"}};
inline constexpr Named underlines[] = {{0, "off"}, {1, "1 dot"}, {2, "2 dots"}};
inline constexpr Named rotations[] = {{0, "off"}, {1, "on"}, {2, "on"}};
inline constexpr Named countries[] = {{0, "USA"},
                                      {1, "France"},
                                      {2, "Germany"},
                                      {3, "United Kingdom"},
                                      {4, "Denmark I"},
                                      {5, "Sweden"},
                                      {6, "Italy"},
                                      {7, "Spain I"},
                                      {8, "Japan"},
                                      {9, "Norway"},
                                      {10, "Denmark II"},
                                      {11, "Spain II"},
                                      {12, "Latin America"},
                                      {13, "Korea"}};
inline constexpr Named columnModes[] = {{0, "8-dot single density"},
                                        {1, "8-dot double density"},
                                        {32, "24-dot single density"},
                                        {33, "24-dot double density"}};
inline constexpr Named directions[] = {
    {0, "left to right"}, {1, "bottom to top"}, {2, "right to left"}, {3, "top to bottom"}};
inline constexpr Named kanjiModeBits[] = {
    {0x00, "normal"}, {0x04, "double width"}, {0x08, "double height"}, {0x80, "underline"}};
inline constexpr Named kanjiCodes[] = {{0, "JIS"}, {1, "Shift_JIS"}};
inline constexpr Named speeds[] = {{0, "9600 bit/s"},  {1, "19200 bit/s"},  {2, "38400 bit/s"},
                                   {3, "57600 bit/s"}, {4, "115200 bit/s"}, {5, "256000 bit/s"},
                                   {6, "375000 bit/s"}};
inline constexpr Named flows[] = {
    {0, "no flow control"}, {1, "XON/XOFF flow control"}, {2, "RTS/busy hardware flow control"}};
inline constexpr Named statusBits[] = {{0x00, "off"},
                                       {0x01, "drawer"},
                                       {0x02, "online and offline"},
                                       {0x04, "errors"},
                                       {0x08, "paper sensor"}};
inline constexpr Named textPositions[] = {
    {0, "none"}, {1, "below"}, {2, "below"}, {3, "above and below"}};
inline constexpr Named barcodeFonts[] = {{0, "standard"}, {1, "small"}};
inline constexpr Named sizeModes[] = {
    {0, ""}, {1, ", double width"}, {2, ", double height"}, {3, ", quadruple size"}};
inline constexpr Named cuts[] = {{0, "full cut"},         {1, "partial cut"},
                                 {48, "full cut"},        {49, "partial cut"},
                                 {65, "feed, full cut"},  {66, "feed, partial cut"},
                                 {97, "feed, full cut"},  {98, "feed, partial cut"},
                                 {103, "feed, full cut"}, {104, "feed, partial cut"}};
inline constexpr Named qrModels[] = {{49, "model 1"}, {50, "model 2"}, {51, "micro QR"}};
inline constexpr Named qrLevels[] = {{48, "L"}, {49, "M"}, {50, "Q"}, {51, "H"}};
inline constexpr Named pdfOptions[] = {{0, "standard"}, {1, "truncated"}};
inline constexpr Named idRequests[] = {
    {1, "model ID"},          {2, "type ID"},  {3, "version ID"},
    {49, "model ID"},         {50, "type ID"}, {51, "version ID"},
    {65, "firmware version"}, {66, "maker"},   {67, "model name"},
    {68, "serial number"},    {69, "fonts"}};
inline constexpr Named sensorRequests[] = {
    {1, "paper sensor"}, {2, "drawer"}, {49, "paper sensor"}, {50, "drawer"}};
inline constexpr Named panelKeys[] = {{0, "enabled"}, {1, "disabled"}};

inline constexpr Ps none{};
inline constexpr P n[] = {number("n")};
inline constexpr P nWord[] = {word("n")};
inline constexpr P n1n2[] = {number("n1"), number("n2")};
inline constexpr P n1n2n3[] = {number("n1"), number("n2"), number("n3")};
inline constexpr P printMode[] = {bits("n", printModeBits)};
inline constexpr P font[] = {choice("n", fonts, "unknown", true)};
inline constexpr P darkness[] = {number("n", 8)};
inline constexpr P align[] = {choice("n", alignments, "(unknown)", true)};
inline constexpr P rightMargin[] = {choice("n", rightEdge, "at # mm")};
inline constexpr P headType[] = {custom("n", Describe::headType)};
inline constexpr P onOffSwitch[] = {onOff("n", offOn)};
inline constexpr P italic[] = {choice("n", offOn, "unknown", true)};
inline constexpr P underline[] = {choice("n", underlines, "unknown", true)};
inline constexpr P rotation[] = {choice("n", rotations, "unknown", true)};
inline constexpr P codePage[] = {custom("n", Describe::codePage)};
inline constexpr P international[] = {choice("n", countries, "unknown")};
inline constexpr P relative[] = {custom("n", Describe::signedDots, 2)};
inline constexpr P column[] = {choice("m", columnModes, "unknown mode #"), word("n")};
inline constexpr P direction[] = {choice("n", directions, "unknown", true)};
inline constexpr P area[] = {word("x"), word("y"), word("dx"), word("dy")};
inline constexpr P panel[] = {function("fn", 5), choice("n", panelKeys, "#")};
inline constexpr P defineCharacters[] = {number("y", 3, 1), number("c1", 126, 32),
                                         number("c2", 126, 32)};
inline constexpr P characterWidth[] = {number("x", 12)};
inline constexpr P drawerPulse[] = {number("m"), number("t1"), number("t2")};
inline constexpr P drawerPin[] = {number("m")};
inline constexpr Named symbolTypes[] = {{0, "PDF417"}, {1, "DataMatrix"}, {2, "QR Code"}};
inline constexpr P symbolType[] = {choice("n", symbolTypes, "unknown #", true)};
inline constexpr P symbolCommand[] = {number("m"), number("n"), number("k"), word("d")};
inline constexpr P extended2[] = {number("fn"), number("m")};
inline constexpr P storedBitmap[] = {number("n"),
                                     choice("m", sizeModes, ", unknown size mode #", true)};
inline constexpr P kanjiMode[] = {bits("n", kanjiModeBits)};
inline constexpr P kanjiCode[] = {choice("n", kanjiCodes, "unknown", true)};
inline constexpr P kanjiSpacing[] = {number("n1"), number("n2")};
inline constexpr P characterCode[] = {number("c1"), number("c2")};
inline constexpr P kanjiDefinition[] = {number("c1"), number("c2"), data("d", 72)};
inline constexpr P uart[] = {choice("s", speeds, "unknown speed #"),
                             choice("f", flows, "unknown flow code #")};
inline constexpr P autoStatus[] = {bits("n", statusBits)};
inline constexpr P barcodeHeight[] = {number("n", 255, 1)};
inline constexpr P barcodeModule[] = {number("n", 6, 1)};
inline constexpr P textPosition[] = {choice("n", textPositions, "unknown", true)};
inline constexpr P barcode[] = {number("m")};
inline constexpr P raster[] = {choice("m", sizeModes, ", unknown size mode #", true), word("x"),
                               word("y")};
inline constexpr P storeBitmap[] = {number("n"), number("m"), word("x"), word("y")};
inline constexpr P characterSize[] = {custom("n", Describe::characterSize)};
inline constexpr P barcodeFont[] = {onOff("n", barcodeFonts)};
inline constexpr P cut[] = {choice("m", cuts, "unknown mode #"), number("n")};
inline constexpr P motionUnits[] = {number("x"), number("y")};
inline constexpr P defineImage[] = {number("x"), number("y")};
inline constexpr P macro[] = {number("r"), number("t"), number("m")};
inline constexpr P idRequest[] = {choice("n", idRequests, "unknown #")};
inline constexpr P sensorRequest[] = {choice("n", sensorRequests, "unknown #")};
inline constexpr P buzzer[] = {number("n"), number("t")};
inline constexpr P beeper[] = {number("n"), number("c"), number("t1"), number("t2")};
inline constexpr Named realtimeRequests[] = {
    {1, "printer"}, {2, "offline cause"}, {3, "error cause"}, {4, "paper sensor"}};
inline constexpr P realtimeStatus[] = {choice("n", realtimeRequests, "unknown #")};
inline constexpr P realtimeControl[] = {number("fn"), number("m"), number("t")};
inline constexpr P counter[] = {number("n"), number("m"), word("c")};
// GS ( k: the symbol (cn) and its function (fn) choose the row.
inline constexpr P qrModel[] = {function("cn", Symbol2D::Qr), function("fn", 'A'),
                                choice("n1", qrModels, "unknown model #"), number("n2")};
inline constexpr P qrModule[] = {function("cn", Symbol2D::Qr), function("fn", 'C'),
                                 number("n", 16, 1)};
inline constexpr P qrLevel[] = {function("cn", Symbol2D::Qr), function("fn", 'E'),
                                choice("n", qrLevels, "unknown")};
inline constexpr P qrStore[] = {function("cn", Symbol2D::Qr), function("fn", 'P'), number("m")};
inline constexpr P qrPrint[] = {function("cn", Symbol2D::Qr), function("fn", 'Q'), number("m")};
inline constexpr P pdfColumns[] = {function("cn", Symbol2D::Pdf417), function("fn", 'A'),
                                   number("n", 30)};
inline constexpr P pdfRows[] = {function("cn", Symbol2D::Pdf417), function("fn", 'B'),
                                number("n", 90)};
inline constexpr P pdfModule[] = {function("cn", Symbol2D::Pdf417), function("fn", 'C'),
                                  number("n", 8, 2)};
inline constexpr P pdfRowHeight[] = {function("cn", Symbol2D::Pdf417), function("fn", 'D'),
                                     number("n", 8, 2)};
inline constexpr P pdfLevel[] = {function("cn", Symbol2D::Pdf417), function("fn", 'E'), number("m"),
                                 number("n")};
inline constexpr P pdfOption[] = {function("cn", Symbol2D::Pdf417), function("fn", 'F'),
                                  choice("m", pdfOptions, "unknown")};
inline constexpr P pdfStore[] = {function("cn", Symbol2D::Pdf417), function("fn", 'P'),
                                 number("m")};
inline constexpr P pdfPrint[] = {function("cn", Symbol2D::Pdf417), function("fn", 'Q'),
                                 number("m")};
inline constexpr Named maxiModes[] = {{50, "2"}, {51, "3"}, {52, "4"}, {53, "5"}, {54, "6"}};
inline constexpr Named aztecModes[] = {{0, "full range"}, {1, "compact"}};
inline constexpr Named dataMatrixShapes[] = {{0, "square"}, {1, "rectangular"}};
inline constexpr P maxiMode[] = {function("cn", Symbol2D::MaxiCode), function("fn", 'A'),
                                 choice("n", maxiModes, "unknown #")};
inline constexpr P maxiStore[] = {function("cn", Symbol2D::MaxiCode), function("fn", 'P'),
                                  number("m")};
inline constexpr P maxiPrint[] = {function("cn", Symbol2D::MaxiCode), function("fn", 'Q'),
                                  number("m")};
inline constexpr P aztecMode[] = {function("cn", Symbol2D::Aztec), function("fn", '2'),
                                  choice("n1", aztecModes, "unknown #"), number("n2", 32)};
inline constexpr P aztecModule[] = {function("cn", Symbol2D::Aztec), function("fn", '3'),
                                    number("n", 16, 2)};
inline constexpr P aztecLevel[] = {function("cn", Symbol2D::Aztec), function("fn", '5'),
                                   number("n", 95, 5)};
inline constexpr P aztecStore[] = {function("cn", Symbol2D::Aztec), function("fn", 'P'),
                                   number("m")};
inline constexpr P aztecPrint[] = {function("cn", Symbol2D::Aztec), function("fn", 'Q'),
                                   number("m")};
inline constexpr P dataMatrixShape[] = {function("cn", Symbol2D::DataMatrix), function("fn", 'B'),
                                        choice("m", dataMatrixShapes, "unknown #"),
                                        number("d1", 144), number("d2", 144)};
inline constexpr P dataMatrixModule[] = {function("cn", Symbol2D::DataMatrix), function("fn", 'C'),
                                         number("n", 16, 2)};
inline constexpr P dataMatrixStore[] = {function("cn", Symbol2D::DataMatrix), function("fn", 'P'),
                                        number("m")};
inline constexpr P dataMatrixPrint[] = {function("cn", Symbol2D::DataMatrix), function("fn", 'Q'),
                                        number("m")};
inline constexpr P symbol[] = {number("cn"), number("fn")};
// GS ( L and GS 8 L: the function (fn) after the tone (m) chooses the row.
inline constexpr P graphicsStore[] = {number("m"),  function("fn", 112), number("a"), number("bx"),
                                      number("by"), number("c"),         word("x"),   word("y")};
inline constexpr P graphicsPrint[] = {number("m"), function("fn", 2, true)};
inline constexpr P nvStore[] = {number("m"),   function("fn", 'C'), number("a"), number("kc1"),
                                number("kc2"), number("b"),         word("x"),   word("y")};
inline constexpr P nvPrint[] = {number("m"),   function("fn", 'E'), number("kc1"),
                                number("kc2"), number("x"),         number("y")};
inline constexpr P graphicsDensity[] = {number("m"), function("fn", 1, true)};
inline constexpr P graphicsCapacity[] = {number("m"), function("fn", 0, true)};
inline constexpr P graphics[] = {number("m"), number("fn")};

// --- Rows ------------------------------------------------------------------------------------

constexpr Command c1(Op op, std::uint8_t b0, std::string_view mnemonic, std::string_view meaning)
{
    return {op, 1, {b0, 0, 0}, L::Fixed, {}, mnemonic, meaning};
}
constexpr Command c2(Op op, std::uint8_t b0, std::uint8_t b1, L layout, Ps parameters,
                     std::string_view mnemonic, std::string_view meaning)
{
    return {op, 2, {b0, b1, 0}, layout, parameters, mnemonic, meaning};
}
constexpr Command c3(Op op, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, L layout,
                     Ps parameters, std::string_view mnemonic, std::string_view meaning)
{
    return {op, 3, {b0, b1, b2}, layout, parameters, mnemonic, meaning};
}
// A command of common printers that the controller reads whole and does not carry out.
constexpr Command skip(std::uint8_t b0, std::uint8_t b1, Ps parameters, std::string_view mnemonic,
                       std::string_view meaning)
{
    return {Op::Skipped, 2, {b0, b1, 0}, L::Fixed, parameters, mnemonic, meaning, true};
}
constexpr Command skip(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, Ps parameters,
                       std::string_view mnemonic, std::string_view meaning)
{
    return {Op::Skipped, 3, {b0, b1, b2}, L::Extended, parameters, mnemonic, meaning, true};
}
} // namespace Table

// The third byte of GS ( that stands for any UART speed code.
inline constexpr std::uint8_t anySpeedCode = 0xFF;

namespace Table {
inline constexpr Command rows[] = {
    // Controls.
    c1(Op::Ignored, NUL, "NUL", "ignored"),
    c1(Op::Tab, HT, "HT", "next tab stop"),
    c1(Op::LineFeed, LF, "LF", "print and feed one line"),
    c1(Op::CarriageReturn, CR, "CR", "print, back to the start of the line"),
    c1(Op::PrintPage, FF, "FF", "print the page, back to standard mode"),
    c1(Op::CancelPage, CAN, "CAN", "cancel the page's data in the print area"),
    // ESC: the controller's own.
    c2(Op::Initialise, ESC, '@', L::Fixed, none, "ESC @", "initialise"),
    c2(Op::PrintMode, ESC, '!', L::Fixed, printMode, "ESC !", "print mode: {n}"),
    c2(Op::Font, ESC, 'M', L::Fixed, font, "ESC M", "font: {n}"),
    c2(Op::Align, ESC, 'a', L::Fixed, align, "ESC a", "align {n}"),
    c2(Op::LineSpacing, ESC, '3', L::Fixed, n, "ESC 3", "line spacing {n} dots"),
    c2(Op::DefaultLineSpacing, ESC, '2', L::Fixed, none, "ESC 2", "default line spacing"),
    c2(Op::TabStops, ESC, 'D', L::TabStops, none, "ESC D", "tab stops"),
    c2(Op::FeedDots, ESC, 'J', L::Fixed, n, "ESC J", "print and feed {n} dots"),
    c2(Op::FeedLines, ESC, 'd', L::Fixed, n, "ESC d", "print and feed {n} lines"),
    c2(Op::LeftMargin, ESC, 'l', L::Fixed, n, "ESC l", "left margin {n} mm"),
    c2(Op::RightMargin, ESC, 'Q', L::Fixed, rightMargin, "ESC Q", "right edge {n}"),
    c2(Op::AbsolutePosition, ESC, '$', L::Fixed, nWord, "ESC $", "print position {n} dots"),
    c2(Op::PrintHead, ESC, 'Z', L::Fixed, headType, "ESC Z", "print head type {n}"),
    // After GS Z, as common printers read it; the decoder chooses it.
    c2(Op::SymbolCommand, ESC, 'Z', L::Counted, symbolCommand, "ESC Z",
       "print {d} bytes as the symbol of GS Z: m {m}, level {n}, module {k} dots"),
    c2(Op::FullCut, ESC, 'i', L::Fixed, none, "ESC i", "full cut"),
    c2(Op::PartialCut, ESC, 'n', L::Fixed, none, "ESC n", "partial cut"),
    // A row followed by one with the same bytes and the first of its parameters (or none):
    // that short form is the command where the byte after the short form is outside the
    // longer row's values there, begins a command, or does not come (the stream ends).
    c2(Op::Darkness, ESC, 'm', L::Fixed, darkness, "ESC m", "darkness {n}"),
    c2(Op::PartialCut, ESC, 'm', L::Fixed, none, "ESC m", "partial cut (older form)"),
    // ESC: common printers' text and positions.
    c2(Op::Emphasis, ESC, 'E', L::Fixed, onOffSwitch, "ESC E", "emphasis {n}"),
    c2(Op::Italic, ESC, '4', L::Fixed, italic, "ESC 4", "italic {n}"),
    c2(Op::Italic, ESC, '4', L::Fixed, none, "ESC 4", "italic on"),
    c2(Op::Italic, ESC, '5', L::Fixed, none, "ESC 5", "italic off"),
    c2(Op::Font, ESC, 0x0F, L::Fixed, none, "ESC SI", "font: small (compressed characters)"),
    skip(ESC, 'O', none, "ESC O", "cancel the bottom margin (ignored)"),
    c2(Op::DoubleStrike, ESC, 'G', L::Fixed, onOffSwitch, "ESC G",
       "double strike {n} (printed bold)"),
    c2(Op::Underline, ESC, '-', L::Fixed, underline, "ESC -", "underline {n}"),
    c2(Op::RightSpacing, ESC, ' ', L::Fixed, n, "ESC SP", "character right spacing {n} dots"),
    c2(Op::UpsideDown, ESC, '{', L::Fixed, onOffSwitch, "ESC {", "upside down {n}"),
    c2(Op::Rotate, ESC, 'V', L::Fixed, rotation, "ESC V", "turned 90 degrees: {n}"),
    c2(Op::CodePage, ESC, 't', L::Fixed, codePage, "ESC t", "code page {n}"),
    c2(Op::International, ESC, 'R', L::Fixed, international, "ESC R",
       "international character set {n}"),
    c2(Op::RelativePosition, ESC, '\\', L::Fixed, relative, "ESC \\",
       "relative print position {n}"),
    c2(Op::ColumnPicture, ESC, '*', L::Column, column, "ESC *", "column picture, {m}, {n} columns"),
    c2(Op::DefineCharacters, ESC, '&', L::Fixed, defineCharacters, "ESC &",
       "define user-defined characters {c1} to {c2}, {y} bytes tall"),
    c2(Op::UserCharactersOn, ESC, '%', L::Fixed, onOffSwitch, "ESC %",
       "user-defined characters {n}"),
    skip(ESC, '=', n, "ESC =", "select peripheral device {n} (ignored)"),
    c2(Op::CancelCharacter, ESC, '?', L::Fixed, n, "ESC ?",
       "cancel the user-defined character {n}"),
    c2(Op::PageMode, ESC, 'L', L::Fixed, none, "ESC L", "page mode"),
    c2(Op::StandardMode, ESC, 'S', L::Fixed, none, "ESC S", "standard mode, the page discarded"),
    c2(Op::PrintDirection, ESC, 'T', L::Fixed, direction, "ESC T", "page mode print direction {n}"),
    c2(Op::PageArea, ESC, 'W', L::Fixed, area, "ESC W",
       "page mode print area at {x}, {y}, {dx} x {dy} dots"),
    c2(Op::PrintPage, ESC, FF, L::Fixed, none, "ESC FF", "print the page, stay in page mode"),
    skip(ESC, 'U', onOffSwitch, "ESC U", "unidirectional printing {n} (ignored)"),
    skip(ESC, 'c', panel, "ESC c 5", "panel buttons {n} (ignored)"),
    skip(ESC, 'c', n1n2, "ESC c", "paper sensor settings (ignored)"),
    skip(ESC, 'e', n, "ESC e", "reverse feed {n} lines (no reverse feed)"),
    c2(Op::DrawerKick, ESC, 'p', L::Fixed, drawerPulse, "ESC p",
       "drawer kick pulse, pin {m}, {t1} x 2 ms on, {t2} x 2 ms off"),
    c2(Op::DrawerKick, ESC, 'p', L::Fixed, drawerPin, "ESC p",
       "drawer kick pulse, pin {m}, the default pulse (older form)"),
    c2(Op::Buzzer, ESC, 'B', L::Fixed, buzzer, "ESC B", "buzzer {n} times, {t} x 100 ms"),
    skip(ESC, 'r', n, "ESC r", "print colour {n} (one colour only)"),
    skip(ESC, 'u', n, "ESC u", "drawer status request (no drawer)"),
    skip(ESC, 'v', none, "ESC v", "paper sensor status request (no reply)"),
    skip(ESC, '<', none, "ESC <", "return home (ignored)"),
    c3(Op::Buzzer, ESC, '(', 'A', L::Extended, beeper, "ESC ( A", "beeper {c} times"),
    skip(ESC, '(', 'Y', extended2, "ESC ( Y", "batch print (ignored)"),
    // FS.
    c2(Op::DoubleByteOn, FS, '&', L::Fixed, none, "FS &", "double-byte mode on"),
    c2(Op::DoubleByteOff, FS, '.', L::Fixed, none, "FS .", "double-byte mode off"),
    c2(Op::PrintStoredBitmap, FS, 'p', L::Fixed, storedBitmap, "FS p",
       "print stored bitmap {n}{m}"),
    c2(Op::KanjiPrintMode, FS, '!', L::Fixed, kanjiMode, "FS !", "double-byte print mode: {n}"),
    c2(Op::KanjiUnderline, FS, '-', L::Fixed, underline, "FS -", "double-byte underline {n}"),
    c2(Op::KanjiCode, FS, 'C', L::Fixed, kanjiCode, "FS C", "double-byte code {n}"),
    skip(FS, 'S', kanjiSpacing, "FS S",
         "double-byte character spacing {n1} and {n2} dots (ignored)"),
    skip(FS, 'W', onOffSwitch, "FS W", "double-byte quadruple size {n} (ignored)"),
    skip(FS, '?', characterCode, "FS ?", "cancel a user-defined character (none defined)"),
    skip(FS, '2', kanjiDefinition, "FS 2",
         "define a user-defined double-byte character (not kept)"),
    skip(FS, '(', 'A', extended2, "FS ( A", "double-byte character style (ignored)"),
    skip(FS, '(', 'C', extended2, "FS ( C", "character code settings (ignored)"),
    skip(FS, '(', 'E', extended2, "FS ( E", "receipt enhancement (ignored)"),
    skip(FS, '(', 'L', extended2, "FS ( L", "label paper (no label paper)"),
    skip(FS, '(', 'e', extended2, "FS ( e", "automatic status (ignored)"),
    skip(FS, '(', 'f', extended2, "FS ( f", "paper layout (ignored)"),
    // DLE.
    c2(Op::StatusRequest, DLE, EOT, L::Fixed, none, "DLE EOT", "status request"),
    c2(Op::FirmwareRequest, DLE, ENQ, L::Fixed, none, "DLE ENQ", "firmware information request"),
    c2(Op::ClearBuffer, DLE, DC4, L::Fixed, none, "DLE DC4", "clear the print buffer"),
    c2(Op::Sleep, DLE, SYN, L::Fixed, none, "DLE SYN", "sleep until the next command"),
    // GS: the controller's own.
    c3(Op::UartMode, GS, '(', anySpeedCode, L::Uart, uart, "GS (", "UART {s}, {f}"),
    c2(Op::AutoStatus, GS, 'a', L::Fixed, autoStatus, "GS a", "automatic status back: {n}"),
    c2(Op::BarcodeHeight, GS, 'h', L::Fixed, barcodeHeight, "GS h", "barcode height {n} dots"),
    c2(Op::BarcodeWidth, GS, 'w', L::Fixed, barcodeModule, "GS w", "barcode module width {n} dots"),
    c2(Op::BarcodeText, GS, 'H', L::Fixed, textPosition, "GS H", "barcode text: {n}"),
    c2(Op::Barcode, GS, 'k', L::Barcode, barcode, "GS k", "barcode"),
    c3(Op::QrModel, GS, '(', 'k', L::Extended, qrModel, "GS ( k 165", "QR {n1}"),
    c3(Op::QrModuleSize, GS, '(', 'k', L::Extended, qrModule, "GS ( k 167",
       "QR module size {n} dots"),
    c3(Op::QrErrorCorrection, GS, '(', 'k', L::Extended, qrLevel, "GS ( k 169",
       "QR error correction {n}"),
    c3(Op::QrStore, GS, '(', 'k', L::Extended, qrStore, "GS ( k 180",
       "store {data} bytes of QR data"),
    c3(Op::QrPrint, GS, '(', 'k', L::Extended, qrPrint, "GS ( k 181", "print the QR code"),
    c3(Op::Pdf417Columns, GS, '(', 'k', L::Extended, pdfColumns, "GS ( k 065",
       "PDF417 columns {n}"),
    c3(Op::Pdf417Rows, GS, '(', 'k', L::Extended, pdfRows, "GS ( k 066", "PDF417 rows {n}"),
    c3(Op::Pdf417ModuleWidth, GS, '(', 'k', L::Extended, pdfModule, "GS ( k 067",
       "PDF417 module width {n} dots"),
    c3(Op::Pdf417RowHeight, GS, '(', 'k', L::Extended, pdfRowHeight, "GS ( k 068",
       "PDF417 row height {n} modules"),
    c3(Op::Pdf417ErrorCorrection, GS, '(', 'k', L::Extended, pdfLevel, "GS ( k 069",
       "PDF417 error correction"),
    c3(Op::Pdf417Options, GS, '(', 'k', L::Extended, pdfOption, "GS ( k 070", "PDF417 {m}"),
    c3(Op::Pdf417Store, GS, '(', 'k', L::Extended, pdfStore, "GS ( k 080",
       "store {data} bytes of PDF417 data"),
    c3(Op::Pdf417Print, GS, '(', 'k', L::Extended, pdfPrint, "GS ( k 081",
       "print the PDF417 symbol"),
    c3(Op::SymbolSetting, GS, '(', 'k', L::Extended, maxiMode, "GS ( k 265", "MaxiCode mode {n}"),
    c3(Op::SymbolStore, GS, '(', 'k', L::Extended, maxiStore, "GS ( k 280",
       "store {data} bytes of MaxiCode data"),
    c3(Op::SymbolPrint, GS, '(', 'k', L::Extended, maxiPrint, "GS ( k 281", "print the MaxiCode"),
    c3(Op::SymbolSetting, GS, '(', 'k', L::Extended, aztecMode, "GS ( k 550",
       "Aztec {n1}, {n2} layers (0: automatic)"),
    c3(Op::SymbolSetting, GS, '(', 'k', L::Extended, aztecModule, "GS ( k 551",
       "Aztec module size {n} dots"),
    c3(Op::SymbolSetting, GS, '(', 'k', L::Extended, aztecLevel, "GS ( k 553",
       "Aztec error correction {n} %"),
    c3(Op::SymbolStore, GS, '(', 'k', L::Extended, aztecStore, "GS ( k 580",
       "store {data} bytes of Aztec data"),
    c3(Op::SymbolPrint, GS, '(', 'k', L::Extended, aztecPrint, "GS ( k 581",
       "print the Aztec symbol"),
    c3(Op::SymbolSetting, GS, '(', 'k', L::Extended, dataMatrixShape, "GS ( k 666",
       "DataMatrix {m}, {d1} x {d2} modules (0: automatic)"),
    c3(Op::SymbolSetting, GS, '(', 'k', L::Extended, dataMatrixModule, "GS ( k 667",
       "DataMatrix module size {n} dots"),
    c3(Op::SymbolStore, GS, '(', 'k', L::Extended, dataMatrixStore, "GS ( k 680",
       "store {data} bytes of DataMatrix data"),
    c3(Op::SymbolPrint, GS, '(', 'k', L::Extended, dataMatrixPrint, "GS ( k 681",
       "print the DataMatrix symbol"),
    c3(Op::Symbol, GS, '(', 'k', L::Extended, symbol, "GS ( k", "2D symbol cn {cn} fn {fn}"),
    c3(Op::Raster, GS, 'v', '0', L::Raster, raster, "GS v 0", "raster picture"),
    c2(Op::StoreBitmap, GS, 'q', L::StoreBitmap, storeBitmap, "GS q", "store bitmap"),
    // GS: common printers' commands.
    c2(Op::CharacterSize, GS, '!', L::Fixed, characterSize, "GS !", "{n}"),
    c2(Op::ReverseMode, GS, 'B', L::Fixed, onOffSwitch, "GS B", "reverse printing {n}"),
    c2(Op::LeftMarginDots, GS, 'L', L::Fixed, nWord, "GS L", "left margin {n} dots"),
    c2(Op::PrintAreaWidth, GS, 'W', L::Fixed, nWord, "GS W", "print area width {n} dots"),
    c2(Op::BarcodeFont, GS, 'f', L::Fixed, barcodeFont, "GS f", "barcode text font {n}"),
    c2(Op::Cut, GS, 'V', L::Cut, cut, "GS V", "{m}"),
    c3(Op::GraphicsStore, GS, '(', 'L', L::Extended, graphicsStore, "GS ( L 112",
       "graphics {x} x {y} dots into the print buffer"),
    c3(Op::GraphicsPrint, GS, '(', 'L', L::Extended, graphicsPrint, "GS ( L 50",
       "print the graphics in the print buffer"),
    c3(Op::NvGraphicsStore, GS, '(', 'L', L::Extended, nvStore, "GS ( L 67",
       "keep graphics {x} x {y} dots as NV graphics {kc1} {kc2}"),
    c3(Op::NvGraphicsPrint, GS, '(', 'L', L::Extended, nvPrint, "GS ( L 69",
       "print NV graphics {kc1} {kc2}"),
    c3(Op::Skipped, GS, '(', 'L', L::Extended, graphicsDensity, "GS ( L 49",
       "graphics dot density (accepted)"),
    c3(Op::Skipped, GS, '(', 'L', L::Extended, graphicsCapacity, "GS ( L 48",
       "NV graphics capacity request (no reply)"),
    c3(Op::Graphics, GS, '(', 'L', L::Extended, graphics, "GS ( L", "graphics function {fn}"),
    c3(Op::GraphicsStore, GS, '8', 'L', L::LongExtended, graphicsStore, "GS 8 L 112",
       "graphics {x} x {y} dots into the print buffer"),
    c3(Op::NvGraphicsStore, GS, '8', 'L', L::LongExtended, nvStore, "GS 8 L 67",
       "keep graphics {x} x {y} dots as NV graphics {kc1} {kc2}"),
    c3(Op::GraphicsPrint, GS, '8', 'L', L::LongExtended, graphicsPrint, "GS 8 L 50",
       "print the graphics in the print buffer"),
    c3(Op::NvGraphicsPrint, GS, '8', 'L', L::LongExtended, nvPrint, "GS 8 L 69",
       "print NV graphics {kc1} {kc2}"),
    c3(Op::Skipped, GS, '8', 'L', L::LongExtended, graphicsDensity, "GS 8 L 49",
       "graphics dot density (accepted)"),
    c3(Op::Skipped, GS, '8', 'L', L::LongExtended, graphicsCapacity, "GS 8 L 48",
       "NV graphics capacity request (no reply)"),
    c3(Op::Graphics, GS, '8', 'L', L::LongExtended, graphics, "GS 8 L", "graphics function {fn}"),
    c2(Op::MotionUnits, GS, 'P', L::Fixed, motionUnits, "GS P",
       "motion units 1/{x} and 1/{y} inch (0: 1/203 inch, a dot)"),
    c2(Op::PageVertical, GS, '$', L::Fixed, nWord, "GS $", "page mode vertical position {n} dots"),
    c2(Op::PageVertical, GS, '\\', L::Fixed, relative, "GS \\",
       "page mode relative vertical position {n}"),
    {Op::Skipped,
     2,
     {GS, '*', 0},
     L::DefineImage,
     defineImage,
     "GS *",
     "define a downloaded picture of {x} x {y} bytes (not kept)",
     true},
    skip(GS, '/', n, "GS /", "print the downloaded picture (none kept)"),
    skip(GS, ':', none, "GS :", "macro definition (ignored)"),
    skip(GS, '^', macro, "GS ^", "run a macro (none defined)"),
    c2(Op::PrinterId, GS, 'I', L::Fixed, idRequest, "GS I", "printer ID request: {n}"),
    skip(GS, 'T', n, "GS T", "print position to the line start (ignored)"),
    skip(GS, 'b', onOffSwitch, "GS b", "smoothing {n} (ignored)"),
    skip(GS, 'j', n, "GS j", "automatic ink status (no ink)"),
    c2(Op::SensorStatus, GS, 'r', L::Fixed, sensorRequest, "GS r", "status request: {n}"),
    c2(Op::SymbolType, GS, 'Z', L::Fixed, symbolType, "GS Z", "2D symbol of ESC Z: {n}"),
    skip(GS, 'E', n, "GS E", "print density (ignored)"),
    skip(GS, '<', none, "GS <", "initialise the mechanism (ignored)"),
    skip(GS, 'g', counter, "GS g", "maintenance counter (no counter)"),
    skip(GS, '(', 'A', extended2, "GS ( A", "test print (not carried out)"),
    skip(GS, '(', 'C', extended2, "GS ( C", "NV user memory (not kept)"),
    skip(GS, '(', 'D', extended2, "GS ( D", "real-time command switches (ignored)"),
    skip(GS, '(', 'E', extended2, "GS ( E", "user setup (ignored)"),
    skip(GS, '(', 'H', extended2, "GS ( H", "response request (no reply)"),
    skip(GS, '(', 'K', extended2, "GS ( K", "print control (ignored)"),
    skip(GS, '(', 'M', extended2, "GS ( M", "customised values (ignored)"),
    skip(GS, '(', 'N', extended2, "GS ( N", "character colour (one colour only)"),
    skip(GS, '(', 'P', extended2, "GS ( P", "page mode settings (ignored; ESC W sets the area)"),
    skip(GS, '(', 'Q', extended2, "GS ( Q", "lines and boxes (not drawn)"),
    skip(GS, '(', 'z', extended2, "GS ( z", "paper settings (ignored)"),
};
} // namespace Table

inline constexpr std::span<const Command> commandTable = Table::rows;

// The parameters that common printers take after their real-time commands DLE EOT n,
// DLE ENQ n and DLE DC4 fn ..., which the controller's own DLE EOT, DLE ENQ and DLE DC4 do not
// have: read after them, so that they do not start UTF-16 text. Rows without bytes of their own;
// the decoder chooses them by the command before.
inline constexpr Command realtimeStatus{Op::RealtimeStatus, 0, {0, 0, 0}, Layout::Fixed,
                                        Table::realtimeStatus, "DLE EOT n",
                                        "real-time status: {n}"};
inline constexpr Command realtimeRequest{Op::Skipped, 0, {0, 0, 0}, Layout::Fixed, Table::n,
                                         "DLE ENQ n", "real-time request {n} (ignored)", true};
inline constexpr Command realtimeControl{Op::RealtimeControl, 0, {0, 0, 0}, Layout::Fixed,
                                         Table::realtimeControl, "DLE DC4 fn",
                                         "real-time command {fn}"};

// One character's definition after ESC & y c1 c2: its width x (at most 12 dots, a cell of the
// standard font) and y * x bytes of dots, column by column, top byte first.
inline constexpr Command userCharacter{Op::UserCharacter,
                                       0,
                                       {0, 0, 0},
                                       Layout::Fixed,
                                       Table::characterWidth,
                                       "(character)",
                                       "user-defined character, {x} dots wide"};

// DC2 after ESC SI: compressed characters off, as the dialects that have ESC SI take it.
inline constexpr Command cancelCompressed{Op::Font,   0, {0, 0, 0}, Layout::Fixed, {}, "DC2",
                                          "font: standard (compressed characters off)"};

// A control byte 01-1F that starts no command and makes no supported UTF-16 character with the
// byte after it (BEL, SO, SI, DC4, a parameter byte left over): ignored, as common printers
// ignore it, and the next byte starts what follows.
inline constexpr Command strayControl{Op::Ignored,
                                      0,
                                      {0, 0, 0},
                                      Layout::Fixed,
                                      {},
                                      "(control)",
                                      "a control byte that starts no command (ignored)",
                                      true};

namespace Table {
constexpr std::size_t indexOf(Op op)
{
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (rows[i].op == op)
            return i;
    }
    return std::size(rows);
}

// Rows with the same bytes follow one another, and those that a function byte chooses frame
// as the row after them would up to that byte: the decoder frames with the first and chooses
// once the function bytes are in.
constexpr bool familiesHoldTogether()
{
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        for (std::size_t j = i + 2; j < std::size(rows); ++j) {
            const bool same = rows[i].length == rows[j].length && rows[i].bytes == rows[j].bytes;
            if (same && !(rows[i + 1].bytes == rows[i].bytes))
                return false;
        }
        if (rows[i].selectorBytes() > 0 && i + 1 < std::size(rows) &&
            !(rows[i + 1].bytes == rows[i].bytes && rows[i + 1].layout == rows[i].layout))
            return false;
    }
    return true;
}
static_assert(familiesHoldTogether(), "rows with the same bytes stand together");

constexpr bool valuesFit()
{
    for (const Command &row : rows) {
        if (row.parameters.size() > std::size_t(Values::max))
            return false;
    }
    return true;
}
static_assert(valuesFit(), "an event holds the values of every row's parameters");
} // namespace Table

template <Op op>
constexpr auto bytesOf()
{
    constexpr std::size_t index = Table::indexOf(op);
    static_assert(index < std::size(Table::rows), "no command for this operation");
    constexpr Command command = Table::rows[index];
    std::array<std::uint8_t, command.length> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = command.bytes[i];
    return bytes;
}

} // namespace Protocol
