#include "virtual/streamdecoder.h"

#include "commands/wirebytes.h"

#include <QString>

#include <algorithm>

namespace Virtual {

using namespace Wire;

namespace {

// Control bytes that are commands or prefixes in their own right; any other byte 01-1F is the
// high byte of a UTF-16 code unit.
constexpr bool isCommandByte(std::uint8_t byte)
{
    return byte == NUL || byte == HT || byte == LF || byte == CR || byte == DLE || byte == ESC ||
           byte == FS || byte == GS;
}

constexpr bool inRange(std::uint8_t byte, std::uint8_t low, std::uint8_t high)
{
    return byte >= low && byte <= high;
}

constexpr int word(std::uint8_t low, std::uint8_t high)
{
    return low | high << 8;
}

struct Windows1252
{
    std::array<char16_t, 256> table{};

    Windows1252()
    {
        QStringDecoder decoder("windows-1252");
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            if (byte == 0x7F)
                continue;
            const char c = char(byte);
            const QString s = decoder.isValid() ? QString(decoder(QByteArrayView(&c, 1)))
                                                : QString(QChar(char16_t(byte)));
            decoder.resetState();
            // Bytes the code page leaves undefined come back as C1 controls or U+FFFD.
            if (s.size() == 1 && !(s[0].unicode() >= 0x80 && s[0].unicode() <= 0x9F) &&
                s[0] != QChar::ReplacementCharacter)
                table[std::size_t(byte)] = s[0].unicode();
        }
    }
};

} // namespace

char16_t windows1252(std::uint8_t byte)
{
    static const Windows1252 codePage;
    return codePage.table[byte];
}

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
    if (m_pendingCount > 0) {
        Event truncated = pendingEvent(Op::Truncated, m_pendingCount);
        m_sink->handle(truncated);
    }
    m_offset = 0;
    m_doubleByte = false;
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

    // What the outcome does not take, at most the last byte, starts what follows. (A command
    // that announces a block always takes every pending byte, so this is never block data.)
    const int used = result.used;
    const bool hasRest = used < m_pendingCount;
    const std::uint8_t rest = m_pending[std::size_t(m_pendingCount - 1)];
    const std::uint64_t restOffset = m_pendingOffset + std::uint64_t(used);

    if (result.verdict == Verdict::Complete)
        complete(used);
    else
        reject(used);
    m_pendingCount = 0;

    if (hasRest)
        step(rest, restOffset);
}

