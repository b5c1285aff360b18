// SPDX-License-Identifier: MIT
#pragma once

class QCoreApplication;

// Installs the catalogues for the system locale's user-interface languages: Qt's own (standard
// buttons, file dialog, text edit menu) where the system has them, and Tessivar's embedded one.
// Returns whether Tessivar's catalogue was found; without it the texts stay English.
bool installTranslations(QCoreApplication &app);
