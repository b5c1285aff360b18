// The data compiled into the program: the sample bitmaps, checked against the pictures they are
// generated from and, for the QR code, against a real decoder; and the icon resource collection,
// which has to be registered before main runs.

#include "resources/samplebitmaps.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QResource>
#include <QSet>
#include <QTest>

#include <zbar.h>

#include <memory>

namespace {

const QString BitmapDir = QStringLiteral(TESSIVAR_BITMAP_DIR);
const QString ImageDir = QStringLiteral(TESSIVAR_IMAGE_DIR);

// A bitmap as the printer reads it: rows top to bottom, whole bytes per row, the most
// significant bit the leftmost dot, a set bit a black dot.
struct Raster
{
    const unsigned char *data;
    int bytesPerRow;
    int rows;

    int width() const { return bytesPerRow * 8; }
    bool black(int x, int y) const { return (data[y * bytesPerRow + x / 8] >> (7 - x % 8)) & 1; }
};

bool blackInPicture(QRgb pixel)
{
    return qAlpha(pixel) >= 128 && qGray(pixel) < 128;
}

void addBitmapColumns()
{
    QTest::addColumn<const unsigned char *>("data");
    QTest::addColumn<qsizetype>("arrayBytes");
    QTest::addColumn<int>("declaredBytesPerRow");
    QTest::addColumn<int>("declaredRows");
    QTest::addColumn<int>("widthDots");
    QTest::addColumn<int>("heightDots");
    QTest::addColumn<int>("bytes");
}

// One row per sample bitmap, named after the array. The dot size is the one in the array's
// name (the raster logo has none in its name; it is 256 x 256), the byte count what the jobs
// send for it.
#define BITMAP_ROW(array, w, h, count)                                                             \
    QTest::newRow(#array) << static_cast<const unsigned char *>(array) << qsizetype(sizeof(array)) \
                          << int(SampleBitmap::array.bytesPerRow) << int(SampleBitmap::array.rows) \
                          << w << h << count

void addBitmapRows()
{
    BITMAP_ROW(ZP_company_384_94, 384, 94, 4512);
    BITMAP_ROW(wingdings_256_20, 256, 20, 640);
    BITMAP_ROW(wingdings_72_20, 72, 20, 180);
    BITMAP_ROW(rlLogoBuff1, 256, 256, 8192);
    BITMAP_ROW(sample_company_384_256bmp, 384, 256, 12288);
    BITMAP_ROW(zuvrel_qr_code_232_232, 232, 232, 6728);
}

#undef BITMAP_ROW

const Raster QrCode{zuvrel_qr_code_232_232, SampleBitmap::zuvrel_qr_code_232_232.bytesPerRow,
                    SampleBitmap::zuvrel_qr_code_232_232.rows};

// Where the QR symbol sits in the bitmap: its top left dot, the dots per module and the modules
// per side, found from the bitmap alone.
struct SymbolPlace
{
    int left = 0;
    int top = 0;
    int moduleDots = 0;
    int modules = 0;
};

// The symbol's outline is the bounding box of its black dots; its top left corner starts the
// top row of the top left finder pattern, a run of seven black modules.
SymbolPlace findSymbol(const Raster &raster)
{
    int left = raster.width(), top = raster.rows, right = -1, bottom = -1;
    for (int y = 0; y < raster.rows; ++y) {
        for (int x = 0; x < raster.width(); ++x) {
            if (raster.black(x, y)) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    int run = 0;
    while (left + run <= right && raster.black(left + run, top))
        ++run;
    const int side = right - left + 1;
    if (run % 7 != 0 || side != bottom - top + 1 || side % (run / 7) != 0)
        return {};
    return {left, top, run / 7, side / (run / 7)};
}

// A finder pattern with its separator: 7 x 7 modules of black border, white ring and 3 x 3
// black centre, at module (column, row) of the symbol, sampled in the middle of each module.
bool finderPatternAt(const Raster &raster, const SymbolPlace &symbol, int column, int row)
{
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 7; ++i) {
            const int ring = qMax(qAbs(i - 3), qAbs(j - 3));
            const bool expectBlack = ring != 2;
            const int x = symbol.left + (column + i) * symbol.moduleDots + symbol.moduleDots / 2;
            const int y = symbol.top + (row + j) * symbol.moduleDots + symbol.moduleDots / 2;
            if (raster.black(x, y) != expectBlack)
                return false;
        }
    }
    return true;
}

// The bitmap as an 8-bit grey picture, black dots 0 and paper 255, for the decoder.
QByteArray greyPicture(const Raster &raster)
{
    QByteArray grey(qsizetype(raster.width()) * raster.rows, char(0xff));
    for (int y = 0; y < raster.rows; ++y) {
        for (int x = 0; x < raster.width(); ++x) {
            if (raster.black(x, y))
                grey[qsizetype(y) * raster.width() + x] = 0;
        }
    }
    return grey;
}

QStringList decodeQrCodes(const Raster &raster)
{
    using namespace zbar; // zbar.h declares its C interface in this namespace when read as C++
    const std::unique_ptr<zbar_image_scanner_t, decltype(&zbar_image_scanner_destroy)> scanner(
        zbar_image_scanner_create(), &zbar_image_scanner_destroy);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);

    const QByteArray grey = greyPicture(raster);
    const std::unique_ptr<zbar_image_t, decltype(&zbar_image_destroy)> image(zbar_image_create(),
                                                                             &zbar_image_destroy);
    zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image.get(), raster.width(), raster.rows);
    zbar_image_set_data(image.get(), grey.constData(), grey.size(), nullptr);
    zbar_scan_image(scanner.get(), image.get());

