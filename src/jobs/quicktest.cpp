// "Quick Test" on the General page: a short tour of the controller's abilities on one strip of
// paper, the logo, one line per text attribute, two strips of symbols, a bar code and a raster
// picture.
#include "app/mainwindow.h"

#include "jobs/jobdata.h"
#include "resources/samplebitmaps.h"

using namespace Jobs;

void MainWindow::on_pushButtonFont_released()
{
    if (!startJob({"Printing features:"}))
        return;
    for (const TextSample &sample : quickTestSamples)
        appendConsole(sample.label);
    appendConsole("Printing tiny Windings Bitmaps");
    appendConsole("Printing Bar Code");
    appendConsole("Printing Raster Bitmap");

    const auto picture = [this](const unsigned char *bits, SampleBitmap::Size size) {
        commands.picturePrintH(rasterNormal, size.bytesPerRow, size.rows, bits);
        commands.printLF();
    };

    // Here the soft initialisation comes before alignment and darkness.
    commands.printerSoftInit();
    commands.horizontalAlign(Align::Left);
    commands.setFontGrayScale(usualDarkness);
    picture(ZP_company_384_94, SampleBitmap::ZP_company_384_94);
    commands.print_with_font(quickTestHeading, PrintMode::Normal);
    for (const TextSample &sample : quickTestSamples)
        commands.print_with_font(sample.text, sample.mode);
    commands.printLF();
    picture(wingdings_256_20, SampleBitmap::wingdings_256_20);
    picture(wingdings_72_20, SampleBitmap::wingdings_72_20);

    // The UPC-A sample of the bar code page, moved off the paper's edge.
    commands.setLeftMargin(barcodeMargin);
    commands.barcodeWidthSet(upcA.moduleWidth);
    commands.barcodeHeightSet(barcodeHeight);
    commands.barcodePrint(upcA.system, reinterpret_cast<const unsigned char *>(upcA.data.data()),
                          static_cast<unsigned char>(upcA.data.size()));
    commands.setLeftMargin(0);

    picture(rlLogoBuff1, SampleBitmap::rlLogoBuff1);
}
