// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/renderer.h"
#include "virtual/streamdecoder.h"
#include "virtual/tracewriter.h"

#include <QByteArrayView>

#include <optional>

class QIODevice;

namespace Virtual {

// A ZP40x controller without hardware: it takes the byte stream the tool sends, in pieces of
// any size, prints it on a paper roll and, if asked, writes a trace of every command.
//
//   VirtualController controller({.headType = 0, .trace = &traceFile});
//   controller.feed(bytes);
//   controller.finish();
//   controller.paper().save("roll.png");
class VirtualController : private EventSink
{
public:
    struct Options
    {
        int headType = 0;                        // as ESC Z n would select it
        int maxLength = Paper::defaultMaxLength; // rows of the roll
        QIODevice *trace = nullptr;              // not owned; no trace when null
        const FontSet *fonts = nullptr;          // the system fonts when null
        EventSink *observer = nullptr;           // told of every event after the paper and trace
        bool stampTimes = false;                 // receipts say when they started and ended
        bool endlessRoll = false;                // the roll holds its last maxLength rows
    };

    explicit VirtualController(const Options &options);
    VirtualController(const VirtualController &) = delete;
    VirtualController &operator=(const VirtualController &) = delete;

    void feed(QByteArrayView bytes);
    // The end of the stream: reports an unfinished command and text that no line end printed.
    void finish();
    // A line of the trace's own, at `offset` of the stream or where the stream has got to: what
    // happened around the commands (a reply sent, the line's settings).
    void note(const QString &text, std::optional<std::uint64_t> offset = std::nullopt);
    // Writes out the trace line that is still counting its repeats, for a reader of the trace
    // so far.
    void endTraceRepeats();
    // Offsets count from 0 again from the next byte on: the bytes of another connection begin.
    void restartOffsets();

    GreyImage paper() const { return m_renderer.image(); }
    const Renderer &renderer() const { return m_renderer; }

    // The receipts that have ended since the last call: by a cut, or by endReceipt() at the
    // end of a job (finish() ends one too).
    std::vector<ReceiptRecord> takeReceipts() { return m_renderer.takeReceipts(); }
    void endReceipt() { m_renderer.endReceipt(); }
    // Where the bytes come from from now on: "pty" and the line's path, "tcp" and the peer's
    // address, "file" and its name.
    void setSource(const QString &kind, const QString &address)
    {
        m_renderer.setSource(kind, address);
    }

    // Renders a whole stream at once.
    static GreyImage render(QByteArrayView stream, int headType = 0);

private:
    void handle(const Event &event) override;
    void record(const Event &event, const QString &remark);

    Renderer m_renderer;
    std::optional<TraceWriter> m_trace;
    StreamDecoder m_decoder;
    EventSink *m_observer;
    const FontSet *m_fonts; // until the first bytes: whether they are complete is said then
};

} // namespace Virtual
