#include "windowhelpers.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>

namespace WindowHelpers {

namespace {

QList<ModalAnswerer::Seen> messageBoxes(const ModalAnswerer &answerer)
{
    QList<ModalAnswerer::Seen> boxes;
    for (const ModalAnswerer::Seen &seen : answerer.seen()) {
        if (seen.className == QLatin1String("QMessageBox"))
            boxes.append(seen);
    }
    return boxes;
}

} // namespace

QAbstractButton *button(QMainWindow *window, const char *name)
{
    return window->findChild<QAbstractButton *>(QString::fromLatin1(name));
}

QImage shownImage(QMainWindow *window)
{
    const auto *area = window->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    const auto *label = area ? qobject_cast<const QLabel *>(area->widget()) : nullptr;
    return label ? label->pixmap().toImage() : QImage();
}

bool loadFile(QMainWindow *window, const QString &path)
{
    ModalAnswerer answerer; // should the file not load after all
    bool loaded = false;
    QMetaObject::invokeMethod(window, "loadFile", Qt::DirectConnection, Q_RETURN_ARG(bool, loaded),
                              Q_ARG(QString, path));
    return loaded;
}

LoadRun pressLoad(QMainWindow *window, const QStringList &picks)
{
    LoadRun run;
    // A fresh answerer for every press: it passes over the widget it closed last, and a new
    // dialog may well sit at the address of the one before.
    ModalAnswerer answerer;
    answerer.setHandler([&run, &picks](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return false;
        run.visits.append({QDir(dialog->directory()).absolutePath(),
                           dialog->selectedMimeTypeFilter(), dialog->mimeTypeFilters()});
        if (run.visits.size() <= picks.size()) {
            // selectFile() leaves the file name alone while the user is typing in it.
            if (QWidget *focus = dialog->focusWidget())
                focus->clearFocus();
            dialog->selectFile(picks.at(run.visits.size() - 1));
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
        } else {
            dialog->reject();
        }
        return true;
    });
    if (QAbstractButton *load = button(window, "pushButton_Load"))
        load->click();
    run.boxes = messageBoxes(answerer);
    return run;
}

} // namespace WindowHelpers
