// SPDX-License-Identifier: MIT
#pragma once

class QString;

// Tells the window system which of Tessivar's programs this is: the name of its installed
// desktop entry (through which Wayland compositors find the icon and group its windows) and the
// application icon for every window it opens. Call it after the QGuiApplication exists and
// before the first window shows.
void setApplicationIdentity(const QString &desktopFileName);
