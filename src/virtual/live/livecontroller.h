// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/linesettings.h"
#include "virtual/live/pseudoterminal.h"
#include "virtual/streamdecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QHostAddress;
class QSettings;
class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

namespace Virtual {

class FontSet;
class Paper;
class VirtualController;

// A ZP40x controller at the far end of a serial line, on a pseudo-terminal: the host opens the
// line's device (or the link to it) as it would open a serial adapter.
//
// What happens to a byte the host sends:
//  1. The line. It is taken from the pseudo-terminal no faster than the host's settings allow
//     (speed / bits per byte: 11,520 bytes a second at 115200 8N1), unless pacing is off.
//     Bytes sent while the host's settings do not match the controller's (GS ( switches them)
//     are garbage to the controller: they are dropped and the trace says why.
//  2. The receive buffer, receiveBufferSize bytes. With XON/XOFF flow control at both ends the
//     controller sends XOFF as the buffer reaches highWater bytes (just before the read that
//     would take it there) and XON once it is down to lowWater; the host's kernel then really
//     stops and restarts the host's output. Otherwise a full
//     buffer takes nothing more until there is room: that is hardware flow control (which a
//     pseudo-terminal cannot signal otherwise); without flow control at both ends a real
//     controller would lose bytes there, and the trace says so.
//  3. The print engine takes the bytes from the buffer and prints them on the paper roll,
//     feeding paper at printSpeed mm a second (as fast as it can draw when 0). So text, with a
//     line feed every few bytes, prints slower than the line brings it, and the buffer fills.
//
// With listen(), the controller also takes jobs over TCP, as network receipt printers do: one
// client at a time, each connection one job. Its bytes go into the same receive buffer and print
// engine as the line's; while the buffer is full the controller reads nothing from the socket,
// so TCP's own flow control holds the client back. The end of a connection ends its job as the
// end of a stream does: a command it left unfinished is reported, and the next connection is
// taken. Replies go back to the endpoint whose bytes asked for them.
//
// DLE ENQ and DLE EOT are answered with a line of ASCII text ending in CR LF. At most
// maxWaitingReplies bytes of replies wait for a host that does not read; further replies are
// dropped, and the trace says so once. ESC Z's print head
// type is kept in the settings (the controller's flash) and is there again at the next start.
// DLE SYN puts the controller to sleep until the next byte.
class LiveController : public QObject, private EventSink
{
    Q_OBJECT
public:
    static constexpr int receiveBufferSize = 4096;
    // XOFF leaves room for 512 bytes more: what is already on its way when the host stops.
    static constexpr int highWater = 3584;
    static constexpr int lowWater = 1024;
    static constexpr int defaultPrintSpeed = 100; // mm a second: 800 dot rows
    static constexpr int maxWaitingReplies = 4096;

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
        QIODevice *capture = nullptr;   // every byte the print engine takes; not owned
        const FontSet *fonts = nullptr; // the system fonts when null
    };

    struct Stats
    {
        quint64 received = 0; // bytes taken from the line
        quint64 garbage = 0;  // of those, bytes that came while the settings did not match
        quint64 printed = 0;  // bytes the print engine took from the receive buffer
        int maxFill = 0;      // the fullest the receive buffer has been
        int xoffSent = 0;
        int xonSent = 0;
        int hostStops = 0;   // times the pseudo-terminal reported the host's output stopped
        quint64 wakeups = 0; // times the line said it had something to read
    };

    explicit LiveController(const Options &options, QObject *parent = nullptr);
    ~LiveController() override;

    bool isOpen() const { return m_pty.isOpen(); }
    QString errorString() const { return m_error.isEmpty() ? m_pty.errorString() : m_error; }
    // The path the host opens: the link, or the pseudo-terminal's own device without one.
    QString devicePath() const;

