// SPDX-License-Identifier: MIT
#include "virtual/virtualcontroller.h"

#include <algorithm>
#include <utility>

namespace Virtual {

VirtualController::VirtualController(const Options &options)
    : m_renderer({options.headType, options.maxLength, options.fonts, options.stampTimes,
                  options.endlessRoll}),
      m_decoder(this),
      m_observer(options.observer)
{
    if (options.trace)
        m_trace.emplace(options.trace);
    m_fonts = options.fonts ? options.fonts : &FontSet::system();
}

void VirtualController::feed(QByteArrayView bytes)
{
    // The fonts come from packages the controller only recommends: say once why text is boxes.
    // Not before the first bytes, so that making a controller does not wait for its fonts.
    if (const FontSet *fonts = std::exchange(m_fonts, nullptr);
        fonts && m_trace && !fonts->isComplete())
        m_trace->note(0, QStringLiteral("fonts missing, characters print as boxes (%1); install %2")
                             .arg(fonts->missing(), fonts->missingPackages().join(u' ')));
    m_decoder.feed(bytes);
}

void VirtualController::finish()
{
    const std::uint64_t end = m_decoder.offset();
    m_decoder.finish();
    m_renderer.endReceipt();
    if (!m_trace)
        return;
    if (const int unprinted = m_renderer.unprintedCharacters())
        m_trace->note(end, (unprinted == 1 ? QStringLiteral("1 character waits")
                                           : QStringLiteral("%1 characters wait").arg(unprinted)) +
                               QStringLiteral(" for a line end; not printed"));
    if (m_renderer.pageWaiting())
        m_trace->note(end, QStringLiteral("the page of page mode was never printed (no FF)"));
    m_trace->finish();
}

void VirtualController::note(const QString &text, std::optional<std::uint64_t> offset)
{
    if (m_trace)
        m_trace->note(offset.value_or(m_decoder.offset()), text);
}

void VirtualController::endTraceRepeats()
{
    if (m_trace)
        m_trace->endRepeats();
}

void VirtualController::restartOffsets()
{
    if (m_trace)
        m_trace->flush();
    m_decoder.restartOffsets();
}

void VirtualController::handle(const Event &event)
{
    const QString remark = m_renderer.handle(event);
    record(event, remark);
    if (m_trace)
        m_trace->write(event, remark);
    if (m_observer)
        m_observer->handle(event);
}

// What the receipt's record takes from the events beside what the renderer draws: drawer kicks,
// the buzzer, and the commands skipped, not understood or not carried out as sent.
void VirtualController::record(const Event &event, const QString &remark)
{
    const std::string_view mnemonic = event.command ? event.command->mnemonic : std::string_view();
    ReceiptRecord &receipt = m_renderer.receipt();
    if (mnemonic == "ESC p") {
        // The short ESC p m pulses as drivers do by default: t1 25, t2 250.
        const int t1 = event.value("t1");
        const int t2 = event.value("t2");
        receipt.addDrawerKick(event.offset, event.value("m"), (t1 < 0 ? 25 : t1) * 2,
                              (t2 < 0 ? 250 : t2) * 2);
        return;
    }
    if (mnemonic == "ESC ( A") {
        receipt.addBuzzer(event.offset);
        return;
    }
    const bool skipped =
        event.op == Op::Unknown || event.op == Op::Truncated || event.op == Op::Skipped;
    if (!skipped && remark.isEmpty())
        return;
    const QString reason = !remark.isEmpty()         ? remark
                           : event.op == Op::Unknown ? QStringLiteral("no command or character")
                           : event.op == Op::Truncated
                               ? QStringLiteral("the stream ends inside the command")
                               : QStringLiteral("not carried out");
    receipt.addSkipped(
        event.offset, QString::fromLatin1(mnemonic.data(), qsizetype(mnemonic.size())),
        QByteArrayView(event.bytes.data(), std::min<qsizetype>(event.byteCount, 8)), reason);
}

GreyImage VirtualController::render(QByteArrayView stream, int headType)
{
    VirtualController controller({headType});
    controller.feed(stream);
    controller.finish();
    return controller.paper();
}

} // namespace Virtual
