// "Load Image": choosing an image file, bringing it to the one-bit raster the controller
// prints, showing it in the "Bitmaps" page and writing the account into the console.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "image/monoraster.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QStandardPaths>

void MainWindow::on_pushButton_Load_released()
{
    ui->editTessivar->clear();
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
    ui->editTessivar->insertPlainText(QStringLiteral("Loading image:"));

    QImageReader reader(fileName);
    reader.setAutoTransform(true);
    const QImage loaded = reader.read();
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (loaded.isNull()) {
        QMessageBox::information(this, QGuiApplication::applicationDisplayName(),
                                 tr("Cannot load %1: %2").arg(shownName, reader.errorString()));
        return false;
    }

    if (!MonoRaster::isOneBit(loaded))
        ui->editTessivar->appendPlainText(
            QStringLiteral("Bitmap is not 1bpp (mono) trying to convert..."));
    image = MonoRaster::toRaster(loaded);
    ui->editTessivar->appendPlainText(
        tr("Opened \"%1\"\nWidth: %2 pixel\nHeight: %3 pixel\nColor depth: %4\nBytes: %5\n")
            .arg(shownName, QString::number(image.width()), QString::number(image.height()),
                 QString::number(image.depth()), QString::number(image.sizeInBytes())));

    viewerLabel->setPixmap(QPixmap::fromImage(image));
    viewerLabel->adjustSize();
    setWindowFilePath(fileName);
    return true;
}
