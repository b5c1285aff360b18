// SPDX-License-Identifier: MIT
// Writes the fuzzer's starting corpus into the folder given: one small stream per kind of
// command, made by the tool's own command set. The first byte of each file is the fuzz target's
// own (head type and piece size).
#include "commands/commandset.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <functional>

namespace {

using Job = std::function<void(CommandSet &)>;

const unsigned char bitmap[] = {0xFF, 0x81, 0x81, 0xFF, 0x3C, 0x3C};
const unsigned char digits[] = "01234567890";
const unsigned char stops[] = {8, 24, 38};

void write(const QDir &dir, const QString &name, char control, const Job &job)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    buffer.putChar(control);
    CommandSet commands(&buffer);
    job(commands);
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(buffer.data());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("."));

    write(dir, QStringLiteral("text"), 0x08, [](CommandSet &c) {
        c.printerSoftInit();
        c.horizontalAlign(1);
        c.print_with_font("Centred heading", 0x08);
        c.print_with_font("Reverse", 0x40);
        c.print_with_font("Double", 0x30);
        c.print_with_font("Italic underlined", 0x82);
        c.setFontGrayScale(8);
        c.printAndFeedNFontLine(2);
        c.printAndFeedNDotLine(24);
        c.lineSpacingSet(66);
        c.lineSpacingDefaults();
        c.printCR();
    });
    write(dir, QStringLiteral("layout"), 0x11, [](CommandSet &c) {
        c.horizontalTabSet(stops, 3);
        c.horizontalTab();
        c.printStr("Tab");
        c.absolutePrintPos(50, 0);
        c.printStr("Abs");
        c.setLeftMargin(8);
        c.setRightMargin(38);
        c.print_with_font("Margins", 0);
        c.setFontMode(1);
        c.print_with_font("Small", 0);
    });
    write(dir, QStringLiteral("encodings"), 0x00, [](CommandSet &c) {
        c.printStr("\x80\xA3\x01\x2B\x03\x91\x06\x1B");
        c.setDbMode();
        c.printStr("\xB7\xC9\x24\x22\x42\x67");
        c.cancelDbMode();
        c.printLF();
    });
    write(dir, QStringLiteral("pictures"), 0x1D, [](CommandSet &c) {
        c.picturePrintH(0, 2, 3, bitmap);
        c.picturePrintH(3, 1, 2, nullptr);
        c.downloadNVBitmap(1, 1, 2, 3, bitmap);
        c.printNVBitmap(1, 0);
    });
    write(dir, QStringLiteral("barcodes"), 0x02, [](CommandSet &c) {
        c.barcodeHeightSet(20);
        c.barcodeWidthSet(2);
        c.barcodeTextYesNo(3);
        for (unsigned char system = 0; system < 9; ++system)
            c.barcodePrint(system, digits, system == 6 ? 0 : 8);
        c.barcodePrint(6, reinterpret_cast<const unsigned char *>("a123a"), 5);
        c.barcodePrint(8, reinterpret_cast<const unsigned char *>("{C\x0c\x22"), 4);
    });
    write(dir, QStringLiteral("qr"), 0x05, [](CommandSet &c) {
        c.setQRSizeVersion(3);
        c.setQRcodeErrorCorrection(0x31);
        c.transferQRcodeData(5, reinterpret_cast<const unsigned char *>("hello"));
        c.printQRcodeData();
    });
    // Streams that once cost far more than their bytes: one stored symbol printed again and
    // again, stored bitmaps printed past the roll and beyond the paper's edge, a large picture,
    // runs of one command.
    write(dir, QStringLiteral("qr-prints"), 0x00, [](CommandSet &c) {
        QByteArray data = QByteArray("0123456789").repeated(100);
        c.setQRSizeVersion(2);
        c.transferQRcodeData(static_cast<unsigned short>(data.size()),
                             reinterpret_cast<const unsigned char *>(data.constData()));
        for (int i = 0; i < 400; ++i)
            c.printQRcodeData();
    });
    write(dir, QStringLiteral("stored-bitmaps"), 0x09, [](CommandSet &c) {
        const QByteArray wide(200 * 40, char(0xA5)); // 1600 dots wide, far past the paper
        c.downloadNVBitmap(1, 0, 200, 40,
                           reinterpret_cast<const unsigned char *>(wide.constData()));
        c.downloadNVBitmap(2, 1, 2, 3, bitmap);
        for (int i = 0; i < 200; ++i) {
            c.printNVBitmap(1, static_cast<unsigned char>(i & 3));
            c.printNVBitmap(2, 0);
        }
    });
    write(dir, QStringLiteral("large-picture"), 0x3D, [](CommandSet &c) {
        QByteArray picture(48 * 400, '\0');
        for (qsizetype i = 0; i < picture.size(); ++i)
            picture[i] = char((i * 37) ^ (i / 48));
        c.picturePrintH(0, 48, 400, reinterpret_cast<const unsigned char *>(picture.constData()));
        c.picturePrintH(3, 100, 20,
                        reinterpret_cast<const unsigned char *>(picture.constData()));
    });
    write(dir, QStringLiteral("repeats"), 0x00, [](CommandSet &c) {
        for (int i = 0; i < 2000; ++i)
            c.printLF();
        for (int i = 0; i < 500; ++i)
            c.horizontalTab();
        c.printStr("\x1b\x1b\x1b\x1b\x1b\x1b");
    });
    write(dir, QStringLiteral("controller"), 0x01, [](CommandSet &c) {
        c.setPrinterHead(1);
        c.setComMode(4, 1);
        c.printerState();
        c.getFirmwareInfo();
        c.setPrinterCallBack(0xFF);
        c.clearPrintBuffer();
        c.fullCut();
        c.partialCut();
        c.enterSleepMode();
    });
    return 0;
}
