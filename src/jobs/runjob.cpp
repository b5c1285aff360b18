// The shared body of the buttons whose job reads no widget: Quick Test, Attributes, Density,
// Formatting, Alignment, QR Bitmap, Reset and Clear Buffer & Line Feed.
#include "app/mainwindow.h"

#include "jobs/jobstreams.h"

// The whole account is in the pane before the first byte is queued.
void MainWindow::runJob(const Jobs::FixedJob &job)
{
    if (!startJob({job.account.front()}))
        return;
    for (const char *line : job.account.subspan(1))
        appendConsole(line);
    job.queue(commands);
}
