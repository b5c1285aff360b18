// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <span>

class CommandSet;

// The byte streams of the demonstration jobs, without a window. Each function queues one job's
// commands on a CommandSet, exactly as the job's button does once the port guard has passed and
// the console account is written; what the button reads from its widgets comes in as
// arguments. The window's handlers call these functions with their port; anything else (a
// renderer, a benchmark, a test) may call them with any device, for example a QBuffer.
//
// Nothing is allocated: every text, picture and table comes from the core's sample data.
namespace Jobs {

struct BarcodeJob;
struct BarcodeTextJob;
struct CutJob;
struct PrintHeadJob;
struct ReceiptJob;

// General page.
void queueQuickTest(CommandSet &commands);
void queueAttributes(CommandSet &commands);
void queueDensity(CommandSet &commands);
void queueFormatting(CommandSet &commands);
void queueAlignment(CommandSet &commands);
void queueLanguageTour(CommandSet &commands);
void queueQrBitmap(CommandSet &commands);
void queueReset(CommandSet &commands);
void queueClearBuffer(CommandSet &commands);
void queueVersionRequest(CommandSet &commands);
void queueStatusRequest(CommandSet &commands);
void queueSleep(CommandSet &commands);

// General and Cutter pages: the sample receipt, ending in the cut of its row.
void queueReceipt(CommandSet &commands, const ReceiptJob &job);

// Bar Codes page. `leftMargin` is the "Add Left Margin Formatting" box: it moves the bars (not
// the caption) off the paper's edge.
void queueBarcode(CommandSet &commands, const BarcodeJob &job, bool leftMargin);
void queueBarcodeText(CommandSet &commands, const BarcodeTextJob &job);

// Cutter page: the bare cut, no feed before it.
void queueCut(CommandSet &commands, const CutJob &job);

// Controller page. The codes are those of Jobs::Uart.
void queuePrintHead(CommandSet &commands, const PrintHeadJob &job);
void queueUartSettings(CommandSet &commands, std::uint8_t speedCode, std::uint8_t flowCode);

// A job that reads no widget: its console account (the first line inserted into the cleared
// pane, every further line appended as a paragraph of its own) and its stream.
struct FixedJob
{
    const char *button; // the object name of the button that runs it
    std::span<const char *const> account;
    void (*queue)(CommandSet &commands);
};

extern const FixedJob quickTestJob;
extern const FixedJob attributesJob;
extern const FixedJob densityJob;
extern const FixedJob formattingJob;
extern const FixedJob alignmentJob;
extern const FixedJob qrBitmapJob;
extern const FixedJob resetJob;
extern const FixedJob clearBufferJob;

// One job of the window as a stream of its own.
struct JobStream
{
    const char *name;   // the caption of its button, without the mnemonic's "&&" and blanks
    const char *button; // the button's object name
    void (*queue)(CommandSet &commands);
};

// Every job of the General, Bar Codes, Cutter and Controller pages, one entry per button in the
// order of the pages, each with the widgets as the window starts: the bar codes without the
// left margin, "Apply" with 115200 bit/s and XON/XOFF. "Version" and "Status" are here too; they
// send a request and the controller answers it. The Bitmaps page's jobs are not: "Print Raster
// Image" sends whatever picture has been loaded.
//
// The list is a static table; the span stays valid for the life of the program.
std::span<const JobStream> allJobStreams();

// The bytes that `queue` sends, collected in memory rather than on a port: for tests, the
// benchmarks and the virtual controller, which compare with or print what a job sends.
QByteArray streamOf(const std::function<void(CommandSet &)> &queue);
inline QByteArray streamOf(const JobStream &job)
{
    return streamOf(job.queue);
}

} // namespace Jobs
