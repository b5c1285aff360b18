// SPDX-License-Identifier: MIT
#pragma once

#include "window/mainwindow.h"

#include "modalanswerer.h"
#include "ptypair.h"

#include <QByteArray>
#include <QStringList>

class QAbstractButton;
class QPlainTextEdit;
class QSerialPort;

// A main window connected through its settings dialog to a pseudo-terminal, with the test in the
// controller's place on the master side. Message boxes are answered and recorded.
class JobBench
{
public:
    JobBench();

    // Whether the pseudo-terminal opened and the window's port is connected to it.
    bool ready() const { return m_ready; }

    MainWindow &window() { return m_window; }
    PtyPair &controller() { return m_pty; }
    ModalAnswerer &boxes() { return m_answerer; }
    QSerialPort *port();
    QPlainTextEdit *console();
    QStringList consoleLines();

    // The button (or check box) with that object name, or null.
    QAbstractButton *button(const QString &objectName);
    // Clicks it: it goes down and comes up again, as a quick mouse click does.
    bool click(const QString &objectName);

    // Reads `count` bytes from the controller's side, then whatever else the port still had
    // queued, so that a stream that is too long shows as such.
    QByteArray receive(qsizetype count);
    // Runs the event loop briefly and returns anything that arrives meanwhile.
    QByteArray receiveRest(int quietMs = 100);

private:
    PtyPair m_pty;
    ModalAnswerer m_answerer;
    MainWindow m_window;
    bool m_ready = false;
};
