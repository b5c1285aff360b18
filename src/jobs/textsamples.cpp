// "Attributes" and "Density" on the General page: how text looks in each print mode and at each
// darkness level.
#include "app/mainwindow.h"

#include "jobs/jobdata.h"

#include <cstdint>

using namespace Jobs;

void MainWindow::on_pushButtonAttributes_released()
{
    // The account names "Double Width and Height", which has no sample of its own: the
    // double-height sample is followed directly by the reverse one.
    if (!startJob({"Printing text attribute options:", "Normal", "Bold", "Double Width",
                   "Double Height", "Double Width and Height", "Reverse", "Underlined", "Italic"}))
        return;

    commands.horizontalAlign(Align::Left);
    commands.printerSoftInit();
    commands.print_with_font(dottedRule, PrintMode::Normal);
    for (const ModeSample &sample : attributeSamples)
        commands.print_with_font(sample.text, sample.mode);
    commands.print_with_font(closingRule, PrintMode::Normal);
}

void MainWindow::on_pushButtonDensity_released()
{
    if (!startJob({"Printing text darkness options:", "0 - Default", "1", "2", "3", "4", "5", "6",
                   "7", "8"}))
        return;

    commands.horizontalAlign(Align::Left);
    commands.printerSoftInit();
    commands.print_with_font(dottedRule, PrintMode::Normal);
    std::uint8_t level = 0;
    for (const char *sample : darknessSamples) {
        commands.setFontGrayScale(level++);
        commands.print_with_font(sample, PrintMode::Normal);
    }
    commands.print_with_font(closingRule, PrintMode::Normal);
    commands.setFontGrayScale(usualDarkness);
}
