// SPDX-License-Identifier: MIT
#include "jobbench.h"

#include "windowdriver.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QPlainTextEdit>
#include <QSerialPort>

JobBench::JobBench()
{
    m_ready = m_pty.isValid() && WindowDriver::connectTo(&m_window, m_pty.slavePath());
}

QSerialPort *JobBench::port()
{
    return m_window.findChild<QSerialPort *>();
}

QPlainTextEdit *JobBench::console()
{
    return WindowDriver::console(&m_window);
}

QStringList JobBench::consoleLines()
{
    return console()->toPlainText().split(QLatin1Char('\n'));
}

QAbstractButton *JobBench::button(const QString &objectName)
{
    return m_window.findChild<QAbstractButton *>(objectName);
}

bool JobBench::click(const QString &objectName)
{
    QAbstractButton *b = button(objectName);
    if (!b)
        return false;
    b->click();
    return true;
}

QByteArray JobBench::receive(qsizetype count)
{
    QByteArray got = m_pty.readExactly(count, 20000);
    // Once the port's own buffer is empty, everything the jobs queued is in the terminal.
    const QDeadlineTimer deadline(5000);
    while (port()->bytesToWrite() > 0 && !deadline.hasExpired())
        got += m_pty.readUntilQuiet(5, 50);
    return got + m_pty.readUntilQuiet(20, 1000);
}

QByteArray JobBench::receiveRest(int quietMs)
{
    return m_pty.readUntilQuiet(quietMs, 5000);
}
