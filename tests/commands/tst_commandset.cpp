#include "commands/commandset.h"

#include "ptypair.h"
#include "recordingdevice.h"

#include <QByteArray>
#include <QList>
#include <QSerialPort>
#include <QTest>

#include <functional>
#include <utility>

namespace {

// One call on a command set, carried through a test table.
struct Call
{
    std::function<void(CommandSet &)> run;
};

// The bytes of a hex literal; blanks are ignored, an empty literal stands for a write of
// length 0.
QByteArray h(const char *hex)
{
    return QByteArray::fromHex(hex);
}

const unsigned char *u(const char *s)
{
    return reinterpret_cast<const unsigned char *>(s);
}

const unsigned char *u(const QByteArray &bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.constData());
}

// Data for bitmaps and QR codes: from 256 bytes on every byte value occurs, XON and XOFF among
// them, and no shift of the block equals the block, so a shifted or truncated block cannot
// compare equal.
QByteArray pattern(qsizetype size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 256 + seed) & 0xFF);
    return bytes;
}

QList<QByteArray> singleZeros(int count)
{
    return QList<QByteArray>(count, h("00"));
}

QList<qsizetype> sizesOf(const QList<QByteArray> &writes)
{
    QList<qsizetype> sizes;
    for (const QByteArray &write : writes)
        sizes.append(write.size());
    return sizes;
}

// Remembers where each write's bytes came from, to tell a write straight from the caller's
// memory from one out of a copy.
class AddressRecordingDevice : public RecordingDevice
{
public:
    QList<const char *> addresses;

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        addresses.append(data);
        return RecordingDevice::writeData(data, size);
    }
};

// A caller's block of six bytes, also usable as a string.
const char callersBlock[] = "AB\x11\x13YZ";

void row(const char *name, std::function<void(CommandSet &)> run, QList<QByteArray> writes)
{
    QTest::newRow(name) << Call{std::move(run)} << std::move(writes);
}

} // namespace

Q_DECLARE_METATYPE(Call)

class tst_CommandSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void commandBytes_data();
    void commandBytes();
    void writePassesBufferInOneWrite_data();
    void writePassesBufferInOneWrite();
    void blocksAreWrittenFromCallersMemory_data();
    void blocksAreWrittenFromCallersMemory();
    void serialPortCarriesExactBytes();
};

void tst_CommandSet::initTestCase()
{
    // Several rows expect a write of length 0 between or after other writes. That write is
    // only visible if QIODevice hands it on to writeData.
    RecordingDevice probe;
    const char byte = 'x';
    probe.write(&byte, 0);
    QCOMPARE(probe.writes().size(), 1);
    QVERIFY(probe.writes().constFirst().isEmpty());
}

