#include "window/mainwindow.h"

#include "modalanswerer.h"
#include "processprobes.h"
#include "testimages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <unistd.h>

// Image files that are not what they claim, given to "Load Image": each gives the "Cannot load"
// box, nothing crashes, the image loaded before stays, and memory stays within the image
// reader's allocation limit however large a header claims the picture to be.
class TestBadImages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void wellFormedSourcesLoad();
    void cannotLoad_data();
    void cannotLoad();

private:
    QString file(const QString &name, const QByteArray &bytes)
    {
        return TestImages::write(dir, name, bytes);
    }

    QTemporaryDir dir;
    QByteArray png, jpeg, bmp;
    QString goodPath;
};

namespace {

// The smallest GIF there is: one transparent pixel (GIF89a, a global colour table of two
// colours, a graphic control extension, one image of 1 x 1 with its LZW data).
const QByteArray tinyGif = QByteArray::fromHex("474946383961010001008000"
                                               "00ffffff00000021f90401000000002c"
                                               "000000000100010000020244"
                                               "01003b");

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

QImage picture()
{
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setBrush(Qt::black);
    painter.drawEllipse(10, 10, 100, 60);
    painter.fillRect(0, 0, 30, 80, QColor(120, 40, 200));
    return image;
}

// Overwrites bytes at `at`, keeping the length.
QByteArray patched(QByteArray bytes, qsizetype at, const QByteArray &with)
{
    bytes.replace(at, with.size(), with);
    return bytes;
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// Offset of the first JPEG start-of-frame marker (FF C0 or FF C2).
qsizetype startOfFrame(const QByteArray &jpeg)
{
    for (qsizetype at = 2; at + 1 < jpeg.size(); ++at) {
        if (quint8(jpeg[at]) == 0xFF &&
            (quint8(jpeg[at + 1]) == 0xC0 || quint8(jpeg[at + 1]) == 0xC2))
            return at;
    }
    return -1;
}

} // namespace

void TestBadImages::initTestCase()
{
    QVERIFY(dir.isValid());
    const QImage source = picture();
    png = encoded(source, "png");
    jpeg = encoded(source, "jpeg");
    bmp = encoded(source, "bmp");
    QVERIFY(!png.isEmpty() && !jpeg.isEmpty() && !bmp.isEmpty());
    QVERIFY(startOfFrame(jpeg) > 0);
    goodPath = file(QStringLiteral("good.png"), png);
}

// The damaged files below are made from these: each of them loads as it is, so a damaged one
// fails for its damage alone.
void TestBadImages::wellFormedSourcesLoad()
{
    for (const auto &[bytes, format] : {std::pair{png, "png"}, std::pair{jpeg, "jpeg"},
                                        std::pair{bmp, "bmp"}, std::pair{tinyGif, "gif"}}) {
        QVERIFY2(!QImage::fromData(bytes, format).isNull(), format);
    }
    QVERIFY(!QImage::fromData(TestImages::pngClaiming(16, 1), "PNG").isNull());
}

void TestBadImages::cannotLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("needsUnreadable");

    auto row = [this](const char *name, const QString &path) {
        QTest::newRow(name) << path << false;
    };
    auto bytesRow = [this, &row](const char *name, const QString &fileName,
                                 const QByteArray &bytes) { row(name, file(fileName, bytes)); };

    // Files that are no image at all.
    bytesRow("empty file", QStringLiteral("empty.png"), {});
    bytesRow("text named .png", QStringLiteral("notes.png"), "Not a picture, only notes.\n");
    row("missing file", dir.filePath(QStringLiteral("nowhere.bmp")));
    const QString folder = dir.filePath(QStringLiteral("folder.png"));
    QVERIFY(QDir().mkpath(folder));
    row("folder", folder);
    QTest::newRow("file without read permission")
        << file(QStringLiteral("secret.png"), png) << true;

    // PNG.
    bytesRow("png: signature only", QStringLiteral("signature.png"), png.left(8));
    bytesRow("png: cut inside the header", QStringLiteral("cut-header.png"), png.left(20));
    bytesRow("png: cut in the middle of the data", QStringLiteral("cut-data.png"),
             png.left(png.size() / 2));
    // IHDR's CRC sits at 29..32; a damaged critical chunk is an error.
    bytesRow("png: header checksum wrong", QStringLiteral("crc.png"),
             patched(png, 29, QByteArray(4, '\x5A')));
    bytesRow("png: compressed data garbled", QStringLiteral("garbled.png"),
             patched(png, 45, QByteArray(40, '\xA5')));
    bytesRow("png: 0 x 0 pixels", QStringLiteral("zero.png"), TestImages::pngClaiming(0, 0));
    bytesRow("png: claims 100000 x 100000", QStringLiteral("huge.png"),
             TestImages::pngClaiming(100000, 100000));
    bytesRow("png: claims 1 x 2147483647", QStringLiteral("tall.png"),
             TestImages::pngClaiming(1, 0x7FFFFFFF));
    // 5000 x 5000 at 32 bits is 95 MiB: within the allocation limit, so the reader may take
    // that much, but not more, before it finds the data missing.
    bytesRow("png: claims 5000 x 5000, one row of data", QStringLiteral("big.png"),
             TestImages::pngClaiming(5000, 5000));

