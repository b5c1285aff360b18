// SPDX-License-Identifier: MIT
#include "virtual/live/rollsaver.h"

#include "virtual/live/livecontroller.h"
#include "virtual/paper.h"
#include "virtual/receiptrecord.h"

#include <QDir>
#include <QImageWriter>
#include <QJsonDocument>
#include <QSaveFile>

#include <algorithm>

namespace Virtual {

RollSaver::RollSaver(const LiveController *controller, const QString &directory, int keep,
                     QObject *parent)
    : QObject(parent),
      m_controller(controller),
      m_directory(directory),
      m_keep(std::max(keep, 1))
{
    connect(controller, &LiveController::receiptEnded, this, &RollSaver::saveReceipt);
}

bool RollSaver::saveRoll()
{
    return save(QStringLiteral("roll.png"), 0, m_controller->paper().length());
}

// The picture first, then the JSON: whoever waits for the JSON finds the picture there.
void RollSaver::saveReceipt(const ReceiptRecord &receipt)
{
    const QString name = QStringLiteral("%1-%2")
                             .arg(receipt.cut() == ReceiptRecord::Cut::None ? QStringLiteral("end")
                                                                            : QStringLiteral("cut"))
                             .arg(++m_receipts, 3, 10, QLatin1Char('0'));
    if (!save(name + QStringLiteral(".png"), receipt.fromRow(), receipt.toRow()) ||
        !saveJson(name + QStringLiteral(".json"), receipt))
        return;
    m_kept.push_back(name);
    const QDir dir(m_directory);
    while (m_kept.size() > std::size_t(m_keep)) {
        for (const char *extension : {".png", ".json"})
            QFile::remove(dir.filePath(m_kept.front() + QLatin1String(extension)));
        m_kept.pop_front();
    }
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

bool RollSaver::saveJson(const QString &name, const ReceiptRecord &receipt)
{
    QSaveFile file(QDir(m_directory).filePath(name));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(receipt.toJson()).toJson()) < 0 || !file.commit()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    m_written << file.fileName();
    return true;
}

} // namespace Virtual