void tst_CommandSet::commandBytes_data()
{
    QTest::addColumn<Call>("call");
    // One entry per write call, in order; together they are the bytes on the line.
    QTest::addColumn<QList<QByteArray>>("writes");

    // Text and formatting.
    row("printStr(\"Normal 0123456 ABCD abcd\")",
        [](CommandSet &c) { c.printStr("Normal 0123456 ABCD abcd"); },
        {"Normal 0123456 ABCD abcd"});
    row("printStr(\"\")", [](CommandSet &c) { c.printStr(""); }, {h("")});
    row("printStr(\"\\xC4\\xD6\\x80\\xFF\\x11\\x13\")",
        [](CommandSet &c) { c.printStr("\xC4\xD6\x80\xFF\x11\x13"); }, {h("c4 d6 80 ff 11 13")});
    row("printLF()", [](CommandSet &c) { c.printLF(); }, {h("0a")});
    row("printCR()", [](CommandSet &c) { c.printCR(); }, {h("0d")});
    row("print_with_font(\"Bold 0123456 ABCD abcd\", 0x08)",
        [](CommandSet &c) { c.print_with_font("Bold 0123456 ABCD abcd", 0x08); },
        {h("1b 21 08"), "Bold 0123456 ABCD abcd", h("0a")});
    row("print_with_font(\"\", 0x90)", [](CommandSet &c) { c.print_with_font("", 0x90); },
        {h("1b 21 90"), h(""), h("0a")});
    row("print_with_font(\"\\xA9\\x80\\xFE\", 0x82)",
        [](CommandSet &c) { c.print_with_font("\xA9\x80\xFE", 0x82); },
        {h("1b 21 82"), h("a9 80 fe"), h("0a")});
    row("fontTypeSet(0x82)", [](CommandSet &c) { c.fontTypeSet(0x82); }, {h("1b 21 82")});
    row("setFontMode(1)", [](CommandSet &c) { c.setFontMode(1); }, {h("1b 4d 01")});
    row("setFontMode(2)", [](CommandSet &c) { c.setFontMode(2); }, {h("1b 4d 02")});
    row("setFontGrayScale(8)", [](CommandSet &c) { c.setFontGrayScale(8); }, {h("1b 6d 08")});
    row("setDbMode()", [](CommandSet &c) { c.setDbMode(); }, {h("1c 26")});
    row("cancelDbMode()", [](CommandSet &c) { c.cancelDbMode(); }, {h("1c 2e")});
    row("horizontalAlign(2)", [](CommandSet &c) { c.horizontalAlign(2); }, {h("1b 61 02")});
    row("lineSpacingSet(66)", [](CommandSet &c) { c.lineSpacingSet(66); }, {h("1b 33 42")});
    row("lineSpacingDefaults()", [](CommandSet &c) { c.lineSpacingDefaults(); }, {h("1b 32")});
    row("horizontalTabSet({8, 24, 38}, 3)",
        [](CommandSet &c) {
            static const unsigned char stops[] = {8, 24, 38};
            c.horizontalTabSet(stops, 3);
        },
        {h("1b 44"), h("08 18 26"), h("00")});
    row("horizontalTabSet({8, 24, 38}, 2)",
        [](CommandSet &c) {
            static const unsigned char stops[] = {8, 24, 38};
            c.horizontalTabSet(stops, 2);
        },
        {h("1b 44"), h("08 18"), h("00")});
    row("horizontalTabSet(stops, 0)",
        [](CommandSet &c) {
            static const unsigned char stops[] = {8};
            c.horizontalTabSet(stops, 0);
        },
        {h("1b 44"), h(""), h("00")});
    row("horizontalTabSet(nullptr, 0)", [](CommandSet &c) { c.horizontalTabSet(nullptr, 0); },
        {h("1b 44"), h(""), h("00")});
    row("horizontalTab()", [](CommandSet &c) { c.horizontalTab(); }, {h("09")});
    row("printAndFeedNDotLine(24)", [](CommandSet &c) { c.printAndFeedNDotLine(24); },
        {h("1b 4a 18")});
    row("printAndFeedNFontLine(5)", [](CommandSet &c) { c.printAndFeedNFontLine(5); },
        {h("1b 64 05")});
    row("setLeftMargin(8)", [](CommandSet &c) { c.setLeftMargin(8); }, {h("1b 6c 08")});
    row("setRightMargin(38)", [](CommandSet &c) { c.setRightMargin(38); }, {h("1b 51 26")});
    row("absolutePrintPos(50, 0)", [](CommandSet &c) { c.absolutePrintPos(50, 0); },
        {h("1b 24 32 00")});
    row("absolutePrintPos(0x34, 0x12)", [](CommandSet &c) { c.absolutePrintPos(0x34, 0x12); },
        {h("1b 24 34 12")});
    row("printerSoftInit()", [](CommandSet &c) { c.printerSoftInit(); }, {h("1b 40")});
    row("clearPrintBuffer()", [](CommandSet &c) { c.clearPrintBuffer(); }, {h("10 14")});

    // Raster pictures.
    {
        const QByteArray logo = pattern(48 * 94);
        row("picturePrintH(0, 48, 94, logo)",
            [logo](CommandSet &c) { c.picturePrintH(0, 48, 94, u(logo)); },
            {h("1d 76 30 00 30 00 5e 00"), logo});
    }
    {
        const QByteArray bitmap = pattern(0x0201 * 3, 7);
        row("picturePrintH(3, 0x0201, 3, bitmap)",
            [bitmap](CommandSet &c) { c.picturePrintH(3, 0x0201, 3, u(bitmap)); },
            {h("1d 76 30 03 01 02 03 00"), bitmap});
    }
    row(
        "picturePrintH(0, 2, 3, nullptr)", [](CommandSet &c) { c.picturePrintH(0, 2, 3, nullptr); },
        QList<QByteArray>{h("1d 76 30 00 02 00 03 00")} + singleZeros(6));
    {
        const QByteArray unused = pattern(16);
        row("picturePrintH(0, 0, 5, data)",
            [unused](CommandSet &c) { c.picturePrintH(0, 0, 5, u(unused)); },
            {h("1d 76 30 00 00 00 05 00"), h("")});
        row("picturePrintH(0, 4, 0, data)",
            [unused](CommandSet &c) { c.picturePrintH(0, 4, 0, u(unused)); },
            {h("1d 76 30 00 04 00 00 00"), h("")});
    }
    row("picturePrintH(0, 0, 5, nullptr)", [](CommandSet &c) { c.picturePrintH(0, 0, 5, nullptr); },
        {h("1d 76 30 00 00 00 05 00")});
    row("picturePrintH(0, 4, 0, nullptr)", [](CommandSet &c) { c.picturePrintH(0, 4, 0, nullptr); },
        {h("1d 76 30 00 04 00 00 00")});
    {
        const QByteArray wide = pattern(65535, 1);
        row("picturePrintH(0, 65535, 1, data)",
            [wide](CommandSet &c) { c.picturePrintH(0, 65535, 1, u(wide)); },
            {h("1d 76 30 00 ff ff 01 00"), wide});
        row("picturePrintH(0, 1, 65535, data)",
            [wide](CommandSet &c) { c.picturePrintH(0, 1, 65535, u(wide)); },
            {h("1d 76 30 00 01 00 ff ff"), wide});
    }
    {
        // 65536 data bytes: the size no longer fits the 16 bits of either dimension.
        const QByteArray square = pattern(256 * 256, 2);
        row("picturePrintH(0, 256, 256, data)",
            [square](CommandSet &c) { c.picturePrintH(0, 256, 256, u(square)); },
            {h("1d 76 30 00 00 01 00 01"), square});
    }

    // Stored bitmaps.
    {
        const QByteArray stored = pattern(258 * 772, 3);
        row("downloadNVBitmap(1, 0, 258, 772, data)",
            [stored](CommandSet &c) { c.downloadNVBitmap(1, 0, 258, 772, u(stored)); },
            {h("1d 71 01 00 02 01 04 03"), stored});
    }
    row(
        "downloadNVBitmap(2, 1, 1, 3, nullptr)",
        [](CommandSet &c) { c.downloadNVBitmap(2, 1, 1, 3, nullptr); },
        QList<QByteArray>{h("1d 71 02 01 01 00 03 00")} + singleZeros(3));
    {
        const QByteArray unused = pattern(16);
        row("downloadNVBitmap(1, 0, 0, 7, data)",
            [unused](CommandSet &c) { c.downloadNVBitmap(1, 0, 0, 7, u(unused)); },
            {h("1d 71 01 00 00 00 07 00"), h("")});
    }
    row("downloadNVBitmap(1, 0, 7, 0, nullptr)",
        [](CommandSet &c) { c.downloadNVBitmap(1, 0, 7, 0, nullptr); },
        {h("1d 71 01 00 07 00 00 00")});
    row("printNVBitmap(1, 0x30)", [](CommandSet &c) { c.printNVBitmap(1, 0x30); },
        {h("1c 70 01 30")});

    // Barcodes.
    row("barcodeHeightSet(64)", [](CommandSet &c) { c.barcodeHeightSet(64); }, {h("1d 68 40")});
    row("barcodeWidthSet(3)", [](CommandSet &c) { c.barcodeWidthSet(3); }, {h("1d 77 03")});
    row("barcodeTextYesNo(0)", [](CommandSet &c) { c.barcodeTextYesNo(0); }, {h("1d 48 00")});
    row("barcodeTextYesNo(1)", [](CommandSet &c) { c.barcodeTextYesNo(1); }, {h("1d 48 01")});
    row("barcodePrint(0, \"01234567890\", 11)",
        [](CommandSet &c) { c.barcodePrint(0, u("01234567890"), 11); },
        {h("1d 6b 41 0b"), "01234567890"});
    row("barcodePrint(8, \"12345678\", 8)",
        [](CommandSet &c) { c.barcodePrint(8, u("12345678"), 8); }, {h("1d 6b 49 08"), "12345678"});
    row("barcodePrint(4, \"123456ZP402\", 6)",
        [](CommandSet &c) { c.barcodePrint(4, u("123456ZP402"), 6); },
        {h("1d 6b 45 06"), "123456"});
    row("barcodePrint(0xBF, \"7\", 1)", [](CommandSet &c) { c.barcodePrint(0xBF, u("7"), 1); },
        {h("1d 6b 00 01"), "7"});
    row("barcodePrint(0xFF, \"\", 0)", [](CommandSet &c) { c.barcodePrint(0xFF, u(""), 0); },
        {h("1d 6b 40 00"), h("")});
    {
        const QByteArray longest = pattern(255, 5);
        row("barcodePrint(2, data, 255)",
            [longest](CommandSet &c) { c.barcodePrint(2, u(longest), 255); },
            {h("1d 6b 43 ff"), longest});
    }

    // QR code.
    row("setQRSizeVersion(6)", [](CommandSet &c) { c.setQRSizeVersion(6); },
        {h("1d 28 6b 03 00 31 43 06")});
    row("setQRcodeErrorCorrection(0x31)", [](CommandSet &c) { c.setQRcodeErrorCorrection(0x31); },
        {h("1d 28 6b 03 00 31 45 31")});
    row("transferQRcodeData(5, \"ABCDE\")",
        [](CommandSet &c) { c.transferQRcodeData(5, u("ABCDE")); },
        {h("1d 28 6b 08 00 31 50 30"), "ABCDE"});
    {
        const QByteArray carry = pattern(253, 9);
        row("transferQRcodeData(253, data)",
            [carry](CommandSet &c) { c.transferQRcodeData(253, u(carry)); },
            {h("1d 28 6b 00 01 31 50 30"), carry});
        const QByteArray both = pattern(0x1234 - 3, 11);
        row("transferQRcodeData(0x1231, data)",
            [both](CommandSet &c) { c.transferQRcodeData(0x1231, u(both)); },
            {h("1d 28 6b 34 12 31 50 30"), both});
    }
    {
        const QByteArray largest = pattern(65535, 13);
        const QByteArray fits = largest.left(65532);
        row("transferQRcodeData(65532, data)",
            [fits](CommandSet &c) { c.transferQRcodeData(65532, u(fits)); },
            {h("1d 28 6b ff ff 31 50 30"), fits});
        // The announced length would wrap to 0, 1 or 2: refused, nothing at all goes out.
        row("transferQRcodeData(65533, data)",
            [largest](CommandSet &c) { c.transferQRcodeData(65533, u(largest)); }, {});
        row("transferQRcodeData(65534, data)",
            [largest](CommandSet &c) { c.transferQRcodeData(65534, u(largest)); }, {});
        row("transferQRcodeData(65535, data)",
            [largest](CommandSet &c) { c.transferQRcodeData(65535, u(largest)); }, {});
    }
    row("transferQRcodeData(65535, nullptr)",
        [](CommandSet &c) { c.transferQRcodeData(65535, nullptr); }, {});
    row(
        "transferQRcodeData(3, nullptr)", [](CommandSet &c) { c.transferQRcodeData(3, nullptr); },
        QList<QByteArray>{h("1d 28 6b 06 00 31 50 30")} + singleZeros(3));
    row("transferQRcodeData(0, data)", [](CommandSet &c) { c.transferQRcodeData(0, u("Z")); },
        {h("1d 28 6b 03 00 31 50 30"), h("")});
    row("transferQRcodeData(0, nullptr)", [](CommandSet &c) { c.transferQRcodeData(0, nullptr); },
        {h("1d 28 6b 03 00 31 50 30")});
    row("printQRcodeData()", [](CommandSet &c) { c.printQRcodeData(); },
        {h("1d 28 6b 03 00 31 51 30")});

    // Controller configuration, status, cutter and power.
    row("setComMode(6, 2)", [](CommandSet &c) { c.setComMode(6, 2); }, {h("1d 28 06 02")});
    row("setComMode(4, 1)", [](CommandSet &c) { c.setComMode(4, 1); }, {h("1d 28 04 01")});
    row("setPrinterHead(7)", [](CommandSet &c) { c.setPrinterHead(7); }, {h("1b 5a 07")});
    row("printerState()", [](CommandSet &c) { c.printerState(); }, {h("10 04")});
    row("getFirmwareInfo()", [](CommandSet &c) { c.getFirmwareInfo(); }, {h("10 05")});
    row("setPrinterCallBack(0x0F)", [](CommandSet &c) { c.setPrinterCallBack(0x0F); },
        {h("1d 61 0f")});
    row("fullCut()", [](CommandSet &c) { c.fullCut(); }, {h("1b 69")});
    row("partialCut()", [](CommandSet &c) { c.partialCut(); }, {h("1b 6e")});
    row("enterSleepMode()", [](CommandSet &c) { c.enterSleepMode(); }, {h("10 16")});
}

