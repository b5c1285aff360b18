// SPDX-License-Identifier: MIT
#include "virtual/streamdecoder.h"

#include "virtual/codepages.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <mutex>

namespace Virtual {

using namespace Wire;
using Protocol::Layout;

namespace {

// Control bytes that are commands or prefixes in their own right; any other byte 01-1F is the
// high byte of a UTF-16 code unit. FF and CAN (page mode) can be no high byte the tool sends:
// U+0Cxx and U+18xx are outside the supported ranges.
constexpr bool isCommandByte(std::uint8_t byte)
{
    return byte == NUL || byte == HT || byte == LF || byte == FF || byte == CR || byte == CAN ||
           byte == DLE || byte == ESC || byte == FS || byte == GS;
}

constexpr bool inRange(std::uint8_t byte, std::uint8_t low, std::uint8_t high)
{
    return byte >= low && byte <= high;
}

constexpr bool inRange(char16_t unit, char16_t low, char16_t high)
{
    return unit >= low && unit <= high;
}

// The characters the controller takes as UTF-16 with a high byte 01-1F: the Latin, Greek and
// Arabic ranges the tool's language tour names (its Arabic rows also send U+0656-U+0658,
// U+06EE, U+06EF and U+06FF).
constexpr bool isSupportedUtf16(char16_t unit)
{
    switch (unit >> 8) {
    case 0x01:
        return unit <= 0x017F || inRange(unit, u'\u01A0', u'\u01CF') || unit >= 0x01F0;
    case 0x02:
        return inRange(unit, u'\u0210', u'\u021F');
    case 0x03:
        return inRange(unit, u'\u0374', u'\u0375') || inRange(unit, u'\u037A', u'\u037E') ||
               inRange(unit, u'\u0384', u'\u038A') || unit == 0x038C ||
               inRange(unit, u'\u038E', u'\u03A1') || inRange(unit, u'\u03A3', u'\u03CE');
    case 0x06:
        return unit == 0x060C || unit == 0x061B || unit == 0x061F ||
               inRange(unit, u'\u0621', u'\u063A') || inRange(unit, u'\u0640', u'\u0658') ||
               inRange(unit, u'\u0660', u'\u066F') || unit >= 0x0671;
    case 0x1E:
        return inRange(unit, u'\u1EA0', u'\u1EF9');
    default:
        return false;
    }
}

// The row with fewer parameters that follows `row` with the same bytes: the short form common
// printers send without the rest of `row`'s parameters (bare ESC 4 and ESC m, ESC p m).
const Protocol::Command *shortForm(const Protocol::Command &row)
{
    const std::span<const Protocol::Command> table = Protocol::commandTable;
    const std::less<const Protocol::Command *> before;
    if (before(&row, table.data()) || !before(&row + 1, table.data() + table.size()) ||
        row.parameters.empty())
        return nullptr;
    const Protocol::Command *next = &row + 1;
    const bool same = next->length == row.length && next->bytes == row.bytes;
    return same && next->parameters.size() < row.parameters.size() && next->layout == Layout::Fixed
               ? next
               : nullptr;
}

constexpr bool isPrefix(std::uint8_t byte)
{
    return byte == ESC || byte == FS || byte == GS || byte == DLE;
}

constexpr int word(std::uint8_t low, std::uint8_t high)
{
    return low | high << 8;
}

// The bytes of common printers' parameters after DLE EOT (n 1-4), DLE ENQ (n 1, 2) and
// DLE DC4 (fn 1 m t, fn 2 a b, fn 7 m, fn 8 and seven bytes) that begin with `first`; 0 where
// `first` begins none.
constexpr int realtimeParameterBytes(std::uint8_t command, std::uint8_t first)
{
    switch (command) {
    case EOT:
        return first >= 1 && first <= 4 ? 1 : 0;
    case ENQ:
        return first == 1 || first == 2 ? 1 : 0;
    case DC4:
        return first == 1 || first == 2 ? 3 : first == 7 ? 2 : first == 8 ? 8 : 0;
    default:
        return 0;
    }
}

// The rows of the parameters that common printers take after DLE EOT, DLE ENQ and DLE DC4.
bool isRealtimeRow(const Protocol::Command *command)
{
    return command == &Protocol::realtimeStatus || command == &Protocol::realtimeRequest ||
           command == &Protocol::realtimeControl;
}

bool announcesBlock(const Protocol::Command &command, const Event &event);

constexpr std::uint64_t longWord(const std::uint8_t *bytes)
{
    return std::uint64_t(bytes[0]) | std::uint64_t(bytes[1]) << 8 | std::uint64_t(bytes[2]) << 16 |
           std::uint64_t(bytes[3]) << 24;
}

} // namespace

namespace {
// The table's entries of the one-byte commands, looked up once.
const Protocol::Command *controlCommand(std::uint8_t byte)
{
    static const std::array<const Protocol::Command *, 0x20> entries = [] {
        std::array<const Protocol::Command *, 0x20> all{};
        for (std::uint8_t b = 0; b < 0x20; ++b)
            all[b] = Protocol::findCommand(b, 0, 0);
        return all;
    }();
    return entries[byte & 0x1F];
}
} // namespace

StreamDecoder::StreamDecoder(EventSink *sink) : m_sink(sink), m_singleByte(&defaultCodePage()) {}

void StreamDecoder::feed(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        if (m_inBlock) {
            const auto take =
                qsizetype(std::min<std::uint64_t>(m_blockRemaining, std::uint64_t(size - i)));
            emitBlockData({data + i, std::size_t(take)});
            i += take;
            continue;
        }
        step(data[i], m_offset);
        ++m_offset;
        ++i;
    }
}

