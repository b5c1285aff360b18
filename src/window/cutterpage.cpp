// SPDX-License-Identifier: MIT
// The Cutter page: the bare full and partial cuts, and the sample receipt ending in either.
#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

using namespace Jobs;

void MainWindow::on_pushButtonFullCut_released()
{
    sendCut(fullCutJob);
}

void MainWindow::on_pushButtonPartialCut_released()
{
    sendCut(partialCutJob);
}

void MainWindow::sendCut(const CutJob &job)
{
    if (!startJob({job.console}))
        return;
    queueCut(commands, job);
}

void MainWindow::on_pushButtonReceiptFullCut_released()
{
    printReceipt(fullCutReceipt);
}

void MainWindow::on_pushButtonReceiptPartialCut_released()
{
    printReceipt(partialCutReceipt);
}
