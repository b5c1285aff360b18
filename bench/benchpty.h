#pragma once

#include "virtual/live/pseudoterminal.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

// A pseudo-terminal pair for the measurements, and a thread of its own that plays the far end:
// it reads the master as fast as the kernel delivers, counts the bytes and notes when the first
// and the last of them arrived. Reading on its own thread keeps the far end out of the event
// loop whose work is being measured.
class BenchPty
{
public:
    // `keepBytes`: also keep what arrives, for checking it.
    explicit BenchPty(bool keepBytes = false);
    ~BenchPty();
    BenchPty(const BenchPty &) = delete;
    BenchPty &operator=(const BenchPty &) = delete;

    bool isValid() const { return m_pty.master() >= 0; }
    QString slavePath() const { return m_pty.slavePath(); }

    std::int64_t received() const { return m_received.load(); }
    // Monotonic nanoseconds (the clock of nowNs()) of the first and the last byte that arrived
    // since the last reset().
    std::int64_t firstByteNs() const { return m_firstNs.load(); }
    std::int64_t lastByteNs() const { return m_lastNs.load(); }
    QByteArray takeBytes();
    void setKeepBytes(bool keep) { m_keep = keep; }
    void reset();

    // Runs the event loop of the calling thread until `count` bytes have arrived since the last
    // reset(), or `timeoutMs` has passed. Returns whether they did.
    bool waitForBytes(std::int64_t count, int timeoutMs = 60000);

private:
    void readLoop();

    Virtual::PseudoTerminal m_pty{Virtual::PseudoTerminal::Mode::Raw};
    std::atomic<bool> m_keep;
    std::atomic<std::int64_t> m_received{0};
    std::atomic<std::int64_t> m_firstNs{0};
    std::atomic<std::int64_t> m_lastNs{0};
    std::atomic<bool> m_stop{false};
    std::mutex m_bytesMutex;
    QByteArray m_bytes;
    std::thread m_reader;
};

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of the machine, so a child
// process can report a moment that the benchmark compares with its own.
std::int64_t nowNs();
