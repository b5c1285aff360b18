// SPDX-License-Identifier: MIT
#include "virtual/live/livecontroller.h"

#include "protocol/controlbytes.h"
#include "protocol/values.h"
#include "virtual/virtualcontroller.h"

#include <QHostAddress>
#include <QSettings>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Virtual {

namespace {

const QString headTypeKey = QStringLiteral("printHeadType");

// The print engine takes this much at a time, so that the paper it feeds paces it. Few bytes:
// one command (a QR print, a stored bitmap) may cost milliseconds.
constexpr int enginePiece = 16;
// One turn of the print engine does about this much work, then lets the window have its turn.
constexpr qint64 engineTurnNs = 10000000;
// A paced line is read when this much time's worth of bytes has come, at least one byte.
constexpr double lineSliceSeconds = 0.005;
// After a pause the line has not stored up more than this: it brings bytes as they are sent.
constexpr double lineBurstSeconds = 0.01;
// How often the host's settings are looked at while nothing arrives. There is no notification
// when a program changes a terminal's settings.
constexpr int hostPollMs = 200;
constexpr int dotsPerMm = Protocol::dotsPerMm;
// How late a turn of the print engine may come and still be made up for.
constexpr qint64 mechanismSlackNs = 10000000;

// The head's name as the Controller page gives it.
QString headName(int type)
{
    const Protocol::PrintHead *head = Protocol::printHead(type);
    return head ? QString::fromLatin1(head->name.data(), qsizetype(head->name.size()))
                : QStringLiteral("unknown");
}

// Replies are read by a host that may use XON/XOFF, whose kernel would swallow 0x11 and 0x13:
// printable ASCII only, ending in CR LF.
QByteArray replyLine(const QString &text)
{
    QByteArray line = text.toLatin1();
    for (char &c : line) {
        if (c < 0x20 || c > 0x7E)
            c = '?';
    }
    return line + "\r\n";
}

std::unique_ptr<QSettings> openSettings(const QString &file)
{
    if (file.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QString::fromLatin1(LiveController::organizationName),
                                           QString::fromLatin1(LiveController::applicationName));
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

// No more than the receive buffer's worth of a client's bytes is read ahead of the print engine;
// the rest waits in the system, whose TCP window holds the client back. One client accepted
// while another prints waits so, the clients after it wait in the system's queue.
class JobServer : public QTcpServer
{
public:
    JobServer() { setMaxPendingConnections(1); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setReadBufferSize(LiveController::receiveBufferSize);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            ::close(int(descriptor));
            return;
        }
        addPendingConnection(socket);
    }
};

QString endpointName(const QHostAddress &address, quint16 port)
{
    return (address.protocol() == QAbstractSocket::IPv6Protocol
                ? QStringLiteral("[%1]").arg(address.toString())
                : address.toString()) +
           QStringLiteral(":%1").arg(port);
}

} // namespace

LiveController::LiveController(const Options &options, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_settings(openSettings(options.settingsFile))
{
    m_clock.start();
    m_traceBuffer.open(QIODevice::WriteOnly);
    m_headType = Parameters::headType(m_settings->value(headTypeKey, 0).toInt()).value_or(0);
    newRoll();

    m_lineTimer.setSingleShot(true);
    m_lineTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_lineTimer, &QTimer::timeout, this, [this] { readLine(false); });
    m_engineTimer.setSingleShot(true);
    m_engineTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_engineTimer, &QTimer::timeout, this, &LiveController::runEngine);
    m_pollTimer.setInterval(hostPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &LiveController::pollHost);

    if (!m_pty.isOpen())
        return;
    if (!m_options.linkPath.isEmpty() && !m_pty.makeLink(m_options.linkPath)) {
        m_pty.close();
        return;
    }
    // Until a host sets the line up, it stands at the controller's own settings.
    writeLineSettings(m_pty.slave(), m_line);
    m_host = readLineSettings(m_pty.slave()).value_or(m_line);

    m_readNotifier = std::make_unique<QSocketNotifier>(m_pty.master(), QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, [this] { readLine(true); });
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_pty.master(), QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &LiveController::flushOutput);
    m_pollTimer.start();
}

