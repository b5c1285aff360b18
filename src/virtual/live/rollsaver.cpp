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
#include <fcntl.h>
#include <unistd.h>

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
    // Three calls to the kernel and a rename: a lab writes a thousand receipts a second.
    const QString path = QDir(m_directory).filePath(name);
    const QByteArray target = QFile::encodeName(path);
    const QByteArray part = target + ".part";
    const int fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (qsizetype at = 0; written && at < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + at, std::size_t(bytes.size() - at));
        written = n > 0 || (n < 0 && errno == EINTR);
        at += std::max<ssize_t>(n, 0);
    }
    const int error = written ? 0 : errno;
    if (fd >= 0 && ::close(fd) != 0 && written)
        written = false;
    if (written && ::rename(part.constData(), target.constData()) == 0)
        return true;
    m_error = QStringLiteral("cannot write %1: %2")
                  .arg(path, QString::fromLocal8Bit(std::strerror(error ? error : errno)));
    ::unlink(part.constData());
    return false;
}

} // namespace Virtual
