// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>

// A write-only device that keeps every write call separately, so a test can check not only
// the bytes sent but where one write ends and the next begins.
class RecordingDevice : public QIODevice
{
    Q_OBJECT
public:
    explicit RecordingDevice(QObject *parent = nullptr);

    const QList<QByteArray> &writes() const { return m_writes; }
    QByteArray bytes() const { return m_writes.join(); }
    void clearWrites() { m_writes.clear(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    QList<QByteArray> m_writes;
};
