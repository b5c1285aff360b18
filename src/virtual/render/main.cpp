// SPDX-License-Identifier: MIT
// tessivar-render: prints a captured controller stream on virtual paper.
//
//   tessivar-render [--head TYPE] [--png roll.png] [--trace trace.txt] [--json receipts.json]
//                   [--pdf roll.pdf] stream.bin
//
// Without --png, --trace, --json and --pdf the trace goes to standard output. A stream of "-" is
// read from standard input.

#include "virtual/bitmapfont.h"
#include "virtual/paperpng.h"
#include "virtual/receiptpdf.h"
#include "virtual/virtualcontroller.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "tessivar-render: %s\n", qPrintable(message));
    return 1;
}

// What the command line asks for: the stream to print and what to make of it.
struct Job
{
    QString stream;
    int head = 0;
    bool wantPng = false;
    QString pngPath;
    bool wantTrace = false;
    QString tracePath;
    QString jsonPath;
    QString pdfPath;
    bool wantsFiles() const { return wantPng || !jsonPath.isEmpty() || !pdfPath.isEmpty(); }
};

// Reads the command line into job; 0 when it holds a job, else the program's exit status.
int readCommandLine(const QCoreApplication &app, Job &job)
{
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
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        QStringLiteral("Write what was printed, receipt by receipt, as JSON to this file "
                       "(docs/receipt.schema.json describes it)."),
        QStringLiteral("receipts.json"));
    const QCommandLineOption pdfOption(
        QStringLiteral("pdf"),
        QStringLiteral("Write the paper roll to this PDF file, at the head's width in mm."),
        QStringLiteral("roll.pdf"));
    parser.addOption(headOption);
    parser.addOption(pngOption);
    parser.addOption(traceOption);
    parser.addOption(jsonOption);
    parser.addOption(pdfOption);
    parser.addPositionalArgument(QStringLiteral("stream.bin"),
                                 QStringLiteral("The captured byte stream, - for standard input."));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    job.stream = arguments.front();
    bool headOk = false;
    job.head = parser.value(headOption).toInt(&headOk);
    if (!headOk || job.head < 0 || job.head > 7)
        return fail(QStringLiteral("the head type goes from 0 to 7"));
    job.wantPng = parser.isSet(pngOption);
    job.pngPath = parser.value(pngOption);
    job.wantTrace = parser.isSet(traceOption);
    job.tracePath = parser.value(traceOption);
    job.jsonPath = parser.value(jsonOption);
    job.pdfPath = parser.value(pdfOption);
    return 0;
}

// Opens the trace's file, or standard output when neither --png nor --trace is given; a
// trace left closed is not written. 0 when done, else the exit status.
int openTrace(const Job &job, QFile &traceFile)
{
    if (job.wantTrace) {
        traceFile.setFileName(job.tracePath);
        if (!traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(QStringLiteral("cannot write %1: %2")
                            .arg(traceFile.fileName(), traceFile.errorString()));
    } else if (!job.wantsFiles()) {
        if (!traceFile.open(stdout, QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write the trace to standard output"));
    }
    return 0;
}

void warnOfMissingFonts()
{
    const Virtual::FontSet &fonts = Virtual::FontSet::system();
    if (!fonts.isComplete())
        std::fprintf(stderr,
                     "tessivar-render: warning: fonts missing (%s); install %s or set "
                     "TESSIVAR_FONT_DIR\n",
                     qPrintable(fonts.missing()), qPrintable(fonts.missingPackages().join(' ')));
}

// The stream is read in pieces, so a long capture never has to fit in memory.
void feedAll(QIODevice &input, Virtual::VirtualController &controller)
{
    while (true) {
        const QByteArray piece = input.read(64 * 1024);
        if (piece.isEmpty())
            break;
        controller.feed(piece);
    }
}

int writeFiles(const Job &job, Virtual::VirtualController &controller)
{
    if (job.wantPng) {
        QString error;
        if (!Virtual::PaperPng::write(controller.paper(), job.pngPath, &error))
            return fail(QStringLiteral("cannot write %1: %2").arg(job.pngPath, error));
    }
    if (!job.jsonPath.isEmpty()) {
        QSaveFile file(job.jsonPath);
        const QJsonObject roll = Virtual::ReceiptRecord::rollJson(controller.takeReceipts());
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(roll).toJson()) < 0 ||
            !file.commit())
            return fail(
                QStringLiteral("cannot write %1: %2").arg(job.jsonPath, file.errorString()));
    }
    if (!job.pdfPath.isEmpty()) {
        QString error;
        if (!Virtual::writePdf(job.pdfPath, {controller.paper()}, &error))
            return fail(error);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessivar-render"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSIVAR_VERSION));

    Job job;
    if (const int status = readCommandLine(app, job); status != 0)
        return status;

    QFile input;
    const bool fromStdin = job.stream == QLatin1String("-");
    const bool opened = fromStdin
                            ? input.open(stdin, QIODevice::ReadOnly)
                            : (input.setFileName(job.stream), input.open(QIODevice::ReadOnly));
    if (!opened)
        return fail(QStringLiteral("cannot read %1: %2").arg(job.stream, input.errorString()));
    QFile traceFile;
    if (const int status = openTrace(job, traceFile); status != 0)
        return status;
    warnOfMissingFonts();

    Virtual::VirtualController controller(
        {job.head, Virtual::Paper::defaultMaxLength, traceFile.isOpen() ? &traceFile : nullptr});
    controller.setSource(QStringLiteral("file"), fromStdin ? QStringLiteral("-") : job.stream);
    feedAll(input, controller);
    controller.finish();
    traceFile.close();

    if (controller.renderer().paper().ranOut())
        std::fprintf(stderr, "tessivar-render: the stream is longer than the roll (%d rows)\n",
                     Virtual::Paper::defaultMaxLength);

    return writeFiles(job, controller);
}