void StreamDecoder::finish()
{
    if (m_inBlock) {
        Event end;
        end.op = Op::BlockEnd;
        end.offset = m_offset;
        end.position = m_blockPosition;
        end.complete = false;
        m_sink->handle(end);
    }
    // A command whose short form the stream ends with is that short form (ESC p m at the end).
    const Protocol::Command *bare =
        m_command && m_functionChosen && m_command->layout == Layout::Fixed ? shortForm(*m_command)
                                                                            : nullptr;
    if (bare && m_pendingCount == m_command->length + bare->parameterBytes()) {
        m_command = bare;
        complete(m_pendingCount);
    } else if (m_pendingCount > 0) {
        Event truncated = pendingEvent(Op::Truncated, m_pendingCount);
        m_sink->handle(truncated);
    }
    m_offset = 0;
    m_doubleByte = false;
    m_shiftJis = false;
    m_escZSymbol = false;
    m_singleByte = &defaultCodePage();
    m_command = nullptr;
    m_functionChosen = false;
    m_realtime = 0;
    m_nextRealtime = 0;
    m_userCharactersLeft = 0;
    m_pendingCount = 0;
    m_inBlock = false;
    m_blockRemaining = 0;
    m_blockPosition = 0;
}

void StreamDecoder::emitBlockData(std::span<const std::uint8_t> piece)
{
    Event event;
    event.op = Op::BlockData;
    event.offset = m_offset;
    event.data = piece;
    event.position = m_blockPosition;
    m_sink->handle(event);

    m_offset += piece.size();
    m_blockPosition += piece.size();
    m_blockRemaining -= piece.size();
    if (m_blockRemaining == 0) {
        m_inBlock = false;
        Event end;
        end.op = Op::BlockEnd;
        end.offset = m_offset;
        end.position = m_blockPosition;
        end.complete = true;
        m_sink->handle(end);
    }
}

void StreamDecoder::step(std::uint8_t byte, std::uint64_t offset)
{
    if (m_pendingCount == 0)
        m_pendingOffset = offset;
    m_pending[std::size_t(m_pendingCount++)] = byte;

    const Result result = evaluate();
    if (result.verdict == Verdict::NeedMore)
        return;

    // What the outcome does not take, at most the last three bytes (after a UTF-16 high byte
    // that proves stray), starts what follows. (A command that announces a block always takes
    // every pending byte, so this is never block data.)
    const int used = result.used;
    const int restCount = std::min(m_pendingCount - used, 3);
    std::array<std::uint8_t, 3> rest{};
    std::copy_n(m_pending.begin() + (m_pendingCount - restCount), restCount, rest.begin());
    const std::uint64_t restOffset = m_pendingOffset + std::uint64_t(m_pendingCount - restCount);

    if (result.verdict == Verdict::Complete)
        complete(used);
    else
        reject(used);
    m_pendingCount = 0;
    m_command = nullptr;
    m_functionChosen = false;
    m_realtime = m_nextRealtime;
    m_nextRealtime = 0;

    for (int i = 0; i < restCount; ++i)
        step(rest[std::size_t(i)], restOffset + std::uint64_t(i));
}