    // JPEG.
    bytesRow("jpeg: start marker only", QStringLiteral("soi.jpg"), jpeg.left(2));
    bytesRow("jpeg: cut before the frame header", QStringLiteral("cut-header.jpg"),
             jpeg.left(startOfFrame(jpeg)));
    const qsizetype sof = startOfFrame(jpeg);
    // SOF: FF C0, length (2), precision (1), height (2), width (2).
    bytesRow("jpeg: claims 65500 x 65500, data cut", QStringLiteral("huge.jpg"),
             patched(jpeg, sof + 5, QByteArray::fromHex("ffdcffdc")).left(jpeg.size() / 2));
    bytesRow("jpeg: 0 rows", QStringLiteral("zero.jpg"),
             patched(jpeg, sof + 5, QByteArray::fromHex("0000")));
    bytesRow("jpeg: frame with 3-bit samples", QStringLiteral("precision.jpg"),
             patched(jpeg, sof + 4, QByteArray::fromHex("03")));

    // BMP: file header (14 bytes), then the info header: size (4), width (4), height (4),
    // planes (2), bits per pixel (2), compression (4).
    bytesRow("bmp: file header only", QStringLiteral("header.bmp"), bmp.left(14));
    bytesRow("bmp: cut inside the info header", QStringLiteral("cut-info.bmp"), bmp.left(30));
    bytesRow("bmp: claims 100000 x 100000", QStringLiteral("huge.bmp"),
             patched(bmp, 18, le32(100000) + le32(100000)));
    bytesRow("bmp: 7 bits per pixel", QStringLiteral("bits.bmp"), patched(bmp, 28, le16(7)));
    bytesRow("bmp: unknown compression", QStringLiteral("compression.bmp"),
             patched(bmp, 30, le32(77)));
    bytesRow("bmp: 0 x 0 pixels", QStringLiteral("zero.bmp"), patched(bmp, 18, le32(0) + le32(0)));

    // GIF: logical screen width and height at 6, the image descriptor (2C) at 27 with its width
    // and height at 32.
    bytesRow("gif: signature only", QStringLiteral("signature.gif"), tinyGif.left(6));
    bytesRow("gif: cut before the image", QStringLiteral("cut.gif"), tinyGif.left(30));
    bytesRow(
        "gif: claims 65535 x 65535", QStringLiteral("huge.gif"),
        patched(patched(tinyGif, 6, le16(65535) + le16(65535)), 32, le16(65535) + le16(65535)));
    bytesRow("gif: unknown block instead of the image", QStringLiteral("block.gif"),
             patched(tinyGif, 27, QByteArray::fromHex("99")));
    bytesRow("gif: image and screen 0 x 0", QStringLiteral("zero.gif"),
             patched(patched(tinyGif, 6, le32(0)), 32, le32(0)));
}

void TestBadImages::cannotLoad()
{
    QFETCH(QString, path);
    QFETCH(bool, needsUnreadable);

    if (needsUnreadable) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        // Permission bits do not stop root (CAP_DAC_OVERRIDE): the file would simply load.
        if (::access(QFile::encodeName(path).constData(), R_OK) == 0)
            QSKIP("this process reads files whatever their permission bits (running as root)");
    }

    MainWindow window;
    ModalAnswerer answerer;
    bool loaded = false;
    QVERIFY(QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, loaded), Q_ARG(QString, goodPath)));
    QVERIFY(loaded);
    QCOMPARE(answerer.count(), 0);

    const bool peakReset = ProcessProbes::resetPeakResident();
    const qint64 before = ProcessProbes::residentBytes();
    QVERIFY(QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, loaded), Q_ARG(QString, path)));
    const qint64 peak = ProcessProbes::peakResidentBytes();

    QVERIFY(!loaded);
    QTRY_COMPARE(answerer.count(), 1);
    const ModalAnswerer::Seen box = answerer.seen().first();
    QCOMPARE(box.className, QStringLiteral("QMessageBox"));
    QCOMPARE(box.title, QGuiApplication::applicationDisplayName());
    const QString prefix = QStringLiteral("Cannot load %1: ").arg(QDir::toNativeSeparators(path));
    QVERIFY2(box.text.startsWith(prefix), qPrintable(box.text));
    QVERIFY2(box.text.size() > prefix.size(), "the reader gave no reason");
    QCOMPARE(window.windowFilePath(), goodPath);

    // The peak while this one file was read. AddressSanitizer adds an eighth for its shadow.
    if (peakReset && before > 0) {
        const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
        const qint64 allowed = ProcessProbes::underAddressSanitizer() ? limit + limit / 8 : limit;
        QVERIFY2(
            peak - before <= allowed,
            qPrintable(QStringLiteral("%1 MB taken while reading").arg((peak - before) >> 20)));
    }
}

QTEST_MAIN(TestBadImages)
#include "tst_badimages.moc"
