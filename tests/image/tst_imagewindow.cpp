// SPDX-License-Identifier: MIT
#include "image/monoraster.h"
#include "window/mainwindow.h"

#include "farend.h"
#include "modalanswerer.h"
#include "processprobes.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The printable one-bit raster, and "Load Image" and "Print Raster Image": the file dialog, reading
// and converting the file, the view, the account, and what reaches a real serial port (the slave
// side of a pseudo-terminal). Files are made in a temporary folder; the home folder is a temporary
// one too (see main), so that the pictures folder is known.
class TestImageWindow : public QObject
{
    Q_OBJECT

public:
    enum class Expect { Pattern, AllDark, NoneDark };
    Q_ENUM(Expect)

private Q_SLOTS:
    void initTestCase();
    void toRaster_data();
    void toRaster();
    // First: only the first dialog of the process starts in the pictures folder.
    void dialogStartsInPicturesFolderOnce();
    void loaded_data();
    void loaded();
    void failedLoad_data();
    void failedLoad();
    void notARegularFile_data();
    void notARegularFile();
    void printsWhatIsShown_data();
    void printsWhatIsShown();
    void refused_data();
    void refused();

private:
    // Writes `bytes` to `name` in the test's folder and returns the file's path.
    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile out(dir.filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? out.fileName()
                                                                                  : QString();
    }

    QTemporaryDir dir;
    QString bmpPath;
};

namespace {

// The picture that every test picture shows: dark where true. It is not symmetric inside a
// byte, so a picture mirrored within its bytes does not pass for it.
bool darkAt(int x, int y)
{
    return (x * 7 + y * 3) % 11 < 4 || x == y;
}

// darkAt() as a one-bit picture: dark pixels get index `darkIndex` of `colours`, the others the
// other index. Every bit of a row's fill at its end holds the dark index, so that a converter
// that kept the fill would print it.
QImage oneBit(int width, int height, const QList<QRgb> &colours, int darkIndex = 1)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable(colours);
    image.fill(uint(darkIndex)); // the fill bits too
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, darkAt(x, y) ? uint(darkIndex) : uint(1 - darkIndex));
    }
    return image;
}

QImage painted(int width, int height, QImage::Format format, QRgb dark, QRgb light)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor::fromRgba(darkAt(x, y) ? dark : light));
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return out;
}

