// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

class QIODevice;

// The controller's command language, one operation per command, each named after what it
// sends. Every operation builds its fixed bytes in a local buffer of at most eight bytes and
// writes them to the device; a variable part (text, tab stops, barcode, bitmap or QR data) is a
// write of its own straight from the caller's memory, and a fixed trailer another write. 16-bit
// values go out low byte first. Nothing is framed, awaited, flushed or allocated, and results of
// the writes are not looked at: the caller checks that the port is open before a job starts.
//
// The set does not own the device and holds no other state.
class CommandSet
{
public:
    explicit CommandSet(QIODevice *device) : m_device(device) {}
    CommandSet(const CommandSet &) = delete;
    CommandSet &operator=(const CommandSet &) = delete;

    QIODevice *device() const { return m_device; }

    // Raw bytes in one write.
    void Write(const uint8_t *buf, size_t buflen);

    // Configuration, status, cutter and power.
    void setComMode(unsigned char ucComSet, unsigned char ucFlowSet);
    void setPrinterHead(unsigned char ucHeadIndex);

    // Text and formatting.
    void printerSoftInit();
    void printLF();
    void printCR();
    void printStr(const char *pStr);
    void printAndFeedNDotLine(uint8_t ucDotLineNum);
    void fontTypeSet(uint8_t ucFontType);
    void horizontalAlign(uint8_t align);
    void lineSpacingSet(uint8_t ucDotLineNum);
    void lineSpacingDefaults();
    void horizontalTabSet(const unsigned char *pucNBuf, unsigned char ucDataNum);
    void horizontalTab();
    void printAndFeedNFontLine(unsigned char ucFontLineNum);

    // Graphics.
    void picturePrintH(unsigned char ucType, unsigned short usHSize, unsigned short usVSize,
                       const unsigned char *pucDataBuf);

    void setLeftMargin(uint8_t ucDots);
    void setRightMargin(uint8_t ucDots);
    void printerState();
    void absolutePrintPos(uint8_t ucLNum, uint8_t ucHNum);
    void setFontGrayScale(uint8_t ucScale);
    void setDbMode();
    void cancelDbMode();
    void setFontMode(unsigned char ucFont);

    // Barcodes.
    void barcodeHeightSet(unsigned char ucHeight);
    void barcodeWidthSet(unsigned char ucWidth);
    void barcodeTextYesNo(unsigned char ucYesNo);
    void barcodePrint(unsigned char ucBarcodeSys, const unsigned char *pucCodeBuf,
                      unsigned char ucCodeLen);

    void clearPrintBuffer();
    void getFirmwareInfo();
    void print_with_font(const char *str, uint8_t font);
    void fullCut();
    void partialCut();
    void setPrinterCallBack(unsigned char ucCallBack);

    // Stored (non-volatile) bitmaps.
    void downloadNVBitmap(unsigned char ucLocation, unsigned char ucAlign, unsigned short usHSize,
                          unsigned short usVSize, const unsigned char *pucDataBuf);
    void printNVBitmap(unsigned char ucBitmapIndex, unsigned char ucMode);

    // QR code: module size, error correction, store the data, print.
    void setQRSizeVersion(unsigned char ucModuleSizeRange);
    void setQRcodeErrorCorrection(unsigned char ucErrorCorrectionLevel);
    void transferQRcodeData(unsigned short usbufferSize, const unsigned char *pucDataBuf);
    void printQRcodeData();

    void enterSleepMode();

private:
    void send(const uint8_t *bytes, size_t count);
    void sendBlock(const unsigned char *data, size_t count);

    QIODevice *m_device;
};
