// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace Virtual {

class PrinterState;

// The lines a user (or a script) types on the controller's standard input while it runs:
// `paper ok|near-end|out`, `cover open|closed`, `drawer open|closed`, `status` and `help`. A
// line that makes no sense changes nothing and gets a one-line error.
class ConsoleCommands
{
public:
    // What a line gives back: lines for the standard output, or an error for standard error.
    struct Reply
    {
        QString output;
        QString error;
    };

    explicit ConsoleCommands(PrinterState &printer) : m_printer(printer) {}

    Reply execute(const QString &line);
    static QString help();

private:
    PrinterState &m_printer;
};

// Reads standard input line by line as the event loop runs and hands each line to
// ConsoleCommands. At the end of the input (or an input that cannot be read, such as the
// terminal of a job in the background) it stops reading; the controller goes on.
class ConsoleInput : public QObject
{
    Q_OBJECT
public:
    explicit ConsoleInput(PrinterState &printer, QObject *parent = nullptr);

private:
    void readAvailable();
    void runLine(const QByteArray &line);

    ConsoleCommands m_commands;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_pending; // the start of a line whose end has not come yet
};

} // namespace Virtual