// The contents of tests/image/data/`name`.
QByteArray dataFile(const QString &name)
{
    QFile file(QStringLiteral(TESSIVAR_IMAGE_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Empty when every dot of `raster` (rows of `bytesPerLine` bytes, the most significant bit of a
// byte the leftmost dot) is set exactly where `dark` says and none past `width`; otherwise the
// first dot that is not.
QString wrongDot(const QByteArray &raster, qsizetype bytesPerLine, int width,
                 const std::function<bool(int, int)> &dark)
{
    const qsizetype rows = raster.size() / bytesPerLine;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < bytesPerLine * 8; ++x) {
            const bool dot = quint8(raster.at(y * bytesPerLine + x / 8)) & (0x80 >> (x % 8));
            if (dot != (x < width && dark(x, y)))
                return QStringLiteral("dot (%1, %2) wrong").arg(x).arg(y);
        }
    }
    return {};
}

using Boxes = QList<ModalAnswerer::Seen>;
const QRgb black = qRgb(0, 0, 0);
const QRgb white = qRgb(255, 255, 255);

QString consoleText(QMainWindow *window)
{
    return WindowDriver::console(window)->toPlainText();
}

// The picture in the view of the "Bitmaps" page, as shown.
QImage shownImage(QMainWindow *window)
{
    const auto *area = window->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    const auto *label = area ? qobject_cast<const QLabel *>(area->widget()) : nullptr;
    return label ? label->pixmap().toImage() : QImage();
}

// Calls the window's loadFile slot directly, without the dialog.
bool loadFile(QMainWindow *window, const QString &path)
{
    ModalAnswerer answerer; // should the file not load after all
    bool loaded = false;
    QMetaObject::invokeMethod(window, "loadFile", Qt::DirectConnection, Q_RETURN_ARG(bool, loaded),
                              Q_ARG(QString, path));
    return loaded;
}

// Clicks a button of the window; message boxes that come up are answered and returned.
Boxes press(QMainWindow *window, const char *name, ModalAnswerer::Handler dialogs = {})
{
    ModalAnswerer answerer;
    answerer.setHandler(std::move(dialogs));
    if (auto *b = window->findChild<QAbstractButton *>(QString::fromLatin1(name)))
        b->click();
    return answerer.seen();
}

// What one showing of the file dialog offered.
struct DialogVisit
{
    QString directory;
    QString selectedMimeTypeFilter;
    QStringList mimeTypeFilters;
};

// Presses "Load Image" and plays the user of the file dialog: the n-th time the dialog comes up
// it picks picks[n], and cancels once the picks are used up. Message boxes are answered.
QList<DialogVisit> pressLoad(QMainWindow *window, const QStringList &picks, Boxes *boxes = nullptr)
{
    QList<DialogVisit> visits;
    const Boxes seen = press(window, "pushButton_Load", [&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return false;
        visits.append({QDir(dialog->directory()).absolutePath(), dialog->selectedMimeTypeFilter(),
                       dialog->mimeTypeFilters()});
        if (visits.size() > picks.size()) {
            dialog->reject();
            return true;
        }
        // selectFile() leaves the file name alone while the user is typing in it.
        if (QWidget *focus = dialog->focusWidget())
            focus->clearFocus();
        dialog->selectFile(picks.at(visits.size() - 1));
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
        return true;
    });
    if (boxes) {
        for (const ModalAnswerer::Seen &box : seen) {
            if (box.className == QLatin1String("QMessageBox"))
                boxes->append(box);
        }
    }
    return visits;
}

// The box of a file that does not load: the path, then the reader's reason.
QString cannotLoadProblem(const Boxes &boxes, const QString &path)
{
    const QString prefix = QStringLiteral("Cannot load %1: ").arg(QDir::toNativeSeparators(path));
    if (boxes.size() != 1 || boxes[0].title != QGuiApplication::applicationDisplayName() ||
        !boxes[0].text.startsWith(prefix) || boxes[0].text.size() == prefix.size())
        return QStringLiteral("%1 boxes, the first \"%2\"")
            .arg(boxes.size())
            .arg(boxes.value(0).text);
    return {};
}

// Nothing was sent before this point: a line feed sent now is the next byte to arrive.
bool nothingSentBefore(QMainWindow *window, FarEnd &pty)
{
    return press(window, "pushButton_LineFeed").isEmpty() &&
           pty.readExactly(1, 30000) == QByteArray("\n");
}

} // namespace

void TestImageWindow::initTestCase()
{
    QVERIFY(dir.isValid());
    bmpPath = file("logo.bmp", encoded(oneBit(200, 40, {black, white}, 0), "BMP"));
}

void TestImageWindow::toRaster_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<Expect>("expect");
    // Pictures read from files: printsWhatIsShown.
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

// Whatever the source, a set bit is a dark pixel, rows are most significant bit first and
// nothing is set past the right edge.
void TestImageWindow::toRaster()
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
    const QString wrong = wrongDot(bits, raster.bytesPerLine(), raster.width(), [&](int x, int y) {
        return expect == Expect::Pattern ? darkAt(x, y) : expect == Expect::AllDark;
    });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    QVERIFY(MonoRaster::toRaster(QImage()).isNull());
}

void TestImageWindow::dialogStartsInPicturesFolderOnce()
{
    const QStringList pictureFolders =
        QStandardPaths::standardLocations(QStandardPaths::PicturesLocation);
    QVERIFY(!pictureFolders.isEmpty());
    const QString pictures = QDir(pictureFolders.constLast()).absolutePath();
    QVERIFY2(pictures.startsWith(QDir::homePath()) && QDir(pictures).exists(),
             qPrintable(pictures));
    QStringList sortedMimeTypes;
    for (const QByteArray &type : QImageReader::supportedMimeTypes())
        sortedMimeTypes.append(QString::fromLatin1(type));
    sortedMimeTypes.sort(Qt::CaseSensitive);

    MainWindow window;
    const QList<DialogVisit> first = pressLoad(&window, {bmpPath});
    QCOMPARE(first.size(), 1);
    QCOMPARE(first[0].directory, pictures);
    QCOMPARE(first[0].selectedMimeTypeFilter, QStringLiteral("image/bmp"));
    QCOMPARE(first[0].mimeTypeFilters, sortedMimeTypes);
    QCOMPARE(window.windowFilePath(), bmpPath);

    // The second dialog is left where the user last went.
    const QList<DialogVisit> second = pressLoad(&window, {});
    QCOMPARE(second.size(), 1);
    QVERIFY(second[0].directory != pictures);
    QCOMPARE(second[0].selectedMimeTypeFilter, QStringLiteral("image/bmp"));
    QCOMPARE(window.windowFilePath(), bmpPath);
}

