// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace Virtual {

class LiveController;

// The paper as files, for a controller without a window: each piece cut off is written as it is
// cut (cut-001.png, cut-002.png, ...), and saveRoll() writes the whole roll (roll.png). One
// pixel is one dot.
class RollSaver : public QObject
{
    Q_OBJECT
public:
    RollSaver(const LiveController *controller, const QString &directory,
              QObject *parent = nullptr);

    bool saveRoll();
    // The files written so far, and what went wrong with the last one that could not be.
    const QStringList &written() const { return m_written; }
    QString errorString() const { return m_error; }

private:
    bool save(const QString &name, int fromRow, int toRow);

    const LiveController *m_controller;
    QString m_directory;
    int m_cuts = 0;
    QStringList m_written;
    QString m_error;
};

} // namespace Virtual