void tst_CommandSet::commandBytes()
{
    QFETCH(Call, call);
    QFETCH(QList<QByteArray>, writes);

    RecordingDevice device;
    CommandSet commands(&device);
    call.run(commands);

    QCOMPARE(sizesOf(device.writes()), sizesOf(writes));
    QCOMPARE(device.bytes(), writes.join());
}

void tst_CommandSet::writePassesBufferInOneWrite_data()
{
    QTest::addColumn<QByteArray>("buffer");

    QTest::newRow("Write(3 bytes)") << h("1b 40 0a");
    QTest::newRow("Write(empty)") << QByteArray("");
    QTest::newRow("Write(65536 bytes)") << pattern(65536, 17);
}

void tst_CommandSet::writePassesBufferInOneWrite()
{
    QFETCH(QByteArray, buffer);

    RecordingDevice device;
    CommandSet commands(&device);
    commands.Write(u(buffer), size_t(buffer.size()));

    QCOMPARE(device.writes(), QList<QByteArray>{buffer});
}

void tst_CommandSet::blocksAreWrittenFromCallersMemory_data()
{
    QTest::addColumn<Call>("call");
    // Which write carries the caller's block.
    QTest::addColumn<int>("blockWrite");

    QTest::newRow("Write") << Call{[](CommandSet &c) { c.Write(u(callersBlock), 6); }} << 0;
    QTest::newRow("printStr") << Call{[](CommandSet &c) { c.printStr(callersBlock); }} << 0;
    QTest::newRow("print_with_font")
        << Call{[](CommandSet &c) { c.print_with_font(callersBlock, 0); }} << 1;
    QTest::newRow("horizontalTabSet")
        << Call{[](CommandSet &c) { c.horizontalTabSet(u(callersBlock), 3); }} << 1;
    QTest::newRow("barcodePrint") << Call{[](CommandSet &c) {
        c.barcodePrint(0, u(callersBlock), 6);
    }} << 1;
    QTest::newRow("picturePrintH")
        << Call{[](CommandSet &c) { c.picturePrintH(0, 2, 3, u(callersBlock)); }} << 1;
    QTest::newRow("downloadNVBitmap")
        << Call{[](CommandSet &c) { c.downloadNVBitmap(1, 0, 3, 2, u(callersBlock)); }} << 1;
    QTest::newRow("transferQRcodeData")
        << Call{[](CommandSet &c) { c.transferQRcodeData(6, u(callersBlock)); }} << 1;
}

