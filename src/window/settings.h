// SPDX-License-Identifier: MIT
#pragma once

#include <QSerialPort>
#include <QString>

// The serial line as the user chose it in the settings dialog: each parameter beside the text
// that the dialog shows for it.
struct Settings
{
    QString portName;
    qint32 baudRate = 0;
    QString baudRateText;
    QSerialPort::DataBits dataBits{};
    QString dataBitsText;
    QSerialPort::Parity parity{};
    QString parityText;
    QSerialPort::StopBits stopBits{};
    QString stopBitsText;
    QSerialPort::FlowControl flowControl{};
    QString flowControlText;
};
