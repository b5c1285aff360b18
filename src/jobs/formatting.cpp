// "Formatting" and "Alignment" on the General page: line spacing, feeds, margins, tab stops,
// absolute position and justification.
#include "app/mainwindow.h"

#include "jobs/jobdata.h"

using namespace Jobs;

void MainWindow::on_pushButtonFormatting_released()
{
    if (!startJob({"Setting some text parameters:", "Default line space of 33 dots",
                   "Line space of 66 dots ", "Resetting to default 33 dots",
                   "Print and feed paper 20 dots", "Print and feed paper 5 lines",
                   "Test carriage return", "Setting a left margin of 8 dots",
                   "Setting a right margin of 38 dots"}))
        return;

    using namespace Formatting;
    const auto print = [this](const char *text) {
        commands.print_with_font(text, PrintMode::Normal);
    };
    commands.horizontalAlign(Align::Left);
    commands.printerSoftInit();
    print(dottedRule);
    print(defaultSpacingText);
    commands.lineSpacingSet(wideSpacing);
    print(wideSpacingText);
    commands.lineSpacingDefaults();
    print(defaultSpacingText);
    print(dottedRule);
    print(dotFeedText);
    commands.printAndFeedNDotLine(dotFeed);
    print(dottedRule);
    print(lineFeedText);
    commands.printAndFeedNFontLine(lineFeed);
    print(dottedRule);
    commands.printCR();
    commands.setLeftMargin(leftMargin);
    print(leftMarginText);
    commands.setLeftMargin(0);
    commands.setRightMargin(rightMargin);
    print(rightMarginText);
    commands.setRightMargin(rightMarginAfter);
}

void MainWindow::on_pushButtonTabs_released()
{
    if (!startJob({"Setting 3 tabs and stepping to each", "Setting absolute print position",
                   "Setting print alignment center", "Setting print alignment right",
                   "Setting print alignment left"}))
        return;

    using namespace Alignment;
    const auto print = [this](const char *text) {
        commands.print_with_font(text, PrintMode::Normal);
    };
    commands.horizontalAlign(Align::Left);
    commands.printerSoftInit();
    commands.horizontalTabSet(tabStops, sizeof tabStops);
    print(dottedRule);
    print(noTabText);
    // The words share one line, each at its tab stop.
    for (const char *word : tabWords) {
        commands.horizontalTab();
        commands.printStr(word);
    }
    commands.printLF();
    print(dottedRule);
    commands.absolutePrintPos(absoluteLow, absoluteHigh);
    print(absoluteText);
    print(dottedRule);
    for (const AlignedLine &line : alignedLines) {
        commands.horizontalAlign(line.align);
        print(line.text);
    }
    print(dottedRule);
}
