// SPDX-License-Identifier: MIT
// The serial link of the main window: opening and closing the one port, its errors, and the
// bytes that come back from the controller.
#include "ui_mainwindow.h"
#include "window/mainwindow.h"

#include "window/console.h"
#include "window/settingsdialog.h"

#include <QMessageBox>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {
// Whether an error of the port means that the device is gone. A device that goes away for good
// (an adapter unplugged, a pseudo-terminal whose other side closed) leaves a hung-up descriptor:
// the port reports a resource error, or, where reads return end-of-file for ever, a read error
// on every turn of the event loop. A resource error on a line that is still there is a write
// that met a line paused by XOFF (EAGAIN); the port keeps those bytes and writes them when the
// line goes on, so that is no loss at all.
bool deviceLost(QSerialPort *port, QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return false;
#ifdef Q_OS_UNIX
    pollfd pfd{int(port->handle()), POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR)) != 0;
#else
    Q_UNUSED(port);
    return error == QSerialPort::ResourceError;
#endif
}

} // namespace

void MainWindow::openSerialPort()
{
    settingsDialog->chooseVirtualControllerIfNone();
    const Settings p = settingsDialog->settings();
    serial->setPortName(p.portName);
    serial->setBaudRate(p.baudRate, QSerialPort::AllDirections);
    serial->setDataBits(p.dataBits);
    serial->setParity(p.parity);
    serial->setStopBits(p.stopBits);
    serial->setFlowControl(p.flowControl);
    if (serial->open(QIODevice::ReadWrite)) {
        console->startConnection();
        ui->actionConnect->setEnabled(false);
        ui->actionDisconnect->setEnabled(true);
        ui->actionConfigure->setEnabled(false);
        showWriteProgress();
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
    if (!serial->isOpen() || !deviceLost(serial, error))
        return;
#ifdef Q_OS_UNIX
    // The error number behind a hang-up is often stale; say what happened instead.
    const QString reason =
        tr("The device on %1 went away (the line hung up).").arg(serial->portName());
#else
    const QString reason = serial->errorString();
#endif
    // Closed before the box is shown: a lost device keeps reporting, and one box is enough.
    serial->close();
    QMessageBox::critical(this, tr("Critical Error"), reason, QMessageBox::Ok);
    closeSerialPort();
}

void MainWindow::readData()
{
    console->showReply(serial->readAll());
}

void MainWindow::Write(const uint8_t *buf, size_t buflen)
{
    commands.Write(buf, buflen);
}
