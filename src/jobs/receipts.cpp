// The sample receipt: "Receipt" on the General page and the two receipts with a cut on the
// Cutter page. They differ only in their row of the receipt table.
#include "app/mainwindow.h"

#include "jobs/jobdata.h"
#include "resources/samplebitmaps.h"

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

    using namespace Receipt;
    const auto print = [this](const char *text) {
        commands.print_with_font(text, PrintMode::Normal);
    };
    commands.horizontalAlign(Align::Left);
    commands.printerSoftInit();
    commands.setFontGrayScale(usualDarkness);
    commands.picturePrintH(rasterNormal, SampleBitmap::sample_company_384_256bmp.bytesPerRow,
                           SampleBitmap::sample_company_384_256bmp.rows, sample_company_384_256bmp);
    commands.printLF();
    commands.horizontalAlign(Align::Centre);
    print(heading);
    commands.printAndFeedNFontLine(2);
    commands.horizontalAlign(Align::Left);
    print(date);
    print(transaction);
    commands.printAndFeedNFontLine(2);
    // The column header stands in the current mode and is ended by a dot feed.
    commands.printStr(columnHeader);
    commands.printAndFeedNDotLine(headerFeedDots);
    print(dottedRule);
    for (const char *item : items)
        print(item);
    print(dottedRule);
    commands.print_with_font(total, PrintMode::Bold);
    commands.printAndFeedNFontLine(1);
    print(tax);
    print(dottedRule);
    commands.print_with_font(payment, job.paymentMode);
    commands.printAndFeedNFontLine(2);
    commands.horizontalAlign(Align::Centre);
    print(thanks);
    commands.printAndFeedNFontLine(2);

    switch (job.cut) {
    case Cut::None:
        break;
    case Cut::Full:
        commands.fullCut();
        break;
    case Cut::Partial:
        commands.partialCut();
        break;
    }
}
