// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/live/realtimewatch.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace Virtual {

class PrintEngine;
class PrinterState;
class ReplyQueue;
struct Event;

// The printer's half of the conversation: what it tells the host of its sensors, and what the
// sensors do to the printing.
//
//  - DLE EOT n (real-time, as the bytes arrive): one status byte.
//  - DLE EOT alone (the ZP40x's own, in turn): the status line of text, once the byte after it
//    has shown that no n follows (or nothing more has come).
//  - GS r n and GS I n (in turn): the sensor byte, the ID byte or the ID text (0x5F, the text,
//    NUL). An n without a reply is traced and not answered.
//  - GS a n: the four status bytes once when enabled and on every change of an enabled item,
//    to the host that enabled it.
//  - ESC p and DLE DC4 1: the drawer opens, and closes again after the set time.
//  - ESC B and ESC ( A: the buzzer.
//  - Paper out or cover open hold the print engine; a finite roll runs out as it is used.
class StatusResponder : public QObject
{
    Q_OBJECT
public:
    struct Setup
    {
        int rollLengthMm = 0; // 0: endless
        int nearEndMm = 0;
        int drawerCloseMs = 0; // 0: by hand only
        std::function<QByteArray()> statusLine; // the ZP40x's status text
    };

    // How long a DLE EOT that ends what has come waits for an n before it is the ZP40x's own.
    static constexpr int nextByteWaitMs = 50;

    StatusResponder(PrinterState &printer, PrintEngine &engine, ReplyQueue &replies,
                    const Setup &setup);

    // An event the print engine has come to.
    void handle(const Event &event);
    // The print engine's turn is over with the buffer empty: no n follows a waiting DLE EOT.
    void endOfInput();
    // The job has ended (its connection closed): no n can follow a waiting DLE EOT.
    void endOfJob();
    RealtimeWatch &watch() { return m_watch; }

Q_SIGNALS:
    void buzzed(int times);
    // The printer is back online: the hosts may send again.
    void resumed();

private:
    void answerStatusLine();
    void answerRealtime(int n, bool toClient);
    void answerSensor(int n);
    void answerId(int n);
    void enableAutomaticStatus(int items);
    void sendAutomaticStatus();
    void kickDrawer();
    void printerChanged(const QString &what);
    void checkRoll();
    void send(const QByteArray &bytes, bool toClient, const QString &what);

    PrinterState &m_printer;
    PrintEngine &m_engine;
    ReplyQueue &m_replies;
    Setup m_setup;
    RealtimeWatch m_watch;
    QTimer m_drawerTimer;
    QTimer m_statusTimer;

    bool m_statusWaiting = false; // a DLE EOT whose next byte has not come yet
    std::uint64_t m_statusOffset = 0;
    bool m_statusToClient = false;
    int m_automaticItems = 0; // GS a
    bool m_automaticToClient = false;
    QByteArray m_lastAutomatic;
    int m_rollStartRow = 0;
};

} // namespace Virtual
