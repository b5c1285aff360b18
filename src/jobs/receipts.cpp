// The sample receipt: "Receipt" on the General page and the two receipts with a cut on the
// Cutter page. They differ only in their row of the receipt table.
#include "app/mainwindow.h"

#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

using namespace Jobs;

void MainWindow::on_pushButtonReceipt_released()
{
    printReceipt(plainReceipt);
}

void MainWindow::on_pushButtonReceiptFullCut_released()
{
    printReceipt(fullCutReceipt);
}

void MainWindow::on_pushButtonReceiptPartialCut_released()
{
    printReceipt(partialCutReceipt);
}

void MainWindow::printReceipt(const ReceiptJob &job)
{
    if (!startJob({job.console}))
        return;
    queueReceipt(commands, job);
}