StreamDecoder::Result StreamDecoder::evaluate()
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    const auto needs = [n](int count) {
        return n < count ? Result{Verdict::NeedMore} : Result{Verdict::Complete, count};
    };
    const std::uint8_t first = p[0];

    if (m_realtime != 0) {
        if (isRealtimeRow(m_command))
            return needs(m_realtimeLength);
        m_realtimeLength = realtimeParameterBytes(m_realtime, first);
        if (m_realtimeLength > 0) {
            m_command = m_realtime == EOT   ? &Protocol::realtimeStatus
                        : m_realtime == ENQ ? &Protocol::realtimeRequest
                                            : &Protocol::realtimeControl;
            return needs(m_realtimeLength);
        }
    }

    if (m_userCharactersLeft > 0)
        return frameUserCharacter();

    switch (first) {
    case NUL:
    case HT:
    case LF:
    case FF:
    case CR:
    case CAN:
        return {Verdict::Complete, 1};
    case ESC:
    case FS:
    case GS:
    case DLE:
        if (!m_command || !m_functionChosen) {
            const Result known = identify();
            if (known.verdict != Verdict::Complete)
                return known;
        }
        return frame(*m_command);
    default:
        break;
    }

    if (first < 0x20)
        return evaluateUtf16();
    return evaluateText();
}

// A byte 01-1F that is no command byte: the high byte of a supported UTF-16 character, or a
// stray control byte, ignored. A pair whose low byte is ESC, FS, GS or DLE is the character
// only when that byte and those after it start no command.
StreamDecoder::Result StreamDecoder::evaluateUtf16()
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    const auto stray = [this, &p] {
        m_command = p[0] == DC2 ? &Protocol::cancelCompressed : &Protocol::strayControl;
        return Result{Verdict::Complete, 1};
    };
    if (n < 2)
        return {Verdict::NeedMore};
    if (!isSupportedUtf16(char16_t(word(p[1], p[0]))))
        return stray();
    if (!isPrefix(p[1]))
        return {Verdict::Complete, 2};
    if (n < 3)
        return {Verdict::NeedMore};
    const bool three = Protocol::needsThirdByte(p[1], p[2]);
    if (three && n < 4)
        return {Verdict::NeedMore};
    if (Protocol::findCommand(p[1], p[2], three ? p[3] : 0))
        return stray();
    return {Verdict::Complete, 2};
}

// A character of one or two bytes, in the encoding of the moment.
StreamDecoder::Result StreamDecoder::evaluateText() const
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    const std::uint8_t first = p[0];
    if (m_shiftJis) { // lead bytes tell double from single bytes, with or without FS &
        if (inRange(first, 0x81, 0x9F) || inRange(first, 0xE0, 0xFC)) {
            if (n < 2)
                return {Verdict::NeedMore};
            const std::uint8_t second = p[1];
            if (inRange(second, 0x40, 0x7E) || inRange(second, 0x80, 0xFC))
                return {Verdict::Complete, 2};
            return {Verdict::Reject, 1};
        }
    } else if (m_doubleByte) {
        const bool gb = inRange(first, 0xA1, 0xFE);
        const bool jis = inRange(first, 0x21, 0x7E);
        if (gb || jis) {
            if (n < 2)
                return {Verdict::NeedMore};
            const std::uint8_t second = p[1];
            if ((gb && inRange(second, 0xA1, 0xFE)) || (jis && inRange(second, 0x21, 0x7E)))
                return {Verdict::Complete, 2};
            // A lead byte without its partner; the byte after it starts what follows.
            return {Verdict::Reject, 1};
        }
    }
    if ((*m_singleByte)[first] == 0)
        return {Verdict::Reject, 1};
    return {Verdict::Complete, 1};
}

