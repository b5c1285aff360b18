// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

// Answers modal windows while a test runs: every few milliseconds it looks for the active
// modal widget, records its class, title and text, and closes it (a message box through its
// escape or first button, anything else through reject()). No test can hang on a box.
class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QString className;
        QString title;
        QString text;
    };

    // Decides what to do with a modal widget that is not a plain message box (a file dialog,
    // say). Return true once the widget has been dealt with (closed).
    using Handler = std::function<bool(QWidget *)>;

    explicit ModalAnswerer(QObject *parent = nullptr);
    ~ModalAnswerer() override;

    void setHandler(Handler handler) { m_handler = std::move(handler); }

    const QList<Seen> &seen() const { return m_seen; }
    qsizetype count() const { return m_seen.size(); }
    void clear() { m_seen.clear(); }

private:
    void poll();

    QTimer m_timer;
    QList<Seen> m_seen;
    Handler m_handler;
    QPointer<QWidget> m_last;
};
