// Placeholders for image loading and raster printing until they are written.
#include "app/mainwindow.h"

void MainWindow::on_pushButton_58PrintH_released()
{
}

void MainWindow::on_pushButton_LineFeed_released()
{
}

void MainWindow::on_pushButton_Load_released()
{
}

void MainWindow::open()
{
}

bool MainWindow::loadFile(const QString &)
{
    return false;
}
