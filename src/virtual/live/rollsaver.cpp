// SPDX-License-Identifier: MIT
#include "virtual/live/rollsaver.h"

#include "virtual/live/livecontroller.h"
#include "virtual/paper.h"
#include "virtual/paperpng.h"
#include "virtual/receiptrecord.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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
    const Paper &paper = m_controller->paper();
    return save(QStringLiteral("roll.png"), paper.firstRow(), paper.length());
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
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    PaperPng::write(m_controller->paper().image(fromRow, toRow), png);
    return publish(name, png.data());
}

bool RollSaver::saveJson(const QString &name, const ReceiptRecord &receipt)
{
    return publish(name, QJsonDocument(receipt.toJson()).toJson());
}

// Whole or not at all: written under a name of its own, then renamed, so that a reader never
// finds half a file. Not synced to the disk: a thousand receipts a second would wait for it,
// and a receipt lost in a crash of the machine is no loss to a test run.
bool RollSaver::publish(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(m_directory).filePath(name);
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (written &&
        ::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    m_error =
        QStringLiteral("cannot write %1: %2")
            .arg(path, written ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString());
    QFile::remove(part);
    return false;
}

} // namespace Virtual