void TestImageWindow::loaded_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QPoint>("blackCorner"); // of a photo; x -1 for others

    const QPoint none(-1, -1);
    QTest::newRow("one-bit bmp") << bmpPath << false << QSize(200, 40) << 28 * 40 << none;
    QTest::newRow("one-bit xbm, least significant bit first")
        << file("mark.xbm", encoded(oneBit(203, 10, {white, black}), "XBM")) << false
        << QSize(203, 10) << 280 << none;

    // photo.jpg holds a 64 x 48 picture with a black square in its top left corner; the
    // Orientation entry of its EXIF data is tag 0112, SHORT, one value, then the value.
    const QByteArray jpeg = dataFile(QStringLiteral("photo.jpg"));
    const qsizetype entry = jpeg.indexOf(QByteArray::fromHex("0112000300000001"));
    QVERIFY(entry > 0);
    const auto photo = [&](char orientation) {
        QByteArray bytes = jpeg;
        bytes[entry + 9] = orientation;
        return file(QStringLiteral("photo%1.jpg").arg(int(orientation)), bytes);
    };
    QTest::newRow("EXIF 1, as stored") << photo(1) << true << QSize(64, 48) << 384 << QPoint(0, 0);
    QTest::newRow("EXIF 6, turned right")
        << photo(6) << true << QSize(48, 64) << 512 << QPoint(1, 0);
    QTest::newRow("EXIF 8, turned left")
        << photo(8) << true << QSize(48, 64) << 512 << QPoint(0, 1);
    QTest::newRow("EXIF 3, upside down")
        << photo(3) << true << QSize(64, 48) << 384 << QPoint(1, 1);
}

void TestImageWindow::loaded()
{
    QFETCH(QString, path);
    QFETCH(bool, converted);
    QFETCH(QSize, size);
    QFETCH(int, bytes);
    QFETCH(QPoint, blackCorner);

    MainWindow window;
    WindowDriver::console(&window)->setPlainText(QStringLiteral("left from before"));
    Boxes boxes;
    QCOMPARE(pressLoad(&window, {path}, &boxes).size(), 1);

    QVERIFY(boxes.isEmpty());
    QCOMPARE(consoleText(&window),
             QStringLiteral("Loading image:\n%1Opened \"%2\"\nWidth: %3 pixel\nHeight: %4 pixel\n"
                            "Color depth: 1\nBytes: %5\n")
                 .arg(converted ? "Bitmap is not 1bpp (mono) trying to convert...\n" : "")
                 .arg(QDir::toNativeSeparators(path))
                 .arg(size.width())
                 .arg(size.height())
                 .arg(bytes));
    const QImage shown = shownImage(&window);
    QCOMPARE(shown.size(), size);
    // Shown as the one bit a dot it is, not as a pixmap of 32 bits a dot.
    QCOMPARE(shown.depth(), 1);
    QCOMPARE(window.windowFilePath(), path);
    if (blackCorner.x() < 0)
        return;
    // Samples a few pixels in from each corner, clear of the square's blurred edge.
    for (const QPoint corner : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
        const QPoint at(corner.x() ? size.width() - 5 : 4, corner.y() ? size.height() - 5 : 4);
        QCOMPARE(qGray(shown.pixel(at)) < 128, corner == blackCorner);
    }
}

void TestImageWindow::failedLoad_data()
{
    QTest::addColumn<QString>("path");

    const QByteArray png =
        encoded(painted(300, 300, QImage::Format_RGB32, black, 0xff8040c0), "PNG");
    QTest::newRow("not an image") << file("notes.png", "These are notes, not a picture.\n");
    QTest::newRow("truncated png") << file("truncated.png", png.left(png.size() / 2));
    // Headers that claim a huge picture with one row of data: beyond the image reader's
    // allocation limit, and within it, which the reader may take but no more.
    QTest::newRow("png claiming 100000 x 100000")
        << file("huge.png", dataFile("claims-100000x100000.png"));
    QTest::newRow("png claiming 5000 x 5000") << file("big.png", dataFile("claims-5000x5000.png"));
    const QString secret = file("secret.png", png);
    QVERIFY(QFile::setPermissions(secret, QFileDevice::WriteOwner));
    // Permission bits do not stop root (CAP_DAC_OVERRIDE): the file would simply load.
    if (::access(QFile::encodeName(secret).constData(), R_OK) != 0)
        QTest::newRow("file without read permission") << secret;
}

