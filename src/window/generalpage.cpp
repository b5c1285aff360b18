// SPDX-License-Identifier: MIT
// The General page: the sample jobs that print (Quick Test, text attributes, the language tour,
// darkness, the QR picture, formatting, alignment, the receipt), Reset and Clear Buffer, the
// firmware Version and Status requests, and sleep mode (Power Managment).
#include "window/mainwindow.h"
#include "ui_mainwindow.h"
#include "window/console.h"

#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"
#include "jobs/languagetour.h"

using namespace Jobs;

void MainWindow::on_pushButtonFont_released()
{
    runJob(Jobs::quickTestJob);
}

void MainWindow::on_pushButtonAttributes_released()
{
    runJob(Jobs::attributesJob);
}

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

void MainWindow::on_pushButtonDensity_released()
{
    runJob(Jobs::densityJob);
}

void MainWindow::on_pushButtonBitmap_released()
{
    runJob(qrBitmapJob);
}

void MainWindow::on_pushButtonFormatting_released()
{
    runJob(Jobs::formattingJob);
}

void MainWindow::on_pushButtonTabs_released()
{
    runJob(Jobs::alignmentJob);
}

void MainWindow::on_pushButtonReset_released()
{
    runJob(resetJob);
}

void MainWindow::on_pushButtonClear_released()
{
    runJob(clearBufferJob);
}

void MainWindow::on_pushButtonReceipt_released()
{
    printReceipt(plainReceipt);
}

void MainWindow::printReceipt(const ReceiptJob &job)
{
    if (!startJob({job.console}))
        return;
    queueReceipt(commands, job);
}

void MainWindow::on_pushButtonVersion_released()
{
    requestReply(queueVersionRequest);
}

void MainWindow::on_pushButtonStatus_released()
{
    requestReply(queueStatusRequest);
}

// The answer is never waited for: the first readData() shows only what the port has already
// received, and the controller's reply follows through readyRead when it comes.
void MainWindow::requestReply(void (*request)(CommandSet &commands))
{
    if (!portGuard())
        return;
    console->clear();
    request(commands);
    readData();
}

void MainWindow::on_pushButtonPowerManagment_released()
{
    // Both lines are inserted; the first ends in its own line feed.
    if (!startJob({sleepAnnouncement}))
        return;
    console->insert(QString::fromUtf8(sleepHint));
    queueSleep(commands);
}
