// SPDX-License-Identifier: MIT
#include "recordingdevice.h"

RecordingDevice::RecordingDevice(QObject *parent) : QIODevice(parent)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 RecordingDevice::readData(char *, qint64)
{
    return -1;
}

qint64 RecordingDevice::writeData(const char *data, qint64 size)
{
    m_writes.append(QByteArray(data, size));
    return size;
}
