#include "window/mainwindow.h"

#include "modalanswerer.h"
#include "ptypair.h"
#include "testimages.h"
#include "windowdriver.h"
#include "windowhelpers.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using TestImages::darkAt;
using namespace WindowHelpers;

// "Print Raster Image" and "Line Feed" on a real serial port: the window opens the slave side
// of a pseudo-terminal and the test reads what arrives on the master side.
class TestImagePrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void guardWhenPortClosed_data();
    void guardWhenPortClosed();
    void lineFeed();
    void printsWhatIsShown_data();
    void printsWhatIsShown();
    void refused_data();
    void refused();

private:
    QTemporaryDir dir;
};

namespace {

using Boxes = QList<ModalAnswerer::Seen>;

const int readTimeoutMs = 30000;

// Clicks a button of the window; message boxes that come up are answered and returned.
Boxes press(QMainWindow *window, const char *name)
{
    ModalAnswerer answerer;
    if (QAbstractButton *b = button(window, name))
        b->click();
    return answerer.seen();
}

QString consoleText(QMainWindow *window)
{
    return WindowDriver::console(window)->toPlainText();
}

// Nothing was sent before this point: a line feed sent now is the next byte to arrive.
bool nothingSentBefore(QMainWindow *window, PtyPair &pty)
{
    if (!press(window, "pushButton_LineFeed").isEmpty())
        return false;
    return pty.readExactly(1, readTimeoutMs) == QByteArray("\n");
}

QImage pattern(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    const bool oneBit = format == QImage::Format_Mono;
    if (oneBit)
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)}); // black at index 0
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (oneBit)
                image.setPixel(x, y, darkAt(x, y) ? 0 : 1);
            else
                image.setPixelColor(x, y, darkAt(x, y) ? Qt::black : Qt::white);
        }
    }
    return image;
}

} // namespace

void TestImagePrint::initTestCase()
{
    QVERIFY(dir.isValid());
}

void TestImagePrint::guardWhenPortClosed_data()
{
    QTest::addColumn<QByteArray>("buttonName");
    QTest::newRow("Print Raster Image") << QByteArray("pushButton_58PrintH");
    QTest::newRow("Line Feed") << QByteArray("pushButton_LineFeed");
}

void TestImagePrint::guardWhenPortClosed()
{
    QFETCH(QByteArray, buttonName);

    MainWindow window;
    QVERIFY(loadFile(&window, TestImages::write(dir, "guard.bmp", TestImages::monoBmp(8, 8, 1))));
    WindowDriver::console(&window)->setPlainText(QStringLiteral("left from before"));

    const Boxes boxes = press(&window, buttonName.constData());

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Serial Port Connect"));
    QCOMPARE(boxes[0].text,
             QStringLiteral("Please configure and connect to the serial port first!"));
    QCOMPARE(consoleText(&window), QStringLiteral("left from before"));
}

void TestImagePrint::lineFeed()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    MainWindow window;
    QVERIFY(WindowDriver::connectTo(&window, pty.slavePath()));
    WindowDriver::console(&window)->setPlainText(QStringLiteral("left from before"));

    QVERIFY(press(&window, "pushButton_LineFeed").isEmpty());

    QCOMPARE(pty.readExactly(1, readTimeoutMs), QByteArray("\n"));
    QCOMPARE(consoleText(&window), QStringLiteral("left from before"));
}

void TestImagePrint::printsWhatIsShown_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<QByteArray>("header");

    // One-bit files are sent unconverted, in every bit order and palette order they come in.
    QTest::newRow("bmp, black at index 0")
        << "black0.bmp" << TestImages::monoBmp(200, 40, 0) << false
        << QByteArray::fromHex("1d763000"
                               "1c00"
                               "2800");
    QTest::newRow("bmp, black at index 1")
        << "black1.bmp" << TestImages::monoBmp(200, 40, 1) << false
        << QByteArray::fromHex("1d763000"
                               "1c00"
                               "2800");
    QTest::newRow("xbm, least significant bit first")
        << "lsb.xbm" << TestImages::xbm(203, 10) << false
        << QByteArray::fromHex("1d763000"
                               "1c00"
                               "0a00");
    QTest::newRow("png, one bit, black at index 0")
        << "black0.png" << TestImages::encoded(pattern(384, 20, QImage::Format_Mono), "PNG")
        << false
        << QByteArray::fromHex("1d763000"
                               "3000"
                               "1400");
    QTest::newRow("png, one bit, 65535 rows")
        << "tall.png" << TestImages::encoded(pattern(8, 65535, QImage::Format_Mono), "PNG") << false
        << QByteArray::fromHex("1d763000"
                               "0400"
                               "ffff");

    QTest::newRow("colour 384 x 94")
        << "colour.png" << TestImages::encoded(pattern(384, 94, QImage::Format_RGB32), "PNG")
        << true
        << QByteArray::fromHex("1d763000"
                               "3000"
                               "5e00");
    QTest::newRow("grey 200 x 75")
        << "grey.png" << TestImages::encoded(pattern(200, 75, QImage::Format_Grayscale8), "PNG")
        << true
        << QByteArray::fromHex("1d763000"
                               "1c00"
                               "4b00");
}

