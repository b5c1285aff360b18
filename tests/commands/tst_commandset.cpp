// SPDX-License-Identifier: MIT
#include "commands/commandset.h"
#include "virtual/streamdecoder.h"

#include "ptypair.h"
#include "recordingdevice.h"

#include <QSerialPort>
#include <QTest>

#include <functional>

using Virtual::Op;

namespace {

using Call = std::function<void(CommandSet &)>;

// What the controller's decoder made of a stream: each command with its parameters, and the
// data it carries (tab stops, barcode data, or the whole data block however it was cut).
// Consecutive characters are one entry whose data is their UTF-8 text.
struct Decoded
{
    Op op = Op::Unknown;
    QList<int> parameters;
    QByteArray data;
};

QString describe(const QList<Decoded> &events)
{
    QStringList out;
    for (const Decoded &e : events) {
        QString line = QStringLiteral("op %1 (").arg(int(e.op));
        for (int p : e.parameters)
            line += QStringLiteral(" %1").arg(p, 0, 16);
        out << line +
                   QStringLiteral(" ) %1 bytes %2").arg(e.data.size()).arg(e.data.left(24).toHex());
    }
    return out.join(QStringLiteral("; "));
}

class Collector : public Virtual::EventSink
{
public:
    QList<Decoded> events;
    void handle(const Virtual::Event &e) override
    {
        const QByteArray data = e.op == Op::Character
                                    ? QString(QChar(e.character)).toUtf8()
                                    : QByteArray(reinterpret_cast<const char *>(e.data.data()),
                                                 qsizetype(e.data.size()));
        // The parameters' values, without the function bytes that chose the row.
        QList<int> parameters;
        for (int i = 0; e.command && i < e.values.count; ++i) {
            if (e.command->parameters[std::size_t(i)].reading != Protocol::Reading::Select)
                parameters << std::max(e.values.values[std::size_t(i)], 0);
        }
        while (!parameters.isEmpty() && parameters.last() == 0)
            parameters.removeLast();
        if (e.op == Op::BlockData ||
            (e.op == Op::Character && events.value(events.size() - 1).op == Op::Character))
            events.last().data += data;
        else if (e.op != Op::BlockEnd || !e.complete)
            events.append({e.op, parameters, data});
    }
};

QByteArray h(const char *hex)
{
    return QByteArray::fromHex(hex);
}

const unsigned char *u(const QByteArray &bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.constData());
}

// From 256 bytes on every byte value occurs, XON and XOFF among them, and no shift of the block
// equals the block, so a shifted or truncated block cannot compare equal.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 256) & 0xFF);
    return bytes;
}

const QByteArray logo = pattern(0x0201 * 3);
const QByteArray big = pattern(65536);
const unsigned char tabStops[] = {8, 24, 38};

struct Row
{
    const char *name;
    Call call;
    QByteArray bytes;
    QList<Decoded> events;
};

