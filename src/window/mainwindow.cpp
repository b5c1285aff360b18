#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "window/console.h"
#include "window/settingsdialog.h"

#include "jobs/jobstreams.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::MainWindow),
      statusLabel(new QLabel),
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

    ui->scrollArea->setBackgroundRole(QPalette::Dark);
    ui->scrollArea->setWidget(viewerLabel);
    ui->scrollArea->setVisible(true);

    initActionsConnections();

    connect(serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);
    connect(serial, &QIODevice::readyRead, this, &MainWindow::readData);

    // The "Command" page is built by the form but never offered.
    ui->mainTabsTessivar->removeTab(4);
}

MainWindow::~MainWindow()
{
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
