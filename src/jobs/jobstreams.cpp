// SPDX-License-Identifier: MIT
#include "jobs/jobstreams.h"

#include <QBuffer>

#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/languagetour.h"
#include "jobs/samplebitmaps.h"

namespace Jobs {

namespace {

void printLine(CommandSet &commands, const char *text)
{
    commands.print_with_font(text, PrintMode::Normal);
}

void printPicture(CommandSet &commands, const unsigned char *bits, SampleBitmap::Size size)
{
    commands.picturePrintH(rasterNormal, size.bytesPerRow, size.rows, bits);
}

// Most text samples set the alignment before the soft initialisation, which resets it anyway;
// the quick test does it the other way round.
void startLeftAligned(CommandSet &commands)
{
    commands.horizontalAlign(Align::Left);
    commands.printerSoftInit();
}

// The bars of a sample with the module width of its row and the common height.
void printBars(CommandSet &commands, const BarcodeJob &job)
{
    commands.barcodeWidthSet(job.moduleWidth);
    commands.barcodeHeightSet(barcodeHeight);
    commands.barcodePrint(job.system, reinterpret_cast<const unsigned char *>(job.data.data()),
                          static_cast<unsigned char>(job.data.size()));
}

void cutPaper(CommandSet &commands, Cut cut)
{
    switch (cut) {
    case Cut::None:
        break;
    case Cut::Full:
        commands.fullCut();
        break;
    case Cut::Partial:
        commands.partialCut();
        break;
    }
}

} // namespace

void queueQuickTest(CommandSet &commands)
{
    // Here the soft initialisation comes before alignment and darkness.
    commands.printerSoftInit();
    commands.horizontalAlign(Align::Left);
    commands.setFontGrayScale(usualDarkness);
    printPicture(commands, ZP_company_384_94, SampleBitmap::ZP_company_384_94);
    commands.printLF();
    printLine(commands, quickTestHeading);
    for (const TextSample &sample : quickTestSamples)
        commands.print_with_font(sample.text, sample.mode);
    commands.printLF();
    printPicture(commands, wingdings_256_20, SampleBitmap::wingdings_256_20);
    commands.printLF();
    printPicture(commands, wingdings_72_20, SampleBitmap::wingdings_72_20);
    commands.printLF();

    // The UPC-A sample of the bar code page, moved off the paper's edge.
    commands.setLeftMargin(barcodeMargin);
    printBars(commands, upcA);
    commands.setLeftMargin(0);

    printPicture(commands, rlLogoBuff1, SampleBitmap::rlLogoBuff1);
    commands.printLF();
}

void queueAttributes(CommandSet &commands)
{
    startLeftAligned(commands);
    printLine(commands, dottedRule);
    for (const ModeSample &sample : attributeSamples)
        commands.print_with_font(sample.text, sample.mode);
    printLine(commands, closingRule);
}

void queueDensity(CommandSet &commands)
{
    startLeftAligned(commands);
    printLine(commands, dottedRule);
    std::uint8_t level = 0;
    for (const char *sample : darknessSamples) {
        commands.setFontGrayScale(level++);
        printLine(commands, sample);
    }
    printLine(commands, closingRule);
    commands.setFontGrayScale(usualDarkness);
}

void queueFormatting(CommandSet &commands)
{
    using namespace Formatting;
    startLeftAligned(commands);
    printLine(commands, dottedRule);
    printLine(commands, defaultSpacingText);
    commands.lineSpacingSet(wideSpacing);
    printLine(commands, wideSpacingText);
    commands.lineSpacingDefaults();
    printLine(commands, defaultSpacingText);
    printLine(commands, dottedRule);
    printLine(commands, dotFeedText);
    commands.printAndFeedNDotLine(dotFeed);
    printLine(commands, dottedRule);
    printLine(commands, lineFeedText);
    commands.printAndFeedNFontLine(lineFeed);
    printLine(commands, dottedRule);
    commands.printCR();
    commands.setLeftMargin(leftMargin);
    printLine(commands, leftMarginText);
    commands.setLeftMargin(0);
    commands.setRightMargin(rightMargin);
    printLine(commands, rightMarginText);
    commands.setRightMargin(rightMarginAfter);
}

void queueAlignment(CommandSet &commands)
{
    using namespace Alignment;
    startLeftAligned(commands);
    commands.horizontalTabSet(tabStops, sizeof tabStops);
    printLine(commands, dottedRule);
    printLine(commands, noTabText);
    // The words share one line, each at its tab stop.
    for (const char *word : tabWords) {
        commands.horizontalTab();
        commands.printStr(word);
    }
    commands.printLF();
    printLine(commands, dottedRule);
    commands.absolutePrintPos(absoluteLow, absoluteHigh);
    printLine(commands, absoluteText);
    printLine(commands, dottedRule);
    for (const AlignedLine &line : alignedLines) {
        commands.horizontalAlign(line.align);
        printLine(commands, line.text);
    }
    printLine(commands, dottedRule);
}

void queueLanguageTour(CommandSet &commands)
{
    for (const Language::Section &section : Language::tour()) {
        for (const Language::Step &step : section.steps) {
            switch (step.op) {
            case Language::Op::SoftInit:
                commands.printerSoftInit();
                break;
            case Language::Op::Text:
                commands.printStr(step.text);
                break;
            case Language::Op::Line:
                commands.printStr(step.text);
                commands.printLF();
                break;
            case Language::Op::LineFeed:
                commands.printLF();
                break;
            case Language::Op::SmallFont:
                commands.setFontMode(Font::Small);
                break;
            case Language::Op::StandardFont:
                commands.setFontMode(Font::Standard);
                break;
            case Language::Op::DoubleByteOn:
                commands.setDbMode();
                break;
            case Language::Op::DoubleByteOff:
                commands.cancelDbMode();
                break;
            }
        }
    }
}

// A finished QR symbol printed as a picture, without a line feed after it.
void queueQrBitmap(CommandSet &commands)
{
    commands.printerSoftInit();
    printPicture(commands, zuvrel_qr_code_232_232, SampleBitmap::zuvrel_qr_code_232_232);
}

void queueReset(CommandSet &commands)
{
    commands.printerSoftInit();
}

void queueClearBuffer(CommandSet &commands)
{
    commands.clearPrintBuffer();
    commands.printLF();
}

void queueVersionRequest(CommandSet &commands)
{
    commands.getFirmwareInfo();
}

void queueStatusRequest(CommandSet &commands)
{
    commands.printerState();
}

void queueSleep(CommandSet &commands)
{
    commands.enterSleepMode();
}

void queueReceipt(CommandSet &commands, const ReceiptJob &job)
{
    using namespace Receipt;
    startLeftAligned(commands);
    commands.setFontGrayScale(usualDarkness);
    printPicture(commands, sample_company_384_256bmp, SampleBitmap::sample_company_384_256bmp);
    commands.printLF();
    commands.horizontalAlign(Align::Centre);
    printLine(commands, heading);
    commands.printAndFeedNFontLine(2);
    commands.horizontalAlign(Align::Left);
    printLine(commands, date);
    printLine(commands, transaction);
    commands.printAndFeedNFontLine(2);
    // The column header stands in the current mode and is ended by a dot feed.
    commands.printStr(columnHeader);
    commands.printAndFeedNDotLine(headerFeedDots);
    printLine(commands, dottedRule);
    for (const char *item : items)
        printLine(commands, item);
    printLine(commands, dottedRule);
    commands.print_with_font(total, PrintMode::Bold);
    commands.printAndFeedNFontLine(1);
    printLine(commands, tax);
    printLine(commands, dottedRule);
    commands.print_with_font(payment, job.paymentMode);
    commands.printAndFeedNFontLine(2);
    commands.horizontalAlign(Align::Centre);
    printLine(commands, thanks);
    commands.printAndFeedNFontLine(2);
    cutPaper(commands, job.cut);
}

void queueBarcode(CommandSet &commands, const BarcodeJob &job, bool leftMargin)
{
    commands.printerSoftInit();
    printLine(commands, job.caption);
    commands.printAndFeedNFontLine(2);
    // Only the bars move: the caption is already printed, and the margin is undone below in
    // every run.
    if (leftMargin)
        commands.setLeftMargin(barcodeMargin);
    printBars(commands, job);
    commands.printAndFeedNFontLine(2);
    commands.setLeftMargin(0);
}

// The setting governs the bar codes printed afterwards; nothing is printed now.
void queueBarcodeText(CommandSet &commands, const BarcodeTextJob &job)
{
    commands.barcodeTextYesNo(job.printText);
}

// The controller must be a ZP404 with a cutter, which is not asked.
void queueCut(CommandSet &commands, const CutJob &job)
{
    cutPaper(commands, job.cut);
}

// The controller keeps the head type in its flash.
void queuePrintHead(CommandSet &commands, const PrintHeadJob &job)
{
    commands.setPrinterHead(job.type);
}

// Only the controller changes: the host port keeps its settings until the user reconnects.
void queueUartSettings(CommandSet &commands, std::uint8_t speedCode, std::uint8_t flowCode)
{
    commands.setComMode(speedCode, flowCode);
}

constexpr FixedJob quickTestJob{"pushButtonFont", quickTestAccount, queueQuickTest};
constexpr FixedJob attributesJob{"pushButtonAttributes", attributesAccount, queueAttributes};
constexpr FixedJob densityJob{"pushButtonDensity", densityAccount, queueDensity};
constexpr FixedJob formattingJob{"pushButtonFormatting", Formatting::account, queueFormatting};
constexpr FixedJob alignmentJob{"pushButtonTabs", Alignment::account, queueAlignment};
constexpr FixedJob qrBitmapJob{"pushButtonBitmap", qrBitmapAccount, queueQrBitmap};
constexpr FixedJob resetJob{"pushButtonReset", resetAccount, queueReset};
constexpr FixedJob clearBufferJob{"pushButtonClear", clearBufferAccount, queueClearBuffer};

namespace {

// A job of a table row, with the widget state that follows the row.
template <auto Queue, const auto &Row, auto... Widgets>
void queueRow(CommandSet &commands)
{
    Queue(commands, Row, Widgets...);
}

template <auto Queue, const auto &Row, auto... Widgets>
constexpr JobStream rowStream(const char *name)
{
    return {name, Row.button, queueRow<Queue, Row, Widgets...>};
}

constexpr bool noMargin = false;

void queueUartDefaults(CommandSet &commands)
{
    queueUartSettings(commands, Uart::defaultSpeed, Uart::defaultFlow);
}

// A job that reads no widget, as its row says.
constexpr JobStream fixedStream(const FixedJob &job, const char *name)
{
    return {name, job.button, job.queue};
}

constexpr JobStream jobStreams[] = {
    // General
    fixedStream(quickTestJob, "Quick Test"),
    fixedStream(attributesJob, "Attributes"),
    {"Language", "pushButtonLanguage", queueLanguageTour},
    fixedStream(densityJob, "Density"),
    fixedStream(qrBitmapJob, "QR Bitmap"),
    fixedStream(formattingJob, "Formatting"),
    fixedStream(alignmentJob, "Alignment"),
    fixedStream(resetJob, "Reset"),
    fixedStream(clearBufferJob, "Clear Buffer & Line Feed"),
    rowStream<queueReceipt, plainReceipt>("Receipt"),
    {"Version", "pushButtonVersion", queueVersionRequest},
    {"Status", "pushButtonStatus", queueStatusRequest},
    {"Power Managment", "pushButtonPowerManagment", queueSleep},
    // Bar Codes
    rowStream<queueBarcode, upcA, noMargin>("UPC-A"),
    rowStream<queueBarcode, upcE, noMargin>("UPC-E"),
    rowStream<queueBarcode, ean13, noMargin>("EAN-13"),
    rowStream<queueBarcode, ean8, noMargin>("EAN-8"),
    rowStream<queueBarcode, code39, noMargin>("CODE 39"),
    rowStream<queueBarcode, itf25, noMargin>("ITF 2 5"),
    rowStream<queueBarcode, codabar, noMargin>("CODA BAR"),
    rowStream<queueBarcode, code93, noMargin>("CODE 93"),
    rowStream<queueBarcode, code128A, noMargin>("CODE 128 A"),
    rowStream<queueBarcodeText, barcodeWithText>("Bar Code with Text"),
    rowStream<queueBarcodeText, barcodeWithoutText>("Bar Code without Text"),
    // Cutter
    rowStream<queueCut, fullCutJob>("Full Cut"),
    rowStream<queueCut, partialCutJob>("Partial Cut"),
    rowStream<queueReceipt, fullCutReceipt>("Receipt with Full Cut"),
    rowStream<queueReceipt, partialCutReceipt>("Receipt with Partial Cut"),
    // Controller
    {"Apply", "pushButtonApply", queueUartDefaults},
    rowStream<queuePrintHead, headFTP628>("58mm FTP628MCL101 Type"),
    rowStream<queuePrintHead, headFTP638>("80mm FTP638MCL101 Type"),
    rowStream<queuePrintHead, headLTP0213>("58mm LTP02-245-13 Type"),
    rowStream<queuePrintHead, headLTP02C1>("58mm LTP02-245-C1 Type"),
    rowStream<queuePrintHead, head58Cutter>("58mm 384 dots Cutter Type"),
    rowStream<queuePrintHead, head80Cutter>("80mm 576 dots Cutter Type"),
    rowStream<queuePrintHead, headM23H69>("58mm M23-DH-H69 Type"),
    rowStream<queuePrintHead, headM23SX>("58mm M23-SX Type"),
};

} // namespace

std::span<const JobStream> allJobStreams()
{
    return jobStreams;
}

QByteArray streamOf(const std::function<void(CommandSet &)> &queue)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CommandSet commands(&buffer);
    queue(commands);
    return buffer.data();
}

} // namespace Jobs
