// "Version", "Status", "QR Bitmap", "Reset" and "Clear Buffer & Line Feed" on the General page.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "jobs/jobstreams.h"

using namespace Jobs;

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
    ui->editTessivar->clear();
    request(commands);
    readData();
}

void MainWindow::on_pushButtonBitmap_released()
{
    runJob(qrBitmapJob);
}

void MainWindow::on_pushButtonReset_released()
{
    runJob(resetJob);
}

void MainWindow::on_pushButtonClear_released()
{
    runJob(clearBufferJob);
}