StreamDecoder::Result StreamDecoder::evaluate()
{
    const auto &p = m_pending;
    const int n = m_pendingCount;
    const auto needs = [n](int count) {
        return n < count ? Result{Verdict::NeedMore} : Result{Verdict::Complete, count};
    };
    // The prefix and the bytes before `at` make no command: skip them, and the byte at `at` as
    // well unless it is a control byte, which then starts what follows.
    const auto rejectAt = [&p](int at) {
        return Result{Verdict::Reject, p[std::size_t(at)] < 0x20 ? at : at + 1};
    };
    const std::uint8_t first = p[0];

    switch (first) {
    case NUL:
    case HT:
    case LF:
    case CR:
        return {Verdict::Complete, 1};
    case ESC:
        if (n < 2)
            return {Verdict::NeedMore};
        switch (p[1]) {
        case '@':
        case '2':
        case 'i':
        case 'n':
            return {Verdict::Complete, 2};
        case '!':
        case 'M':
        case 'm':
        case 'a':
        case '3':
        case 'J':
        case 'd':
        case 'l':
        case 'Q':
        case 'Z':
            return needs(3);
        case '$':
            return needs(4);
        case 'D': {
            // Stops up to NUL; a stop that does not rise, or one too many, ends the list
            // without being part of it.
            if (n == 2)
                return {Verdict::NeedMore};
            const std::uint8_t last = p[std::size_t(n - 1)];
            if (last == NUL)
                return {Verdict::Complete, n};
            if ((n > 3 && last <= p[std::size_t(n - 2)]) || n - 2 > maxTabStops)
                return {Verdict::Complete, n - 1};
            return {Verdict::NeedMore};
        }
        default:
            return rejectAt(1);
        }
    case FS:
        if (n < 2)
            return {Verdict::NeedMore};
        switch (p[1]) {
        case '&':
        case '.':
            return {Verdict::Complete, 2};
        case 'p':
            return needs(4);
        default:
            return rejectAt(1);
        }
    case DLE:
        if (n < 2)
            return {Verdict::NeedMore};
        switch (p[1]) {
        case EOT:
        case ENQ:
        case DC4:
        case SYN:
            return {Verdict::Complete, 2};
        default:
            return rejectAt(1);
        }
    case GS:
        if (n < 2)
            return {Verdict::NeedMore};
        switch (p[1]) {
        case 'h':
        case 'w':
        case 'H':
        case 'a':
            return needs(3);
        case 'k':
            if (n < 3)
                return {Verdict::NeedMore};
            if (!inRange(p[2], 'A', 'I'))
                return rejectAt(2);
            if (n < 4)
                return {Verdict::NeedMore};
            return needs(4 + p[3]);
        case 'v':
            if (n < 3)
                return {Verdict::NeedMore};
            if (p[2] != '0')
                return rejectAt(2);
            return needs(8);
        case 'q':
            return needs(8);
        case '(':
            if (n < 3)
                return {Verdict::NeedMore};
            if (p[2] != 'k')
                return needs(4); // GS ( speed flow
            if (n < 5)
                return {Verdict::NeedMore};
            return needs(5 + std::min(word(p[3], p[4]), 3));
        default:
            return rejectAt(1);
        }
    default:
        break;
    }

    if (first < 0x20) // the high byte of a UTF-16 code unit
        return needs(2);

    if (m_doubleByte) {
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
    if (windows1252(first) == 0)
        return {Verdict::Reject, 1};
    return {Verdict::Complete, 1};
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
    std::optional<QStringDecoder> &decoder = encoding == Encoding::Gb2312 ? m_gb2312 : m_eucJp;
    if (!decoder)
        decoder.emplace(encoding == Encoding::Gb2312 ? "GB2312" : "EUC-JP");
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

    // Text.
    if (first >= 0x20 || (first > NUL && !isCommandByte(first))) {
        if (first < 0x20) {
            emitCharacter(char16_t(first << 8 | p[1]), Encoding::Utf16, used);
        } else if (used == 2) {
            const Encoding encoding = first >= 0xA1 ? Encoding::Gb2312 : Encoding::JisX0208;
            if (const std::optional<char16_t> ch = decodePair(encoding))
                emitCharacter(*ch, encoding, used);
            else
                reject(used);
        } else {
            emitCharacter(windows1252(first), Encoding::SingleByte, used);
        }
        return;
    }

    Op op = Op::Unknown;
    Event event;
    const auto block = [&event](std::uint64_t length) { event.blockLength = length; };
    switch (first) {
    case NUL:
        op = Op::Ignored;
        break;
    case HT:
        op = Op::Tab;
        break;
    case LF:
        op = Op::LineFeed;
        break;
    case CR:
        op = Op::CarriageReturn;
        break;
    case ESC:
        switch (p[1]) {
        case '@':
            op = Op::Initialise;
            break;
        case '2':
            op = Op::DefaultLineSpacing;
            break;
        case 'i':
            op = Op::FullCut;
            break;
        case 'n':
            op = Op::PartialCut;
            break;
        case '!':
            op = Op::PrintMode;
            break;
        case 'M':
            op = Op::Font;
            break;
        case 'm':
            op = Op::Darkness;
            break;
        case 'a':
            op = Op::Align;
            break;
        case '3':
            op = Op::LineSpacing;
            break;
        case 'J':
            op = Op::FeedDots;
            break;
        case 'd':
            op = Op::FeedLines;
            break;
        case 'l':
            op = Op::LeftMargin;
            break;
        case 'Q':
            op = Op::RightMargin;
            break;
        case 'Z':
            op = Op::PrintHead;
            break;
        case '$':
            op = Op::AbsolutePosition;
            break;
        case 'D':
            op = Op::TabStops;
            break;
        }
        break;
    case FS:
        op = p[1] == '&'   ? Op::DoubleByteOn
             : p[1] == '.' ? Op::DoubleByteOff
                           : Op::PrintStoredBitmap;
        break;
    case DLE:
        op = p[1] == EOT   ? Op::StatusRequest
             : p[1] == ENQ ? Op::FirmwareRequest
             : p[1] == DC4 ? Op::ClearBuffer
                           : Op::Sleep;
        break;
    case GS:
        switch (p[1]) {
        case 'h':
            op = Op::BarcodeHeight;
            break;
        case 'w':
            op = Op::BarcodeWidth;
            break;
        case 'H':
            op = Op::BarcodeText;
            break;
        case 'a':
            op = Op::AutoStatus;
            break;
        case 'k':
            op = Op::Barcode;
            break;
        case 'v':
            op = Op::Raster;
            break;
        case 'q':
            op = Op::StoreBitmap;
            break;
        case '(':
            if (p[2] != 'k') {
                op = Op::UartMode;
                break;
            }
            {
                const int announced = word(p[3], p[4]);
                const bool qr = announced >= 3 && p[5] == '1';
                const std::uint8_t fn = announced >= 2 ? p[6] : 0;
                if (qr && announced == 3 && fn == 'C')
                    op = Op::QrModuleSize;
                else if (qr && announced == 3 && fn == 'E')
                    op = Op::QrErrorCorrection;
                else if (qr && announced == 3 && fn == 'Q')
                    op = Op::QrPrint;
                else if (qr && fn == 'P')
                    op = Op::QrStore;
                else
                    op = Op::QrOther;
            }
            break;
        }
        break;
    }

    event = pendingEvent(op, used);
    switch (op) {
    case Op::PrintMode:
    case Op::Font:
    case Op::Darkness:
    case Op::Align:
    case Op::LineSpacing:
    case Op::FeedDots:
    case Op::FeedLines:
    case Op::LeftMargin:
    case Op::RightMargin:
    case Op::PrintHead:
    case Op::BarcodeHeight:
    case Op::BarcodeWidth:
    case Op::BarcodeText:
    case Op::AutoStatus:
        event.a = p[2];
        break;
    case Op::AbsolutePosition:
        event.a = word(p[2], p[3]);
        break;
    case Op::UartMode:
        event.a = p[2];
        event.b = p[3];
        break;
    case Op::PrintStoredBitmap:
        event.a = p[2];
        event.b = p[3];
        break;
    case Op::TabStops: {
        const int end = p[std::size_t(used - 1)] == NUL ? used - 1 : used;
        event.data = {p.data() + 2, std::size_t(end - 2)};
        break;
    }
    case Op::Barcode:
        event.a = p[2];
        event.data = {p.data() + 4, std::size_t(p[3])};
        break;
    case Op::Raster:
        event.a = p[3];
        event.b = word(p[4], p[5]);
        event.c = word(p[6], p[7]);
        block(std::uint64_t(event.b) * std::uint64_t(event.c));
        break;
    case Op::StoreBitmap:
        event.a = p[2];
        event.b = p[3];
        event.c = word(p[4], p[5]);
        event.d = word(p[6], p[7]);
        block(std::uint64_t(event.c) * std::uint64_t(event.d));
        break;
    case Op::QrModuleSize:
    case Op::QrErrorCorrection:
    case Op::QrPrint:
        event.a = p[7];
        break;
    case Op::QrStore:
        block(std::uint64_t(word(p[3], p[4]) - 3));
        break;
    case Op::QrOther: {
        const int announced = word(p[3], p[4]);
        event.a = announced >= 1 ? p[5] : -1;
        event.b = announced >= 2 ? p[6] : -1;
        block(std::uint64_t(announced - std::min(announced, 3)));
        break;
    }
    default:
        break;
    }

    if (op == Op::DoubleByteOn)
        m_doubleByte = true;
    else if (op == Op::DoubleByteOff || op == Op::Initialise)
        m_doubleByte = false;

    const bool isBlock =
        op == Op::Raster || op == Op::StoreBitmap || op == Op::QrStore || op == Op::QrOther;
    m_sink->handle(event);
    if (!isBlock)
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

} // namespace Virtual