QList<Row> rows()
{
    const QByteArray zeros6(6, '\0');
    // clang-format off
    return {
        {"text high bytes as they are", [](CommandSet &c) { c.printStr("A\xC4\x80"); },
         h("41 c4 80"), {{Op::Character, {}, "A\u00C4\u20AC"}}},
        {"print_with_font: mode, text, line feed", [](CommandSet &c) { c.print_with_font("Bold", 0x88); },
         h("1b 21 88") + "Bold\n", {{Op::PrintMode, {0x88}, {}}, {Op::Character, {}, "Bold"}, {Op::LineFeed, {}, {}}}},
        {"font type: the print-mode byte as it is", [](CommandSet &c) { c.fontTypeSet(0x99); },
         h("1b 21 99"), {{Op::PrintMode, {0x99}, {}}}},
        {"position low byte first", [](CommandSet &c) { c.absolutePrintPos(0x34, 0x12); },
         h("1b 24 34 12"), {{Op::AbsolutePosition, {0x1234}, {}}}},
        {"tab stops: the count given, not the array", [](CommandSet &c) { c.horizontalTabSet(tabStops, 2); },
         h("1b 44 08 18 00"), {{Op::TabStops, {}, h("08 18")}}},
        {"tab stops: none", [](CommandSet &c) { c.horizontalTabSet(nullptr, 0); },
         h("1b 44 00"), {{Op::TabStops, {}, {}}}},
        {"raster: sizes low byte first, data from the caller", [](CommandSet &c) { c.picturePrintH(3, 0x0201, 3, u(logo)); },
         h("1d 76 30 03 01 02 03 00") + logo, {{Op::Raster, {3, 0x0201, 3}, logo}}},
        {"raster: no data sends zeros", [](CommandSet &c) { c.picturePrintH(0, 2, 3, nullptr); },
         h("1d 76 30 00 02 00 03 00") + zeros6, {{Op::Raster, {0, 2, 3}, zeros6}}},
        {"raster: 65536 bytes, more than 16 bits", [](CommandSet &c) { c.picturePrintH(0, 256, 256, u(big)); },
         h("1d 76 30 00 00 01 00 01") + big, {{Op::Raster, {0, 256, 256}, big}}},
        {"raster: widest", [](CommandSet &c) { c.picturePrintH(0, 65535, 1, u(big)); },
         h("1d 76 30 00 ff ff 01 00") + big.left(65535), {{Op::Raster, {0, 65535, 1}, big.left(65535)}}},
        {"stored bitmap: sizes low byte first", [](CommandSet &c) { c.downloadNVBitmap(2, 1, 0x0201, 3, u(logo)); },
         h("1d 71 02 01 01 02 03 00") + logo, {{Op::StoreBitmap, {2, 1, 0x0201, 3}, logo}}},
        {"stored bitmap: no data sends zeros", [](CommandSet &c) { c.downloadNVBitmap(1, 0, 3, 2, nullptr); },
         h("1d 71 01 00 03 00 02 00") + zeros6, {{Op::StoreBitmap, {1, 0, 3, 2}, zeros6}}},
        {"stored bitmap print: number, then size mode", [](CommandSet &c) { c.printNVBitmap(2, 3); },
         h("1c 70 02 03"), {{Op::PrintStoredBitmap, {2, 3}, {}}}},
        {"barcode: the length given, not the string", [](CommandSet &c) { c.barcodePrint(4, u("123456ZP402"), 6); },
         h("1d 6b 45 06") + "123456", {{Op::Barcode, {0x45}, "123456"}}},
        {"barcode: longest", [](CommandSet &c) { c.barcodePrint(2, u(logo), 255); },
         h("1d 6b 43 ff") + logo.left(255), {{Op::Barcode, {0x43}, logo.left(255)}}},
        {"QR module size", [](CommandSet &c) { c.setQRSizeVersion(6); },
         h("1d 28 6b 03 00 31 43 06"), {{Op::QrModuleSize, {6}, {}}}},
        {"QR error correction", [](CommandSet &c) { c.setQRcodeErrorCorrection(0x33); },
         h("1d 28 6b 03 00 31 45 33"), {{Op::QrErrorCorrection, {0x33}, {}}}},
        {"QR data: length plus three, low byte first", [](CommandSet &c) { c.transferQRcodeData(0x0131, u(logo)); },
         h("1d 28 6b 34 01 31 50 30") + logo.left(0x0131), {{Op::QrStore, {0x30}, logo.left(0x0131)}}},
        {"QR data: no data sends zeros", [](CommandSet &c) { c.transferQRcodeData(3, nullptr); },
         h("1d 28 6b 06 00 31 50 30 00 00 00"), {{Op::QrStore, {0x30}, QByteArray(3, '\0')}}},
        {"QR data: the longest that fits", [](CommandSet &c) { c.transferQRcodeData(65532, u(big)); },
         h("1d 28 6b ff ff 31 50 30") + big.left(65532), {{Op::QrStore, {0x30}, big.left(65532)}}},
        {"QR data: a length that would wrap is refused", [](CommandSet &c) { c.transferQRcodeData(65533, u(big)); },
         {}, {}},
        {"QR print", [](CommandSet &c) { c.printQRcodeData(); },
         h("1d 28 6b 03 00 31 51 30"), {{Op::QrPrint, {0x30}, {}}}},
        {"UART mode", [](CommandSet &c) { c.setComMode(6, 2); },
         h("1d 28 06 02"), {{Op::UartMode, {6, 2}, {}}}},
        {"automatic status back: the mask as it is", [](CommandSet &c) { c.setPrinterCallBack(0x81); },
         h("1d 61 81"), {{Op::AutoStatus, {0x81}, {}}}},
        {"a caller's buffer as it is", [](CommandSet &c) { c.Write(u("\x1b@\x0a"), 3); },
         h("1b 40 0a"), {{Op::Initialise, {}, {}}, {Op::LineFeed, {}, {}}}},
    };
    // clang-format on
}

} // namespace

Q_DECLARE_METATYPE(Call)

class tst_CommandSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bothWays_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("events");
        for (const Row &row : rows())
            QTest::newRow(row.name) << row.call << row.bytes << describe(row.events);
    }

    // The call writes exactly the bytes of the row, and the controller's decoder makes the
    // row's commands of them.
    void bothWays()
    {
        QFETCH(Call, call);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, events);

        RecordingDevice device;
        CommandSet commands(&device);
        call(commands);
        QCOMPARE(device.bytes(), bytes);

        Collector whole;
        Virtual::StreamDecoder decoder(&whole);
        decoder.feed(bytes);
        decoder.finish();
        QCOMPARE(describe(whole.events), events);
    }

    // Every row through a real port with XON/XOFF: the data's 0x11 and 0x13 bytes arrive as data.
    void serialPortCarriesExactBytes()
    {
        PtyPair pty;
        if (!pty.isValid())
            QSKIP("No pseudo-terminal available");
        QSerialPort port;
        port.setPortName(pty.slavePath());
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QVERIFY(port.setBaudRate(QSerialPort::Baud115200));
        QVERIFY(port.setFlowControl(QSerialPort::SoftwareControl));

        QByteArray expected;
        CommandSet commands(&port);
        for (const Row &row : rows()) {
            row.call(commands);
            expected += row.bytes;
        }
        // Anything the line adds or loses shows in one comparison, without waiting for quiet.
        const QByteArray sentinel("<end of job>");
        port.write(sentinel);
        QCOMPARE(pty.readExactly(expected.size() + sentinel.size()), expected + sentinel);
        QCOMPARE(port.error(), QSerialPort::NoError);
    }
};

QTEST_GUILESS_MAIN(tst_CommandSet)
#include "tst_commandset.moc"