// Which row the pending bytes are: the first with their bytes, then, in a family whose rows a
// function byte chooses, the one those bytes choose once they are in.
StreamDecoder::Result StreamDecoder::identify()
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    // The prefix and the bytes before `at` make no command: skip them, and the byte at `at` as
    // well unless it is a control byte, which then starts what follows.
    const auto rejectAt = [&p](int at) {
        return Result{Verdict::Reject, p[std::size_t(at)] < 0x20 ? at : at + 1};
    };
    if (!m_command) {
        if (n < 2)
            return {Verdict::NeedMore};
        const bool three = Protocol::needsThirdByte(p[0], p[1]);
        if (three && n < 3)
            return {Verdict::NeedMore};
        m_command = Protocol::findCommand(p[0], p[1], three ? p[2] : 0);
        if (!m_command)
            return rejectAt(three ? 2 : 1);
        // After GS Z, ESC Z is the symbol command of the printers that have GS Z, the row after
        // the print head type's.
        if (m_escZSymbol && m_command->op == Op::PrintHead)
            ++m_command;
        m_functionChosen = !Protocol::hasFunctions(*m_command);
        if (m_functionChosen)
            return {Verdict::Complete};
    }
    // The function bytes: those of the parameters that have come, and of an extended command
    // only as many as its length announces.
    const int first = m_command->firstParameter();
    if (n < first)
        return {Verdict::NeedMore};
    int available = m_command->parameterBytes();
    if (m_command->layout == Layout::Extended)
        available = word(p[std::size_t(first - 2)], p[std::size_t(first - 1)]);
    else if (m_command->layout == Layout::LongExtended)
        available = int(std::min<std::uint64_t>(longWord(&p[std::size_t(first - 4)]), 255));
    const int needed = std::min(m_command->selectorBytes(), available);
    if (n < first + needed)
        return {Verdict::NeedMore};
    m_command = &Protocol::selectFunction(*m_command, {p.data() + first, std::size_t(n - first)},
                                          available);
    m_functionChosen = true;
    return {Verdict::Complete};
}

// How many bytes the command takes, from its row.
StreamDecoder::Result StreamDecoder::frame(const Protocol::Command &command)
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    const int h = command.length;
    const int held = command.parameterBytes();
    const auto needs = [n](int count) {
        return n < count ? Result{Verdict::NeedMore} : Result{Verdict::Complete, count};
    };
    switch (command.layout) {
    case Layout::Fixed:
        if (const Protocol::Command *bare = shortForm(command)) {
            const Result form = frameShortForm(command, *bare);
            if (form.verdict == Verdict::Complete)
                m_command = bare;
            if (form.verdict != Verdict::Reject)
                return form;
        }
        return needs(h + held);
    case Layout::Raster:
    case Layout::StoreBitmap:
    case Layout::Column:
    case Layout::DefineImage:
    case Layout::Counted:
        return needs(h + held);
    case Layout::Uart:
        return needs(4);
    case Layout::TabStops:
        return frameTabStops();
    case Layout::Barcode:
        return frameBarcode();
    case Layout::Extended: {
        if (n < h + 2)
            return {Verdict::NeedMore};
        const int announced = word(p[std::size_t(h)], p[std::size_t(h + 1)]);
        return needs(h + 2 + std::min(announced, held));
    }
    case Layout::LongExtended: {
        if (n < h + 4)
            return {Verdict::NeedMore};
        const std::uint64_t announced = longWord(&p[std::size_t(h)]);
        return needs(h + 4 + int(std::min<std::uint64_t>(announced, std::uint64_t(held))));
    }
    case Layout::Cut: {
        if (n < 3)
            return {Verdict::NeedMore};
        const std::uint8_t m = p[2];
        const bool feeds = m == 65 || m == 66 || m == 97 || m == 98 || m == 103 || m == 104;
        return needs(feeds ? 4 : 3);
    }
    }
    return {Verdict::Reject, n};
}

