// SPDX-License-Identifier: MIT
#include "controllerprogram.h"

#include "consolecommands.h"

#include "virtual/live/livecontroller.h"
#include "virtual/live/pseudoterminal.h"
#include "virtual/live/rollsaver.h"
#include "virtual/web/receiptserver.h"
#include "virtual/web/receiptshelf.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int headlessHeldRows = 4000; // 50 cm at 8 dots a millimetre

using ControllerProgram::fail;

// SIGINT, SIGTERM and SIGHUP end the event loop, so that the controller ends as it does when its
// window closes: the trace finished, the roll written, the link removed.
int signalPipe[2] = {-1, -1};

void quitOnSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    // Not qApp: without a window the application is a plain QCoreApplication.
    QCoreApplication *app = QCoreApplication::instance();
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
        char signal = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &signal, 1);
        QCoreApplication::quit();
    });
    struct sigaction action
    {
    };
    action.sa_handler = [](int) {
        const char signal = 1;
        [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &signal, 1);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

// [HOST:]PORT[+], HOST an IPv4 address or an IPv6 one in brackets, loopback when left out or
// empty. Port 0 takes any free port; PORT+ the port, or when it is taken the next free one after
// it (the menu entry's 9100+: the port that receipt printers use, where nothing else has it).
struct ListenAddress
{
    QHostAddress host{QHostAddress::LocalHost};
    quint16 port = 0;
    bool orNextFree = false;
};

// The ports tried after a taken one, before the program gives up.
constexpr int nextFreePorts = 100;

std::optional<ListenAddress> parseListenAddress(QString text)
{
    ListenAddress address;
    address.orNextFree = text.endsWith(QLatin1Char('+'));
    if (address.orNextFree)
        text.chop(1);
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        QString host = text.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        if (!host.isEmpty() && !address.host.setAddress(host))
            return std::nullopt;
    }
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    address.port = quint16(port);
    return address;
}

bool listenOn(Virtual::LiveController &controller, const ListenAddress &address)
{
    const int last = address.orNextFree && address.port != 0
                         ? std::min(65535, address.port + nextFreePorts)
                         : address.port;
    for (int port = address.port; port <= last; ++port) {
        if (controller.listen(address.host, quint16(port)))
            return true;
    }
    return false;
}