void tst_CommandSet::blocksAreWrittenFromCallersMemory()
{
    QFETCH(Call, call);
    QFETCH(int, blockWrite);

    AddressRecordingDevice device;
    CommandSet commands(&device);
    call.run(commands);

    QVERIFY(blockWrite < device.addresses.size());
    QCOMPARE(static_cast<const void *>(device.addresses.at(blockWrite)),
             static_cast<const void *>(callersBlock));
}

void tst_CommandSet::serialPortCarriesExactBytes()
{
    PtyPair pty;
    if (!pty.isValid())
        QSKIP("No pseudo-terminal available");

    // A receipt-sized picture whose data holds the XON and XOFF bytes, which the line's
    // software flow control must carry as data.
    const QByteArray picture = pattern(48 * 256, 3);
    QVERIFY(picture.contains('\x11'));
    QVERIFY(picture.contains('\x13'));
    const QByteArray qrData("https://example.org/\x11\x13", 22);

    const auto sequence = [&](CommandSet &c) {
        c.printerSoftInit();
        c.printStr("");
        c.horizontalTabSet(nullptr, 0);
        c.horizontalAlign(1);
        c.picturePrintH(0, 48, 256, u(picture));
        c.printLF();
        c.print_with_font("Bold 0123456 ABCD abcd", 0x08);
        c.barcodeHeightSet(64);
        c.barcodeWidthSet(3);
        c.barcodePrint(0, u("01234567890"), 11);
        c.setQRSizeVersion(6);
        c.setQRcodeErrorCorrection(0x31);
        c.transferQRcodeData(quint16(qrData.size()), u(qrData));
        c.printQRcodeData();
        c.fullCut();
    };

    const QByteArray expected = h("1b 40") + h("1b 44 00") + h("1b 61 01") +
                                h("1d 76 30 00 30 00 00 01") + picture + h("0a") + h("1b 21 08") +
                                "Bold 0123456 ABCD abcd" + h("0a") + h("1d 68 40") + h("1d 77 03") +
                                h("1d 6b 41 0b") + "01234567890" + h("1d 28 6b 03 00 31 43 06") +
                                h("1d 28 6b 03 00 31 45 31") + h("1d 28 6b 19 00 31 50 30") +
                                qrData + h("1d 28 6b 03 00 31 51 30") + h("1b 69");

    RecordingDevice recorder;
    {
        CommandSet commands(&recorder);
        sequence(commands);
    }
    QCOMPARE(recorder.bytes(), expected);

    QSerialPort port;
    port.setPortName(pty.slavePath());
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QVERIFY(port.setBaudRate(QSerialPort::Baud115200));
    QVERIFY(port.setDataBits(QSerialPort::Data8));
    QVERIFY(port.setParity(QSerialPort::NoParity));
    QVERIFY(port.setStopBits(QSerialPort::OneStop));
    QVERIFY(port.setFlowControl(QSerialPort::SoftwareControl));

    {
        CommandSet commands(&port);
        sequence(commands);
    }

    // Written after the commands, so that anything the line adds after them (or a byte that it
    // loses) shows in the one comparison without waiting for the line to fall quiet.
    const QByteArray sentinel("<end of job>");
    port.write(sentinel);

    const QByteArray received = pty.readExactly(expected.size() + sentinel.size());
    QCOMPARE(received, recorder.bytes() + sentinel);
    QCOMPARE(port.error(), QSerialPort::NoError);
}

QTEST_GUILESS_MAIN(tst_CommandSet)
#include "tst_commandset.moc"
