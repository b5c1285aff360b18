// SPDX-License-Identifier: MIT
#include "virtual/live/statusresponder.h"

#include "protocol/values.h"
#include "virtual/live/printengine.h"
#include "virtual/live/printerstate.h"
#include "virtual/live/replyqueue.h"
#include "virtual/paper.h"
#include "virtual/streamdecoder.h"

namespace Virtual {

namespace {

// GS I n: the ID bytes (n 1-3, 49-51) and the ID texts (n 65-69) of this virtual ZP40x.
constexpr std::uint8_t modelId = 0x5A; // 'Z'
constexpr std::uint8_t typeId = 0x03;  // double-byte characters, an autocutter
constexpr std::uint8_t versionId = 30; // firmware 1.30

QByteArray idReply(int n)
{
    switch (n) {
    case 1:
    case 49:
        return QByteArray(1, char(modelId));
    case 2:
    case 50:
        return QByteArray(1, char(typeId));
    case 3:
    case 51:
        return QByteArray(1, char(versionId));
    default:
        break;
    }
    static const char *const texts[] = {"1.30", "Tessivar", "ZP40x virtual controller",
                                        "TSV-000001", "Latin, Greek, Cyrillic, CJK"};
    if (n < 65 || n > 69)
        return {};
    return '_' + QByteArray(texts[n - 65]) + '\0';
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

} // namespace

StatusResponder::StatusResponder(PrinterState &printer, PrintEngine &engine,
                                 ReplyQueue &replies, const Setup &setup)
    : m_printer(printer),
      m_engine(engine),
      m_replies(replies),
      m_setup(setup)
{
    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(nextByteWaitMs);
    connect(&m_statusTimer, &QTimer::timeout, this, [this] {
        if (std::exchange(m_statusWaiting, false))
            answerStatusLine();
    });
    m_drawerTimer.setSingleShot(true);
    connect(&m_drawerTimer, &QTimer::timeout, this, [this] { m_printer.setDrawerOpen(false); });
    connect(&m_watch, &RealtimeWatch::statusRequested, this, &StatusResponder::answerRealtime);
    connect(&m_watch, &RealtimeWatch::drawerKicked, this, &StatusResponder::kickDrawer);
    connect(&m_printer, &PrinterState::changed, this, &StatusResponder::printerChanged);
    connect(&m_engine, &PrintEngine::piecePrinted, this, &StatusResponder::checkRoll);
    m_lastAutomatic = m_printer.automaticStatus();
}

void StatusResponder::handle(const Event &event)
{
    if (m_statusWaiting) {
        // The byte after DLE EOT: a common printer's n was answered as it arrived.
        m_statusTimer.stop();
        if (event.op != Op::RealtimeStatus)
            answerStatusLine();
        m_statusWaiting = false;
    }
    const int n = event.value("n");
    switch (event.op) {
    case Op::StatusRequest:
        m_statusWaiting = true;
        m_statusOffset = event.offset;
        m_statusToClient = m_engine.printingClientBytes();
        break;
    case Op::SensorStatus:
        answerSensor(n);
        break;
    case Op::PrinterId:
        answerId(n);
        break;
    case Op::AutoStatus:
        enableAutomaticStatus(n);
        break;
    case Op::DrawerKick:
        kickDrawer();
        break;
    case Op::Buzzer: // ESC B n t, ESC ( A pL pH n c t1 t2
        Q_EMIT buzzed(std::max(event.command->length == 3 ? event.value("c") : n, 1));
        break;
    default:
        break;
    }
}

// Clients send DLE EOT and its n in separate writes that arrive moments apart: the ZP40x's
// DLE EOT is answered once nothing has followed it for a while.
void StatusResponder::endOfInput()
{
    if (m_statusWaiting && !m_statusTimer.isActive())
        m_statusTimer.start();
}

void StatusResponder::endOfJob()
{
    m_statusTimer.stop();
    if (std::exchange(m_statusWaiting, false))
        answerStatusLine();
}

void StatusResponder::answerStatusLine()
{
    // A reply dropped for a host that reads none is counted, not traced.
    const QByteArray text = m_setup.statusLine();
    if (m_replies.reply(text, m_statusToClient))
        m_engine.note(QStringLiteral("reply \"%1\"").arg(QString::fromLatin1(text.chopped(2))),
                      m_statusOffset);
}

void StatusResponder::answerRealtime(int n, bool toClient)
{
    if (const std::optional<std::uint8_t> status = m_printer.realtimeStatus(n))
        send(QByteArray(1, char(*status)), toClient, QStringLiteral("DLE EOT %1").arg(n));
    else
        m_engine.note(QStringLiteral("DLE EOT %1: no such status; not answered").arg(n));
}

void StatusResponder::answerSensor(int n)
{
    if (const std::optional<std::uint8_t> status = m_printer.sensorStatus(n))
        send(QByteArray(1, char(*status)), m_engine.printingClientBytes(),
             QStringLiteral("GS r %1").arg(n));
    else
        m_engine.note(QStringLiteral("GS r %1: no such status; not answered").arg(n));
}

void StatusResponder::answerId(int n)
{
    const QByteArray reply = idReply(n);
    if (reply.isEmpty())
        m_engine.note(QStringLiteral("GS I %1: no such ID; not answered").arg(n));
    else
        send(reply, m_engine.printingClientBytes(), QStringLiteral("GS I %1").arg(n));
}

void StatusResponder::enableAutomaticStatus(int items)
{
    m_automaticItems = items & 0x0F;
    m_automaticToClient = m_engine.printingClientBytes();
    if (m_automaticItems != 0)
        sendAutomaticStatus();
}

void StatusResponder::sendAutomaticStatus()
{
    m_lastAutomatic = m_printer.automaticStatus();
    send(m_lastAutomatic, m_automaticToClient, QStringLiteral("automatic status"));
}

void StatusResponder::kickDrawer()
{
    m_printer.setDrawerOpen(true);
    if (m_setup.drawerCloseMs > 0)
        m_drawerTimer.start(m_setup.drawerCloseMs);
}

void StatusResponder::printerChanged(const QString &what)
{
    m_engine.note(QStringLiteral("printer: %1 (%2)").arg(what, m_printer.describe()));
    if (m_printer.paper() == PrinterState::Paper::Ok)
        m_rollStartRow = m_engine.paper().length(); // a new roll
    if (!m_printer.drawerOpen())
        m_drawerTimer.stop();
    const bool wasHeld = m_engine.held();
    m_engine.setHeld(m_printer.offline());
    if (wasHeld && !m_printer.offline())
        Q_EMIT resumed();
    if (m_automaticItems != 0 &&
        (PrinterState::changedItems(m_lastAutomatic, m_printer.automaticStatus()) &
         m_automaticItems))
        sendAutomaticStatus();
}

// A roll of finite length: near its end when nearEndMm are left, out when it is used up.
void StatusResponder::checkRoll()
{
    if (m_setup.rollLengthMm <= 0 || m_printer.paper() == PrinterState::Paper::Out)
        return;
    const int used = (m_engine.paper().length() - m_rollStartRow) / Protocol::dotsPerMm;
    const int left = m_setup.rollLengthMm - used;
    if (left <= 0)
        m_printer.setPaper(PrinterState::Paper::Out);
    else if (left <= m_setup.nearEndMm && m_printer.paper() == PrinterState::Paper::Ok)
        m_printer.setPaper(PrinterState::Paper::NearEnd);
}

void StatusResponder::send(const QByteArray &bytes, bool toClient, const QString &what)
{
    if (m_replies.reply(bytes, toClient))
        m_engine.note(QStringLiteral("reply to %1: %2").arg(what, hexBytes(bytes)));
}

} // namespace Virtual
