// The serial link of the main window: opening and closing the one port, its errors, and the
// bytes that come back from the controller.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "serial/settingsdialog.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

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

// The console pane holds at most this many characters; the oldest fall off its start. A device
// that keeps sending without a line break makes the pane one long line, and every insertion lays
// out that whole line again: the bound keeps each insertion to a millisecond or two, however
// long the device goes on.
constexpr int consoleCapacity = 8192;

// Where to cut `text` so that about `at` characters go, without splitting a surrogate pair.
qsizetype cutPoint(const QString &text, qsizetype at)
{
    return at < text.size() && text.at(at).isLowSurrogate() ? at + 1 : at;
}

} // namespace

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
    QString text = replyDecoder.decode(serial->readAll());
    if (text.isEmpty())
        return;
    QPlainTextEdit *console = ui->editTessivar;
    QTextDocument *document = console->document();
    const qsizetype held = document->characterCount() - 1; // without the closing separator
    if (held + text.size() <= consoleCapacity) {
        console->insertPlainText(text);
        return;
    }

    // The pane is full: it keeps its last consoleCapacity characters. Text that would fall off
    // at once is not inserted at all.
    if (text.size() > consoleCapacity)
        text.remove(0, cutPoint(text, text.size() - consoleCapacity));
    // The insertion and the removal are one edit, laid out once, and they leave nothing to undo:
    // an undo history would keep every character that ever fell off.
    document->setUndoRedoEnabled(false);
    QTextCursor edit(document);
    edit.beginEditBlock();
    console->insertPlainText(text);
    const int excess = document->characterCount() - 1 - consoleCapacity;
    if (excess > 0) {
        const bool splitsPair = document->characterAt(excess).isLowSurrogate();
        edit.setPosition(0);
        edit.setPosition(excess + (splitsPair ? 1 : 0), QTextCursor::KeepAnchor);
        edit.removeSelectedText();
    }
    edit.endEditBlock();
    document->setUndoRedoEnabled(true);
}

void MainWindow::Write(const uint8_t *buf, size_t buflen)
{
    commands.Write(buf, buflen);
}
