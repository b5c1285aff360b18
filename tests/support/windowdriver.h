// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QMainWindow;
class QPlainTextEdit;
class SettingsDialog;

// Drives the main window the way a user does, for tests that need a connected window.
namespace WindowDriver {

// The window's settings dialog (a top-level window of its own).
SettingsDialog *settingsDialog();

// Chooses "Custom" in the settings dialog, types `devicePath`, presses "Apply", then triggers
// Connect. Returns whether the window's port is open afterwards.
bool connectTo(QMainWindow *window, const QString &devicePath);

// Picks the item with `text` in the named combo box of the settings dialog (without "Apply").
bool selectInDialog(const char *comboName, const QString &text);

// Triggers the named action (actionConnect, actionDisconnect, ...).
void trigger(QMainWindow *window, const char *actionName);

QPlainTextEdit *console(QMainWindow *window);

// Whether the window's serial port is open.
bool portOpen(QMainWindow *window);

} // namespace WindowDriver