// The program's options, with their help texts.
struct CommandLineOptions
{
    QCommandLineOption link{
        QStringLiteral("link"),
        QStringLiteral("The link to the line's device (by default ttyTessivar0 in tessivar/ of "
                       "the user's runtime directory, $XDG_RUNTIME_DIR)."),
        QStringLiteral("PATH")};
    QCommandLineOption noPacing{
        QStringLiteral("no-pacing"),
        QStringLiteral("Take bytes as fast as they come, not at the host's line speed.")};
    QCommandLineOption printSpeed{
        QStringLiteral("print-speed"),
        QStringLiteral("Paper speed of the print mechanism in mm a second; 0 prints at once."),
        QStringLiteral("MM"), QString::number(Virtual::LiveController::defaultPrintSpeed)};
    QCommandLineOption headless{QStringLiteral("headless"),
                                QStringLiteral("Run without a window.")};
    QCommandLineOption pngDir{
        QStringLiteral("png-dir"),
        QStringLiteral("Without a window: write each receipt as it ends (cut-001.png and "
                       "cut-001.json, what was printed on it, ...) and, at the end, the whole "
                       "roll (roll.png) into this directory."),
        QStringLiteral("DIR")};
    QCommandLineOption keep{
        QStringLiteral("keep"),
        QStringLiteral("Keep the newest N receipts in --png-dir and on the --http page; older "
                       "ones go, the oldest first."),
        QStringLiteral("N"), QString::number(Virtual::RollSaver::defaultKeep)};
    QCommandLineOption http{
        QStringLiteral("http"),
        QStringLiteral("Show this run's receipts on a web page at this address, for people on "
                       "other machines (read-only: pictures, text, symbols, PNG, JSON and PDF "
                       "downloads). ADDRESS is 127.0.0.1 unless given (0.0.0.0 for every "
                       "address); port 0 takes any free port."),
        QStringLiteral("[ADDRESS:]PORT")};
    QCommandLineOption trace{QStringLiteral("trace"),
                             QStringLiteral("Write the trace to this file (- for the output)."),
                             QStringLiteral("FILE")};
    QCommandLineOption capture{
        QStringLiteral("capture"),
        QStringLiteral("Write every byte received to this file, for tessivar-render."),
        QStringLiteral("FILE")};
    QCommandLineOption listen{
        QStringLiteral("listen"),
        QStringLiteral("Also take jobs over TCP on this port, one connection a job. HOST is "
                       "127.0.0.1 unless given (0.0.0.0 for every address); PORT+ takes the "
                       "next free port after PORT when PORT is taken, 0 any free port."),
        QStringLiteral("[HOST:]PORT[+]")};
    QCommandLineOption paper{QStringLiteral("paper"),
                             QStringLiteral("The paper at the start: ok, near-end or out."),
                             QStringLiteral("ok|near-end|out"), QStringLiteral("ok")};
    QCommandLineOption cover{QStringLiteral("cover"),
                             QStringLiteral("The cover at the start: open or closed."),
                             QStringLiteral("open|closed"), QStringLiteral("closed")};
    QCommandLineOption rollLength{
        QStringLiteral("roll-length"),
        QStringLiteral("The paper roll's length in mm: near its end %1 mm before, out at the "
                       "end; 0 is endless.")
            .arg(Virtual::LiveController::nearEndMm),
        QStringLiteral("MM"), QStringLiteral("0")};
    QCommandLineOption drawerClose{
        QStringLiteral("drawer-close"),
        QStringLiteral("A drawer the controller kicked open closes after MS milliseconds; 0 "
                       "leaves it open until it is closed by hand."),
        QStringLiteral("MS"), QString::number(Virtual::LiveController::defaultDrawerCloseMs)};
    QCommandLineOption idleTimeout{
        QStringLiteral("idle-timeout"),
        QStringLiteral("Close a TCP connection that sends nothing for this many seconds once "
                       "what it sent has printed, so that the next one is served; 0 never."),
        QStringLiteral("SECONDS"),
        QString::number(Virtual::NetworkEndpoint::defaultIdleTimeoutMs / 1000)};
    QCommandLineOption jobTimeout{
        QStringLiteral("job-timeout"),
        QStringLiteral("One host's job prints at a time, the other host waits: a job ends when "
                       "its TCP connection closes or its host has sent nothing for this many "
                       "seconds."),
        QStringLiteral("SECONDS"),
        QString::number(Virtual::ReceiveBuffer::defaultJobTimeoutMs / 1000)};
};

