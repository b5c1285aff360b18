// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <deque>

namespace Virtual {

class LiveController;
class ReceiptRecord;

// The paper as files, for a controller without a window: each receipt is written as it ends, its
// picture and what was printed on it as JSON side by side (cut-001.png and cut-001.json for a
// receipt that ended with a cut, end-002.* for one whose job ended without one), and saveRoll()
// writes the whole roll (roll.png). One pixel is one dot. The newest `keep` receipts stay; older
// ones are deleted, the oldest first.
class RollSaver : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultKeep = 1000;

    RollSaver(const LiveController *controller, const QString &directory, int keep = defaultKeep,
              QObject *parent = nullptr);

    bool saveRoll();
    // What went wrong with the last file that could not be written.
    QString errorString() const { return m_error; }

private:
    void saveReceipt(const ReceiptRecord &receipt);
    bool save(const QString &name, int fromRow, int toRow);
    bool saveJson(const QString &name, const ReceiptRecord &receipt);
    bool publish(const QString &name, const QByteArray &bytes);

    const LiveController *m_controller;
    QString m_directory;
    int m_keep;
    int m_receipts = 0;
    std::deque<QString> m_kept; // the receipts' names without extension, the oldest first
    QString m_error;
};

} // namespace Virtual
