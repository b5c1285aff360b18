// SPDX-License-Identifier: MIT
// tessivar-render: prints a captured controller stream on virtual paper.
//
//   tessivar-render [--head TYPE] [--png roll.png] [--trace trace.txt] stream.bin
//
// Without --png and --trace the trace goes to standard output. A stream of "-" is read from
// standard input.

#include "virtual/bitmapfont.h"
#include "virtual/virtualcontroller.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "tessivar-render: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessivar-render"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSIVAR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints a ZP40x controller byte stream on virtual paper: a PNG of the roll "
                       "(one pixel per dot) and a trace of every command."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headOption(
        QStringLiteral("head"),
        QStringLiteral("Print head type 0-7 (1 and 5 are 576 dots wide, the others 384)."),
        QStringLiteral("TYPE"), QStringLiteral("0"));
    const QCommandLineOption pngOption(QStringLiteral("png"),
                                       QStringLiteral("Write the paper roll to this PNG file."),
                                       QStringLiteral("roll.png"));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
                                         QStringLiteral("Write the command trace to this file."),
                                         QStringLiteral("trace.txt"));
    parser.addOption(headOption);
    parser.addOption(pngOption);
    parser.addOption(traceOption);
    parser.addPositionalArgument(QStringLiteral("stream.bin"),
                                 QStringLiteral("The captured byte stream, - for standard input."));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    bool headOk = false;
    const int head = parser.value(headOption).toInt(&headOk);
    if (!headOk || head < 0 || head > 7)
        return fail(QStringLiteral("the head type goes from 0 to 7"));

    QFile input;
    const bool fromStdin = arguments.front() == QLatin1String("-");
    const bool opened =
        fromStdin ? input.open(stdin, QIODevice::ReadOnly)
                  : (input.setFileName(arguments.front()), input.open(QIODevice::ReadOnly));
    if (!opened)
        return fail(
            QStringLiteral("cannot read %1: %2").arg(arguments.front(), input.errorString()));

    const bool wantPng = parser.isSet(pngOption);
    QFile traceFile;
    if (parser.isSet(traceOption)) {
        traceFile.setFileName(parser.value(traceOption));
        if (!traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(QStringLiteral("cannot write %1: %2")
                            .arg(traceFile.fileName(), traceFile.errorString()));
    } else if (!wantPng) {
        if (!traceFile.open(stdout, QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write the trace to standard output"));
    }

    const Virtual::FontSet &fonts = Virtual::FontSet::system();
    if (!fonts.isComplete())
        std::fprintf(stderr,
                     "tessivar-render: warning: fonts missing (%s); install %s or set "
                     "TESSIVAR_FONT_DIR\n",
                     qPrintable(fonts.missing()), qPrintable(fonts.missingPackages().join(' ')));

    Virtual::VirtualController controller(
        {head, Virtual::Paper::defaultMaxLength, traceFile.isOpen() ? &traceFile : nullptr});
    // The stream is read in pieces, so a long capture never has to fit in memory.
    while (true) {
        const QByteArray piece = input.read(64 * 1024);
        if (piece.isEmpty())
            break;
        controller.feed(piece);
    }
    controller.finish();
    traceFile.close();

    if (controller.renderer().paper().ranOut())
        std::fprintf(stderr, "tessivar-render: the stream is longer than the roll (%d rows)\n",
                     Virtual::Paper::defaultMaxLength);

    if (wantPng) {
        QImageWriter writer(parser.value(pngOption), "png");
        if (!writer.write(controller.paper()))
            return fail(
                QStringLiteral("cannot write %1: %2").arg(writer.fileName(), writer.errorString()));
    }
    return 0;
}
