// "Version", "Status", "QR Bitmap", "Reset" and "Clear Buffer & Line Feed" on the General page.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "jobs/jobdata.h"
#include "resources/samplebitmaps.h"

using namespace Jobs;

void MainWindow::on_pushButtonVersion_released()
{
    requestReply(&CommandSet::getFirmwareInfo);
}

void MainWindow::on_pushButtonStatus_released()
{
    requestReply(&CommandSet::printerState);
}

// The answer is never waited for: the first readData() shows only what the port has already
// received, and the controller's reply follows through readyRead when it comes.
void MainWindow::requestReply(void (CommandSet::*request)())
{
    if (!portGuard())
        return;
    ui->editTessivar->clear();
    (commands.*request)();
    readData();
}

void MainWindow::on_pushButtonBitmap_released()
{
    if (!startJob({"Printing a sample QR code"}))
        return;
    // A finished QR symbol printed as a picture, without a line feed after it.
    commands.printerSoftInit();
    commands.picturePrintH(rasterNormal, SampleBitmap::zuvrel_qr_code_232_232.bytesPerRow,
                           SampleBitmap::zuvrel_qr_code_232_232.rows, zuvrel_qr_code_232_232);
}

void MainWindow::on_pushButtonReset_released()
{
    if (!startJob({"Resets and initilizes to default values"}))
        return;
    commands.printerSoftInit();
}

void MainWindow::on_pushButtonClear_released()
{
    if (!startJob({"Clears the cyclic print buffer and line feeds"}))
        return;
    commands.clearPrintBuffer();
    commands.printLF();
}
