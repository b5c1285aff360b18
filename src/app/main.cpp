#include "app/mainwindow.h"
#include "uilanguage.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

namespace {

// Every size that the build rendered from the icon drawing, so that the window system picks
// the one that fits (title bar, task switcher, dock).
QIcon applicationIcon()
{
    QIcon icon;
    QDirIterator pictures(QStringLiteral(":/icons"), {QStringLiteral("tessivar-*.png")},
                          QDir::Files);
    while (pictures.hasNext())
        icon.addFile(pictures.next());
    return icon;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Names the installed desktop entry, through which Wayland compositors find the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessivar.Tessivar"));
    QApplication::setWindowIcon(applicationIcon());
    installTranslations(app);
    MainWindow window;
    window.show();
    return app.exec();
}