LiveController::~LiveController()
{
    if (m_client) {
        m_client->disconnect(this);
        delete m_client;
    }
    m_server.reset();
    // The notifiers go before their descriptor.
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_pty.close();
}

QString LiveController::devicePath() const
{
    return m_pty.linkPath().isEmpty() ? m_pty.slavePath() : m_pty.linkPath();
}

bool LiveController::listen(const QHostAddress &address, quint16 port)
{
    m_server = std::make_unique<JobServer>();
    if (!m_server->listen(address, port)) {
        m_error = QStringLiteral("cannot listen on %1: %2")
                      .arg(endpointName(address, port), m_server->errorString());
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QTcpServer::newConnection, this, &LiveController::takeClient);
    return true;
}

QString LiveController::listenAddress() const
{
    return m_server ? endpointName(m_server->serverAddress(), m_server->serverPort()) : QString();
}

QString LiveController::clientAddress() const
{
    return m_client ? m_clientPeer : QString();
}

const Paper &LiveController::paper() const
{
    return m_controller->renderer().paper();
}

QImage LiveController::paperImage() const
{
    return m_controller->paper();
}

void LiveController::newRoll()
{
    VirtualController::Options options;
    options.headType = m_headType;
    options.trace = &m_traceBuffer;
    options.fonts = m_options.fonts;
    options.observer = this;
    m_controller = std::make_unique<VirtualController>(options);
    m_fed = 0;
    m_lastCut = 0;
    m_sleepRequested = false;
}

void LiveController::clearPaper()
{
    newRoll();
    m_traceBuffer.buffer().clear();
    m_traceBuffer.seek(0);
    Q_EMIT paperChanged();
}

void LiveController::finish()
{
    m_controller->finish();
    emitTrace();
}

// --- The line --------------------------------------------------------------------------------

double LiveController::bytesPerSecond() const
{
    return double(m_host.bitsPerSecond) / m_host.bitsPerByte();
}

void LiveController::pollHost()
{
    if (!m_pty.isOpen())
        return;
    const LineSettings host = readLineSettings(m_pty.slave()).value_or(m_host);
    if (host == m_host)
        return;
    m_host = host;
    m_overrunNoted = false;
    m_flowNoted = false;
    // A host that opens the line anew is told again when its replies are dropped. An empty
    // queue says nothing: the kernel moves bytes between its own buffers while nobody reads.
    m_repliesDropped = false;
    if (m_inMismatch && m_line.understands(m_host)) {
        m_inMismatch = false;
        note(QStringLiteral("line settings match again: %1; the %2 bytes before were garbage")
                 .arg(m_line.describe())
                 .arg(m_mismatchBytes));
    }
    Q_EMIT lineChanged();
}

void LiveController::readLine(bool notified)
{
    if (notified)
        ++m_stats.wakeups;
    if (!m_pty.isOpen())
        return;
    pollHost();

    const qint64 now = m_clock.nsecsElapsed();
    const double rate = bytesPerSecond();
    if (m_options.pacing) {
        // While bytes wait, the line has brought all that the time allows, however late this
        // turn of the event loop comes. After a pause (or while flow control held the host) it
        // has stored nothing up: it brings bytes as they are sent.
        const double most =
            m_lineIdle ? std::max(1.0, rate * lineBurstSeconds) : double(receiveBufferSize);
        m_credit = std::min(m_credit + double(now - m_creditTime) * 1e-9 * rate, most);
        m_creditTime = now;
    }

    char chunk[1 + receiveBufferSize];
    // A bounded number of reads, so that the host (in the same process, in tests) and the
    // window get their turn.
    for (int reads = 0; reads < 16; ++reads) {
        const int room = receiveBufferSize - int(m_buffer.size());
        int allowed = room;
        if (m_options.pacing)
            allowed = std::min(allowed, int(m_credit));
        if (xoffDue(allowed)) {
            // Never in the turn of the event loop that read from the line, nor right after a
            // read: the read made room, which wakes the host's port to write, and a write that
            // finds the line stopped fails. From a timer of its own, XOFF comes after the
            // host's write and before the read that would make room again.
            if (notified || reads > 0) {
                m_readNotifier->setEnabled(false);
                m_lineTimer.start(1);
                return;
            }
            sendFlow(true);
        }
        if (room <= 0) {
            // The print engine reads on once it has made room.
            m_waitingForRoom = true;
            m_lineIdle = true;
            m_readNotifier->setEnabled(false);
            if (m_options.pacing && !flowInUse() && !m_overrunNoted) {
                m_overrunNoted = true;
                note(QStringLiteral("receive buffer full without flow control at both ends: a "
                                    "real controller loses what the host sends now"));
            }
            return;
        }
        if (allowed < 1) {
            const double wanted = std::max(1.0, rate * lineSliceSeconds);
            m_readNotifier->setEnabled(false);
            m_lineTimer.start(int(std::ceil((wanted - m_credit) / rate * 1000)));
            return;
        }
        const ssize_t n = ::read(m_pty.master(), chunk, std::size_t(allowed) + 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nothing waiting: the notifier says when something comes.
            m_lineIdle = true;
            m_readNotifier->setEnabled(true);
            return;
        }
        if (chunk[0] != TIOCPKT_DATA) {
            hostFlow((unsigned char)chunk[0]);
            continue;
        }
        if (m_options.pacing) {
            m_credit -= double(n - 1);
            // Less than was allowed: the host has sent no more for now.
            m_lineIdle = n - 1 < allowed;
        }
        receive(chunk + 1, n - 1);
    }
    m_readNotifier->setEnabled(true);
}

