#include "commands/commandset.h"

#include "commands/wirebytes.h"

#include <QIODevice>

#include <cstring>

using namespace Wire;

namespace {
constexpr uint8_t lowByte(unsigned v)
{
    return uint8_t(v & 0xFF);
}
constexpr uint8_t highByte(unsigned v)
{
    return uint8_t((v >> 8) & 0xFF);
}
} // namespace

void CommandSet::send(const uint8_t *bytes, size_t count)
{
    m_device->write(reinterpret_cast<const char *>(bytes), qint64(count));
}

// A data block goes out in one write straight from the caller's memory. Without data the
// controller still expects the announced number of bytes: zeros, one write per byte.
void CommandSet::sendBlock(const unsigned char *data, size_t count)
{
    if (data) {
        send(data, count);
        return;
    }
    const uint8_t zero = NUL;
    for (size_t i = 0; i < count; ++i)
        send(&zero, 1);
}

void CommandSet::Write(const uint8_t *buf, size_t buflen)
{
    send(buf, buflen);
}

void CommandSet::setComMode(unsigned char ucComSet, unsigned char ucFlowSet)
{
    const uint8_t cmd[] = {GS, '(', ucComSet, ucFlowSet};
    send(cmd, sizeof cmd);
}

void CommandSet::setPrinterHead(unsigned char ucHeadIndex)
{
    const uint8_t cmd[] = {ESC, 'Z', ucHeadIndex};
    send(cmd, sizeof cmd);
}

void CommandSet::printerSoftInit()
{
    const uint8_t cmd[] = {ESC, '@'};
    send(cmd, sizeof cmd);
}

void CommandSet::printLF()
{
    const uint8_t cmd[] = {LF};
    send(cmd, sizeof cmd);
}

void CommandSet::printCR()
{
    const uint8_t cmd[] = {CR};
    send(cmd, sizeof cmd);
}

void CommandSet::printStr(const char *pStr)
{
    send(reinterpret_cast<const uint8_t *>(pStr), std::strlen(pStr));
}

void CommandSet::printAndFeedNDotLine(uint8_t ucDotLineNum)
{
    const uint8_t cmd[] = {ESC, 'J', ucDotLineNum};
    send(cmd, sizeof cmd);
}

void CommandSet::fontTypeSet(uint8_t ucFontType)
{
    const uint8_t cmd[] = {ESC, '!', ucFontType};
    send(cmd, sizeof cmd);
}

void CommandSet::horizontalAlign(uint8_t align)
{
    const uint8_t cmd[] = {ESC, 'a', align};
    send(cmd, sizeof cmd);
}

void CommandSet::lineSpacingSet(uint8_t ucDotLineNum)
{
    const uint8_t cmd[] = {ESC, '3', ucDotLineNum};
    send(cmd, sizeof cmd);
}

void CommandSet::lineSpacingDefaults()
{
    const uint8_t cmd[] = {ESC, '2'};
    send(cmd, sizeof cmd);
}

void CommandSet::horizontalTabSet(const unsigned char *pucNBuf, unsigned char ucDataNum)
{
    const uint8_t cmd[] = {ESC, 'D'};
    send(cmd, sizeof cmd);
    send(pucNBuf, ucDataNum);
    const uint8_t end[] = {NUL};
    send(end, sizeof end);
}

void CommandSet::horizontalTab()
{
    const uint8_t cmd[] = {HT};
    send(cmd, sizeof cmd);
}

void CommandSet::printAndFeedNFontLine(unsigned char ucFontLineNum)
{
    const uint8_t cmd[] = {ESC, 'd', ucFontLineNum};
    send(cmd, sizeof cmd);
}

void CommandSet::picturePrintH(unsigned char ucType, unsigned short usHSize, unsigned short usVSize,
                               const unsigned char *pucDataBuf)
{
    const uint8_t cmd[] = {GS,
                           'v',
                           '0',
                           ucType,
                           lowByte(usHSize),
                           highByte(usHSize),
                           lowByte(usVSize),
                           highByte(usVSize)};
    send(cmd, sizeof cmd);
    sendBlock(pucDataBuf, size_t(usHSize) * size_t(usVSize));
}

void CommandSet::setLeftMargin(uint8_t ucDots)
{
    const uint8_t cmd[] = {ESC, 'l', ucDots};
    send(cmd, sizeof cmd);
}

void CommandSet::setRightMargin(uint8_t ucDots)
{
    const uint8_t cmd[] = {ESC, 'Q', ucDots};
    send(cmd, sizeof cmd);
}

void CommandSet::printerState()
{
    const uint8_t cmd[] = {DLE, EOT};
    send(cmd, sizeof cmd);
}

void CommandSet::absolutePrintPos(uint8_t ucLNum, uint8_t ucHNum)
{
    const uint8_t cmd[] = {ESC, '$', ucLNum, ucHNum};
    send(cmd, sizeof cmd);
}

