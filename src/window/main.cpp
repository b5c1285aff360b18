// SPDX-License-Identifier: MIT
#include "resources/applicationidentity.h"
#include "resources/displaycheck.h"
#include "uilanguage.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace {

// --help and --version answer without a window, and so without a display.
bool onlyAnswers(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"--help", "-h", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSIVAR_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Evaluates a ZP40x receipt-printer controller over a serial line."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Choose the serial port at PATH in the settings, so that Connect opens it."),
        QStringLiteral("PATH"));
    parser.addOption(portOption);
    if (onlyAnswers(argc, argv)) {
        const QCoreApplication answers(argc, argv);
        parser.process(answers); // prints the answer and ends the program
    }
    // Qt would abort without a display; say what is missing and how to do without.
    if (const QString missing = missingDisplay(argc, argv); !missing.isEmpty()) {
        std::fprintf(stderr,
                     "tessivar: cannot open its window: %s; start it in a desktop session, or "
                     "under a virtual display (xvfb-run -a tessivar)\n",
                     qPrintable(missing));
        return 1;
    }

    QApplication app(argc, argv);
    parser.process(app);

    setApplicationIdentity(QStringLiteral("org.tessivar.Tessivar"));
    installTranslations(app);
    MainWindow window;
    if (parser.isSet(portOption))
        window.choosePort(parser.value(portOption));
    window.show();
    return app.exec();
}
