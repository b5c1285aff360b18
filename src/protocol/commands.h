// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/controlbytes.h"
#include "protocol/values.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The controller's command language named once. A command's row says everything a layer needs
// to know of it: its bytes, how its parameters are laid out, each parameter's name, width,
// allowed values and what each value means, its mnemonic and its meaning. The tool's CommandSet
// takes its bytes from here; the virtual controller frames the stream, names the parameters,
// writes the trace and dispatches to its handlers with it; the docs' command table is made from
// it. Adding a command is adding a row.
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
    // Barcodes and 2D symbols.
    BarcodeHeight,         // GS h n
    BarcodeWidth,          // GS w n
    BarcodeText,           // GS H n
    Barcode,               // GS k m ...
    QrModel,               // GS ( k ... 31 41 n1 n2
    QrModuleSize,          // GS ( k 03 00 31 43 n
    QrErrorCorrection,     // GS ( k 03 00 31 45 n
    QrStore,               // GS ( k pL pH 31 50 30 d...
    QrPrint,               // GS ( k 03 00 31 51 m
    Pdf417Columns,         // GS ( k ... 30 41 n
    Pdf417Rows,            // GS ( k ... 30 42 n
    Pdf417ModuleWidth,     // GS ( k ... 30 43 n
    Pdf417RowHeight,       // GS ( k ... 30 44 n
    Pdf417ErrorCorrection, // GS ( k ... 30 45 m n
    Pdf417Options,         // GS ( k ... 30 46 m
    Pdf417Store,           // GS ( k pL pH 30 50 30 d...
    Pdf417Print,           // GS ( k ... 30 51 m
    Symbol,                // GS ( k with another symbol or function
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
    GraphicsStore,    // GS ( L / GS 8 L ... 30 70 ...: a picture into the print buffer
    GraphicsPrint,    // GS ( L ... 30 32: print the print buffer's picture
    NvGraphicsStore,  // GS ( L / GS 8 L ... 30 43 ...: a picture kept under a key
    NvGraphicsPrint,  // GS ( L ... 30 45 kc1 kc2 x y
    Graphics,         // GS ( L / GS 8 L with another function
    Cut,              // GS V m [n]
    Italic,           // ESC 4 n
    // Status, the drawer and the buzzer of common printers.
    RealtimeStatus,  // DLE EOT n
    RealtimeControl, // DLE DC4 fn m t
    SensorStatus,    // GS r n
    PrinterId,       // GS I n
    DrawerKick,      // ESC p m t1 t2
    Buzzer,          // ESC B n t, ESC ( A pL pH n c t1 t2
    MotionUnits,      // GS P x y
    SymbolSetting,    // GS ( k: a MaxiCode, Aztec or DataMatrix setting
    SymbolStore,      // GS ( k ... 50, 53, 54 80 m d...
    SymbolPrint,      // GS ( k ... 50, 53, 54 81 m
    DefineCharacters, // ESC & y c1 c2, then per character x and y * x bytes
    UserCharacter,    // one character's x and dots after ESC &
    UserCharactersOn, // ESC % n
    CancelCharacter,  // ESC ? n
    SymbolType,       // GS Z n: the symbol of ESC Z m n k dL dH
    SymbolCommand,    // ESC Z m n k dL dH d... after GS Z
    // Page mode of common printers.
    PageMode,       // ESC L
    StandardMode,   // ESC S
    PrintDirection, // ESC T n
    PageArea,       // ESC W xL xH yL yH dxL dxH dyL dyH
    PageVertical,   // GS $ nL nH, GS \ nL nH
    PrintPage,      // FF, ESC FF
    CancelPage,     // CAN
};
inline constexpr std::size_t opCount = std::size_t(Op::CancelPage) + 1;

// How a command's parameters follow its bytes; the parameters' own list says what they are.
enum class Layout : std::uint8_t {
    Fixed,        // the parameters, and nothing after them
    TabStops,     // stops up to NUL
    Barcode,      // m, then NUL-terminated data (m 0-6) or a length byte and the data (m 65-79)
    Extended,     // pL pH and that many bytes: the parameters, then a data block
    LongExtended, // p1 p2 p3 p4 and that many bytes: as Extended
    Raster,       // m xL xH yL yH, then (xL + 256 xH)(yL + 256 yH) bytes
    StoreBitmap,  // l a xL xH yL yH, then (xL + 256 xH)(yL + 256 yH) bytes
    Column,       // m nL nH, then n columns of 1 (m 0, 1) or 3 (m 32, 33) bytes
    DefineImage,  // x y, then 8 x y bytes
    Uart,         // speed code 0-6 (the command's third byte) and flow code
    Cut,          // m, and n after m 65, 66, 97, 98, 103, 104
    Counted,      // the parameters, the last a count of the data bytes after them
};