// The box names the file, the picture loaded before stays, and the dialog comes back where it
// was; the user then cancels. Memory stays within the image reader's allocation limit however
// large the header claims the picture to be.
void TestImageWindow::failedLoad()
{
    QFETCH(QString, path);

    MainWindow window;
    QVERIFY(loadFile(&window, bmpPath));
    const QImage before = shownImage(&window);

    const bool peakReset = ProcessProbes::resetPeakResident();
    const qint64 residentBefore = ProcessProbes::residentBytes();
    Boxes boxes;
    const QList<DialogVisit> visits = pressLoad(&window, {path}, &boxes);
    const qint64 peak = ProcessProbes::peakResidentBytes();

    const QString problem = cannotLoadProblem(boxes, path);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(visits.size(), 2);
    QCOMPARE(visits[1].directory, visits[0].directory);
    QCOMPARE(visits[1].selectedMimeTypeFilter, QStringLiteral("image/bmp"));
    QCOMPARE(consoleText(&window), QStringLiteral("Loading image:"));
    QCOMPARE(shownImage(&window), before);
    QCOMPARE(window.windowFilePath(), bmpPath);
    // AddressSanitizer adds an eighth for its shadow memory.
    if (peakReset && residentBefore > 0) {
        const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
        const qint64 allowed = ProcessProbes::underAddressSanitizer() ? limit + limit / 8 : limit;
        QVERIFY2(peak - residentBefore <= allowed,
                 qPrintable(QStringLiteral("%1 MB taken").arg((peak - residentBefore) >> 20)));
    }
}

