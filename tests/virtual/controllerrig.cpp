// SPDX-License-Identifier: MIT
#include "controllerrig.h"

#include <QTest>

ControllerRig::ControllerRig(bool pacing, int printSpeed)
{
    m_capture.open(QIODevice::WriteOnly);
    Virtual::LiveController::Options options;
    options.linkPath = device();
    options.pacing = pacing;
    options.printSpeed = printSpeed;
    options.settingsFile = m_dir.filePath(QStringLiteral("controller.ini"));
    options.capture = &m_capture;
    m_controller = std::make_unique<Virtual::LiveController>(options);
    QObject::connect(m_controller.get(), &Virtual::LiveController::traced,
                     [this](const QString &lines) { m_trace += lines; });
}

bool ControllerRig::waitForPrinted(qsizetype bytes, int timeoutMs)
{
    return QTest::qWaitFor(
        [this, bytes] {
            return m_controller->stats().printed >= quint64(bytes) &&
                   m_controller->bufferFill() == 0;
        },
        timeoutMs);
}
