// SPDX-License-Identifier: MIT
#include "windowdriver.h"

#include "window/settingsdialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>

namespace WindowDriver {

SettingsDialog *settingsDialog()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (auto *dialog = qobject_cast<SettingsDialog *>(w))
            return dialog;
    }
    return nullptr;
}

bool selectInDialog(const char *comboName, const QString &text)
{
    SettingsDialog *dialog = settingsDialog();
    auto *box = dialog ? dialog->findChild<QComboBox *>(QString::fromLatin1(comboName)) : nullptr;
    if (!box)
        return false;
    const int idx = box->findText(text);
    if (idx < 0)
        return false;
    box->setCurrentIndex(idx);
    return true;
}

bool connectTo(QMainWindow *window, const QString &devicePath)
{
    SettingsDialog *dialog = settingsDialog();
    if (!dialog)
        return false;
    auto *ports = dialog->findChild<QComboBox *>(QStringLiteral("serialPortInfoListBox"));
    auto *apply = dialog->findChild<QPushButton *>(QStringLiteral("applyButton"));
    if (!ports || !apply)
        return false;
    ports->setCurrentIndex(ports->count() - 1); // "Custom"
    ports->setEditText(devicePath);
    apply->click();
    trigger(window, "actionConnect");
    return portOpen(window);
}

void trigger(QMainWindow *window, const char *actionName)
{
    if (auto *action = window->findChild<QAction *>(QString::fromLatin1(actionName)))
        action->trigger();
}

QPlainTextEdit *console(QMainWindow *window)
{
    return window->findChild<QPlainTextEdit *>(QStringLiteral("editTessivar"));
}

bool portOpen(QMainWindow *window)
{
    const auto *port = window->findChild<QSerialPort *>();
    return port && port->isOpen();
}

} // namespace WindowDriver
