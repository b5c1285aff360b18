// "Language" on the General page: the character sets the controller prints, each sent in the
// encoding it needs.
#include "app/mainwindow.h"

#include "jobs/jobdata.h"
#include "jobs/languagetour.h"

using namespace Jobs;

void MainWindow::on_pushButtonLanguage_released()
{
    // The explanation ends in a line feed, so an empty line follows it in the pane.
    if (!startJob({Language::heading, Language::explanation}))
        return;
    const auto tour = Language::tour();
    for (const Language::Section &section : tour) {
        for (const char *line : section.console) {
            if (line)
                appendConsole(line);
        }
    }

    for (const Language::Section &section : tour) {
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
