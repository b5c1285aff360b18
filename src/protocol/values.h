// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The values that the tool sends and the controller reads: print-mode bits, alignment and font
// codes, print heads, UART codes, barcode systems. Named here once for both sides.
namespace Protocol {

inline constexpr int dotsPerMm = 8;
inline constexpr int defaultDarkness = 4; // ESC m after ESC @

// The print-mode byte of ESC ! n; the bits combine by OR.
namespace PrintMode {
inline constexpr std::uint8_t Normal = 0x00;
inline constexpr std::uint8_t SmallFont = 0x01; // common printers: font B
inline constexpr std::uint8_t Italic = 0x02;
inline constexpr std::uint8_t Bold = 0x08;
inline constexpr std::uint8_t DoubleHeight = 0x10;
inline constexpr std::uint8_t DoubleWidth = 0x20;
inline constexpr std::uint8_t Reverse = 0x40;
inline constexpr std::uint8_t Underline = 0x80;
} // namespace PrintMode

// ESC a n.
namespace Align {
inline constexpr std::uint8_t Left = 0;
inline constexpr std::uint8_t Centre = 1;
inline constexpr std::uint8_t Right = 2;
} // namespace Align

// ESC M n: the controller's two fonts.
namespace Font {
inline constexpr std::uint8_t Small = 1;
inline constexpr std::uint8_t Standard = 2;
} // namespace Font

// ESC Z n: the print heads, their names and widths in dots.
struct PrintHead
{
    std::uint8_t type;
    int dots;
    std::string_view name;
};
inline constexpr std::array<PrintHead, 8> printHeads{{
    {0, 384, "58mm FTP628MCL101 or compatible"},
    {1, 576, "80mm FTP638MCL101 or compatible"},
    {2, 384, "58mm Seiko LTP02-245-13 or compatible"},
    {3, 384, "58mm Seiko LTP02-245-C1 or compatible"},
    {4, 384, "58mm 384 dots with cutter 7.2V/24V"},
    {5, 576, "80mm 576 dots with cutter 7.2V/24V"},
    {6, 384, "58mm M23-DH-H69 or compatible"},
    {7, 384, "58mm M23-SX or compatible"},
}};
constexpr const PrintHead *printHead(int type)
{
    return type >= 0 && type < int(printHeads.size()) ? &printHeads[std::size_t(type)] : nullptr;
}
// The width of a head in dots; an unknown type prints as the 58 mm heads do.
constexpr int headDots(int type)
{
    const PrintHead *head = printHead(type);
    return head ? head->dots : 384;
}

// GS ( s f: the UART speed and flow codes. The controller starts at 115200 bit/s with XON/XOFF.
namespace Uart {
inline constexpr std::uint8_t Speed9600 = 0;
inline constexpr std::uint8_t Speed19200 = 1;
inline constexpr std::uint8_t Speed38400 = 2;
inline constexpr std::uint8_t Speed57600 = 3;
inline constexpr std::uint8_t Speed115200 = 4;
inline constexpr std::uint8_t Speed256000 = 5;
inline constexpr std::uint8_t Speed375000 = 6;
inline constexpr std::array<int, 7> bitRates{9600, 19200, 38400, 57600, 115200, 256000, 375000};
inline constexpr std::uint8_t NoFlow = 0;
inline constexpr std::uint8_t XonXoff = 1;
inline constexpr std::uint8_t HardwareFlow = 2;
inline constexpr std::uint8_t defaultSpeed = Speed115200;
inline constexpr std::uint8_t defaultFlow = XonXoff;

constexpr std::optional<int> bitRate(int code)
{
    if (code < 0 || code >= int(bitRates.size()))
        return std::nullopt;
    return bitRates[std::size_t(code)];
}
constexpr std::optional<std::uint8_t> speedCode(int bitsPerSecond)
{
    for (std::size_t i = 0; i < bitRates.size(); ++i) {
        if (bitRates[i] == bitsPerSecond)
            return std::uint8_t(i);
    }
    return std::nullopt;
}
} // namespace Uart

// GS k m: the controller's barcode systems. The tool sends m = 'A' + system with a length byte
// (function B); m = system alone is the NUL-terminated form (function A) of the first seven.
enum class BarcodeSystem : std::uint8_t {
    UpcA,
    UpcE,
    Ean13,
    Ean8,
    Code39,
    Itf,
    Codabar,
    Code93,
    Code128,
    // Beyond the ZP40x's nine: what common printers take with function B.
    Gs1_128,
    DataBarOmni,
    DataBarTruncated,
    DataBarLimited,
    DataBarExpanded,
    Code128Auto,
};
inline constexpr int barcodeSystems = 15;
inline constexpr int controllerBarcodeSystems = 9;     // UPC-A to Code 128
inline constexpr std::uint8_t barcodeFunctionB = 0x41; // 'A': m = 0x41 + system
inline constexpr int barcodeFunctionASystems = 7;      // m 0-6: UPC-A to Codabar

inline constexpr std::array<std::string_view, barcodeSystems> barcodeNames{
    "UPC-A",
    "UPC-E",
    "EAN-13",
    "EAN-8",
    "Code 39",
    "ITF",
    "Codabar",
    "Code 93",
    "Code 128",
    "GS1-128",
    "GS1 DataBar Omnidirectional",
    "GS1 DataBar Truncated",
    "GS1 DataBar Limited",
    "GS1 DataBar Expanded",
    "Code 128 (auto)"};

// The system GS k m names: function B (m 65-79) or function A (m 0-6).
constexpr std::optional<BarcodeSystem> barcodeSystem(int m)
{
    if (m >= barcodeFunctionB && m < barcodeFunctionB + barcodeSystems)
        return BarcodeSystem(m - barcodeFunctionB);
    if (m >= 0 && m < barcodeFunctionASystems)
        return BarcodeSystem(m);
    return std::nullopt;
}

// GS ( k: the symbol families (cn) and the functions (fn) the controller knows.
namespace Symbol2D {
inline constexpr std::uint8_t Pdf417 = '0';
inline constexpr std::uint8_t Qr = '1';
inline constexpr std::uint8_t MaxiCode = '2';
inline constexpr std::uint8_t Aztec = '5';
inline constexpr std::uint8_t DataMatrix = '6';
inline constexpr std::uint8_t Model = 'A';           // fn 165
inline constexpr std::uint8_t Columns = 'A';         // PDF417 fn 65
inline constexpr std::uint8_t Rows = 'B';            // PDF417 fn 66
inline constexpr std::uint8_t ModuleSize = 'C';      // fn 167 / PDF417 module width
inline constexpr std::uint8_t RowHeight = 'D';       // PDF417 fn 68
inline constexpr std::uint8_t ErrorCorrection = 'E'; // fn 169
inline constexpr std::uint8_t Options = 'F';         // PDF417 fn 70
inline constexpr std::uint8_t Store = 'P';           // fn 180
inline constexpr std::uint8_t Print = 'Q';           // fn 181
inline constexpr std::uint8_t PrintMode = '0';       // m of Print and Store
} // namespace Symbol2D

} // namespace Protocol

