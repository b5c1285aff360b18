// SPDX-License-Identifier: MIT
#include "resources/applicationidentity.h"

#include <QDirIterator>
#include <QGuiApplication>
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

void setApplicationIdentity(const QString &desktopFileName)
{
    QGuiApplication::setDesktopFileName(desktopFileName);
    QGuiApplication::setWindowIcon(applicationIcon());
}
