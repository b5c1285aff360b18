#pragma once

#include "virtual/live/pseudoterminal.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// The far end of a pseudo-terminal that sends a long stream towards the application from a
// thread of its own, so the application's event loop is the only thing the main thread runs.
class FloodEnd
{
public:
    FloodEnd() = default;
    ~FloodEnd();
    FloodEnd(const FloodEnd &) = delete;
    FloodEnd &operator=(const FloodEnd &) = delete;

    bool isValid() const { return m_pty.master() >= 0; }
    QString slavePath() const { return m_pty.slavePath(); }

    // Starts sending `bytes` once what was sent before has gone; returns at once.
    void send(QByteArray bytes);
    bool finished() const { return m_finished.load(); }
    qint64 sent() const { return m_sent.load(); }

private:
    Virtual::PseudoTerminal m_pty{Virtual::PseudoTerminal::Mode::Raw};
    QByteArray m_bytes;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sent{0};
    std::thread m_writer;
};