bool LiveController::xoffDue(int allowed) const
{
    if (m_xoff || !xonXoffInUse())
        return false;
    const int fill = int(m_buffer.size());
    if (fill >= highWater)
        return true;
    // XOFF goes out before the read that brings the buffer to the mark, not after it. A read
    // makes room in the pseudo-terminal and so wakes the host to write; with the line stopped
    // in between, its write would fail.
    int waiting = 0;
    if (::ioctl(m_pty.master(), FIONREAD, &waiting) != 0)
        waiting = allowed;
    return fill + std::min(allowed, waiting) >= highWater;
}

void LiveController::hostFlow(unsigned char status)
{
    if (status & TIOCPKT_STOP) {
        m_hostStopped = true;
        ++m_stats.hostStops;
        Q_EMIT lineChanged();
    }
    if (status & TIOCPKT_START) {
        m_hostStopped = false;
        Q_EMIT lineChanged();
    }
}

void LiveController::receive(const char *data, qsizetype size)
{
    m_stats.received += quint64(size);
    if (!m_line.understands(m_host)) {
        m_stats.garbage += quint64(size);
        if (!m_inMismatch) {
            m_inMismatch = true;
            m_mismatchBytes = 0;
            note(QStringLiteral("line settings mismatch: ") + m_line.mismatch(m_host));
            Q_EMIT lineChanged();
        }
        m_mismatchBytes += quint64(size);
        return;
    }
    if (m_line.flow != m_host.flow && !m_flowNoted) {
        m_flowNoted = true;
        note(QStringLiteral("flow control differs: controller uses %1, host uses %2")
                 .arg(m_line.flowName(), m_host.flowName()));
    }
    append(data, size, false);
}

void LiveController::append(const char *data, qsizetype size, bool fromClient)
{
    m_buffer.append(data, size);
    if (!m_spans.empty() && m_spans.back().fromClient == fromClient && !m_spans.back().endsJob)
        m_spans.back().length += size;
    else
        m_spans.push_back({size, fromClient, false});
    m_stats.maxFill = std::max(m_stats.maxFill, int(m_buffer.size()));
    scheduleEngine();
}

// --- The network endpoint --------------------------------------------------------------------

void LiveController::takeClient()
{
    if (m_client || !m_server->hasPendingConnections())
        return;
    // The next client waits in the system's queue until this one's job has printed.
    m_server->pauseAccepting();
    m_client = m_server->nextPendingConnection();
    m_client->setParent(nullptr);
    m_client->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, maxWaitingReplies);
    m_clientPeer = endpointName(m_client->peerAddress(), m_client->peerPort());
    m_clientBytes = 0;
    m_clientEndQueued = false;
    connect(m_client, &QTcpSocket::readyRead, this, &LiveController::readClient);
    connect(m_client, &QTcpSocket::disconnected, this, &LiveController::readClient);
    note(QStringLiteral("connection from %1").arg(m_clientPeer));
    Q_EMIT lineChanged();
    readClient();
}

