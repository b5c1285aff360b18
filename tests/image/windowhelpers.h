#pragma once

#include "modalanswerer.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QMainWindow;

// Reaching into the main window the way a user sees it, for the image tests.
namespace WindowHelpers {

QAbstractButton *button(QMainWindow *window, const char *name);

// The picture in the view of the "Bitmaps" page, as shown.
QImage shownImage(QMainWindow *window);

// Calls the window's loadFile slot directly, without the dialog.
bool loadFile(QMainWindow *window, const QString &path);

// What one showing of the file dialog offered.
struct DialogVisit
{
    QString directory;
    QString selectedMimeTypeFilter;
    QStringList mimeTypeFilters;
};

struct LoadRun
{
    QList<DialogVisit> visits;
    QList<ModalAnswerer::Seen> boxes;
};

// Presses "Load Image" and plays the user of the file dialog: the n-th time the dialog comes
// up it picks picks[n], and cancels once the picks are used up. Message boxes are answered.
LoadRun pressLoad(QMainWindow *window, const QStringList &picks);

} // namespace WindowHelpers
