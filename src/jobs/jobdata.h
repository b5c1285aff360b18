// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "protocol/values.h"

// The sample values of the demonstration jobs: what each button prints, the settings it sends
// and the lines it writes into the console. They live here once, without widgets, so that the
// window's handlers send them and the tests walk the same rows. Where several buttons differ only
// in data, each button has a named row and a table lists the rows.
namespace Jobs {

// The print-mode byte of ESC ! n; the bits combine by OR.
namespace PrintMode {
inline constexpr std::uint8_t Normal = Protocol::PrintMode::Normal;
inline constexpr std::uint8_t Italic = Protocol::PrintMode::Italic;
inline constexpr std::uint8_t Bold = Protocol::PrintMode::Bold;
inline constexpr std::uint8_t DoubleHeight = Protocol::PrintMode::DoubleHeight;
inline constexpr std::uint8_t DoubleWidth = Protocol::PrintMode::DoubleWidth;
inline constexpr std::uint8_t Reverse = Protocol::PrintMode::Reverse;
inline constexpr std::uint8_t Underlined = Protocol::PrintMode::Underline;
} // namespace PrintMode

// ESC a n.
namespace Align = Protocol::Align;

// ESC M n.
namespace Font = Protocol::Font;

// The mode byte of a raster picture at its normal size.
inline constexpr std::uint8_t rasterNormal = 0;
// The darkness that the quick test and the receipts print at and that the darkness sample
// returns to.
inline constexpr std::uint8_t usualDarkness = Protocol::defaultDarkness;

// The rule that frames the text samples, and the one that closes a block: the same full stops
// followed by two line feeds, so with the line's own feed the block ends in three.
inline constexpr char dottedRule[] = ".................................";
inline constexpr char closingRule[] = ".................................\n\n";

// --- Quick test ------------------------------------------------------------------------------

struct TextSample
{
    const char *label; // console
    const char *text;  // printed
    std::uint8_t mode;
};

inline constexpr char quickTestHeading[] = "======== S A M P L E ========";

// The last row prints the italic text once more, italic and underlined together.
inline constexpr TextSample quickTestSamples[] = {
    {"Normal", "Normal 0123456 ABCD abcd", PrintMode::Normal},
    {"Bold", "Bold 0123456 ABCD abcd", PrintMode::Bold},
    {"Double Width", "Double Width", PrintMode::DoubleWidth},
    {"Double Height", "Double Height", PrintMode::DoubleHeight},
    {"Reverse", "Reverse 0123456 ABCD abcd", PrintMode::Reverse},
    {"Underlined", "Underlined 0123456 ABCD abcd", PrintMode::Underlined},
    {"Italic", "Italic 0123456 ABCD abcd", PrintMode::Italic},
    {"Combined font attribute Italic and Underlined", "Italic 0123456 ABCD abcd",
     PrintMode::Italic | PrintMode::Underlined},
};

// The quick test's account: a heading, one line per text sample, then the pictures and the bar
// code.
constexpr auto makeQuickTestAccount()
{
    std::array<const char *, 1 + std::size(quickTestSamples) + 3> lines{};
    std::size_t at = 0;
    lines[at++] = "Printing features:";
    for (const TextSample &sample : quickTestSamples)
        lines[at++] = sample.label;
    lines[at++] = "Printing tiny Windings Bitmaps";
    lines[at++] = "Printing Bar Code";
    lines[at++] = "Printing Raster Bitmap";
    return lines;
}
inline constexpr auto quickTestAccount = makeQuickTestAccount();

// Left margin before the quick test's bar code, and for the bar code samples with the margin
// box ticked.
inline constexpr std::uint8_t barcodeMargin = 4;

// --- Text attributes and darkness ------------------------------------------------------------

struct ModeSample
{
    const char *text;
    std::uint8_t mode;
};

// Double height breaks each alphabet after its sixteenth letter so that it fits the line.
inline constexpr ModeSample attributeSamples[] = {
    {"Normal\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789",
     PrintMode::Normal},
    {"Bold\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789", PrintMode::Bold},
    {"Double Width\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789",
     PrintMode::DoubleWidth},
    {"Double Height\nabcdefghijklmnop\nqrstuvwxyz\nABCDEFGHIJKLMNOP\nQRSTUVWXYZ\n0123456789",
     PrintMode::DoubleHeight},
    {"Reverse\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789",
     PrintMode::Reverse},
    {"Underlined\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789",
     PrintMode::Underlined},
    {"Italic\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789",
     PrintMode::Italic},
};

// The account names "Double Width and Height", which has no sample of its own: the double-height
// sample is followed directly by the reverse one.
inline constexpr const char *attributesAccount[] = {
    "Printing text attribute options:", "Normal",  "Bold",       "Double Width", "Double Height",
    "Double Width and Height",          "Reverse", "Underlined", "Italic",
};

// One line per darkness level; the level is the index.
inline constexpr const char *darknessSamples[] = {
    "0: abcdefghijklmnopqrstuvwxyz", "1: abcdefghijklmnopqrstuvwxyz",
    "2: abcdefghijklmnopqrstuvwxyz", "3: abcdefghijklmnopqrstuvwxyz",
    "4: abcdefghijklmnopqrstuvwxyz", "5: abcdefghijklmnopqrstuvwxyz",
    "6: abcdefghijklmnopqrstuvwxyz", "7: abcdefghijklmnopqrstuvwxyz",
    "8: abcdefghijklmnopqrstuvwxyz",
};
inline constexpr const char *densityAccount[] = {
    "Printing text darkness options:", "0 - Default", "1", "2", "3", "4", "5", "6", "7", "8"};

// --- Formatting and alignment ----------------------------------------------------------------

namespace Formatting {
// The blank at the end of the third line is part of the account.
inline constexpr const char *account[] = {
    "Setting some text parameters:",
    "Default line space of 33 dots",
    "Line space of 66 dots ",
    "Resetting to default 33 dots",
    "Print and feed paper 20 dots",
    "Print and feed paper 5 lines",
    "Test carriage return",
    "Setting a left margin of 8 dots",
    "Setting a right margin of 38 dots",
};
// The blank after the first line break of the two spacing texts is part of the sample.
inline constexpr char defaultSpacingText[] =
    "Default Line Space 33:\n abcdefghijklmnopqrstuvwxyz\nabcdefghijklmnopqrstuvwxyz\n"
    "abcdefghijklmnopqrstuvwxyz";
inline constexpr char wideSpacingText[] =
    "Line Space 66:\n abcdefghijklmnopqrstuvwxyz\nabcdefghijklmnopqrstuvwxyz\n"
    "abcdefghijklmnopqrstuvwxyz";
inline constexpr char dotFeedText[] =
    "Feeding 20 dots after printing:\nabcdefghijklmnopqrstuvwxyz\nabcdefghijklmnopqrstuvwxyz\n"
    "abcdefghijklmnopqrstuvwxyz";
inline constexpr char lineFeedText[] =
    "Feeding 5 lines after printing:\nabcdefghijklmnopqrstuvwxyz\nabcdefghijklmnopqrstuvwxyz\n"
    "abcdefghijklmnopqrstuvwxyz";
inline constexpr char leftMarginText[] = "Left Margin 8:\nabcd\nabcd\nabcd";
inline constexpr char rightMarginText[] = "Right Margin 38:\nabcd\nabcd\nabcd";

inline constexpr std::uint8_t wideSpacing = 66;
inline constexpr std::uint8_t dotFeed = 20;
inline constexpr std::uint8_t lineFeed = 5;
inline constexpr std::uint8_t leftMargin = 8;
inline constexpr std::uint8_t rightMargin = 38;
// The right margin the job leaves behind (the left one goes back to 0).
inline constexpr std::uint8_t rightMarginAfter = 48;
} // namespace Formatting

namespace Alignment {
inline constexpr const char *account[] = {
    "Setting 3 tabs and stepping to each", "Setting absolute print position",
    "Setting print alignment center",      "Setting print alignment right",
    "Setting print alignment left",
};
// Columns 8, 24 and 38, ascending as the controller expects them.
inline constexpr unsigned char tabStops[] = {0x08, 0x18, 0x26};
inline constexpr char noTabText[] = "No Tab: abcd";
inline constexpr const char *tabWords[] = {"Tab1", "Tab2", "Tab3"};
// Absolute print position 50 from the start of the line, as its low and high byte.
inline constexpr std::uint8_t absoluteLow = 50;
inline constexpr std::uint8_t absoluteHigh = 0;
inline constexpr char absoluteText[] = "Abs: 1234";

struct AlignedLine
{
    std::uint8_t align;
    const char *text;
};
inline constexpr AlignedLine alignedLines[] = {
    {Align::Centre, "Center: abcd"},
    {Align::Right, "Right: abcd"},
    {Align::Left, "Left: abcd"},
};
} // namespace Alignment

// --- QR Bitmap, Reset, Clear Buffer & Line Feed ---------------------------------------------

inline constexpr const char *qrBitmapAccount[] = {"Printing a sample QR code"};
inline constexpr const char *resetAccount[] = {"Resets and initilizes to default values"};
inline constexpr const char *clearBufferAccount[] = {
    "Clears the cyclic print buffer and line feeds"};

// --- Receipts --------------------------------------------------------------------------------

namespace Receipt {
// The blanks set the columns and are part of the texts: the dollar sign of the items stands in
// column 22, that of the total and the payment in column 21.
inline constexpr char heading[] = "Customer Receipt";
inline constexpr char date[] = "Date: DD/MM/YYYY";
inline constexpr char transaction[] = "PID: 034/344/00288394";
inline constexpr char columnHeader[] = "  Qty      Item      Price";
inline constexpr const char *items[] = {
    "2x  1L 1.5% Milk     $3.98",
    "6x  1L 3.5% Milk     $16.75",
    "10x 100g Yogurt Cup  $8.50",
};
inline constexpr char total[] = "Total:              $29.23";
inline constexpr char tax[] = "Incl. 19% VAT $5.55 (Net $23.68)";
inline constexpr char payment[] = "Credit Card         $29.23";
inline constexpr char thanks[] = "THANK YOU FOR YOUR VISIT";

// The column header's line ends with a dot feed instead of a line feed.
inline constexpr std::uint8_t headerFeedDots = 24;
} // namespace Receipt

enum class Cut : std::uint8_t { None, Full, Partial };

struct ReceiptJob
{
    const char *button;
    const char *console;
    std::uint8_t paymentMode;
    Cut cut;
};

inline constexpr ReceiptJob plainReceipt{"pushButtonReceipt", "Sample of typical POS receipt",
                                         PrintMode::Underlined | PrintMode::DoubleHeight,
                                         Cut::None};
inline constexpr ReceiptJob fullCutReceipt{"pushButtonReceiptFullCut",
                                           "Sample of typical POS receipt with full paper cut",
                                           PrintMode::DoubleHeight, Cut::Full};
inline constexpr ReceiptJob partialCutReceipt{
    "pushButtonReceiptPartialCut", "Sample of typical POS receipt with partial paper cut",
    PrintMode::DoubleHeight, Cut::Partial};
inline constexpr const ReceiptJob *receiptJobs[] = {&plainReceipt, &fullCutReceipt,
                                                    &partialCutReceipt};

// --- Bar codes -------------------------------------------------------------------------------

inline constexpr std::uint8_t barcodeHeight = 64;
inline constexpr char barcodeMarginLine[] =
    "Adding 4 to left margin - Bar Code will be moved 4mm to the right";

// The data go out as they are: no check digit is added, and the Codabar value carries its own
// start and stop characters.
struct BarcodeJob
{
    const char *button;
    const char *console;
    const char *caption;
    std::uint8_t moduleWidth;
    std::uint8_t system; // 0 UPC-A ... 8 Code 128; the wire carries it plus 0x41
    std::string_view data;
};

inline constexpr BarcodeJob upcA{"pushButtonBarcodeUPCA",
                                 "Printing UPC-A bar code: 01234567890",
                                 "UPCA height=64 width=3",
                                 3,
                                 0,
                                 "01234567890"};
inline constexpr BarcodeJob upcE{"pushButtonBarcodeUPCE",
                                 "Printing UPC-E bar code: 012345",
                                 "UPC-E height=64 width=3",
                                 3,
                                 1,
                                 "012345"};
inline constexpr BarcodeJob ean13{"pushButtonBarcodeEAN13",
                                  "Printing EAN-13 bar code: 012345678901",
                                  "EAN13 height=64 width=3",
                                  3,
                                  2,
                                  "012345678901"};
inline constexpr BarcodeJob ean8{"pushButtonBarcodeEAN8",
                                 "Printing EAN-8 bar code: 0123456",
                                 "EAN-8 height=64 width=3",
                                 3,
                                 3,
                                 "0123456"};
inline constexpr BarcodeJob code39{"pushButtonBarcodeCODE39",
                                   "Printing Code 39 bar code: 123456ZP402",
                                   "Code 39 height=64 width=2",
                                   2,
                                   4,
                                   "123456ZP402"};
inline constexpr BarcodeJob itf25{"pushButtonBarcodeITF25",
                                  "Printing ITF 2 5 bar code: 12345678",
                                  "ITF 2 5 height=64 width=3",
                                  3,
                                  5,
                                  "12345678"};
inline constexpr BarcodeJob codabar{"pushButtonBarcodeCODABAR",
                                    "Printing CODA BAR bar code: a123456a",
                                    "CODA BAR height=64 width=3",
                                    3,
                                    6,
                                    "a123456a"};
inline constexpr BarcodeJob code93{"pushButtonBarcodeCODE93",
                                   "Printing CODE 93 bar code: 12345678",
                                   "CODE 93 height=64 width=3",
                                   3,
                                   7,
                                   "12345678"};
inline constexpr BarcodeJob code128A{"pushButtonBarcodeCODE128A",
                                     "Printing CODE 128A bar code: 12345678",
                                     "CODE 128A height=64 width=2",
                                     2,
                                     8,
                                     "12345678"};
inline constexpr const BarcodeJob *barcodeJobs[] = {&upcA,  &upcE,    &ean13,  &ean8,    &code39,
                                                    &itf25, &codabar, &code93, &code128A};

struct BarcodeTextJob
{
    const char *button;
    const char *console;
    std::uint8_t printText; // 1 the value is printed under the bars, 0 it is not
};

inline constexpr BarcodeTextJob barcodeWithText{"pushButtonYesText",
                                                "Enable Bar Code Text printing - Default", 1};
inline constexpr BarcodeTextJob barcodeWithoutText{"pushButtonNoText",
                                                   "Disable Bar Code Text printing", 0};
inline constexpr const BarcodeTextJob *barcodeTextJobs[] = {&barcodeWithText, &barcodeWithoutText};

// --- Controller configuration ----------------------------------------------------------------

struct PrintHeadJob
{
    const char *button;
    std::uint8_t type;
    const char *console;
    const char *flash;
};

// The heads with a cutter need the ZP404; every other head works with any ZP40x.
inline constexpr char flashZP40x[] = "Updating ZP40x controller flash...";
inline constexpr char flashZP404[] = "Updating ZP404 controller flash...";

inline constexpr PrintHeadJob headFTP628{
    "pushButtonFTP628", 0, "Setting Print Head to Type: 0 - 58mm FTP628MCL101 or compatible",
    flashZP40x};
inline constexpr PrintHeadJob headFTP638{
    "pushButtonFTP638", 1, "Setting Print Head to Type: 1 - 80mm FTP638MCL101 or compatible",
    flashZP40x};
inline constexpr PrintHeadJob headLTP0213{
    "pushButtonLTP0213", 2, "Setting Print Head to Type: 2 - 58mm Seiko LTP02-245-13 or compatible",
    flashZP40x};
inline constexpr PrintHeadJob headLTP02C1{
    "pushButtonLTP02C1", 3, "Setting Print Head to Type: 3 - 58mm Seiko LTP02-245-C1 or compatible",
    flashZP40x};
inline constexpr PrintHeadJob head58Cutter{
    "pushButton58_384", 4, "Setting Print Head to Type: 4 - 58mm 384 dots with cutter 7.2V/24V",
    flashZP404};
inline constexpr PrintHeadJob head80Cutter{
    "pushButton80_576", 5, "Setting Print Head to Type: 5 - 80mm 576 dots with cutter 7.2V/24V",
    flashZP404};
inline constexpr PrintHeadJob headM23H69{
    "pushButtonM23_H69", 6, "Setting Print Head to Type: 6 - 58mm M23-DH-H69 or compatible",
    flashZP40x};
inline constexpr PrintHeadJob headM23SX{
    "pushButtonM23_SX", 7, "Setting Print Head to Type: 7 - 58mm M23-SX or compatible", flashZP40x};
inline constexpr const PrintHeadJob *printHeadJobs[] = {&headFTP628,  &headFTP638,   &headLTP0213,
                                                        &headLTP02C1, &head58Cutter, &head80Cutter,
                                                        &headM23H69,  &headM23SX};

// The controller's UART codes. It starts at 115200 bit/s with XON/XOFF, and the "Apply" job
// falls back to these when no button of a group is checked.
namespace Uart {
using namespace Protocol::Uart;

// "Apply" announces the settings and warns that the host's own line keeps its settings.
inline constexpr char announcement[] = "Setting UART com speed and flow control. Startup default "
                                       "settings are 115200bps and XON/XOFF";
inline constexpr char hostNote[] = "After issuing this command you must adjust your host UART "
                                   "settings as well by diconnecting and connectin with the right "
                                   "settings";
} // namespace Uart

// "Power Managment": the announcement ends in its own line feed, and the hint is inserted after
// it rather than appended as a paragraph.
inline constexpr char sleepAnnouncement[] = "Setting controller into sleep mode.\n";
inline constexpr char sleepHint[] =
    "Send any command to exit sleep mode and then continue printing...";

struct CutJob
{
    const char *button;
    const char *console;
    Cut cut;
};

inline constexpr CutJob fullCutJob{"pushButtonFullCut", "Sending full cut command", Cut::Full};
inline constexpr CutJob partialCutJob{"pushButtonPartialCut", "Sending partial cut command",
                                      Cut::Partial};
inline constexpr const CutJob *cutJobs[] = {&fullCutJob, &partialCutJob};

} // namespace Jobs
