// "Formatting" and "Alignment" on the General page: line spacing, feeds, margins, tab stops,
// absolute position and justification.
#include "app/mainwindow.h"

#include "jobs/jobstreams.h"

void MainWindow::on_pushButtonFormatting_released()
{
    runJob(Jobs::formattingJob);
}

void MainWindow::on_pushButtonTabs_released()
{
    runJob(Jobs::alignmentJob);
}