void TestImageWindow::notARegularFile_data()
{
    QTest::addColumn<QString>("path");

    const QString fifo = dir.filePath(QStringLiteral("pipe.png"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QTest::newRow("FIFO") << fifo;
    QTest::newRow("directory") << dir.path();
    QTest::newRow("character device") << QStringLiteral("/dev/zero");
}

// Reading a FIFO would wait for a writer, with the window frozen; a device may never end. Such
// a file gets the "Cannot load" box at once. Should the window wait on the FIFO after all, a
// writer opens it once the deadline has passed, and the test fails.
void TestImageWindow::notARegularFile()
{
    QFETCH(QString, path);

    MainWindow window;
    QVERIFY(loadFile(&window, bmpPath));
    std::promise<void> done;
    bool freed = false;
    std::thread watchdog([&, finished = done.get_future()] {
        if (finished.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
            return;
        freed = true;
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    ModalAnswerer answerer;
    bool loaded = true;
    QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection, Q_RETURN_ARG(bool, loaded),
                              Q_ARG(QString, path));
    done.set_value();
    watchdog.join();

    QVERIFY2(!freed, "the window waited on the file");
    QVERIFY(!loaded);
    QTRY_COMPARE(answerer.count(), 1);
    const QString problem = cannotLoadProblem(answerer.seen(), path);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(window.windowFilePath(), bmpPath);
}

void TestImageWindow::printsWhatIsShown_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<QByteArray>("sizes"); // bytes a row and rows, as GS v 0 sends them

    // One-bit files are sent unconverted, in every bit order and palette order they come in.
    QTest::newRow("bmp, black at index 1, fill bits black")
        << "black1.bmp" << oneBit(200, 40, {white, black}) << false << QByteArray("1c002800");
    QTest::newRow("xbm, least significant bit first")
        << "lsb.xbm" << oneBit(203, 10, {white, black}) << false << QByteArray("1c000a00");
    QTest::newRow("png, one bit, black at index 0")
        << "black0.png" << oneBit(384, 20, {black, white}, 0) << false << QByteArray("30001400");
    QTest::newRow("png, one bit, 65535 rows")
        << "tall.png" << oneBit(8, 65535, {black, white}, 0) << false << QByteArray("0400ffff");
    QTest::newRow("colour 384 x 94")
        << "colour.png" << painted(384, 94, QImage::Format_RGB32, black, white) << true
        << QByteArray("30005e00");
    QTest::newRow("grey 200 x 75")
        << "grey.png" << painted(200, 75, QImage::Format_Grayscale8, black, white) << true
        << QByteArray("1c004b00");
}

void TestImageWindow::printsWhatIsShown()
{
    QFETCH(QString, fileName);
    QFETCH(QImage, picture);
    QFETCH(bool, converted);
    QFETCH(QByteArray, sizes);

    FarEnd pty;
    QVERIFY(pty.isValid());
    MainWindow window;
    QVERIFY(WindowDriver::connectTo(&window, pty.slavePath()));
    const QByteArray format = fileName.section('.', 1).toUpper().toLatin1();
    QVERIFY(loadFile(&window, file(fileName, encoded(picture, format.constData()))));
    QCOMPARE(consoleText(&window).contains(QStringLiteral("Bitmap is not 1bpp")), converted);

    QVERIFY(press(&window, "pushButton_58PrintH").isEmpty());

    // ESC @, then GS v 0 0 and the sizes, low byte first.
    const QByteArray start = QByteArray::fromHex("1b401d763000" + sizes);
    const qsizetype bytesPerLine = quint8(start[6]) | quint8(start[7]) << 8;
    const qsizetype rows = quint8(start[8]) | quint8(start[9]) << 8;
    const QByteArray sent = pty.readExactly(start.size() + bytesPerLine * rows, 30000);
    QCOMPARE(sent.size(), start.size() + bytesPerLine * rows);
    QCOMPARE(sent.left(start.size()).toHex(), start.toHex());
    QCOMPARE(consoleText(&window),
             QStringLiteral("Validating if Bitmap can be printed\nValidating bitmap..."));

    // A dot exactly where the picture is dark, in the view as on paper, and none past the edge.
    const QImage shown = shownImage(&window);
    QCOMPARE(rows, qsizetype(shown.height()));
    const QString wrong = wrongDot(sent.mid(start.size()), bytesPerLine, shown.width(), darkAt);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if ((qGray(shown.pixel(x, y)) < 128) != darkAt(x, y))
                QFAIL(qPrintable(QStringLiteral("(%1, %2) shown wrong").arg(x).arg(y)));
        }
    }
    QVERIFY(nothingSentBefore(&window, pty)); // nothing followed the picture
}

void TestImageWindow::refused_data()
{
    QTest::addColumn<QByteArray>("buttonName");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QString>("consoleLine"); // after "Validating if Bitmap can be printed"
    QTest::addColumn<QString>("boxText");

    const QByteArray print("pushButton_58PrintH");
    const QString guard = QStringLiteral("Please configure and connect to the serial port first!");
    const QImage small = oneBit(8, 8, {white, black});
    QTest::newRow("port closed: Print Raster Image") << print << false << small << "" << guard;
    QTest::newRow("port closed: Line Feed")
        << QByteArray("pushButton_LineFeed") << false << small << "" << guard;
    QTest::newRow("nothing loaded") << print << true << QImage() << "No Bitmap loaded"
                                    << "No Bitmap loaded!";
    QTest::newRow("385 wide")
        << print << true << oneBit(385, 2, {white, black}) << "Bitmap too wide. Max 384 pixels"
        << "This tool allows printing only for bitmaps of up to 384 pixel wide!";
    QTest::newRow("65536 high")
        << print << true << oneBit(8, 65536, {white, black}) << "Bitmap too tall. Max 65535 pixels"
        << "This tool allows printing only for bitmaps of up to 65535 pixel high!";
}

// The port guard leaves the console alone; a refused picture is explained there and in a box,
// and nothing goes out.
void TestImageWindow::refused()
{
    QFETCH(QByteArray, buttonName);
    QFETCH(bool, connected);
    QFETCH(QImage, picture);
    QFETCH(QString, consoleLine);
    QFETCH(QString, boxText);

    FarEnd pty;
    QVERIFY(pty.isValid());
    MainWindow window;
    QVERIFY(!connected || WindowDriver::connectTo(&window, pty.slavePath()));
    if (!picture.isNull())
        QVERIFY(loadFile(&window, file(QStringLiteral("refused.png"), encoded(picture, "PNG"))));
    WindowDriver::console(&window)->setPlainText(QStringLiteral("left from before"));

    const Boxes boxes = press(&window, buttonName.constData());

    QCOMPARE(consoleText(&window),
             connected ? QStringLiteral("Validating if Bitmap can be printed\n") + consoleLine
                       : QStringLiteral("left from before"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title,
             connected ? QStringLiteral("Print Bitmap") : QStringLiteral("Serial Port Connect"));
    QCOMPARE(boxes[0].text, boxText);
    QVERIFY(!connected || nothingSentBefore(&window, pty));
}

int main(int argc, char **argv)
{
    // A home folder of our own makes the pictures folder a known, existing one.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    QDir(home.path()).mkpath(QStringLiteral("Pictures"));
    // The dialog must be Qt's own widget, so that the test can play its user.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);

    QApplication app(argc, argv);
    TestImageWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_imagewindow.moc"