// Whether the pending bytes are `row`'s short form `bare`: Complete with its bytes where the
// byte after them is no value of `row`'s parameter there or begins a command (a prefix and
// the bytes of a command of it: a drawer kick's t1 of 27 before 250 is still t1), NeedMore
// while that is not known, Reject for the longer row.
StreamDecoder::Result StreamDecoder::frameShortForm(const Protocol::Command &row,
                                                    const Protocol::Command &bare) const
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    const int at = row.length + bare.parameterBytes();
    if (n <= at)
        return {Verdict::NeedMore};
    const std::uint8_t next = p[std::size_t(at)];
    if (row.parameters[bare.parameters.size()].accepted(next) < 0)
        return {Verdict::Complete, at};
    if (!isPrefix(next))
        return {Verdict::Reject};
    if (n < at + 2)
        return {Verdict::NeedMore};
    const bool three = Protocol::needsThirdByte(next, p[std::size_t(at + 1)]);
    if (three && n < at + 3)
        return {Verdict::NeedMore};
    if (!Protocol::findCommand(next, p[std::size_t(at + 1)], three ? p[std::size_t(at + 2)] : 0))
        return {Verdict::Reject};
    return {Verdict::Complete, at};
}

// A user-defined character's width, then its dots. One wider than a cell is refused, and its
// data pass as a block that nothing keeps.
StreamDecoder::Result StreamDecoder::frameUserCharacter()
{
    m_command = &Protocol::userCharacter;
    const int x = m_pending[0];
    if (x > maxUserCharacterWidth)
        return {Verdict::Complete, 1};
    const int length = 1 + m_userCharacterHeight * x;
    return m_pendingCount < length ? Result{Verdict::NeedMore} : Result{Verdict::Complete, length};
}

// Stops up to NUL; a stop that does not rise, or one too many, ends the list without being
// part of it.
StreamDecoder::Result StreamDecoder::frameTabStops() const
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    if (n == 2)
        return {Verdict::NeedMore};
    const std::uint8_t last = p[std::size_t(n - 1)];
    if (last == NUL)
        return {Verdict::Complete, n};
    if ((n > 3 && last <= p[std::size_t(n - 2)]) || n - 2 > maxTabStops)
        return {Verdict::Complete, n - 1};
    return {Verdict::NeedMore};
}

StreamDecoder::Result StreamDecoder::frameBarcode() const
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    if (n < 3)
        return {Verdict::NeedMore};
    const std::uint8_t m = p[2];
    if (m < Protocol::barcodeFunctionASystems) {
        // Function A: the data up to NUL. Data too long for any barcode are skipped whole.
        if (n > 3 && p[std::size_t(n - 1)] == NUL)
            return {Verdict::Complete, n};
        return n < maxPending ? Result{Verdict::NeedMore} : Result{Verdict::Reject, n};
    }
    if (!Protocol::barcodeSystem(m))
        return {Verdict::Reject, m < 0x20 ? 2 : 3};
    if (n < 4)
        return {Verdict::NeedMore};
    return n < 4 + p[3] ? Result{Verdict::NeedMore} : Result{Verdict::Complete, 4 + p[3]};
}

Event StreamDecoder::pendingEvent(Op op, int used) const
{
    Event event;
    event.op = op;
    event.offset = m_pendingOffset;
    event.byteCount = std::min(used, int(event.bytes.size()));
    std::copy_n(m_pending.begin(), event.byteCount, event.bytes.begin());
    event.length = std::uint64_t(used);
    return event;
}

