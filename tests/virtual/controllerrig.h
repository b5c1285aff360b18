// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/livecontroller.h"

#include <QBuffer>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A live virtual controller for a test, on a pseudo-terminal of its own. Its link and its
// settings (the print head type it keeps) are in a temporary directory, never in the user's.
// The rig keeps the controller's trace and every byte its print engine took.
class ControllerRig
{
public:
    explicit ControllerRig(bool pacing = true,
                           int printSpeed = Virtual::LiveController::defaultPrintSpeed);
    ControllerRig(const ControllerRig &) = delete;
    ControllerRig &operator=(const ControllerRig &) = delete;

    bool isValid() const { return m_controller && m_controller->isOpen(); }
    Virtual::LiveController &controller() { return *m_controller; }
    QString device() const { return m_dir.filePath(QStringLiteral("ttyTest")); }

    QByteArray printed() const { return m_capture.data(); }
    QString trace() const { return m_trace; }

    // Waits until the print engine has taken `bytes` bytes in all and nothing more waits.
    bool waitForPrinted(qsizetype bytes, int timeoutMs = 30000);

    // The controller's program ends (the line hangs up).
    void stop() { m_controller.reset(); }

private:
    QTemporaryDir m_dir;
    QBuffer m_capture;
    QString m_trace;
    std::unique_ptr<Virtual::LiveController> m_controller;
};
