#include "window/mainwindow.h"

#include "testimages.h"
#include "windowdriver.h"
#include "windowhelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace WindowHelpers;

// "Load Image": the file dialog, reading and converting the file, the view and the account.
// Image files are made by the test in a temporary folder; the home folder is a temporary one
// too (see main), so that the pictures folder is known.
class TestImageLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    // First: only the first dialog of the process starts in the pictures folder.
    void dialogStartsInPicturesFolderOnce();
    void account_data();
    void account();
    void unreadableFile_data();
    void unreadableFile();
    void notARegularFile_data();
    void notARegularFile();
    void orientationApplied_data();
    void orientationApplied();

private:
    QString file(const QString &name, const QByteArray &bytes)
    {
        return TestImages::write(dir, name, bytes);
    }

    QTemporaryDir dir;
    QString bmpPath;
};

namespace {

QString accountOf(const QString &path, int width, int height, qsizetype bytes)
{
    return QStringLiteral("Opened \"%1\"\nWidth: %2 pixel\nHeight: %3 pixel\nColor depth: 1\n"
                          "Bytes: %4\n")
        .arg(QDir::toNativeSeparators(path))
        .arg(width)
        .arg(height)
        .arg(bytes);
}

QImage blackAndWhite(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height, Qt::black);
    return image;
}

bool darkPixel(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

} // namespace

void TestImageLoad::initTestCase()
{
    QVERIFY(dir.isValid());
    bmpPath = file("logo.bmp", TestImages::monoBmp(200, 40, 0));
}

void TestImageLoad::dialogStartsInPicturesFolderOnce()
{
    const QStringList pictureFolders =
        QStandardPaths::standardLocations(QStandardPaths::PicturesLocation);
    QVERIFY(!pictureFolders.isEmpty());
    const QString pictures = QDir(pictureFolders.constLast()).absolutePath();
    QVERIFY2(pictures.startsWith(QDir::homePath()), qPrintable(pictures));
    QVERIFY(QDir(pictures).exists());

    QStringList sortedMimeTypes;
    for (const QByteArray &type : QImageReader::supportedMimeTypes())
        sortedMimeTypes.append(QString::fromLatin1(type));
    sortedMimeTypes.sort(Qt::CaseSensitive);

    MainWindow window;
    const LoadRun first = pressLoad(&window, {bmpPath});
    QCOMPARE(first.visits.size(), 1);
    QCOMPARE(first.visits[0].directory, pictures);
    QCOMPARE(first.visits[0].selectedMimeTypeFilter, QStringLiteral("image/bmp"));
    QCOMPARE(first.visits[0].mimeTypeFilters, sortedMimeTypes);
    QCOMPARE(window.windowFilePath(), bmpPath);

    // The second dialog is left where the user last went.
    const LoadRun second = pressLoad(&window, {});
    QCOMPARE(second.visits.size(), 1);
    QVERIFY(second.visits[0].directory != pictures);
    QCOMPARE(second.visits[0].selectedMimeTypeFilter, QStringLiteral("image/bmp"));
    QCOMPARE(window.windowFilePath(), bmpPath);
    QVERIFY(second.boxes.isEmpty());
}

void TestImageLoad::account_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qsizetype>("bytes");

    QTest::newRow("one-bit bmp") << bmpPath << false << 200 << 40 << qsizetype(28 * 40);
    QTest::newRow("one-bit xbm, least significant bit first")
        << file("mark.xbm", TestImages::xbm(203, 10)) << false << 203 << 10 << qsizetype(280);
    QTest::newRow("colour png 384 x 94")
        << file("colour.png",
                TestImages::encoded(blackAndWhite(384, 94, QImage::Format_RGB32), "PNG"))
        << true << 384 << 94 << qsizetype(4512);
    QTest::newRow("grey png 200 x 75")
        << file("grey.png",
                TestImages::encoded(blackAndWhite(200, 75, QImage::Format_Grayscale8), "PNG"))
        << true << 200 << 75 << qsizetype(2100);
}

void TestImageLoad::account()
{
    QFETCH(QString, path);
    QFETCH(bool, converted);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qsizetype, bytes);

    MainWindow window;
    WindowDriver::console(&window)->setPlainText(QStringLiteral("left from before"));
    const LoadRun run = pressLoad(&window, {path});

    QCOMPARE(run.visits.size(), 1);
    QVERIFY(run.boxes.isEmpty());
    const QString conversion =
        converted ? QStringLiteral("Bitmap is not 1bpp (mono) trying to convert...\n") : QString();
    QCOMPARE(WindowDriver::console(&window)->toPlainText(),
             QStringLiteral("Loading image:\n") + conversion +
                 accountOf(path, width, height, bytes));
    QCOMPARE(shownImage(&window).size(), QSize(width, height));
    // Shown as the one bit a dot it is, not as a pixmap of 32 bits a dot.
    QCOMPARE(shownImage(&window).depth(), 1);
    QCOMPARE(window.windowFilePath(), path);
}

