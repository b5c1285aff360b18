// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/streamdecoder.h"

#include <QByteArrayView>
#include <QObject>

namespace Virtual {

// The real-time commands of common printers as the bytes arrive, before they wait in the receive
// buffer: DLE EOT n is answered and DLE DC4 1 m t kicks the drawer at once, also while earlier
// bytes still wait to print or the printer is offline. Each host's bytes are decoded on their
// own, so that a data block (a picture) is never searched for commands.
//
// A ZP40x's own DLE EOT takes no n: the byte after it decides. A byte 1-4 makes it the common
// printers' DLE EOT n, answered here with one status byte; anything else, or nothing within
// 50 ms, leaves the ZP40x's DLE EOT, which the print engine answers in turn with its line of text.
class RealtimeWatch : public QObject
{
    Q_OBJECT
public:
    RealtimeWatch();

    void received(QByteArrayView bytes, bool fromClient);
    // The client's connection ended: the next client's stream starts afresh.
    void endClientJob() { m_client.decoder.finish(); }

Q_SIGNALS:
    void statusRequested(int n, bool fromClient);
    void drawerKicked(bool fromClient);

private:
    struct Host : EventSink
    {
        Host(RealtimeWatch &watch, bool client) : watch(watch), client(client), decoder(this) {}
        void handle(const Event &event) override;
        RealtimeWatch &watch;
        bool client;
        StreamDecoder decoder;
    };
    Host m_line;
    Host m_client;
};

} // namespace Virtual
