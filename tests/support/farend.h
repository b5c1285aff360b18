// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/pseudoterminal.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

// The far end of a serial line that tests and benchmarks play: a pseudo-terminal whose slave
// the program under test opens with QSerialPort, exactly as it would open a USB adapter, while
// the far end reads and writes the master. Three ways to use it, one at a time:
//  - synchronous reads and writes that run the Qt event loop meanwhile, so the program's port
//    can drain its buffers;
//  - send(): a thread of its own writes a long stream, so the main thread runs only the
//    program's event loop;
//  - countArrivals(): a thread of its own reads as fast as the kernel delivers, counts the bytes
//    and notes when the first and the last arrived, out of the event loop being measured.
class FarEnd
{
public:
    FarEnd() = default;
    ~FarEnd();
    FarEnd(const FarEnd &) = delete;
    FarEnd &operator=(const FarEnd &) = delete;

    bool isValid() const { return m_pty.master() >= 0; }
    QString slavePath() const { return m_pty.slavePath(); }
    // For a test that watches the far end itself (a QSocketNotifier on it, say).
    int masterFd() const { return m_pty.master(); }

    // Whatever has arrived, without waiting.
    QByteArray readAvailable() { return readSome(0); }
    // Reads until `count` bytes have arrived or `timeoutMs` has passed.
    QByteArray readExactly(qsizetype count, int timeoutMs = 10000);
    // Reads whatever arrives until nothing more has come for `quietMs` (bounded by timeoutMs).
    QByteArray readUntilQuiet(int quietMs = 200, int timeoutMs = 10000);
    // Sends bytes towards the program. Replies must not contain 0x11 or 0x13 when the program
    // uses XON/XOFF: the kernel would take them as flow control.
    bool write(const QByteArray &bytes);

    // Starts sending `bytes` from the writer thread once what was sent before has gone.
    void send(QByteArray bytes);
    bool sendFinished() const { return m_sendFinished.load(); }

    // Starts the reader thread; `keepBytes`: also keep what arrives, for checking it.
    void countArrivals(bool keepBytes);
    std::int64_t received() const { return m_received.load(); }
    // Moments of nowNs() of the first and the last byte that arrived since the last reset().
    std::int64_t firstByteNs() const { return m_firstNs.load(); }
    std::int64_t lastByteNs() const { return m_lastNs.load(); }
    QByteArray takeBytes();
    void setKeepBytes(bool keep) { m_keep = keep; }
    void reset();
    // Runs the event loop until `count` bytes have arrived since the last reset(), or
    // `timeoutMs` has passed. Returns whether they did.
    bool waitForBytes(std::int64_t count, int timeoutMs = 60000);

    // The far end goes away: the program's port sees a hang-up.
    void hangUp();

private:
    QByteArray readSome(int waitMs);
    void stopThreads();

    Virtual::PseudoTerminal m_pty{Virtual::PseudoTerminal::Mode::Raw};
    std::atomic<bool> m_stop{false};
    std::thread m_writer;
    QByteArray m_sending;
    std::atomic<bool> m_sendFinished{false};
    std::thread m_reader;
    std::atomic<bool> m_keep{false};
    std::atomic<std::int64_t> m_received{0};
    std::atomic<std::int64_t> m_firstNs{0};
    std::atomic<std::int64_t> m_lastNs{0};
    std::mutex m_bytesMutex;
    QByteArray m_bytes;
};

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of the machine, so a child
// process can report a moment that a benchmark compares with its own.
std::int64_t nowNs();