std::optional<char16_t> StreamDecoder::decodePair(Encoding encoding)
{
    std::optional<QStringDecoder> &decoder = encoding == Encoding::Gb2312     ? m_gb2312
                                             : encoding == Encoding::ShiftJis ? m_sjis
                                                                              : m_eucJp;
    if (!decoder)
        decoder.emplace(encoding == Encoding::Gb2312     ? "GB2312"
                        : encoding == Encoding::ShiftJis ? "Shift_JIS"
                                                         : "EUC-JP");
    if (!decoder->isValid())
        return std::nullopt;
    // JIS X 0208 travels in its 7-bit form; EUC-JP is the same code with the high bits set.
    const std::uint8_t high = encoding == Encoding::JisX0208 ? 0x80 : 0x00;
    const char pair[2] = {char(m_pending[0] | high), char(m_pending[1] | high)};
    const QString text = (*decoder)(QByteArrayView(pair, 2));
    const bool failed = decoder->hasError();
    decoder->resetState();
    // Rows the standard leaves empty come back as replacement or private-use characters.
    if (failed || text.size() != 1 || text[0] == QChar::ReplacementCharacter ||
        text[0].isSurrogate() || text[0].category() == QChar::Other_PrivateUse)
        return std::nullopt;
    return text[0].unicode();
}

void StreamDecoder::emitCharacter(char16_t ch, Encoding encoding, int used)
{
    Event event = pendingEvent(Op::Character, used);
    event.character = ch;
    event.encoding = encoding;
    m_sink->handle(event);
}

void StreamDecoder::reject(int used)
{
    const Event event = pendingEvent(Op::Unknown, used);
    m_sink->handle(event);
}

void StreamDecoder::complete(int used)
{
    const auto &p = m_pending;
    const std::uint8_t first = p[0];

    if (m_command == &Protocol::userCharacter) {
        completeUserCharacter(used);
        return;
    }
    if (isRealtimeRow(m_command) || m_command == &Protocol::strayControl ||
        m_command == &Protocol::cancelCompressed) {
        Event event = pendingEvent(m_command->op, used);
        event.command = m_command;
        event.values = Protocol::readValues(*m_command, {p.data(), std::size_t(used)});
        m_sink->handle(event);
        return;
    }

    // Text.
    if (first >= 0x20 || (first > NUL && !isCommandByte(first))) {
        completeText(used);
        return;
    }

    if (!m_command) // NUL, HT, LF, FF, CR, CAN: framed without the table
        m_command = controlCommand(first);
    const Protocol::Command &command = *m_command;
    Event event = pendingEvent(command.op, used);
    event.command = &command;
    event.values = Protocol::readValues(command, {p.data(), std::size_t(used)});
    event.blockLength = blockLength(command, event.values, used);
    if (command.layout == Layout::TabStops) {
        const int end = p[std::size_t(used - 1)] == NUL ? used - 1 : used;
        event.data = {p.data() + 2, std::size_t(end - 2)};
    } else if (command.layout == Layout::Barcode) {
        if (p[2] < Protocol::barcodeFunctionASystems)
            event.data = {p.data() + 3, std::size_t(used - 4)};
        else
            event.data = {p.data() + 4, std::size_t(p[3])};
    }
    followRow(command.op, event);
    m_sink->handle(event);
    if (!announcesBlock(command, event))
        return;
    if (event.blockLength == 0) {
        Event end;
        end.op = Op::BlockEnd;
        end.offset = m_pendingOffset + std::uint64_t(used);
        end.complete = true;
        m_sink->handle(end);
        return;
    }
    m_inBlock = true;
    m_blockRemaining = event.blockLength;
    m_blockPosition = 0;
}

namespace {
// Whether the command is followed by a data block, if an empty one (a picture or symbol
// data of no bytes still ends).
bool announcesBlock(const Protocol::Command &command, const Event &event)
{
    const Op op = command.op;
    return event.blockLength > 0 || command.layout == Layout::Raster ||
           command.layout == Layout::StoreBitmap || op == Op::QrStore || op == Op::Pdf417Store ||
           op == Op::SymbolStore || op == Op::SymbolCommand;
}
} // namespace

// A user-defined character's definition; one too wide announces its data as a block.
void StreamDecoder::completeUserCharacter(int used)
{
    const auto &p = m_pending;
    Event event = pendingEvent(Op::UserCharacter, used);
    event.command = m_command;
    event.values = Protocol::readValues(*m_command, {p.data(), std::size_t(used)});
    event.data = {p.data() + 1, std::size_t(used - 1)};
    const int x = p[0];
    event.blockLength = x > maxUserCharacterWidth ? std::uint64_t(x * m_userCharacterHeight) : 0;
    --m_userCharactersLeft;
    m_sink->handle(event);
    if (event.blockLength > 0) {
        m_inBlock = true;
        m_blockRemaining = event.blockLength;
        m_blockPosition = 0;
    }
}

