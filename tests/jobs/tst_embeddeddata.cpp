// SPDX-License-Identifier: MIT
// The data compiled into the program: the sample bitmaps against the pictures they are generated
// from (bit order, black and white, row length), the QR code read by a real decoder, and the icon
// collection registered before main runs.
#include "jobs/samplebitmaps.h"

#include "paperreader.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTest>

namespace {

// A bitmap as the printer reads it: rows top to bottom, whole bytes per row, the most
// significant bit the leftmost dot, a set bit a black dot. Paper is white.
QImage pictureOf(const unsigned char *data, SampleBitmap::Size size)
{
    QImage picture(size.bytesPerRow * 8, size.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool black = data[y * size.bytesPerRow + x / 8] & (0x80 >> (x % 8));
            picture.scanLine(y)[x] = black ? 0 : 255;
        }
    }
    return picture;
}

bool blackInSource(QRgb pixel)
{
    return qAlpha(pixel) >= 128 && qGray(pixel) < 128;
}

} // namespace

class TestEmbeddedData : public QObject
{
    Q_OBJECT

public:
    explicit TestEmbeddedData(bool iconsRegisteredBeforeMain)
        : m_iconsRegisteredBeforeMain(iconsRegisteredBeforeMain)
    {}

private Q_SLOTS:
    void bitmapsMatchTheirPictures_data();
    void bitmapsMatchTheirPictures();
    void qrCodeDecodes();
    void iconsRegisteredBeforeMain();

private:
    bool m_iconsRegisteredBeforeMain;
};

void TestEmbeddedData::bitmapsMatchTheirPictures_data()
{
    QTest::addColumn<QImage>("array");
    const auto row = [](const char *name, const unsigned char *data, SampleBitmap::Size size) {
        QTest::newRow(name) << pictureOf(data, size);
    };
    row("ZP_company_384_94", ZP_company_384_94, SampleBitmap::ZP_company_384_94);
    row("wingdings_256_20", wingdings_256_20, SampleBitmap::wingdings_256_20);
    row("wingdings_72_20", wingdings_72_20, SampleBitmap::wingdings_72_20);
    row("rlLogoBuff1", rlLogoBuff1, SampleBitmap::rlLogoBuff1);
    row("sample_company_384_256bmp", sample_company_384_256bmp,
        SampleBitmap::sample_company_384_256bmp);
    row("zuvrel_qr_code_232_232", zuvrel_qr_code_232_232, SampleBitmap::zuvrel_qr_code_232_232);
}

// Dot for dot, with the row's fill bits white. A receipt picture is dark marks on paper, less
// than half of it black: a source saved with black and white swapped would be copied faithfully
// by the generator but print wrong.
void TestEmbeddedData::bitmapsMatchTheirPictures()
{
    QFETCH(QImage, array);
    const QString path = QStringLiteral(TESSIVAR_BITMAP_DIR "/%1.png").arg(QTest::currentDataTag());
    const QImage source(path);
    QVERIFY2(!source.isNull(), qPrintable(path));
    QCOMPARE(array.height(), source.height());
    QVERIFY(array.width() - source.width() >= 0 && array.width() - source.width() < 8);

    int blackDots = 0;
    for (int y = 0; y < array.height(); ++y) {
        for (int x = 0; x < array.width(); ++x) {
            const bool expected = x < source.width() && blackInSource(source.pixel(x, y));
            QVERIFY2((array.scanLine(y)[x] == 0) == expected,
                     qPrintable(QStringLiteral("dot (%1, %2)").arg(x).arg(y)));
            blackDots += expected;
        }
    }
    const double coverage = double(blackDots) / (source.width() * source.height());
    QVERIFY2(coverage > 0.02 && coverage < 0.5, qPrintable(QString::number(coverage)));
}

void TestEmbeddedData::qrCodeDecodes()
{
    const QList<PaperReader::Symbol> read = PaperReader::scan(
        pictureOf(zuvrel_qr_code_232_232, SampleBitmap::zuvrel_qr_code_232_232));
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.constFirst().type, QStringLiteral("QR-Code"));
    QCOMPARE(read.constFirst().data, QByteArray("Tessivar 1.1.1"));
}

void TestEmbeddedData::iconsRegisteredBeforeMain()
{
    QVERIFY2(m_iconsRegisteredBeforeMain,
             "the tessivar resource collection was not registered before main");
}

int main(int argc, char *argv[])
{
    // Looked up before anything else: the collection must be there by a static initialiser,
    // not through anything that main or the application object does.
    const bool registered = QFile::exists(QStringLiteral(":/images/connect.png"));

    QApplication app(argc, argv);
    TestEmbeddedData test(registered);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_embeddeddata.moc"