void LiveController::readClient()
{
    if (!m_client || m_clientEndQueued)
        return;
    const qsizetype room = receiveBufferSize - m_buffer.size();
    if (room > 0 && m_client->bytesAvailable() > 0) {
        const QByteArray bytes = m_client->read(room);
        m_clientBytes += quint64(bytes.size());
        append(bytes.constData(), bytes.size(), true);
        Q_EMIT lineChanged();
    }
    if (m_client->state() == QAbstractSocket::UnconnectedState && m_client->bytesAvailable() == 0) {
        m_clientEndQueued = true;
        m_spans.push_back({0, true, true});
        scheduleEngine();
    }
}

void LiveController::endClientJob()
{
    // As at the end of a stream: what the connection left unfinished is reported. The next job's
    // offsets start from 0 again.
    m_controller->finish();
    note(QStringLiteral("connection from %1 closed: %2 bytes taken")
             .arg(m_clientPeer)
             .arg(m_clientBytes),
         m_fed);
    m_fed = 0;
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
    m_repliesDropped = false;
    Q_EMIT lineChanged();
    m_server->resumeAccepting();
    takeClient();
}

bool LiveController::xonXoffInUse() const
{
    return m_line.flow == LineSettings::Flow::XonXoff && m_host.flow == LineSettings::Flow::XonXoff;
}

bool LiveController::flowInUse() const
{
    return m_line.flow != LineSettings::Flow::None && m_line.flow == m_host.flow;
}

void LiveController::updateFlow()
{
    // XOFF is sent by readLine() before it reads; here the buffer has drained, or the flow
    // control has changed.
    if (m_xoff && (int(m_buffer.size()) <= lowWater || !xonXoffInUse()))
        sendFlow(false);
}

void LiveController::sendFlow(bool stop)
{
    m_xoff = stop;
    ++(stop ? m_stats.xoffSent : m_stats.xonSent);
    send(QByteArray(1, char(stop ? Wire::XOFF : Wire::XON)), true);
    Q_EMIT lineChanged();
}

bool LiveController::roomForReply(qsizetype waiting, qsizetype size)
{
    if (waiting + size <= maxWaitingReplies)
        return true;
    if (!std::exchange(m_repliesDropped, true))
        note(QStringLiteral("the host reads no replies: %1 bytes wait, further replies are "
                            "dropped")
                 .arg(waiting));
    return false;
}

void LiveController::send(const QByteArray &bytes, bool first)
{
    if (!first && !roomForReply(m_output.size(), bytes.size()))
        return;
    if (first)
        m_output.prepend(bytes);
    else
        m_output.append(bytes);
    flushOutput();
}

