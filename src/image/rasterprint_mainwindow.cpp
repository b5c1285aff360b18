// "Print Raster Image" and "Line Feed" on the "Bitmaps" page: the loaded image goes to the
// controller as one raster picture, exactly as it is held (and shown).
#include "app/mainwindow.h"

#include "image/monoraster.h"

#include <QMessageBox>

void MainWindow::on_pushButton_58PrintH_released()
{
    if (!startJob({"Validating if Bitmap can be printed"}))
        return;

    switch (MonoRaster::check(image)) {
    case MonoRaster::Verdict::Empty:
        refuseRasterPrint("No Bitmap loaded", tr("No Bitmap loaded!"));
        return;
    case MonoRaster::Verdict::TooWide:
        refuseRasterPrint(
            "Bitmap too wide. Max 384 pixels",
            tr("This tool allows printing only for bitmaps of up to 384 pixel wide!"));
        return;
    case MonoRaster::Verdict::TooTall:
        // The height field of the raster header has 16 bits; a taller picture would make the
        // controller read the rest of its bytes as commands.
        refuseRasterPrint(
            "Bitmap too tall. Max 65535 pixels",
            tr("This tool allows printing only for bitmaps of up to 65535 pixel high!"));
        return;
    case MonoRaster::Verdict::Printable:
        break;
    }

    appendConsole("Validating bitmap...");
    commands.printerSoftInit();
    // The header announces the stored row width, fill included: its fill bits are clear.
    commands.picturePrintH(0, static_cast<unsigned short>(image.bytesPerLine()),
                           static_cast<unsigned short>(image.height()), image.constBits());
}

void MainWindow::on_pushButton_LineFeed_released()
{
    if (!portGuard())
        return;
    commands.printLF();
}

void MainWindow::refuseRasterPrint(const char *consoleLine, const QString &reason)
{
    appendConsole(consoleLine);
    QMessageBox::about(this, tr("Print Bitmap"), reason);
}
