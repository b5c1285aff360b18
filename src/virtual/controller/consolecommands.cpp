// SPDX-License-Identifier: MIT
#include "consolecommands.h"

#include "virtual/live/printerstate.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

namespace Virtual {

namespace {

// "open" and "closed" for the cover and the drawer; nothing for another word.
std::optional<bool> openFromName(const QString &name)
{
    if (name == QLatin1String("open"))
        return true;
    if (name == QLatin1String("closed"))
        return false;
    return std::nullopt;
}

} // namespace

ConsoleCommands::Reply ConsoleCommands::execute(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    const QString &command = words.first();
    if (words.size() == 1 && command == QLatin1String("status"))
        return {m_printer.describe(), {}};
    if (words.size() == 1 && command == QLatin1String("help"))
        return {help(), {}};
    if (words.size() == 2 && command == QLatin1String("paper")) {
        const auto paper = PrinterState::paperFromName(words[1]);
        if (!paper)
            return {{},
                    QStringLiteral("the paper is ok, near-end or out, not \"%1\"").arg(words[1])};
        m_printer.setPaper(*paper);
        return {};
    }
    if (words.size() == 2 &&
        (command == QLatin1String("cover") || command == QLatin1String("drawer"))) {
        const auto open = openFromName(words[1]);
        if (!open)
            return {{},
                    QStringLiteral("the %1 is open or closed, not \"%2\"").arg(command, words[1])};
        if (command == QLatin1String("cover"))
            m_printer.setCoverOpen(*open);
        else
            m_printer.setDrawerOpen(*open);
        return {};
    }
    return {{}, QStringLiteral("\"%1\" is no command; \"help\" lists them").arg(line.simplified())};
}

QString ConsoleCommands::help()
{
    return QStringLiteral("paper ok|near-end|out   the paper roll; out takes the printer offline\n"
                          "cover open|closed       an open cover takes the printer offline\n"
                          "drawer open|closed      the cash drawer\n"
                          "status                  the paper, the cover, the drawer, online\n"
                          "help                    this list");
}

ConsoleInput::ConsoleInput(PrinterState &printer, QObject *parent)
    : QObject(parent),
      m_commands(printer)
{
    if (::fcntl(STDIN_FILENO, F_GETFD) == -1)
        return; // no standard input at all
    // A job in the background that reads its terminal would be stopped; ignored, SIGTTIN lets
    // the read fail instead, and the controller stops reading.
    std::signal(SIGTTIN, SIG_IGN);
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ConsoleInput::readAvailable);
}

void ConsoleInput::readAvailable()
{
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // The last line may come without its line feed.
        if (!m_pending.isEmpty())
            runLine(std::exchange(m_pending, {}));
        m_notifier->setEnabled(false);
        return;
    }
    m_pending.append(chunk, n);
    for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        runLine(line);
    }
}

void ConsoleInput::runLine(const QByteArray &line)
{
    const ConsoleCommands::Reply reply = m_commands.execute(QString::fromUtf8(line));
    if (!reply.output.isEmpty()) {
        std::printf("%s\n", qPrintable(reply.output));
        std::fflush(stdout);
    }
    if (!reply.error.isEmpty())
        std::fprintf(stderr, "tessivar-virtual-controller: %s\n", qPrintable(reply.error));
}

} // namespace Virtual
