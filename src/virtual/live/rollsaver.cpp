// SPDX-License-Identifier: MIT
#include "virtual/live/rollsaver.h"

#include "virtual/live/livecontroller.h"
#include "virtual/paper.h"

#include <QDir>
#include <QImageWriter>

namespace Virtual {

RollSaver::RollSaver(const LiveController *controller, const QString &directory, QObject *parent)
    : QObject(parent),
      m_controller(controller),
      m_directory(directory)
{
    connect(controller, &LiveController::cut, this, [this](int fromRow, int toRow) {
        save(QStringLiteral("cut-%1.png").arg(++m_cuts, 3, 10, QLatin1Char('0')), fromRow, toRow);
    });
}

bool RollSaver::saveRoll()
{
    return save(QStringLiteral("roll.png"), 0, m_controller->paper().length());
}

bool RollSaver::save(const QString &name, int fromRow, int toRow)
{
    const QString path = QDir(m_directory).filePath(name);
    QImageWriter writer(path, "png");
    if (!writer.write(m_controller->paper().image(fromRow, toRow))) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, writer.errorString());
        return false;
    }
    m_written << path;
    return true;
}

} // namespace Virtual
