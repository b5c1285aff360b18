#include "window/mainwindow.h"
#include "resources/applicationidentity.h"
#include "uilanguage.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setApplicationIdentity(QStringLiteral("org.tessivar.Tessivar"));
    installTranslations(app);
    MainWindow window;
    window.show();
    return app.exec();
}