void StreamDecoder::completeText(int used)
{
    const auto &p = m_pending;
    const std::uint8_t first = p[0];
    if (first < 0x20) {
        emitCharacter(char16_t(first << 8 | p[1]), Encoding::Utf16, used);
    } else if (used == 2) {
        const Encoding encoding = m_shiftJis      ? Encoding::ShiftJis
                                  : first >= 0xA1 ? Encoding::Gb2312
                                                  : Encoding::JisX0208;
        if (const std::optional<char16_t> ch = decodePair(encoding))
            emitCharacter(*ch, encoding, used);
        else
            reject(used);
    } else {
        emitCharacter((*m_singleByte)[first], Encoding::SingleByte, used);
    }
}

// The data that follow the command's parameters, from the sizes among them.
std::uint64_t StreamDecoder::blockLength(const Protocol::Command &command,
                                         const Protocol::Values &values, int used) const
{
    const auto v = [&values](int i) { return std::uint64_t(std::max(values.values[i], 0)); };
    const int h = command.length;
    switch (command.layout) {
    case Layout::Raster: // m x y
        return v(1) * v(2);
    case Layout::StoreBitmap: // n m x y
        return v(2) * v(3);
    case Layout::Column: // m n
        return v(1) * ((v(0) & 0x20) ? 3U : 1U);
    case Layout::DefineImage: // x y
        return v(0) * v(1) * 8U;
    case Layout::Counted:
        return v(values.count - 1);
    case Layout::Extended:
        return std::uint64_t(word(m_pending[std::size_t(h)], m_pending[std::size_t(h + 1)])) -
               std::uint64_t(used - h - 2);
    case Layout::LongExtended:
        return longWord(&m_pending[std::size_t(h)]) - std::uint64_t(used - h - 4);
    default:
        return 0;
    }
}

// What the decoder itself keeps of a command: the code page and code system of the text, and
// the real-time commands whose common printers' parameters may follow.
void StreamDecoder::followRow(Op op, const Event &event)
{
    const int n = event.values.count > 0 ? event.values.values[0] : -1;
    switch (op) {
    case Op::CodePage:
        if (const std::array<char16_t, 256> *table = codePageTable(n))
            m_singleByte = table;
        break;
    case Op::KanjiCode:
        if (const std::optional<int> code = event.accepted("n"))
            m_shiftJis = *code == 1;
        break;
    case Op::Initialise:
        m_singleByte = &defaultCodePage();
        m_shiftJis = false;
        m_doubleByte = false;
        m_escZSymbol = false;
        break;
    case Op::SymbolType:
        m_escZSymbol = event.accepted("n").has_value();
        break;
    case Op::DoubleByteOn:
        m_doubleByte = true;
        break;
    case Op::DefineCharacters: {
        const bool fits = event.accepted("y") && event.accepted("c1") && event.accepted("c2") &&
                          event.value("c1") <= event.value("c2");
        m_userCharactersLeft = fits ? event.value("c2") - event.value("c1") + 1 : 0;
        m_userCharacterHeight = event.value("y");
        break;
    }
    case Op::DoubleByteOff:
        m_doubleByte = false;
        break;
    case Op::StatusRequest:
    case Op::FirmwareRequest:
    case Op::ClearBuffer:
        m_nextRealtime = m_pending[1];
        break;
    default:
        break;
    }
}

int Event::value(std::string_view name) const
{
    const int at = command ? command->indexOf(name) : -1;
    return at >= 0 && at < values.count ? values.values[std::size_t(at)] : -1;
}

std::optional<int> Event::accepted(std::string_view name) const
{
    const int at = command ? command->indexOf(name) : -1;
    if (at < 0 || at >= values.count || values.values[std::size_t(at)] < 0)
        return std::nullopt;
    const int value = command->parameters[std::size_t(at)].accepted(values.values[std::size_t(at)]);
    return value < 0 ? std::nullopt : std::optional<int>(value);
}

} // namespace Virtual
