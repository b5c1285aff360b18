// SPDX-License-Identifier: MIT
#include "commands/commandset.h"

#include "protocol/commands.h"

#include <QIODevice>

#include <cstring>

using namespace Wire;
using Protocol::bytesOf;
using Protocol::Op;
using namespace Protocol::Symbol2D;

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
    constexpr auto c = bytesOf<Op::UartMode>();
    const uint8_t cmd[] = {c[0], c[1], ucComSet, ucFlowSet};
    send(cmd, sizeof cmd);
}

void CommandSet::setPrinterHead(unsigned char ucHeadIndex)
{
    constexpr auto c = bytesOf<Op::PrintHead>();
    const uint8_t cmd[] = {c[0], c[1], ucHeadIndex};
    send(cmd, sizeof cmd);
}

void CommandSet::printerSoftInit()
{
    constexpr auto c = bytesOf<Op::Initialise>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::printLF()
{
    constexpr auto c = bytesOf<Op::LineFeed>();
    const uint8_t cmd[] = {c[0]};
    send(cmd, sizeof cmd);
}

void CommandSet::printCR()
{
    constexpr auto c = bytesOf<Op::CarriageReturn>();
    const uint8_t cmd[] = {c[0]};
    send(cmd, sizeof cmd);
}

void CommandSet::printStr(const char *pStr)
{
    send(reinterpret_cast<const uint8_t *>(pStr), std::strlen(pStr));
}

void CommandSet::printAndFeedNDotLine(uint8_t ucDotLineNum)
{
    constexpr auto c = bytesOf<Op::FeedDots>();
    const uint8_t cmd[] = {c[0], c[1], ucDotLineNum};
    send(cmd, sizeof cmd);
}

void CommandSet::fontTypeSet(uint8_t ucFontType)
{
    constexpr auto c = bytesOf<Op::PrintMode>();
    const uint8_t cmd[] = {c[0], c[1], ucFontType};
    send(cmd, sizeof cmd);
}

void CommandSet::horizontalAlign(uint8_t align)
{
    constexpr auto c = bytesOf<Op::Align>();
    const uint8_t cmd[] = {c[0], c[1], align};
    send(cmd, sizeof cmd);
}

void CommandSet::lineSpacingSet(uint8_t ucDotLineNum)
{
    constexpr auto c = bytesOf<Op::LineSpacing>();
    const uint8_t cmd[] = {c[0], c[1], ucDotLineNum};
    send(cmd, sizeof cmd);
}

void CommandSet::lineSpacingDefaults()
{
    constexpr auto c = bytesOf<Op::DefaultLineSpacing>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::horizontalTabSet(const unsigned char *pucNBuf, unsigned char ucDataNum)
{
    constexpr auto c = bytesOf<Op::TabStops>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
    send(pucNBuf, ucDataNum);
    const uint8_t end[] = {NUL};
    send(end, sizeof end);
}

void CommandSet::horizontalTab()
{
    constexpr auto c = bytesOf<Op::Tab>();
    const uint8_t cmd[] = {c[0]};
    send(cmd, sizeof cmd);
}

void CommandSet::printAndFeedNFontLine(unsigned char ucFontLineNum)
{
    constexpr auto c = bytesOf<Op::FeedLines>();
    const uint8_t cmd[] = {c[0], c[1], ucFontLineNum};
    send(cmd, sizeof cmd);
}

void CommandSet::picturePrintH(unsigned char ucType, unsigned short usHSize, unsigned short usVSize,
                               const unsigned char *pucDataBuf)
{
    constexpr auto c = bytesOf<Op::Raster>();
    const uint8_t cmd[] = {c[0],
                           c[1],
                           c[2],
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
    constexpr auto c = bytesOf<Op::LeftMargin>();
    const uint8_t cmd[] = {c[0], c[1], ucDots};
    send(cmd, sizeof cmd);
}

void CommandSet::setRightMargin(uint8_t ucDots)
{
    constexpr auto c = bytesOf<Op::RightMargin>();
    const uint8_t cmd[] = {c[0], c[1], ucDots};
    send(cmd, sizeof cmd);
}

void CommandSet::printerState()
{
    constexpr auto c = bytesOf<Op::StatusRequest>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::absolutePrintPos(uint8_t ucLNum, uint8_t ucHNum)
{
    constexpr auto c = bytesOf<Op::AbsolutePosition>();
    const uint8_t cmd[] = {c[0], c[1], ucLNum, ucHNum};
    send(cmd, sizeof cmd);
}

void CommandSet::setFontGrayScale(uint8_t ucScale)
{
    constexpr auto c = bytesOf<Op::Darkness>();
    const uint8_t cmd[] = {c[0], c[1], ucScale};
    send(cmd, sizeof cmd);
}

void CommandSet::setDbMode()
{
    constexpr auto c = bytesOf<Op::DoubleByteOn>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::cancelDbMode()
{
    constexpr auto c = bytesOf<Op::DoubleByteOff>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::setFontMode(unsigned char ucFont)
{
    constexpr auto c = bytesOf<Op::Font>();
    const uint8_t cmd[] = {c[0], c[1], ucFont};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodeHeightSet(unsigned char ucHeight)
{
    constexpr auto c = bytesOf<Op::BarcodeHeight>();
    const uint8_t cmd[] = {c[0], c[1], ucHeight};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodeWidthSet(unsigned char ucWidth)
{
    constexpr auto c = bytesOf<Op::BarcodeWidth>();
    const uint8_t cmd[] = {c[0], c[1], ucWidth};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodeTextYesNo(unsigned char ucYesNo)
{
    constexpr auto c = bytesOf<Op::BarcodeText>();
    const uint8_t cmd[] = {c[0], c[1], ucYesNo};
    send(cmd, sizeof cmd);
}

void CommandSet::barcodePrint(unsigned char ucBarcodeSys, const unsigned char *pucCodeBuf,
                              unsigned char ucCodeLen)
{
    // The symbology byte is 'A' + system, in 8-bit arithmetic.
    constexpr auto c = bytesOf<Op::Barcode>();
    const uint8_t cmd[] = {c[0], c[1], uint8_t(ucBarcodeSys + Protocol::barcodeFunctionB),
                           ucCodeLen};
    send(cmd, sizeof cmd);
    send(pucCodeBuf, ucCodeLen);
}

void CommandSet::clearPrintBuffer()
{
    constexpr auto c = bytesOf<Op::ClearBuffer>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::getFirmwareInfo()
{
    constexpr auto c = bytesOf<Op::FirmwareRequest>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::print_with_font(const char *str, uint8_t font)
{
    constexpr auto c = bytesOf<Op::PrintMode>();
    const uint8_t mode[] = {c[0], c[1], font};
    send(mode, sizeof mode);
    printStr(str);
    printLF();
}

void CommandSet::fullCut()
{
    constexpr auto c = bytesOf<Op::FullCut>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::partialCut()
{
    constexpr auto c = bytesOf<Op::PartialCut>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}

void CommandSet::setPrinterCallBack(unsigned char ucCallBack)
{
    constexpr auto c = bytesOf<Op::AutoStatus>();
    const uint8_t cmd[] = {c[0], c[1], ucCallBack};
    send(cmd, sizeof cmd);
}

void CommandSet::downloadNVBitmap(unsigned char ucLocation, unsigned char ucAlign,
                                  unsigned short usHSize, unsigned short usVSize,
                                  const unsigned char *pucDataBuf)
{
    constexpr auto c = bytesOf<Op::StoreBitmap>();
    const uint8_t cmd[] = {c[0],
                           c[1],
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
    constexpr auto c = bytesOf<Op::PrintStoredBitmap>();
    const uint8_t cmd[] = {c[0], c[1], ucBitmapIndex, ucMode};
    send(cmd, sizeof cmd);
}

void CommandSet::setQRSizeVersion(unsigned char ucModuleSizeRange)
{
    constexpr auto c = bytesOf<Op::QrModuleSize>();
    const uint8_t cmd[] = {c[0], c[1], c[2], 0x03, 0x00, Qr, ModuleSize, ucModuleSizeRange};
    send(cmd, sizeof cmd);
}

void CommandSet::setQRcodeErrorCorrection(unsigned char ucErrorCorrectionLevel)
{
    constexpr auto c = bytesOf<Op::QrErrorCorrection>();
    const uint8_t cmd[] = {c[0], c[1], c[2], 0x03, 0x00, Qr, ErrorCorrection,
                           ucErrorCorrectionLevel};
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
    constexpr auto c = bytesOf<Op::QrStore>();
    const uint8_t cmd[] = {c[0], c[1], c[2], lowByte(announced), highByte(announced),
                           Qr, Store, PrintMode};
    send(cmd, sizeof cmd);
    sendBlock(pucDataBuf, usbufferSize);
}

void CommandSet::printQRcodeData()
{
    constexpr auto c = bytesOf<Op::QrPrint>();
    const uint8_t cmd[] = {c[0], c[1], c[2], 0x03, 0x00, Qr, Print, PrintMode};
    send(cmd, sizeof cmd);
}

void CommandSet::enterSleepMode()
{
    constexpr auto c = bytesOf<Op::Sleep>();
    const uint8_t cmd[] = {c[0], c[1]};
    send(cmd, sizeof cmd);
}
