// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/hostwatch.h"
#include "virtual/live/linesettings.h"
#include "virtual/live/livestats.h"
#include "virtual/live/networkendpoint.h"
#include "virtual/live/printengine.h"
#include "virtual/live/printerstate.h"
#include "virtual/live/pseudoterminal.h"
#include "virtual/live/receivebuffer.h"
#include "virtual/live/replyqueue.h"
#include "virtual/live/serialline.h"
#include "virtual/live/statusresponder.h"
#include "virtual/paper.h"
#include "virtual/streamdecoder.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class QHostAddress;
class QSettings;

namespace Virtual {

class FontSet;
class Paper;

// A ZP40x controller at the far end of a serial line, on a pseudo-terminal: the host opens the
// line's device (or the link to it) as it would open a serial adapter.
//
// What happens to a byte the host sends:
//  1. The line (SerialLine). It is taken from the pseudo-terminal no faster than the host's
//     settings allow (speed / bits per byte: 11,520 bytes a second at 115200 8N1), unless pacing
//     is off. Bytes sent while the host's settings do not match the controller's (GS ( switches
//     them) are garbage to the controller: they are dropped and the trace says why.
//  2. The receive buffer (ReceiveBuffer), receiveBufferSize bytes for each host. With XON/XOFF flow
//  control at
//     both ends the controller sends XOFF as the buffer reaches highWater bytes (just before the
//     read that would take it there) and XON once it is down to lowWater; the host's kernel then
//     really stops and restarts the host's output. Otherwise a full buffer takes nothing more
//     until there is room: that is hardware flow control (which a pseudo-terminal cannot signal
//     otherwise); without flow control at both ends a real controller would lose bytes there,
//     and the trace says so.
//  3. The print engine (PrintEngine) takes the bytes from the buffer and prints them on the paper
//     roll, feeding paper at printSpeed mm a second (as fast as it can draw when 0). So text,
//     with a line feed every few bytes, prints slower than the line brings it, and the buffer
//     fills.
//
// With listen(), the controller also takes jobs over TCP (NetworkEndpoint), as network receipt
// printers do: one client at a time, each connection one job. Its bytes go into the same receive
// buffer and print engine as the line's, one host's job at a time; while its share of the buffer
// is full the controller reads nothing from the socket, so TCP's own flow control holds the
// client back. The end of a connection ends
// its job as the end of a stream does: a command it left unfinished is reported, and the next
// connection is taken. Replies go back to the endpoint whose bytes asked for them (ReplyQueue).
//
// DLE ENQ and DLE EOT are answered with a line of ASCII text ending in CR LF. At most
// maxWaitingReplies bytes of replies wait for a host that does not read; further replies are
// dropped, and the trace says so once. ESC Z's print head type is kept in the settings (the
// controller's flash) and is there again at the next start. DLE SYN puts the controller to sleep
// until the next byte.
//
// This class ties the parts together: it owns them and the pseudo-terminal, answers the commands
// that concern the controller rather than the paper (handle()), and keeps the print head type.
class LiveController : public QObject, private EventSink
{
    Q_OBJECT
public:
    static constexpr int receiveBufferSize = ReceiveBuffer::capacity;
    // XOFF leaves room for 512 bytes more: what is already on its way when the host stops.
    static constexpr int highWater = SerialLine::highWater;
    static constexpr int lowWater = SerialLine::lowWater;
    static constexpr int defaultPrintSpeed = 100; // mm a second: 800 dot rows
    static constexpr int maxWaitingReplies = ReplyQueue::maxWaiting;

    static constexpr char firmwareVersion[] = "1.30";
    // Where the program keeps its settings: QSettings(organizationName, applicationName).
    static constexpr char organizationName[] = "Tessivar";
    static constexpr char applicationName[] = "tessivar-virtual-controller";

    struct Options
    {
        QString linkPath;                   // a symbolic link to the line's device; none if empty
        bool pacing = true;                 // take bytes no faster than the host's speed
        int printSpeed = defaultPrintSpeed; // mm a second; 0 prints as fast as it can
        QString settingsFile; // an INI file for the print head type; the program's own if empty
        QIODevice *capture = nullptr;             // every byte the print engine takes; not owned
        const FontSet *fonts = nullptr;           // the system fonts when null
        int rollLengthMm = 0;                     // the paper roll's length; 0: endless
        int drawerCloseMs = defaultDrawerCloseMs; // a kicked drawer closes after; 0: by hand
        int heldRows = Paper::defaultMaxLength;   // the roll holds its last rows, and the receipt
                                                  // under way
    };
    static constexpr int defaultDrawerCloseMs = 3000;
    // A finite roll is near its end when this much of it is left.
    static constexpr int nearEndMm = 1000;

