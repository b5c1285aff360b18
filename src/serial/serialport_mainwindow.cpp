// The serial link of the main window: opening and closing the one port, its errors, and the
// bytes that come back from the controller.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "serial/settingsdialog.h"

#include <QMessageBox>

void MainWindow::openSerialPort()
{
    const Settings p = settingsDialog->settings();
    serial->setPortName(p.portName);
    serial->setBaudRate(p.baudRate, QSerialPort::AllDirections);
    serial->setDataBits(p.dataBits);
    serial->setParity(p.parity);
    serial->setStopBits(p.stopBits);
    serial->setFlowControl(p.flowControl);
    if (serial->open(QIODevice::ReadWrite)) {
        replyDecoder.resetState();
        ui->actionConnect->setEnabled(false);
        ui->actionDisconnect->setEnabled(true);
        ui->actionConfigure->setEnabled(false);
        showStatusMessage(tr("Connected to %1 : %2, %3, %4, %5, %6")
                              .arg(p.portName)
                              .arg(p.baudRateText)
                              .arg(p.dataBitsText)
                              .arg(p.parityText)
                              .arg(p.stopBitsText)
                              .arg(p.flowControlText));
    } else {
        QMessageBox::critical(this, tr("Error"), serial->errorString(), QMessageBox::Ok,
                              QMessageBox::NoButton);
        showStatusMessage(tr("Open error"));
    }
}

void MainWindow::closeSerialPort()
{
    if (serial->isOpen())
        serial->close();
    ui->actionConnect->setEnabled(true);
    ui->actionDisconnect->setEnabled(false);
    ui->actionConfigure->setEnabled(true);
    showStatusMessage(tr("Disconnected"));
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError)
        return;
    // A lost device may report more than once while the box is up; one box is enough.
    if (!serial->isOpen())
        return;
    const QString reason = serial->errorString();
    serial->close();
    QMessageBox::critical(this, tr("Critical Error"), reason, QMessageBox::Ok);
    closeSerialPort();
}

void MainWindow::readData()
{
    const QByteArray data = serial->readAll();
    ui->editTessivar->insertPlainText(replyDecoder.decode(data));
}

void MainWindow::Write(const uint8_t *buf, size_t buflen)
{
    commands.Write(buf, buflen);
}
