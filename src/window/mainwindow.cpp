// SPDX-License-Identifier: MIT
#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "window/console.h"
#include "window/settingsdialog.h"

#include "jobs/jobstreams.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>

#ifdef Q_OS_LINUX
#include <sys/ioctl.h>
#endif

namespace {
// Bytes the system still holds for the line: QSerialPort's buffer empties into the driver's
// output queue, which a UART at 115200 bit/s takes seconds to send. Zero where the platform
// does not tell (and on a pseudo-terminal, whose other side takes the bytes at once).
qint64 systemOutputQueue(const QSerialPort *port)
{
#ifdef Q_OS_LINUX
    int queued = 0;
    if (::ioctl(int(port->handle()), TIOCOUTQ, &queued) == 0 && queued > 0)
        return queued;
#else
    Q_UNUSED(port);
#endif
    return 0;
}
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::MainWindow),
      statusLabel(new QLabel),
      writeProgress(new QProgressBar),
      writeProgressTimer(new QTimer(this)),
      settingsDialog(new SettingsDialog),
      serial(new QSerialPort(this)),
      commands(serial),
      viewerLabel(new QLabel)
{
    ui->setupUi(this);
    console = std::make_unique<Console>(ui->editTessivar);

    ui->actionConnect->setEnabled(true);
    ui->actionDisconnect->setEnabled(false);
    ui->actionQuit->setEnabled(true);
    ui->actionConfigure->setEnabled(true);

    ui->statusBar->addWidget(statusLabel);
    writeProgress->setObjectName(QStringLiteral("writeProgress"));
    writeProgress->setMaximumWidth(260);
    writeProgress->hide();
    ui->statusBar->addPermanentWidget(writeProgress);

    ui->scrollArea->setBackgroundRole(QPalette::Dark);
    ui->scrollArea->setWidget(viewerLabel);
    ui->scrollArea->setVisible(true);

    initActionsConnections();

    connect(serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);
    connect(serial, &QIODevice::readyRead, this, &MainWindow::readData);
    writeProgressTimer->setInterval(250);
    connect(writeProgressTimer, &QTimer::timeout, this, &MainWindow::showWriteProgress);
    connect(serial, &QIODevice::bytesWritten, this, &MainWindow::showWriteProgress);
    connect(serial, &QIODevice::aboutToClose, this, [this] {
        writeProgressTimer->stop();
        writeProgressTotal = 0;
        writeProgress->hide();
    });

    // The "Command" page is built by the form but never offered.
    ui->mainTabsTessivar->removeTab(4);
}

MainWindow::~MainWindow()
{
    // The port is a child: it closes (and says so) only after this window has stopped being one.
    serial->disconnect(this);
    delete settingsDialog;
    delete ui;
}

void MainWindow::initActionsConnections()
{
    connect(ui->actionConnect, &QAction::triggered, this, &MainWindow::openSerialPort);
    connect(ui->actionDisconnect, &QAction::triggered, this, &MainWindow::closeSerialPort);
    connect(ui->actionQuit, &QAction::triggered, this, &QWidget::close);
    connect(ui->actionConfigure, &QAction::triggered, settingsDialog, &QWidget::show);
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::about);
    connect(ui->actionAboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::about()
{
    QMessageBox::about(this, tr("Tessivar"),
                       tr("The <b>Tessivar Version: 1.1.1</b> for June 2020 firmware and newer.  "
                          "Tessivar featuring ZP40x printer controllers."));
}

void MainWindow::showStatusMessage(const QString &message)
{
    statusLabel->setText(message);
}

void MainWindow::choosePort(const QString &path)
{
    settingsDialog->selectPort(path);
}

void MainWindow::showWriteProgress()
{
    const qint64 left = serial->isOpen() ? serial->bytesToWrite() + systemOutputQueue(serial) : 0;
    if (!writeProgressTimer->isActive() && serial->isOpen())
        writeProgressTimer->start();
    if (left == 0) {
        writeProgressTotal = 0;
        writeProgress->hide();
        return;
    }
    writeProgressTotal = std::max(writeProgressTotal, left);
    const int bitsPerByte = 1 + serial->dataBits() +
                            (serial->parity() == QSerialPort::NoParity ? 0 : 1) +
                            (serial->stopBits() == QSerialPort::TwoStop ? 2 : 1);
    const double bytesPerSecond = double(std::max(1, serial->baudRate())) / bitsPerByte;
    const int total = int(std::min<qint64>(writeProgressTotal, INT_MAX));
    writeProgress->setRange(0, total);
    writeProgress->setValue(total - int(std::min<qint64>(left, total)));
    writeProgress->setFormat(tr("%1 KB left, about %2 s")
                                 .arg((left + 1023) / 1024)
                                 .arg(std::ceil(double(left) / bytesPerSecond)));
    writeProgress->show();
}

bool MainWindow::portGuard()
{
    if (serial->isOpen())
        return true;
    QMessageBox::about(this, tr("Serial Port Connect"),
                       tr("Please configure and connect to the serial port first!"));
    return false;
}

bool MainWindow::startJob(std::initializer_list<const char *> account)
{
    if (!portGuard())
        return false;
    console->writeAccount(account);
    return true;
}

void MainWindow::appendConsole(const char *line)
{
    console->appendLine(QString::fromUtf8(line));
}

// The shared body of the buttons whose job reads no widget: the whole account is in the pane
// before the first byte is queued.
void MainWindow::runJob(const Jobs::FixedJob &job)
{
    if (!startJob({job.account.front()}))
        return;
    for (const char *line : job.account.subspan(1))
        appendConsole(line);
    job.queue(commands);
}

// Its check box sits on the Command page, which the window never shows.
void MainWindow::on_checkBoxHexEnable_released() {}