void TestImagePrint::printsWhatIsShown()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, file);
    QFETCH(bool, converted);
    QFETCH(QByteArray, header);

    PtyPair pty;
    QVERIFY(pty.isValid());
    MainWindow window;
    QVERIFY(WindowDriver::connectTo(&window, pty.slavePath()));
    QVERIFY(loadFile(&window, TestImages::write(dir, fileName, file)));
    QCOMPARE(consoleText(&window).contains(QStringLiteral("Bitmap is not 1bpp")), converted);
    QVERIFY(consoleText(&window).contains(QStringLiteral("\nColor depth: 1\n")));

    QVERIFY(press(&window, "pushButton_58PrintH").isEmpty());

    const QImage shown = shownImage(&window);
    const qsizetype bytesPerLine = quint8(header[4]) | quint8(header[5]) << 8;
    const qsizetype rows = quint8(header[6]) | quint8(header[7]) << 8;
    QCOMPARE(rows, qsizetype(shown.height()));
    const QByteArray expectedStart = QByteArray::fromHex("1b40") + header;
    const QByteArray sent =
        pty.readExactly(expectedStart.size() + bytesPerLine * rows, readTimeoutMs);
    QCOMPARE(sent.size(), expectedStart.size() + bytesPerLine * rows);
    QCOMPARE(sent.left(expectedStart.size()).toHex(), expectedStart.toHex());
    QCOMPARE(consoleText(&window),
             QStringLiteral("Validating if Bitmap can be printed\nValidating bitmap..."));

    // A dot exactly where the picture is dark, in the view as on paper, and none past the edge.
    const QByteArray raster = sent.mid(expectedStart.size());
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const bool dot = TestImages::dotAt(raster, bytesPerLine, x, y);
            const bool shownDark = qGray(shown.pixel(x, y)) < 128;
            if (dot != darkAt(x, y) || shownDark != dot)
                QFAIL(qPrintable(QStringLiteral("at (%1, %2): picture %3, dot %4, shown %5")
                                     .arg(x)
                                     .arg(y)
                                     .arg(darkAt(x, y) ? "dark" : "light")
                                     .arg(dot ? "set" : "clear")
                                     .arg(shownDark ? "dark" : "light")));
        }
    }
    QCOMPARE(TestImages::firstFillDot(raster, bytesPerLine, shown.width()), -1);
    QVERIFY(nothingSentBefore(&window, pty)); // nothing followed the picture
}

void TestImagePrint::refused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("consoleLine");
    QTest::addColumn<QString>("boxText");

    QTest::newRow("nothing loaded") << QByteArray() << "No Bitmap loaded"
                                    << "No Bitmap loaded!";
    QTest::newRow("385 wide")
        << TestImages::monoBmp(385, 2, 1) << "Bitmap too wide. Max 384 pixels"
        << "This tool allows printing only for bitmaps of up to 384 pixel wide!";
    QTest::newRow("65536 high")
        << TestImages::encoded(pattern(8, 65536, QImage::Format_Mono), "PNG")
        << "Bitmap too tall. Max 65535 pixels"
        << "This tool allows printing only for bitmaps of up to 65535 pixel high!";
}

void TestImagePrint::refused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, consoleLine);
    QFETCH(QString, boxText);

    PtyPair pty;
    QVERIFY(pty.isValid());
    MainWindow window;
    QVERIFY(WindowDriver::connectTo(&window, pty.slavePath()));
    if (!file.isEmpty())
        QVERIFY(loadFile(&window, TestImages::write(dir, "refused.png", file)));

    const Boxes boxes = press(&window, "pushButton_58PrintH");

    QCOMPARE(consoleText(&window),
             QStringLiteral("Validating if Bitmap can be printed\n") + consoleLine);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Print Bitmap"));
    QCOMPARE(boxes[0].text, boxText);
    QVERIFY(nothingSentBefore(&window, pty));
}

QTEST_MAIN(TestImagePrint)
#include "tst_imageprint.moc"
