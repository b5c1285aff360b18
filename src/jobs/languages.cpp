// "Language" on the General page: the character sets the controller prints, each sent in the
// encoding it needs.
#include "app/mainwindow.h"

#include "jobs/jobstreams.h"
#include "jobs/languagetour.h"

using namespace Jobs;

void MainWindow::on_pushButtonLanguage_released()
{
    // The explanation ends in a line feed, so an empty line follows it in the pane.
    if (!startJob({Language::heading, Language::explanation}))
        return;
    for (const Language::Section &section : Language::tour()) {
        for (const char *line : section.console) {
            if (line)
                appendConsole(line);
        }
    }
    queueLanguageTour(commands);
}
