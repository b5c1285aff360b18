// SPDX-License-Identifier: MIT
// The Bar Codes page: nine bar code systems, each printed under a caption that names it, and
// the two buttons that switch the value's text under the bars on and off.
#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

using namespace Jobs;

void MainWindow::on_pushButtonBarcodeUPCA_released()
{
    printBarcode(upcA);
}

void MainWindow::on_pushButtonBarcodeUPCE_released()
{
    printBarcode(upcE);
}

void MainWindow::on_pushButtonBarcodeEAN13_released()
{
    printBarcode(ean13);
}

void MainWindow::on_pushButtonBarcodeEAN8_released()
{
    printBarcode(ean8);
}

void MainWindow::on_pushButtonBarcodeCODE39_released()
{
    printBarcode(code39);
}

void MainWindow::on_pushButtonBarcodeITF25_released()
{
    printBarcode(itf25);
}

void MainWindow::on_pushButtonBarcodeCODABAR_released()
{
    printBarcode(codabar);
}

void MainWindow::on_pushButtonBarcodeCODE93_released()
{
    printBarcode(code93);
}

void MainWindow::on_pushButtonBarcodeCODE128A_released()
{
    printBarcode(code128A);
}

void MainWindow::printBarcode(const BarcodeJob &job)
{
    if (!startJob({job.console}))
        return;
    const bool margin = ui->checkBoxBarCodeMargin->isChecked();
    if (margin)
        appendConsole(barcodeMarginLine);
    queueBarcode(commands, job, margin);
}

void MainWindow::on_pushButtonYesText_released()
{
    setBarcodeText(barcodeWithText);
}

void MainWindow::on_pushButtonNoText_released()
{
    setBarcodeText(barcodeWithoutText);
}

void MainWindow::setBarcodeText(const BarcodeTextJob &job)
{
    if (!startJob({job.console}))
        return;
    queueBarcodeText(commands, job);
}
