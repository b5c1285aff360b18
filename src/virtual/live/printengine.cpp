// SPDX-License-Identifier: MIT
#include "virtual/live/printengine.h"

#include "protocol/values.h"
#include "virtual/live/receivebuffer.h"
#include "virtual/virtualcontroller.h"

#include <algorithm>

namespace Virtual {

namespace {

// The print engine takes this much at a time, so that the paper it feeds paces it. Few bytes:
// one command (a QR print, a stored bitmap) may cost milliseconds.
constexpr int enginePiece = 16;
// One turn of the print engine does about this much work, then lets the window have its turn.
constexpr qint64 engineTurnNs = 10000000;
constexpr int dotsPerMm = Protocol::dotsPerMm;
// How late a turn of the print engine may come and still be made up for.
constexpr qint64 mechanismSlackNs = 10000000;

} // namespace

PrintEngine::PrintEngine(ReceiveBuffer &buffer, LiveStats &stats, const Setup &setup)
    : m_buffer(buffer),
      m_stats(stats),
      m_setup(setup)
{
    m_clock.start();
    m_traceBuffer.open(QIODevice::WriteOnly);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PrintEngine::run);
    connect(&m_buffer, &ReceiveBuffer::arrived, this, &PrintEngine::schedule);
    // The other host's bytes may have waited for their turn.
    connect(&m_buffer, &ReceiveBuffer::turnEnded, this, &PrintEngine::schedule);
}

PrintEngine::~PrintEngine() = default;

const Paper &PrintEngine::paper() const
{
    return m_controller->renderer().paper();
}

GreyImage PrintEngine::paperImage() const
{
    return m_controller->paper();
}

void PrintEngine::newRoll(int headType)
{
    VirtualController::Options options;
    options.headType = headType;
    options.trace = &m_traceBuffer;
    options.fonts = m_setup.fonts;
    options.observer = m_setup.observer;
    options.stampTimes = true;
    // A controller may print for hours: it holds the last part of its roll.
    options.endlessRoll = true;
    options.maxLength = m_setup.heldRows;
    m_controller = std::make_unique<VirtualController>(options);
    nameSource();
    m_fed = 0;
    m_lastCut = 0;
    m_sleepRequested = false;
}

void PrintEngine::clearPaper(int headType)
{
    newRoll(headType);
    m_traceBuffer.buffer().clear();
    m_traceBuffer.seek(0);
    Q_EMIT paperChanged();
}

void PrintEngine::finish()
{
    m_controller->finish();
    emitTrace();
    emitReceipts();
}

void PrintEngine::finishJob(const QString &closed)
{
    m_controller->finish();
    note(closed, m_fed);
    m_fed = 0;
    m_sourceEnded = true; // the next bytes are the next client's
    emitReceipts();
}

void PrintEngine::setSourceNames(std::function<QString(bool fromClient)> names)
{
    m_sourceNames = std::move(names);
    nameSource();
}

void PrintEngine::nameSource()
{
    if (m_controller && m_sourceNames)
        m_controller->setSource(m_fromClient ? QStringLiteral("tcp") : QStringLiteral("pty"),
                                m_sourceNames(m_fromClient));
}

void PrintEngine::emitReceipts()
{
    for (const ReceiptRecord &receipt : m_controller->takeReceipts())
        Q_EMIT receiptEnded(receipt);
}

// A connection's trace counts offsets from its own first byte, so that they match the bytes the
// client sent.
void PrintEngine::startClientJob()
{
    // The line's job ended when it fell silent; a command it left unfinished ends with it, and
    // none of the client's bytes go into it.
    if (m_fed > 0) {
        m_controller->finish();
        note(QStringLiteral("the line's job is over: nothing came for the job timeout"), m_fed);
        emitReceipts();
    }
    m_controller->restartOffsets();
    m_fed = 0;
    note(QStringLiteral("the connection's bytes: offsets count from its first byte"), 0);
}

void PrintEngine::sleepAfter(std::uint64_t end)
{
    m_sleepRequested = true;
    m_sleepAfter = end;
}

void PrintEngine::cutHere()
{
    m_cuts.emplace_back(m_lastCut, paper().length());
    m_lastCut = paper().length();
}

void PrintEngine::setHeld(bool held)
{
    m_held = held;
    schedule();
}

void PrintEngine::schedule()
{
    if (m_held || !m_buffer.mayTake() || m_timer.isActive())
        return;
    const qint64 wait = m_mechanismFreeAt - m_clock.nsecsElapsed();
    m_timer.start(wait > 0 ? int((wait + 999999) / 1000000) : 0);
}

void PrintEngine::run()
{
    const qint64 now = m_clock.nsecsElapsed();
    if (m_mechanismFreeAt > now) {
        schedule();
        return;
    }
    // A timer that comes a moment late is made up for; after a pause the paper starts from rest.
    m_mechanismFreeAt = std::max(m_mechanismFreeAt, now - mechanismSlackNs);
    // Pieces that print no paper go at once; the paper a piece feeds keeps the mechanism busy.
    qsizetype taken = 0;
    QElapsedTimer turn;
    turn.start();
    while (!m_held && m_buffer.mayTake() && taken < ReceiveBuffer::capacity &&
           turn.nsecsElapsed() < engineTurnNs) {
        const ReceiveBuffer::Piece piece = m_buffer.take(enginePiece);
        if (piece.bytes.isEmpty()) {
            if (piece.endsJob)
                Q_EMIT clientJobEnded();
            continue;
        }
        if (piece.fromClient && !m_fromClient)
            startClientJob();
        if (piece.fromClient != m_fromClient || m_sourceEnded) {
            m_fromClient = piece.fromClient;
            m_sourceEnded = false;
            nameSource();
        }
        taken += piece.bytes.size();
        m_stats.printed += quint64(piece.bytes.size());
        const int rows = print(piece.bytes);
        Q_EMIT piecePrinted();
        if (m_setup.printSpeed > 0) {
            m_mechanismFreeAt += qint64(rows) * 1000000000 / (m_setup.printSpeed * dotsPerMm);
            if (m_mechanismFreeAt > now)
                break;
        }
    }

    for (const auto &[from, to] : std::exchange(m_cuts, {}))
        Q_EMIT cut(from, to);
    emitReceipts();
    emitTrace();
    Q_EMIT paperChanged();
    Q_EMIT turnEnded();
    schedule();
}

int PrintEngine::print(QByteArrayView piece)
{
    if (m_sleeping) {
        m_sleeping = false;
        note(QStringLiteral("woken by the next byte"));
        Q_EMIT sleepChanged();
    }
    if (m_setup.capture)
        m_setup.capture->write(piece.data(), piece.size());
    const int before = paper().length();
    m_controller->feed(piece);
    m_fed += quint64(piece.size());
    if (m_sleepRequested) {
        m_sleepRequested = false;
        // Asleep unless the next byte came with the command.
        if (m_fed == m_sleepAfter) {
            m_sleeping = true;
            Q_EMIT sleepChanged();
        }
    }
    return paper().length() - before;
}

void PrintEngine::note(const QString &text, std::optional<std::uint64_t> offset)
{
    m_controller->note(text, offset);
    emitTrace();
}

void PrintEngine::emitTrace()
{
    m_controller->endTraceRepeats();
    if (m_traceBuffer.data().isEmpty())
        return;
    const QString lines = QString::fromUtf8(m_traceBuffer.data());
    m_traceBuffer.buffer().clear();
    m_traceBuffer.seek(0);
    Q_EMIT traced(lines);
}

} // namespace Virtual