void TestImageLoad::unreadableFile_data()
{
    QTest::addColumn<QString>("path");

    QImage noise(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
    }
    const QByteArray png = TestImages::encoded(noise, "PNG");

    QTest::newRow("not an image") << file("notes.png", "These are notes, not a picture.\n");
    QTest::newRow("empty file") << file("empty.bmp", {});
    QTest::newRow("truncated png") << file("truncated.png", png.left(png.size() / 2));
    // The same kind of file, small, is read: the big one fails on its size alone.
    QVERIFY(!QImage::fromData(TestImages::pngClaiming(16, 1), "PNG").isNull());
    QTest::newRow("png claiming 100000 x 100000")
        << file("huge.png", TestImages::pngClaiming(100000, 100000));
}

void TestImageLoad::unreadableFile()
{
    QFETCH(QString, path);

    MainWindow window;
    QVERIFY(loadFile(&window, bmpPath));
    const QImage before = shownImage(&window);

    // The dialog comes back after the box; the user then cancels.
    const LoadRun run = pressLoad(&window, {path});

    QCOMPARE(run.boxes.size(), 1);
    QCOMPARE(run.boxes[0].title, QGuiApplication::applicationDisplayName());
    const QString prefix = QStringLiteral("Cannot load %1: ").arg(QDir::toNativeSeparators(path));
    QVERIFY2(run.boxes[0].text.startsWith(prefix), qPrintable(run.boxes[0].text));
    QVERIFY(run.boxes[0].text.size() > prefix.size()); // the reader's reason follows
    QCOMPARE(run.visits.size(), 2);
    QCOMPARE(run.visits[1].directory, run.visits[0].directory);
    QCOMPARE(run.visits[1].selectedMimeTypeFilter, QStringLiteral("image/bmp"));

    QCOMPARE(WindowDriver::console(&window)->toPlainText(), QStringLiteral("Loading image:"));
    QCOMPARE(shownImage(&window), before);
    QCOMPARE(window.windowFilePath(), bmpPath);
}

void TestImageLoad::notARegularFile_data()
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
void TestImageLoad::notARegularFile()
{
    QFETCH(QString, path);

    MainWindow window;
    QVERIFY(loadFile(&window, bmpPath));
    std::mutex mutex;
    std::condition_variable done;
    bool loaded = true;
    bool finished = false;
    bool freed = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(mutex);
        if (done.wait_for(lock, std::chrono::seconds(20), [&] { return finished; }))
            return;
        freed = true;
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    ModalAnswerer answerer;
    const bool invoked = QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection,
                                                   Q_RETURN_ARG(bool, loaded), Q_ARG(QString, path));
    {
        const std::lock_guard<std::mutex> lock(mutex);
        finished = true;
    }
    done.notify_all();
    watchdog.join();

    QVERIFY(invoked);
    QVERIFY2(!freed, "the window waited on the file");
    QVERIFY(!loaded);
    QTRY_COMPARE(answerer.count(), 1);
    const QString text = answerer.seen().first().text;
    const QString prefix = QStringLiteral("Cannot load %1: ").arg(QDir::toNativeSeparators(path));
    QVERIFY2(text.startsWith(prefix), qPrintable(text));
    QVERIFY(text.size() > prefix.size());
    QCOMPARE(window.windowFilePath(), bmpPath);
}

void TestImageLoad::orientationApplied_data()
{
    QTest::addColumn<quint16>("orientation");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("blackCorner");

    // The file holds a 64 x 48 picture with a black square in its top left corner.
    QTest::newRow("1, as stored") << quint16(1) << QSize(64, 48) << QPoint(0, 0);
    QTest::newRow("6, portrait, turned right") << quint16(6) << QSize(48, 64) << QPoint(1, 0);
    QTest::newRow("8, portrait, turned left") << quint16(8) << QSize(48, 64) << QPoint(0, 1);
    QTest::newRow("3, upside down") << quint16(3) << QSize(64, 48) << QPoint(1, 1);
}

void TestImageLoad::orientationApplied()
{
    QFETCH(quint16, orientation);
    QFETCH(QSize, size);
    QFETCH(QPoint, blackCorner);

    QImage stored(64, 48, QImage::Format_RGB32);
    stored.fill(Qt::white);
    QPainter(&stored).fillRect(0, 0, 16, 16, Qt::black);
    const QString path = file(QStringLiteral("photo%1.jpg").arg(orientation),
                              TestImages::jpegWithOrientation(stored, orientation));

    MainWindow window;
    QVERIFY(loadFile(&window, path));

    const QImage shown = shownImage(&window);
    QCOMPARE(shown.size(), size);
    QVERIFY(WindowDriver::console(&window)->toPlainText().endsWith(
        accountOf(path, size.width(), size.height(),
                  qsizetype((size.width() + 31) / 32 * 4 * size.height()))));
    // Samples a few pixels in from each corner, clear of the square's blurred edge.
    for (const QPoint corner : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
        const int x = corner.x() ? size.width() - 5 : 4;
        const int y = corner.y() ? size.height() - 5 : 4;
        QCOMPARE(darkPixel(shown, x, y), corner == blackCorner);
    }
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
    TestImageLoad test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_imageload.moc"