void LiveController::flushOutput()
{
    while (!m_output.isEmpty() && m_pty.isOpen()) {
        const ssize_t n =
            ::write(m_pty.master(), m_output.constData(), std::size_t(m_output.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        m_output.remove(0, n);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_output.isEmpty());
}

// --- The print engine ------------------------------------------------------------------------

void LiveController::scheduleEngine()
{
    if (m_spans.empty() || m_engineTimer.isActive())
        return;
    const qint64 wait = m_mechanismFreeAt - m_clock.nsecsElapsed();
    m_engineTimer.start(wait > 0 ? int((wait + 999999) / 1000000) : 0);
}

void LiveController::runEngine()
{
    const qint64 now = m_clock.nsecsElapsed();
    if (m_mechanismFreeAt > now) {
        scheduleEngine();
        return;
    }
    // A timer that comes a moment late is made up for; after a pause the paper starts from rest.
    m_mechanismFreeAt = std::max(m_mechanismFreeAt, now - mechanismSlackNs);
    // Pieces that print no paper go at once; the paper a piece feeds keeps the mechanism busy.
    qsizetype taken = 0;
    QElapsedTimer turn;
    turn.start();
    while (!m_spans.empty() && taken < receiveBufferSize && turn.nsecsElapsed() < engineTurnNs) {
        Span &span = m_spans.front();
        if (span.length == 0) {
            const bool endsJob = span.endsJob;
            m_spans.pop_front();
            if (endsJob)
                endClientJob();
            continue;
        }
        // Out of the buffer before it prints, so that a status reply counts what still waits.
        const QByteArray piece = m_buffer.first(std::min<qsizetype>(enginePiece, span.length));
        m_buffer.remove(0, piece.size());
        span.length -= piece.size();
        m_replyToClient = span.fromClient;
        taken += piece.size();
        m_stats.printed += quint64(piece.size());
        const int rows = print(piece);
        if (m_options.printSpeed > 0) {
            m_mechanismFreeAt += qint64(rows) * 1000000000 / (m_options.printSpeed * dotsPerMm);
            if (m_mechanismFreeAt > now)
                break;
        }
    }

    for (const auto &[from, to] : std::exchange(m_cuts, {}))
        Q_EMIT cut(from, to);
    emitTrace();
    Q_EMIT paperChanged();

    updateFlow();
    if (m_waitingForRoom) {
        m_waitingForRoom = false;
        readLine(false);
    }
    readClient();
    scheduleEngine();
}

int LiveController::print(QByteArrayView piece)
{
    if (m_sleeping) {
        m_sleeping = false;
        note(QStringLiteral("woken by the next byte"));
        Q_EMIT lineChanged();
    }
    if (m_options.capture)
        m_options.capture->write(piece.data(), piece.size());
    const int before = paper().length();
    m_controller->feed(piece);
    m_fed += quint64(piece.size());
    if (m_sleepRequested) {
        m_sleepRequested = false;
        // Asleep unless the next byte came with the command.
        if (m_fed == m_sleepAfter) {
            m_sleeping = true;
            Q_EMIT lineChanged();
        }
    }
    return paper().length() - before;
}

void LiveController::handle(const Event &event)
{
    switch (event.op) {
    case Op::FirmwareRequest:
        reply(firmwareReply(), event);
        break;
    case Op::StatusRequest:
        reply(statusReply(), event);
        break;
    case Op::Sleep:
        m_sleepRequested = true;
        m_sleepAfter = event.offset + event.length;
        break;
    case Op::UartMode:
        if (const std::optional<LineSettings> line =
                LineSettings::fromUartCodes(event.value("s"), event.value("f"))) {
            m_line = *line;
            m_flowNoted = false;
            note(QStringLiteral("the controller's line is now %1; the host must reconnect with "
                                "the same settings")
                     .arg(m_line.describe()));
            updateFlow();
            Q_EMIT lineChanged();
        }
        break;
    case Op::PrintHead:
        if (const std::optional<int> type = Parameters::headType(event.value("n"))) {
            m_headType = *type;
            m_settings->setValue(headTypeKey, m_headType);
            m_settings->sync();
        }
        break;
    case Op::FullCut:
    case Op::PartialCut:
    case Op::Cut:
        m_cuts.emplace_back(m_lastCut, paper().length());
        m_lastCut = paper().length();
        break;
    default:
        break;
    }
}

// --- Replies and the trace -------------------------------------------------------------------

QByteArray LiveController::firmwareReply() const
{
    return replyLine(QStringLiteral("Tessivar virtual ZP40x controller; firmware %1; print head "
                                    "type %2: %3; UART %4")
                         .arg(QLatin1String(firmwareVersion))
                         .arg(m_headType)
                         .arg(headName(m_headType), m_line.describe()));
}

QByteArray LiveController::statusReply() const
{
    return replyLine(QStringLiteral("Status: ready, paper present, no error; receive buffer %1 "
                                    "of %2 bytes; %3 mm of paper printed")
                         .arg(m_buffer.size())
                         .arg(receiveBufferSize)
                         .arg(paper().length() / dotsPerMm));
}

void LiveController::reply(const QByteArray &text, const Event &request)
{
    note(QStringLiteral("reply \"%1\"").arg(QString::fromLatin1(text.chopped(2))), request.offset);
    if (!m_replyToClient) {
        send(text);
        return;
    }
    // A client that has gone cannot be answered.
    if (m_client && m_client->state() == QAbstractSocket::ConnectedState &&
        roomForReply(m_client->bytesToWrite(), text.size()))
        m_client->write(text);
}

void LiveController::note(const QString &text, std::optional<std::uint64_t> offset)
{
    m_controller->note(text, offset);
    emitTrace();
}

void LiveController::emitTrace()
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