void CommandSet::setFontGrayScale(uint8_t ucScale)
{
    const uint8_t cmd[] = {ESC, 'm', ucScale};
    send(cmd, sizeof cmd);
}

void CommandSet::setDbMode()
{
    const uint8_t cmd[] = {FS, '&'};
    send(cmd, sizeof cmd);
}

void CommandSet::cancelDbMode()
{
    const uint8_t cmd[] = {FS, '.'};
    send(cmd, sizeof cmd);
}

void CommandSet::setFontMode(unsigned char ucFont)
{
    const uint8_t cmd[] = {ESC, 'M', ucFont};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodeHeightSet(unsigned char ucHeight)
{
    const uint8_t cmd[] = {GS, 'h', ucHeight};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodeWidthSet(unsigned char ucWidth)
{
    const uint8_t cmd[] = {GS, 'w', ucWidth};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodeTextYesNo(unsigned char ucYesNo)
{
    const uint8_t cmd[] = {GS, 'H', ucYesNo};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodePrint(unsigned char ucBarcodeSys, const unsigned char *pucCodeBuf,
                              unsigned char ucCodeLen)
{
    // The symbology byte is 'A' + system, in 8-bit arithmetic.
    const uint8_t cmd[] = {GS, 'k', uint8_t(ucBarcodeSys + 0x41), ucCodeLen};
    send(cmd, sizeof cmd);
    send(pucCodeBuf, ucCodeLen);
}

void CommandSet::clearPrintBuffer()
{
    const uint8_t cmd[] = {DLE, DC4};
    send(cmd, sizeof cmd);
}

void CommandSet::getFirmwareInfo()
{
    const uint8_t cmd[] = {DLE, ENQ};
    send(cmd, sizeof cmd);
}

void CommandSet::print_with_font(const char *str, uint8_t font)
{
    const uint8_t mode[] = {ESC, '!', font};
    send(mode, sizeof mode);
    printStr(str);
    printLF();
}

void CommandSet::fullCut()
{
    const uint8_t cmd[] = {ESC, 'i'};
    send(cmd, sizeof cmd);
}

void CommandSet::partialCut()
{
    const uint8_t cmd[] = {ESC, 'n'};
    send(cmd, sizeof cmd);
}

void CommandSet::setPrinterCallBack(unsigned char ucCallBack)
{
    const uint8_t cmd[] = {GS, 'a', ucCallBack};
    send(cmd, sizeof cmd);
}

void CommandSet::downloadNVBitmap(unsigned char ucLocation, unsigned char ucAlign,
                                  unsigned short usHSize, unsigned short usVSize,
                                  const unsigned char *pucDataBuf)
{
    const uint8_t cmd[] = {GS,
                           'q',
                           ucLocation,
                           ucAlign,
                           lowByte(usHSize),
                           highByte(usHSize),
                           lowByte(usVSize),
                           highByte(usVSize)};
    send(cmd, sizeof cmd);
    sendBlock(pucDataBuf, size_t(usHSize) * size_t(usVSize));
}

void CommandSet::printNVBitmap(unsigned char ucBitmapIndex, unsigned char ucMode)
{
    const uint8_t cmd[] = {FS, 'p', ucBitmapIndex, ucMode};
    send(cmd, sizeof cmd);
}

void CommandSet::setQRSizeVersion(unsigned char ucModuleSizeRange)
{
    const uint8_t cmd[] = {GS, '(', 'k', 0x03, 0x00, '1', 'C', ucModuleSizeRange};
    send(cmd, sizeof cmd);
}

void CommandSet::setQRcodeErrorCorrection(unsigned char ucErrorCorrectionLevel)
{
    const uint8_t cmd[] = {GS, '(', 'k', 0x03, 0x00, '1', 'E', ucErrorCorrectionLevel};
    send(cmd, sizeof cmd);
}

void CommandSet::transferQRcodeData(unsigned short usbufferSize, const unsigned char *pucDataBuf)
{
    // The announced length counts the data and the three bytes cn fn m. Above 65532 data bytes
    // it no longer fits in 16 bits: the controller would take the rest of the data for
    // commands, so nothing is sent at all.
    const unsigned announced = unsigned(usbufferSize) + 3;
    if (announced > 0xFFFF)
        return;
    const uint8_t cmd[] = {GS, '(', 'k', lowByte(announced), highByte(announced), '1', 'P', '0'};
    send(cmd, sizeof cmd);
    sendBlock(pucDataBuf, usbufferSize);
}

void CommandSet::printQRcodeData()
{
    const uint8_t cmd[] = {GS, '(', 'k', 0x03, 0x00, '1', 'Q', '0'};
    send(cmd, sizeof cmd);
}

void CommandSet::enterSleepMode()
{
    const uint8_t cmd[] = {DLE, SYN};
    send(cmd, sizeof cmd);
}