    using Stats = LiveStats;

    explicit LiveController(const Options &options, QObject *parent = nullptr);
    ~LiveController() override;

    bool isOpen() const { return m_pty.isOpen(); }
    QString errorString() const;
    // The path the host opens: the link, or the pseudo-terminal's own device without one.
    QString devicePath() const;

    // Takes jobs over TCP on `address`:`port` (any free port for 0). False, with errorString(),
    // when the address cannot be had.
    bool listen(const QHostAddress &address, quint16 port);
    // A client that sends nothing for this long, once what it sent has printed, is closed; 0
    // waits for ever.
    void setIdleTimeout(int ms) { m_network.setIdleTimeout(ms); }
    // One host's job prints at a time: a host that sends nothing for this long has ended its job,
    // and the other host's may print.
    void setJobTimeout(int ms) { m_buffer.setJobTimeout(ms); }
    // Where it listens ("127.0.0.1:9100"), empty when it does not.
    QString listenAddress() const { return m_network.listenAddress(); }
    // The client being printed ("127.0.0.1:53124") and the bytes taken from it; empty and 0
    // without one.
    QString clientAddress() const { return m_network.clientAddress(); }
    quint64 clientBytes() const { return m_network.clientBytes(); }

    // The controller's UART and what the host's port is set to, as the pseudo-terminal says.
    LineSettings controllerLine() const { return m_line.controllerLine(); }
    LineSettings hostLine() const { return m_line.hostLine(); }
    bool settingsMatch() const { return m_line.settingsMatch(); }
    bool hostStopped() const { return m_line.hostStopped(); }
    bool sleeping() const { return m_engine.sleeping(); }
    int headType() const { return m_headType; }
    int bufferFill() const { return m_buffer.fill(); }
    const Stats &stats() const { return m_stats; }

    // The paper roll, the cover and the cash drawer: set them to see what the host does.
    PrinterState &printer() { return m_printer; }
    const PrinterState &printer() const { return m_printer; }

    const Paper &paper() const { return m_engine.paper(); }
    GreyImage paperImage() const { return m_engine.paperImage(); }

    // The replies to DLE ENQ and DLE EOT as they would be sent now.
    QByteArray firmwareReply() const;
    QByteArray statusReply() const;

    // A fresh roll: the paper, the print modes and the command under way are gone, the print
    // head type stays.
    void clearPaper();
    // The end of the session: the trace reports what is left unfinished.
    void finish();

Q_SIGNALS:
    void paperChanged();
    // One or more complete lines of the trace, each ending in a line feed.
    void traced(const QString &lines);
    // The host's or the controller's line settings, the flow control state or sleep changed, or
    // a network client came or went.
    void lineChanged();
    // The paper was cut: rows fromRow to toRow (not included) are the piece cut off.
    void cut(int fromRow, int toRow);
    // The buzzer sounded (ESC B, ESC ( A) `times` times.
    void buzzed(int times);
    // A receipt has ended, by a cut or with its job (a TCP connection closed, the session's
    // end): what was printed on it.
    void receiptEnded(const Virtual::ReceiptRecord &receipt);

private:
    void handle(const Event &event) override;

    void connectParts();
    void reply(const QByteArray &text, const Event &request);
    void endClientJob();

    Options m_options;
    std::unique_ptr<QSettings> m_settings;
    int m_headType = 0;
    Stats m_stats;
    PrinterState m_printer;

    // The parts refer to one another and to the pseudo-terminal, declared first so that it
    // closes last, after the notifiers on its descriptor have gone.
    PseudoTerminal m_pty;
    ReceiveBuffer m_buffer;
    PrintEngine m_engine;
    NetworkEndpoint m_network;
    ReplyQueue m_replies;
    SerialLine m_line;
    StatusResponder m_status;
    std::unique_ptr<HostWatch> m_hostWatch;
};

} // namespace Virtual
