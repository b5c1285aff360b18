// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/livestats.h"

#include "virtual/greyimage.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QIODevice;

namespace Virtual {

class EventSink;
class FontSet;
class Paper;
class ReceiveBuffer;
class ReceiptRecord;
class VirtualController;

// The print engine of the live controller: it takes the bytes from the receive buffer and feeds
// them to the VirtualController, which prints them on the roll and writes the trace.
//
// It takes a small piece at a time and works for about 10 ms in one turn of the event loop, so
// that commands that cost milliseconds each (a QR print) do not keep the window from answering.
// Paper moves at printSpeed mm a second (as fast as it can draw when 0): a piece that feeds paper
// keeps the mechanism busy, and the next piece waits for it. After DLE SYN it sleeps until the
// next byte. It marks where the paper was cut, and notes into the trace what the other parts of
// the controller have to say.
class PrintEngine : public QObject
{
    Q_OBJECT
public:
    struct Setup
    {
        int printSpeed = 0;             // mm a second; 0 prints as fast as it can
        QIODevice *capture = nullptr;   // every byte taken; not owned
        const FontSet *fonts = nullptr; // the system fonts when null
        EventSink *observer = nullptr;  // sees every event of the stream
        int heldRows = 100000;          // the roll holds its last rows (and the receipt under way)
    };

    PrintEngine(ReceiveBuffer &buffer, LiveStats &stats, const Setup &setup);
    ~PrintEngine() override;

    const Paper &paper() const;
    GreyImage paperImage() const;
    bool sleeping() const { return m_sleeping; }
    // The bytes being printed came from the TCP client, not from the line.
    bool printingClientBytes() const { return m_fromClient; }

    // A fresh roll with a print head of `headType`: the paper, the print modes and the command
    // under way are gone.
    void newRoll(int headType);
    // The same, and the trace not yet given out goes too.
    void clearPaper(int headType);
    // The end of the stream: the trace reports what is left unfinished.
    void finish();
    // The end of a client's job: as the end of a stream, and `closed` in the trace. The next
    // job's offsets start from 0 again.
    void finishJob(const QString &closed);
    void note(const QString &text, std::optional<std::uint64_t> offset = std::nullopt);

    // DLE SYN, whose last byte is `end` bytes into the stream: asleep after it, unless the next
    // byte came with the command.
    void sleepAfter(std::uint64_t end);
    // A cut: the paper since the last cut is a piece of its own.
    void cutHere();
    // Offline (paper out, cover open): nothing more is taken from the receive buffer until the
    // engine is let go again.
    void setHeld(bool held);
    bool held() const { return m_held; }
    // Names where the bytes come from, for the receipts' records: the line's device when
    // fromClient is false, else the TCP client's address.
    void setSourceNames(std::function<QString(bool fromClient)> names);

Q_SIGNALS:
    void paperChanged();
    // One or more complete lines of the trace, each ending in a line feed.
    void traced(const QString &lines);
    // The paper was cut: rows fromRow to toRow (not included) are the piece cut off.
    void cut(int fromRow, int toRow);
    // A receipt has ended, by a cut or with its job.
    void receiptEnded(const Virtual::ReceiptRecord &receipt);
    // The engine went to sleep or woke up.
    void sleepChanged();
    // The end of the client's job has come out of the receive buffer.
    void clientJobEnded();
    // A turn of the engine is over: there may be room in the receive buffer.
    void turnEnded();
    // A piece of the buffer has printed (the roll may have run out).
    void piecePrinted();

private:
    void schedule();
    void run();
    int print(QByteArrayView piece);
    void emitTrace();
    void startClientJob();
    void nameSource();
    void emitReceipts();

    ReceiveBuffer &m_buffer;
    LiveStats &m_stats;
    Setup m_setup;
    QBuffer m_traceBuffer;
    std::unique_ptr<VirtualController> m_controller;

    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_mechanismFreeAt = 0;
    quint64 m_fed = 0;
    bool m_fromClient = false;
    bool m_held = false;
    bool m_sleepRequested = false;
    quint64 m_sleepAfter = 0;
    bool m_sleeping = false;
    int m_lastCut = 0;
    std::vector<std::pair<int, int>> m_cuts;
    std::function<QString(bool fromClient)> m_sourceNames;
    bool m_sourceEnded = false;
};

} // namespace Virtual
