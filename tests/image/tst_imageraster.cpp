#include "image/monoraster.h"

#include "testimages.h"

#include <QTest>

using TestImages::darkAt;

// The printable one-bit raster, without a window: whatever the source, a set bit is a dark
// pixel, rows are most significant bit first and nothing is set past the right edge.
class TestImageRaster : public QObject
{
    Q_OBJECT

public:
    enum class Expect { Pattern, AllDark, NoneDark };
    Q_ENUM(Expect)

private Q_SLOTS:
    void toRaster_data();
    void toRaster();
    void nullStaysNull();
};

namespace {

QImage painted(int width, int height, QImage::Format format, QRgb dark, QRgb light)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor::fromRgba(darkAt(x, y) ? dark : light));
    }
    return image;
}

// Dark pixels of the pattern get index `darkIndex`, the others the other index.
QImage oneBit(int width, int height, const QList<QRgb> &colours, int darkIndex = 1)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable(colours);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, darkAt(x, y) ? darkIndex : 1 - darkIndex);
    }
    return image;
}

} // namespace

void TestImageRaster::toRaster_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<Expect>("expect");

    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);

    // Qt's BMP reader itself moves black to index 1; its PNG reader keeps the file's order.
    QTest::newRow("png, black at index 0, width 203")
        << QImage::fromData(TestImages::encoded(oneBit(203, 5, {black, white}, 0), "PNG"), "PNG")
        << Expect::Pattern;
    QTest::newRow("bmp, black at index 0, width 203")
        << QImage::fromData(TestImages::monoBmp(203, 5, 0), "BMP") << Expect::Pattern;
    QTest::newRow("bmp, black at index 1, width 1")
        << QImage::fromData(TestImages::monoBmp(1, 3, 1), "BMP") << Expect::Pattern;
    QTest::newRow("xbm, least significant bit first, width 33")
        << QImage::fromData(TestImages::xbm(33, 4), "XBM") << Expect::Pattern;
    QTest::newRow("one bit, transparent black and grey")
        << oneBit(40, 3, {qRgba(0, 0, 0, 0), qRgb(100, 100, 100)}) << Expect::Pattern;
    QTest::newRow("one bit, red and blue")
        << oneBit(9, 3, {qRgb(255, 0, 0), qRgb(0, 0, 160)}) << Expect::Pattern;
    QTest::newRow("one bit, one dark colour twice")
        << oneBit(13, 2, {qRgb(30, 30, 30), qRgb(30, 30, 30)}) << Expect::AllDark;
    QTest::newRow("one bit, one light colour twice")
        << oneBit(13, 2, {qRgb(230, 230, 230), qRgb(230, 230, 230)}) << Expect::NoneDark;
    QTest::newRow("colour, width 200")
        << painted(200, 6, QImage::Format_RGB32, black, white) << Expect::Pattern;
    QTest::newRow("grey, width 31")
        << painted(31, 6, QImage::Format_Grayscale8, black, white) << Expect::Pattern;
    QTest::newRow("colour on a transparent black ground, width 32")
        << painted(32, 6, QImage::Format_ARGB32, black, qRgba(0, 0, 0, 0)) << Expect::Pattern;
    QTest::newRow("indexed, transparent ground, width 8")
        << painted(8, 6, QImage::Format_ARGB32, black, qRgba(0, 0, 0, 0))
               .convertToFormat(QImage::Format_Indexed8)
        << Expect::Pattern;
}

void TestImageRaster::toRaster()
{
    QFETCH(QImage, source);
    QFETCH(Expect, expect);
    QVERIFY(!source.isNull());

    const QImage raster = MonoRaster::toRaster(source);

    QCOMPARE(raster.format(), QImage::Format_Mono);
    QCOMPARE(raster.size(), source.size());
    // Shown as it prints: 0 is paper, 1 a black dot.
    QCOMPARE(raster.colorTable(), (QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0)}));

    const QByteArray bits(reinterpret_cast<const char *>(raster.constBits()), raster.sizeInBytes());
    const qsizetype bpl = raster.bytesPerLine();
    for (int y = 0; y < raster.height(); ++y) {
        for (int x = 0; x < raster.width(); ++x) {
            const bool dark = expect == Expect::Pattern ? darkAt(x, y) : expect == Expect::AllDark;
            if (TestImages::dotAt(bits, bpl, x, y) != dark)
                QFAIL(qPrintable(QStringLiteral("dot (%1, %2) should be %3")
                                     .arg(x)
                                     .arg(y)
                                     .arg(dark ? "set" : "clear")));
        }
    }
    QCOMPARE(TestImages::firstFillDot(bits, bpl, raster.width()), -1);
}

void TestImageRaster::nullStaysNull()
{
    QVERIFY(MonoRaster::toRaster(QImage()).isNull());
}

QTEST_GUILESS_MAIN(TestImageRaster)
#include "tst_imageraster.moc"
