// SPDX-License-Identifier: MIT
// The Bitmaps page: "Load Image" chooses a picture file, brings it to the one-bit raster the
// controller prints and shows it; "Print Raster Image" sends it as one raster picture, exactly as
// it is held and shown; "Line Feed" feeds one line.
#include "window/mainwindow.h"
#include "ui_mainwindow.h"
#include "window/console.h"

#include "image/monoraster.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens `fileName` for the image reader if it is a regular file. A FIFO, a device or a
// directory is refused without being opened for reading (opening a FIFO would wait for a
// writer); one that takes the file's place between the look and the opening is opened without
// waiting and refused then.
bool openRegularFile(const QString &fileName, QFile &file, QString &error)
{
    const QByteArray path = QFile::encodeName(fileName);
    struct stat status
    {
    };
    if (::stat(path.constData(), &status) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = QCoreApplication::translate("MainWindow", "Not a regular file");
        return false;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        error = QCoreApplication::translate("MainWindow", "Not a regular file");
        return false;
    }
    // Reading a regular file never waits; the flag only kept the opening from waiting.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

void MainWindow::on_pushButton_Load_released()
{
    console->clear();
    open();
}

void MainWindow::open()
{
    QFileDialog dialog(this, tr("Open File"));

    // Only the first dialog of a run starts in the pictures folder; later ones start wherever
    // the user last went.
    static bool firstDialog = true;
    if (firstDialog) {
        firstDialog = false;
        const QStringList pictures =
            QStandardPaths::standardLocations(QStandardPaths::PicturesLocation);
        dialog.setDirectory(pictures.isEmpty() ? QDir::currentPath() : pictures.constLast());
    }

    QStringList mimeTypeFilters;
    const QList<QByteArray> mimeTypes = QImageReader::supportedMimeTypes();
    for (const QByteArray &mimeType : mimeTypes)
        mimeTypeFilters.append(QString::fromLatin1(mimeType));
    mimeTypeFilters.sort(Qt::CaseSensitive);
    dialog.setMimeTypeFilters(mimeTypeFilters);
    dialog.selectMimeTypeFilter(QStringLiteral("image/bmp"));

    // A file that cannot be read brings the same dialog back, so the user can pick another.
    while (dialog.exec() == QDialog::Accepted) {
        const QStringList files = dialog.selectedFiles();
        if (!files.isEmpty() && loadFile(files.constFirst()))
            return;
    }
}

bool MainWindow::loadFile(const QString &fileName)
{
    console->insert(QStringLiteral("Loading image:"));

    const QString shownName = QDir::toNativeSeparators(fileName);
    QFile file;
    QString error;
    QImage loaded;
    if (openRegularFile(fileName, file, error)) {
        QImageReader reader(&file);
        reader.setAutoTransform(true);
        loaded = reader.read();
        error = reader.errorString();
    }
    if (loaded.isNull()) {
        QMessageBox::information(this, QGuiApplication::applicationDisplayName(),
                                 tr("Cannot load %1: %2").arg(shownName, error));
        return false;
    }

    if (!MonoRaster::isOneBit(loaded))
        console->appendLine(
            QStringLiteral("Bitmap is not 1bpp (mono) trying to convert..."));
    image = MonoRaster::toRaster(loaded);
    loaded = QImage();
    console->appendLine(
        tr("Opened \"%1\"\nWidth: %2 pixel\nHeight: %3 pixel\nColor depth: %4\nBytes: %5\n")
            .arg(shownName, QString::number(image.width()), QString::number(image.height()),
                 QString::number(image.depth()), QString::number(image.sizeInBytes())));

    // Kept as one bit a dot: a bitmap draws its set bits in the text colour on the label's own
    // white ground, and costs an eighth of a 32-bit pixmap of it.
    viewerLabel->setBackgroundRole(QPalette::Base);
    viewerLabel->setAutoFillBackground(true);
    viewerLabel->setPixmap(QBitmap::fromImage(image));
    viewerLabel->adjustSize();
    setWindowFilePath(fileName);
    return true;
}

void MainWindow::on_pushButton_58PrintH_released()
{
    if (!startJob({"Validating if Bitmap can be printed"}))
        return;

    switch (MonoRaster::check(image)) {
    case MonoRaster::Verdict::Empty:
        refuseRasterPrint("No Bitmap loaded", tr("No Bitmap loaded!"));
        return;
    case MonoRaster::Verdict::TooWide:
        refuseRasterPrint(
            "Bitmap too wide. Max 384 pixels",
            tr("This tool allows printing only for bitmaps of up to 384 pixel wide!"));
        return;
    case MonoRaster::Verdict::TooTall:
        // The height field of the raster header has 16 bits; a taller picture would make the
        // controller read the rest of its bytes as commands.
        refuseRasterPrint(
            "Bitmap too tall. Max 65535 pixels",
            tr("This tool allows printing only for bitmaps of up to 65535 pixel high!"));
        return;
    case MonoRaster::Verdict::Printable:
        break;
    }

    appendConsole("Validating bitmap...");
    commands.printerSoftInit();
    // The header announces the stored row width, fill included: its fill bits are clear.
    commands.picturePrintH(0, static_cast<unsigned short>(image.bytesPerLine()),
                           static_cast<unsigned short>(image.height()), image.constBits());
}

void MainWindow::on_pushButton_LineFeed_released()
{
    if (!portGuard())
        return;
    commands.printLF();
}

void MainWindow::refuseRasterPrint(const char *consoleLine, const QString &reason)
{
    appendConsole(consoleLine);
    QMessageBox::about(this, tr("Print Bitmap"), reason);
}
