#include "app/mainwindow.h"
#include "resources/applicationidentity.h"
#include "uilanguage.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Choose the serial port at PATH in the settings, so that Connect opens it."),
        QStringLiteral("PATH"));
    parser.addOption(portOption);
    parser.process(app);

    setApplicationIdentity(QStringLiteral("org.tessivar.Tessivar"));
    installTranslations(app);
    MainWindow window;
    if (parser.isSet(portOption))
        window.choosePort(parser.value(portOption));
    window.show();
    return app.exec();
}