void setUpParser(QCommandLineParser &parser, const CommandLineOptions &o)
{
    parser.setApplicationDescription(
        QStringLiteral("A ZP40x receipt-printer controller on a pseudo-terminal: open the link "
                       "as a serial port (or, with --listen, connect over TCP) and what you "
                       "send prints on its paper roll."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({o.link, o.listen, o.idleTimeout, o.jobTimeout, o.noPacing, o.printSpeed,
                       o.headless, o.pngDir, o.http, o.keep, o.trace, o.capture, o.paper, o.cover,
                       o.rollLength, o.drawerClose});
}

// What the command line asks for.
struct Settings
{
    Virtual::LiveController::Options controller;
    std::optional<ListenAddress> listen;
    std::optional<ListenAddress> http;
    int idleTimeoutMs = Virtual::NetworkEndpoint::defaultIdleTimeoutMs;
    int jobTimeoutMs = Virtual::ReceiveBuffer::defaultJobTimeoutMs;
    std::optional<QString> tracePath;
    std::optional<QString> capturePath;
    QString pngDir;
    Virtual::PrinterState::Paper paper = Virtual::PrinterState::Paper::Ok;
    bool coverOpen = false;
    int keep = Virtual::RollSaver::defaultKeep;
};

std::optional<QString> valueIfSet(const QCommandLineParser &parser,
                                  const QCommandLineOption &option)
{
    return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
}

// A whole number, 0 or more; nothing for anything else.
std::optional<int> nonNegative(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 ? std::optional(value) : std::nullopt;
}

// The paper, the cover, the roll and the drawer; 0 when they are good, else the exit status.
int readPrinterOptions(const QCommandLineParser &parser, const CommandLineOptions &o,
                       Settings &settings)
{
    const auto paper = Virtual::PrinterState::paperFromName(parser.value(o.paper));
    if (!paper)
        return fail(
            QStringLiteral("--paper is ok, near-end or out, not %1").arg(parser.value(o.paper)));
    settings.paper = *paper;
    const QString cover = parser.value(o.cover);
    if (cover != QLatin1String("open") && cover != QLatin1String("closed"))
        return fail(QStringLiteral("--cover is open or closed, not %1").arg(cover));
    settings.coverOpen = cover == QLatin1String("open");
    const auto rollLength = nonNegative(parser.value(o.rollLength));
    if (!rollLength)
        return fail(QStringLiteral("--roll-length is a number of mm, 0 (endless) or more, not %1")
                        .arg(parser.value(o.rollLength)));
    settings.controller.rollLengthMm = *rollLength;
    const auto drawerClose = nonNegative(parser.value(o.drawerClose));
    if (!drawerClose)
        return fail(QStringLiteral("--drawer-close is a number of milliseconds, 0 (by hand) or "
                                   "more, not %1")
                        .arg(parser.value(o.drawerClose)));
    settings.controller.drawerCloseMs = *drawerClose;
    return 0;
}

// Where it takes jobs over TCP and where it serves the receipts page; 0 when they are good, else
// the exit status.
int readAddresses(const QCommandLineParser &parser, const CommandLineOptions &o, Settings &settings)
{
    if (parser.isSet(o.listen)) {
        settings.listen = parseListenAddress(parser.value(o.listen));
        if (!settings.listen)
            return fail(QStringLiteral("--listen takes [HOST:]PORT[+], for example 9100, "
                                       "9100+ or 0.0.0.0:9100, not %1")
                            .arg(parser.value(o.listen)));
    }
    if (parser.isSet(o.http)) {
        settings.http = parseListenAddress(parser.value(o.http));
        if (!settings.http || settings.http->orNextFree)
            return fail(QStringLiteral("--http takes [ADDRESS:]PORT, for example 8080, :8080 "
                                       "or 0.0.0.0:8080, not %1")
                            .arg(parser.value(o.http)));
    }
    return 0;
}

// A number of seconds, 0 to a day, as milliseconds.
bool readSeconds(const QCommandLineParser &parser, const QCommandLineOption &option, int &ms)
{
    bool ok = false;
    const double seconds = parser.value(option).toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 86400)
        return false;
    ms = int(seconds * 1000);
    return true;
}

// Reads the command line into settings; 0 when they are good, else the exit status.
int readCommandLine(const QCoreApplication &app, bool headless, Settings &settings)
{
    const CommandLineOptions o;
    QCommandLineParser parser;
    setUpParser(parser, o);
    parser.process(app);

    Virtual::LiveController::Options &options = settings.controller;
    // Without a window nobody looks back along the roll: it holds half a metre and the receipt
    // under way, and so stays small however long it prints.
    if (headless)
        options.heldRows = headlessHeldRows;
    if (parser.isSet(o.link)) {
        options.linkPath = parser.value(o.link);
    } else {
        QString error;
        options.linkPath = Virtual::PseudoTerminal::defaultLink(error);
        if (options.linkPath.isEmpty())
            return fail(error);
    }
    options.pacing = !parser.isSet(o.noPacing);
    bool speedOk = false;
    options.printSpeed = parser.value(o.printSpeed).toInt(&speedOk);
    if (!speedOk || options.printSpeed < 0)
        return fail(QStringLiteral("the print speed is a number of mm a second, 0 or more"));
    if (parser.isSet(o.pngDir) && !headless)
        return fail(QStringLiteral("--png-dir goes with --headless"));
    if (const int status = readAddresses(parser, o, settings); status != 0)
        return status;
    if (!readSeconds(parser, o.idleTimeout, settings.idleTimeoutMs))
        return fail(QStringLiteral("the idle timeout is a number of seconds, 0 to 86400"));
    if (!readSeconds(parser, o.jobTimeout, settings.jobTimeoutMs))
        return fail(QStringLiteral("the job timeout is a number of seconds, 0 to 86400"));
    settings.tracePath = valueIfSet(parser, o.trace);
    settings.capturePath = valueIfSet(parser, o.capture);
    settings.pngDir = parser.value(o.pngDir);
    bool keepOk = false;
    settings.keep = parser.value(o.keep).toInt(&keepOk);
    if (!keepOk || settings.keep < 1)
        return fail(QStringLiteral("--keep takes a number of receipts, 1 or more"));
    return readPrinterOptions(parser, o, settings);
}

// Opens the files and makes the directory the settings name; 0 when done, else the exit status.
int openOutputs(Settings &settings, QFile &trace, QFile &capture)
{
    if (settings.tracePath) {
        const QString &path = *settings.tracePath;
        const bool opened = path == QLatin1String("-")
                                ? trace.open(stdout, QIODevice::WriteOnly)
                                : (trace.setFileName(path), trace.open(QIODevice::WriteOnly));
        if (!opened)
            return fail(QStringLiteral("cannot write %1: %2").arg(path, trace.errorString()));
    }
    if (settings.capturePath) {
        capture.setFileName(*settings.capturePath);
        if (!capture.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write %1: %2")
                            .arg(capture.fileName(), capture.errorString()));
        settings.controller.capture = &capture;
    }
    if (!settings.pngDir.isEmpty() && !QDir().mkpath(settings.pngDir))
        return fail(QStringLiteral("cannot make the directory %1").arg(settings.pngDir));
    return 0;
}

// The receipts page (--http): the receipts it shows and its server.
struct ReceiptsPage
{
    std::unique_ptr<Virtual::ReceiptShelf> shelf;
    std::unique_ptr<Virtual::ReceiptServer> server;
};

// False, with the reason on the standard error, when the page's address cannot be had.
bool serveReceipts(const Virtual::LiveController &controller, const Settings &settings,
                   ReceiptsPage &page)
{
    page.shelf = std::make_unique<Virtual::ReceiptShelf>(settings.keep);
    page.server = std::make_unique<Virtual::ReceiptServer>(page.shelf.get());
    if (!page.server->listen(settings.http->host, settings.http->port)) {
        fail(page.server->errorString());
        return false;
    }
    page.shelf->follow(&controller);
    return true;
}

int runController(QCoreApplication &app, const Settings &settings, QFile &trace,
                  ControllerProgram::WindowRunner window)
{
    Virtual::LiveController controller(settings.controller);
    if (!controller.isOpen())
        return fail(controller.errorString());
    // The controller removes its link again as it goes.
    if (settings.listen && !listenOn(controller, *settings.listen))
        return fail(controller.errorString());
    controller.setIdleTimeout(settings.idleTimeoutMs);
    controller.setJobTimeout(settings.jobTimeoutMs);
    if (trace.isOpen()) {
        QObject::connect(&controller, &Virtual::LiveController::traced, &trace,
                         [&trace](const QString &lines) {
                             trace.write(lines.toUtf8());
                             trace.flush();
                         });
    }
    // After the trace is connected, so that it begins with what the options changed.
    controller.printer().setPaper(settings.paper);
    controller.printer().setCoverOpen(settings.coverOpen);
    const Virtual::ConsoleInput console(controller.printer());
    std::unique_ptr<Virtual::RollSaver> saver;
    if (!settings.pngDir.isEmpty())
        saver = std::make_unique<Virtual::RollSaver>(&controller, settings.pngDir, settings.keep);
    ReceiptsPage receipts;
    if (settings.http && !serveReceipts(controller, settings, receipts))
        return 1;
    quitOnSignals();

    std::printf("Virtual controller ready on %s\n", qPrintable(controller.devicePath()));
    if (settings.listen)
        std::printf("Listening for jobs over TCP on %s\n", qPrintable(controller.listenAddress()));
    if (receipts.server)
        std::printf("Receipts page on %s\n", qPrintable(receipts.server->url()));
    std::fflush(stdout);

    const int status = window ? window(app, controller) : app.exec();
    controller.finish();
    if (saver && !saver->saveRoll())
        return fail(saver->errorString());
    return status;
}

} // namespace

namespace ControllerProgram {

int fail(const QString &message)
{
    std::fprintf(stderr, "tessivar-virtual-controller: %s\n", qPrintable(message));
    return 1;
}

// Without a window (and so without a display): --headless, and the answers to --help and
// --version.
bool wantsHeadless(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"--headless", "--help", "-h", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

void setIdentity()
{
    QCoreApplication::setOrganizationName(
        QString::fromLatin1(Virtual::LiveController::organizationName));
    QCoreApplication::setApplicationName(
        QString::fromLatin1(Virtual::LiveController::applicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSIVAR_VERSION));
}

int run(QCoreApplication &app, WindowRunner window)
{
    Settings settings;
    if (const int status = readCommandLine(app, !window, settings); status != 0)
        return status;
    QFile trace;
    QFile capture;
    if (const int status = openOutputs(settings, trace, capture); status != 0)
        return status;
    return runController(app, settings, trace, window);
}

} // namespace ControllerProgram