// How a parameter's value reads.
enum class Reading : std::uint8_t {
    Number, // a count, a size, a position: the value itself
    Choice, // one of `names`; `other` for a value without a name
    Switch, // names[0] or names[1] by the value's lowest bit, as common printers read on/off
    Bits,   // the names of the bits that are set; the name of value 0 when none is
    Select, // a function byte: the value `low` (or its ASCII digit) chooses this row
    Custom, // `describe` says it
    Data,   // bytes that are no value (a character's dots)
};

// A value, or a bit, and what it means.
struct Named
{
    std::uint16_t value;
    std::string_view text;
};

struct Parameter
{
    std::string_view name;
    std::uint8_t width = 1; // bytes, low byte first
    Reading reading = Reading::Number;
    std::uint16_t low = 0; // the values the controller takes
    std::uint16_t high = 255;
    std::span<const Named> names = {};
    std::string_view other = {}; // Choice: for a value without a name; '#' is the value
    bool digits = false;         // the ASCII digits '0'... stand for 0... too (ESC a '1')
    std::string (*describe)(int value) = nullptr; // Custom

    // The value as the controller takes it (a digit read as its number), or -1 outside the
    // allowed values.
    constexpr int accepted(int value) const
    {
        int taken = -1;
        if (value >= low && value <= high)
            taken = value;
        else if (digits && value >= '0' + low && value <= '0' + high)
            taken = value - '0';
        if (taken < 0 || reading != Reading::Choice)
            return taken;
        for (const Named &name : names) {
            if (name.value == taken)
                return taken;
        }
        return -1;
    }
};

struct Command
{
    Op op;
    std::uint8_t length; // of the command's own bytes, 1-3
    std::array<std::uint8_t, 3> bytes;
    Layout layout;
    std::span<const Parameter> parameters;
    std::string_view mnemonic;
    // What the controller does with it, with {name} standing for the meaning of a parameter's
    // value and {data} for the length of the data block it announces.
    std::string_view meaning;
    bool skipped = false; // read whole and not carried out

    // Bytes of all parameters.
    constexpr int parameterBytes() const
    {
        int bytes = 0;
        for (const Parameter &parameter : parameters)
            bytes += parameter.width;
        return bytes;
    }
    // Bytes of the parameters up to and including the last function byte that selects this
    // row among those with the same bytes; 0 when none does.
    constexpr int selectorBytes() const
    {
        int bytes = 0;
        int end = 0;
        for (const Parameter &parameter : parameters) {
            bytes += parameter.width;
            if (parameter.reading == Reading::Select)
                end = bytes;
        }
        return end;
    }
    // Where the first parameter sits, from the first byte of the command.
    constexpr int firstParameter() const
    {
        switch (layout) {
        case Layout::Extended:
            return length + 2;
        case Layout::LongExtended:
            return length + 4;
        case Layout::Uart:
            return 2; // the speed code is the third byte
        default:
            return length;
        }
    }
    // The index of the parameter called `name`, or -1.
    constexpr int indexOf(std::string_view name) const
    {
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            if (parameters[i].name == name)
                return int(i);
        }
        return -1;
    }
};

// Every command, the controller's own and those of common printers it reads. Rows with the
// same bytes follow one another, the ones chosen by function bytes first.
std::span<const Command> commands();

// The first row whose bytes begin with `prefix second` (and `third` for the families of
// three-byte commands: GS ( k, GS v 0, FS ( A ...), or null.
const Command *findCommand(std::uint8_t prefix, std::uint8_t second, std::uint8_t third);
// Whether the command of `prefix second` needs a third byte to be known.
bool needsThirdByte(std::uint8_t prefix, std::uint8_t second);
// Whether rows after `first` with its bytes are chosen by function bytes among the parameters.
bool hasFunctions(const Command &first);
// Of the rows that share `first`'s bytes, the first whose function bytes match `parameters`
// (the command's parameter bytes, as many as have come; at most `available` of them belong to
// the command).
const Command &selectFunction(const Command &first, std::span<const std::uint8_t> parameters,
                              int available);

// The values of a command's parameters as read from its bytes; -1 for a parameter the command
// did not bring (n of GS V m) or one that is data.
struct Values
{
    static constexpr int max = 8;
    std::array<int, max> values; // the first `count` of them
    int count = 0;
};
Values readValues(const Command &command, std::span<const std::uint8_t> bytes);

// The meaning of a parameter's value ("off", "double width, bold", "384 dots" is the row's).
std::string describeValue(const Parameter &parameter, int value);
// The row's meaning with its parameters' values put in.
std::string describe(const Command &command, const Values &values, std::uint64_t dataLength);
// The mnemonic and the parameters that are not function bytes or data: "ESC a 1",
// "ESC $ 50 0", "GS ( k 167 4", "GS v 0 0 48 256".
std::string mnemonicWithValues(const Command &command, const Values &values);

// The bytes of the command that `op` stands for, for whoever sends it.
template <Op op>
constexpr auto bytesOf();

} // namespace Protocol

#include "protocol/commandtable.h"
