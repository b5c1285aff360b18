// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What keeps Qt from opening a window, found before the QApplication is made: Qt aborts the
// program when its platform plugin finds no display, with a message that names the plugin but
// not the way out. Empty when the platform that Qt would take (-platform on the command line,
// else QT_QPA_PLATFORM, else the desktop's) has what it needs; otherwise what is missing, for
// example "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)". Platforms that need no
// display server (offscreen, minimal, vnc, eglfs, ...) always have what they need.
QString missingDisplay(int argc, char *argv[]);