    QStringList texts;
    for (const zbar_symbol_t *symbol = zbar_image_first_symbol(image.get()); symbol;
         symbol = zbar_symbol_next(symbol)) {
        if (zbar_symbol_get_type(symbol) == ZBAR_QRCODE)
            texts << QString::fromUtf8(zbar_symbol_get_data(symbol),
                                       zbar_symbol_get_data_length(symbol));
    }
    return texts;
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
    void bitmapSizes_data();
    void bitmapSizes();
    void bitmapsMatchTheirPictures_data();
    void bitmapsMatchTheirPictures();
    void qrCodeDecodes();
    void qrCodeHasQuietZone();
    void qrCodeFinderPatterns_data();
    void qrCodeFinderPatterns();
    void iconsRegisteredBeforeMain();
    void icons_data();
    void icons();
    void iconsAreDistinct();

private:
    const bool m_iconsRegisteredBeforeMain;
};

void TestEmbeddedData::bitmapSizes_data()
{
    addBitmapColumns();
    addBitmapRows();
}

void TestEmbeddedData::bitmapSizes()
{
    QFETCH(qsizetype, arrayBytes);
    QFETCH(int, declaredBytesPerRow);
    QFETCH(int, declaredRows);
    QFETCH(int, widthDots);
    QFETCH(int, heightDots);
    QFETCH(int, bytes);

    QCOMPARE(declaredBytesPerRow, (widthDots + 7) / 8);
    QCOMPARE(declaredRows, heightDots);
    QCOMPARE(declaredBytesPerRow * declaredRows, bytes);
    QCOMPARE(arrayBytes, qsizetype(bytes));
}

// The test reads each source picture itself and compares it with the array dot by dot, so a
// generator that reverses the bit order, inverts black and white or drops a row fails here.
void TestEmbeddedData::bitmapsMatchTheirPictures_data()
{
    addBitmapColumns();
    addBitmapRows();
}

void TestEmbeddedData::bitmapsMatchTheirPictures()
{
    QFETCH(const unsigned char *, data);
    QFETCH(int, declaredBytesPerRow);
    QFETCH(int, declaredRows);
    QFETCH(int, widthDots);
    QFETCH(int, heightDots);

    const QString path =
        BitmapDir + u'/' + QLatin1String(QTest::currentDataTag()) + QLatin1String(".png");
    const QImage picture(path);
    QVERIFY2(!picture.isNull(), qPrintable(path));
    QCOMPARE(picture.size(), QSize(widthDots, heightDots));

    const Raster raster{data, declaredBytesPerRow, declaredRows};
    int blackDots = 0;
    for (int y = 0; y < raster.rows; ++y) {
        for (int x = 0; x < raster.width(); ++x) {
            const bool expected = x < picture.width() && blackInPicture(picture.pixel(x, y));
            if (raster.black(x, y) != expected) {
                QFAIL(qPrintable(QStringLiteral("dot (%1, %2) is %3 in the array but %4 in %5")
                                     .arg(x)
                                     .arg(y)
                                     .arg(raster.black(x, y) ? "black" : "white",
                                          expected ? "black" : "white", path)));
            }
            blackDots += expected;
        }
    }

    // A receipt picture is dark marks on paper, less than half of it black: a source saved with
    // black and white swapped, or an empty one, would be copied faithfully by the generator but
    // print wrong.
    const double coverage = double(blackDots) / (widthDots * heightDots);
    QVERIFY2(coverage > 0.02 && coverage < 0.5,
             qPrintable(QStringLiteral("%1 of the dots are black").arg(coverage)));
}

