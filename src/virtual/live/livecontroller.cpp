// SPDX-License-Identifier: MIT
#include "virtual/live/livecontroller.h"

#include "protocol/values.h"
#include "virtual/bitmapfont.h"
#include "virtual/paper.h"

#include <QHostAddress>
#include <QSettings>

namespace Virtual {

namespace {

const QString headTypeKey = QStringLiteral("printHeadType");

constexpr int dotsPerMm = Protocol::dotsPerMm;

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

} // namespace

LiveController::LiveController(const Options &options, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_settings(openSettings(options.settingsFile)),
      m_buffer(m_stats),
      m_engine(m_buffer, m_stats,
               {options.printSpeed, options.capture, options.fonts, this, options.heldRows}),
      m_network(m_buffer),
      m_replies(m_pty, m_network),
      m_line(m_pty, m_buffer, m_replies, m_stats, options.pacing),
      m_status(m_printer, m_engine, m_replies,
               {options.rollLengthMm, nearEndMm, options.drawerCloseMs,
                [this] { return statusReply(); }})
{
    // The fonts are read while the controller starts and waits for its first bytes.
    (options.fonts ? *options.fonts : FontSet::system()).preload();
    m_headType = Parameters::headType(m_settings->value(headTypeKey, 0).toInt()).value_or(0);
    m_engine.newRoll(m_headType);
    connectParts();

    if (!m_pty.isOpen())
        return;
    if (!m_options.linkPath.isEmpty() && !m_pty.makeLink(m_options.linkPath)) {
        m_pty.close();
        return;
    }
    m_line.start();
    m_replies.start();
    m_hostWatch = std::make_unique<HostWatch>(m_pty.slavePath());
    connect(m_hostWatch.get(), &HostWatch::hostClosed, &m_replies, &ReplyQueue::dropLineReplies);
}

LiveController::~LiveController() = default;

void LiveController::connectParts()
{
    const auto note = [this](const QString &text) { m_engine.note(text); };
    connect(&m_line, &SerialLine::noted, this, note);
    connect(&m_replies, &ReplyQueue::noted, this, note);
    connect(&m_network, &NetworkEndpoint::noted, this, note);

    connect(&m_line, &SerialLine::changed, this, &LiveController::lineChanged);
    connect(&m_network, &NetworkEndpoint::changed, this, &LiveController::lineChanged);
    connect(&m_engine, &PrintEngine::sleepChanged, this, &LiveController::lineChanged);
    connect(&m_engine, &PrintEngine::paperChanged, this, &LiveController::paperChanged);
    connect(&m_engine, &PrintEngine::traced, this, &LiveController::traced);
    connect(&m_engine, &PrintEngine::cut, this, &LiveController::cut);
    connect(&m_engine, &PrintEngine::receiptEnded, this, &LiveController::receiptEnded);
    m_engine.setSourceNames(
        [this](bool fromClient) { return fromClient ? m_network.clientAddress() : devicePath(); });

    connect(&m_engine, &PrintEngine::clientJobEnded, this, &LiveController::endClientJob);
    // The engine has made room: the line and the client read on.
    const auto readOn = [this] {
        m_line.roomMade();
        m_network.readClient();
    };
    connect(&m_engine, &PrintEngine::turnEnded, this, [this, readOn] {
        if (!m_buffer.mayTake())
            m_status.endOfInput();
        readOn();
    });
    connect(&m_status, &StatusResponder::resumed, this, readOn);
    connect(&m_status, &StatusResponder::buzzed, this, &LiveController::buzzed);
    connect(&m_buffer, &ReceiveBuffer::received, &m_status.watch(), &RealtimeWatch::received);
}

QString LiveController::errorString() const
{
    return m_network.errorString().isEmpty() ? m_pty.errorString() : m_network.errorString();
}

QString LiveController::devicePath() const
{
    return m_pty.linkPath().isEmpty() ? m_pty.slavePath() : m_pty.linkPath();
}

bool LiveController::listen(const QHostAddress &address, quint16 port)
{
    return m_network.listen(address, port);
}

void LiveController::clearPaper()
{
    m_engine.clearPaper(m_headType);
}

void LiveController::finish()
{
    m_engine.finish();
}

void LiveController::endClientJob()
{
    m_status.endOfJob();
    // As at the end of a stream: what the connection left unfinished is reported. The next job's
    // offsets start from 0 again.
    m_engine.finishJob(m_network.closedNote());
    m_status.watch().endClientJob();
    m_network.closeClient();
    m_replies.newHost();
    Q_EMIT lineChanged();
    m_network.takeNext();
}

void LiveController::handle(const Event &event)
{
    m_status.handle(event);
    switch (event.op) {
    case Op::FirmwareRequest:
        reply(firmwareReply(), event);
        break;
    case Op::Sleep:
        m_engine.sleepAfter(event.offset + event.length);
        break;
    case Op::UartMode:
        if (const std::optional<LineSettings> line =
                LineSettings::fromUartCodes(event.value("s"), event.value("f"))) {
            m_line.switchTo(*line);
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
        m_engine.cutHere();
        break;
    default:
        break;
    }
}

// --- Replies ---------------------------------------------------------------------------------

QByteArray LiveController::firmwareReply() const
{
    return replyLine(QStringLiteral("Tessivar virtual ZP40x controller; firmware %1; print head "
                                    "type %2: %3; UART %4")
                         .arg(QLatin1String(firmwareVersion))
                         .arg(m_headType)
                         .arg(headName(m_headType), controllerLine().describe()));
}

QByteArray LiveController::statusReply() const
{
    return replyLine(QStringLiteral("Status: ready, paper present, no error; receive buffer %1 "
                                    "of %2 bytes; %3 mm of paper printed")
                         .arg(m_buffer.fill())
                         .arg(receiveBufferSize)
                         .arg(paper().length() / dotsPerMm));
}

void LiveController::reply(const QByteArray &text, const Event &request)
{
    // A reply dropped for a host that reads none is counted, not traced.
    if (m_replies.reply(text, m_engine.printingClientBytes()))
        m_engine.note(QStringLiteral("reply \"%1\"").arg(QString::fromLatin1(text.chopped(2))),
                      request.offset);
}

} // namespace Virtual
