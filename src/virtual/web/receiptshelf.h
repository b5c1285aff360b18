// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/greyimage.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <deque>

namespace Virtual {

class LiveController;
class ReceiptRecord;

// The receipts of this run as the receipts page serves them, numbered from 1 in the order they
// ended: each one's picture as PNG (one pixel a dot), its record as the JSON RollSaver writes
// beside it, and a summary for the page's list as JSON (its size, its text lines and its
// symbols). The newest `keep` stay; older ones go, the oldest first. Each is encoded once, as it
// ends, so that a page asking every second costs little more than copying what is kept.
class ReceiptShelf : public QObject
{
    Q_OBJECT
public:
    struct Receipt
    {
        int id = 0;
        QByteArray png;
        QByteArray json;
        QByteArray summary; // compact JSON
    };

    explicit ReceiptShelf(int keep, QObject *parent = nullptr);

    // Takes each receipt the controller ends from now on, with its picture off the paper.
    void follow(const LiveController *controller);
    void add(const ReceiptRecord &record, const GreyImage &picture);

    // The receipt numbered `id`; null when there has been none such or it is no longer kept.
    const Receipt *find(int id) const;
    // The receipts kept after number `id`, the oldest first, at most `count` of them.
    QList<const Receipt *> after(int id, int count) const;
    // The newest number and the oldest one kept; 0 for both before the first receipt.
    int newest() const { return m_receipts.empty() ? 0 : m_receipts.back().id; }
    int oldest() const { return m_receipts.empty() ? 0 : m_receipts.front().id; }
    int keep() const { return m_keep; }

Q_SIGNALS:
    void added(int id);

private:
    int m_keep;
    int m_lastId = 0;
    std::deque<Receipt> m_receipts; // the oldest first, numbers without gaps
};

} // namespace Virtual
