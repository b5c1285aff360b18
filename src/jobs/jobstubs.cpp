// Placeholders for the demonstration jobs until each is written in the file of its page.
#include "app/mainwindow.h"

void MainWindow::on_pushButtonFont_released()
{
}

void MainWindow::on_pushButtonVersion_released()
{
}

void MainWindow::on_pushButtonStatus_released()
{
}

void MainWindow::on_pushButtonBitmap_released()
{
}

void MainWindow::on_pushButtonAttributes_released()
{
}

void MainWindow::on_pushButtonDensity_released()
{
}

void MainWindow::on_pushButtonFormatting_released()
{
}

void MainWindow::on_pushButtonTabs_released()
{
}

void MainWindow::on_pushButtonReset_released()
{
}

void MainWindow::on_pushButtonClear_released()
{
}

void MainWindow::on_pushButtonReceipt_released()
{
}

void MainWindow::on_pushButtonBarcodeUPCA_released()
{
}

void MainWindow::on_pushButtonBarcodeUPCE_released()
{
}

void MainWindow::on_pushButtonBarcodeEAN13_released()
{
}

void MainWindow::on_pushButtonBarcodeEAN8_released()
{
}

void MainWindow::on_pushButtonBarcodeCODE39_released()
{
}

void MainWindow::on_pushButtonBarcodeITF25_released()
{
}

void MainWindow::on_pushButtonBarcodeCODABAR_released()
{
}

void MainWindow::on_pushButtonBarcodeCODE93_released()
{
}

void MainWindow::on_pushButtonBarcodeCODE128A_released()
{
}

void MainWindow::on_pushButtonLanguage_released()
{
}

void MainWindow::on_pushButtonFTP628_released()
{
}

void MainWindow::on_pushButtonFTP638_released()
{
}

void MainWindow::on_pushButtonLTP0213_released()
{
}

void MainWindow::on_pushButtonLTP02C1_released()
{
}

void MainWindow::on_pushButtonApply_released()
{
}

void MainWindow::on_pushButtonYesText_released()
{
}

void MainWindow::on_pushButtonNoText_released()
{
}

void MainWindow::on_pushButton58_384_released()
{
}

void MainWindow::on_pushButton80_576_released()
{
}

void MainWindow::on_pushButtonFullCut_released()
{
}

void MainWindow::on_pushButtonPartialCut_released()
{
}

void MainWindow::on_pushButtonReceiptFullCut_released()
{
}

void MainWindow::on_pushButtonReceiptPartialCut_released()
{
}

void MainWindow::on_checkBoxHexEnable_released()
{
}

void MainWindow::on_pushButtonPowerManagment_released()
{
}

void MainWindow::on_pushButtonM23_H69_pressed()
{
}

void MainWindow::on_pushButtonM23_SX_released()
{
}