    // Takes jobs over TCP on `address`:`port` (any free port for 0). False, with errorString(),
    // when the address cannot be had.
    bool listen(const QHostAddress &address, quint16 port);
    // Where it listens ("127.0.0.1:9100"), empty when it does not.
    QString listenAddress() const;
    // The client being printed ("127.0.0.1:53124") and the bytes taken from it; empty and 0
    // without one.
    QString clientAddress() const;
    quint64 clientBytes() const { return m_clientBytes; }

    // The controller's UART and what the host's port is set to, as the pseudo-terminal says.
    LineSettings controllerLine() const { return m_line; }
    LineSettings hostLine() const { return m_host; }
    bool settingsMatch() const { return m_line.understands(m_host); }
    bool hostStopped() const { return m_hostStopped; }
    bool sleeping() const { return m_sleeping; }
    int headType() const { return m_headType; }
    int bufferFill() const { return int(m_buffer.size()); }
    const Stats &stats() const { return m_stats; }

    const Paper &paper() const;
    QImage paperImage() const;

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

private:
    void handle(const Event &event) override;

    void newRoll();
    void pollHost();
    void readLine(bool notified);
    void receive(const char *data, qsizetype size);
    void hostFlow(unsigned char status);
    bool xoffDue(int allowed) const;
    void updateFlow();
    void sendFlow(bool stop);
    void runEngine();
    void scheduleEngine();
    int print(QByteArrayView piece);
    void reply(const QByteArray &text, const Event &request);
    void send(const QByteArray &bytes, bool first = false);
    bool roomForReply(qsizetype waiting, qsizetype size);
    void takeClient();
    void readClient();
    void endClientJob();
    void append(const char *data, qsizetype size, bool fromClient);
    void flushOutput();
    void note(const QString &text, std::optional<std::uint64_t> offset = std::nullopt);
    void emitTrace();
    double bytesPerSecond() const;
    // XON/XOFF works when both ends use it; the controller leaves XOFF out when the host's port
    // would only read it as a stray byte.
    bool xonXoffInUse() const;
    // Some flow control that both ends use stands between the host and an overrun.
    bool flowInUse() const;

    Options m_options;
    PseudoTerminal m_pty;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    std::unique_ptr<QSettings> m_settings;
    QBuffer m_traceBuffer;
    std::unique_ptr<VirtualController> m_controller;

    LineSettings m_line;
    LineSettings m_host;
    int m_headType = 0;

    // The line.
    QElapsedTimer m_clock;
    QTimer m_lineTimer;
    QTimer m_pollTimer;
    double m_credit = 0; // bytes the line has brought since the last read
    qint64 m_creditTime = 0;
    bool m_lineIdle = true;
    bool m_waitingForRoom = false;
    bool m_hostStopped = false;
    bool m_inMismatch = false;
    quint64 m_mismatchBytes = 0;
    bool m_overrunNoted = false;
    bool m_flowNoted = false;

    // The network endpoint: one client at a time. The client stays until the engine has printed
    // the last of its bytes, so that replies to them still find it.
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket *m_client = nullptr;
    QString m_clientPeer;
    quint64 m_clientBytes = 0;
    bool m_clientEndQueued = false;
    QString m_error;

    // The receive buffer and the flow control. The buffer is a run of spans, each from one
    // endpoint; a span of the client's that ends its connection closes the client's job.
    struct Span
    {
        qsizetype length;
        bool fromClient;
        bool endsJob;
    };
    QByteArray m_buffer;
    std::deque<Span> m_spans;
    bool m_replyToClient = false;
    bool m_repliesDropped = false;
    bool m_xoff = false;
    QByteArray m_output;

    // The print engine.
    QTimer m_engineTimer;
    qint64 m_mechanismFreeAt = 0;
    quint64 m_fed = 0;
    bool m_sleepRequested = false;
    quint64 m_sleepAfter = 0;
    bool m_sleeping = false;
    int m_lastCut = 0;
    std::vector<std::pair<int, int>> m_cuts;

    Stats m_stats;
};

} // namespace Virtual