void TestEmbeddedData::qrCodeDecodes()
{
    QCOMPARE(decodeQrCodes(QrCode), QStringList{QStringLiteral("Tessivar 1.1.1")});
}

void TestEmbeddedData::qrCodeHasQuietZone()
{
    const SymbolPlace symbol = findSymbol(QrCode);
    QVERIFY2(symbol.moduleDots > 0, "no QR symbol outline with a finder pattern at its top left");
    QCOMPARE((symbol.modules - 21) % 4, 0); // versions 1 to 40: 21 + 4 (version - 1) modules
    constexpr int QuietZoneModules = 4;
    const int margin = QuietZoneModules * symbol.moduleDots;
    QVERIFY(symbol.left >= margin);
    QVERIFY(symbol.top >= margin);
    QVERIFY(QrCode.width() - (symbol.left + symbol.modules * symbol.moduleDots) >= margin);
    QVERIFY(QrCode.rows - (symbol.top + symbol.modules * symbol.moduleDots) >= margin);
}

// A decoder reads a mirrored symbol too, so the orientation is checked on its own: finder
// patterns in three corners and none at the bottom right. A mirror image moves one of them.
void TestEmbeddedData::qrCodeFinderPatterns_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("bottom");
    QTest::addColumn<bool>("expected");

    QTest::newRow("top left") << false << false << true;
    QTest::newRow("top right") << true << false << true;
    QTest::newRow("bottom left") << false << true << true;
    QTest::newRow("bottom right") << true << true << false;
}

void TestEmbeddedData::qrCodeFinderPatterns()
{
    QFETCH(bool, right);
    QFETCH(bool, bottom);
    QFETCH(bool, expected);

    const SymbolPlace symbol = findSymbol(QrCode);
    QVERIFY(symbol.modules >= 21);
    const int column = right ? symbol.modules - 7 : 0;
    const int row = bottom ? symbol.modules - 7 : 0;
    QCOMPARE(finderPatternAt(QrCode, symbol, column, row), expected);
}

void TestEmbeddedData::iconsRegisteredBeforeMain()
{
    QVERIFY2(m_iconsRegisteredBeforeMain,
             "the tessivar resource collection was not registered before main");
}

void TestEmbeddedData::icons_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"connect", "disconnect", "settings", "application-exit"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestEmbeddedData::icons()
{
    QFETCH(QString, name);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());

    const QString path = QStringLiteral(":/images/") + name + QLatin1String(".png");
    const QResource resource(path);
    QVERIFY2(resource.isValid(), qPrintable(path));
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);

    QFile source(ImageDir + u'/' + name + QLatin1String(".png"));
    QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
    QCOMPARE(resource.uncompressedData(), source.readAll());

    const QImage icon(path);
    QCOMPARE(icon.size(), QSize(128, 128));
    QVERIFY(icon.hasAlphaChannel());
    // Drawn on a transparent background: clear corners, opaque strokes.
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(127, 127)), 0);
    bool opaque = false;
    for (int y = 0; y < icon.height() && !opaque; ++y) {
        for (int x = 0; x < icon.width() && !opaque; ++x)
            opaque = qAlpha(icon.pixel(x, y)) == 255;
    }
    QVERIFY(opaque);
}

void TestEmbeddedData::iconsAreDistinct()
{
    QSet<QByteArray> contents;
    for (const char *name : {"connect", "disconnect", "settings", "application-exit"}) {
        QFile file(QStringLiteral(":/images/") + QLatin1String(name) + QLatin1String(".png"));
        QVERIFY2(file.open(QIODevice::ReadOnly), name);
        contents.insert(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    QCOMPARE(contents.size(), 4);
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