namespace Protocol {

// ESC t n: the code pages of common printers that the controller reads, with the name a codec
// knows them by. The controller's own single-byte text is Windows-1252 until ESC t. A page the
// codec has only in part (the Katakana page, the Thai pages, the Lithuanian and Kazakh pages)
// is completed by the decoder's own characters; one no codec has (null) is the decoder's
// entirely.
struct CodePage
{
    std::uint8_t n;
    std::string_view name;
    const char *codec;
};
inline constexpr std::array<CodePage, 45> codePages{{
    {0, "PC437", "IBM437"},
    {1, "Katakana", "Shift_JIS"},
    // 6-9 as the common 203-dpi printers of the 58 and 80 mm clone families number them.
    {6, "ISO8859-1", "ISO-8859-1"},
    {7, "WPC1253", "windows-1253"},
    {8, "PC862", "ibm-862"},
    {9, "PC3012", "IBM866"},
    // The Thai pages print TIS-620's letters where that code has them.
    {20, "Thai 42", nullptr},
    {21, "Thai 11", "TIS-620"},
    {26, "Thai 18", "TIS-620"},
    {30, "TCVN-3", nullptr},
    {31, "TCVN-3 capitals", nullptr},
    {42, "PC1118", "IBM437"},
    {43, "PC1119", "IBM866"},
    {53, "KZ-1048", "windows-1251"},
    {41, "PC1098", "ibm-1098"},
    {2, "PC850", "IBM850"},
    {3, "PC860", "IBM860"},
    {4, "PC863", "IBM863"},
    {5, "PC865", "IBM865"},
    {11, "PC851", "ibm-851"},
    {13, "PC857", "IBM857"},
    {14, "PC737", "IBM737"},
    {15, "ISO8859-7", "ISO-8859-7"},
    {16, "WPC1252", "windows-1252"},
    {17, "PC866", "IBM866"},
    {18, "PC852", "IBM852"},
    {19, "PC858", "IBM858"},
    {32, "PC720", "ibm-720"},
    {44, "PC1125", "ibm-1125"},
    {33, "WPC775", "IBM775"},
    {34, "PC855", "IBM855"},
    {35, "PC861", "IBM861"},
    {36, "PC862", "IBM862"},
    {37, "PC864", "IBM864"},
    {38, "PC869", "IBM869"},
    {39, "ISO8859-2", "ISO-8859-2"},
    {40, "ISO8859-15", "ISO-8859-15"},
    {45, "WPC1250", "windows-1250"},
    {46, "WPC1251", "windows-1251"},
    {47, "WPC1253", "windows-1253"},
    {48, "WPC1254", "windows-1254"},
    {49, "WPC1255", "windows-1255"},
    {50, "WPC1256", "windows-1256"},
    {51, "WPC1257", "windows-1257"},
    {52, "WPC1258", "windows-1258"},
}};
constexpr const CodePage *codePage(int n)
{
    for (const CodePage &page : codePages) {
        if (page.n == n)
            return &page;
    }
    return nullptr;
}

} // namespace Protocol
