// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/commands.h"
#include "virtual/codepages.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace Virtual {

// What the controller makes of the bytes it receives: one event per command, per character and
// per piece of a data block. The commands are those of src/protocol.
using Op = Protocol::Op;

enum class Encoding : std::uint8_t { SingleByte, Utf16, Gb2312, JisX0208, ShiftJis };

struct Event
{
    Op op = Op::Unknown;
    std::uint64_t offset = 0; // of the event's first byte in the stream
    // The command's own bytes as received (for a block command its header, for a character its
    // one or two bytes), at most eight; `length` counts all of the command's bytes, so a
    // barcode's or tab command's data is included in it, a block's data is not.
    std::array<std::uint8_t, 8> bytes{};
    int byteCount = 0;
    std::uint64_t length = 0;
    // The command's row, and its parameters' values in the row's order.
    const Protocol::Command *command = nullptr;
    Protocol::Values values;
    char16_t character = 0;
    Encoding encoding = Encoding::SingleByte;
    std::span<const std::uint8_t> data; // tab stops, barcode data, a piece of a data block
    std::uint64_t blockLength = 0;      // data bytes announced by a block command
    std::uint64_t position = 0;         // BlockData: index of data[0] within the block
    bool complete = false;              // BlockEnd

    // The value of the parameter `name` of the command's row as it came, or -1 when the command
    // has no such parameter or did not bring it.
    int value(std::string_view name) const;
    // The value as the controller takes it (an ASCII digit read as its number), or nothing when
    // it is outside the values the row allows.
    std::optional<int> accepted(std::string_view name) const;
};

class EventSink
{
public:
    virtual ~EventSink() = default;
    virtual void handle(const Event &event) = 0;
};

// Turns the controller's byte stream into events. It is fed the stream in pieces of any size
// and gives the same events (up to the division of data blocks into BlockData pieces) however
// the stream is cut. A command is held back only until its last byte has arrived; that takes at
// most 8 bytes, 259 for a barcode, 35 for tab stops. Data blocks (pictures, stored bitmaps, QR
// data) are passed on as they arrive and never held, whatever size their header announces.
//
// Text is decoded here, in the controller's three encodings:
//  - a byte 20-FF is a character of Windows-1252 (80 is the euro sign);
//  - a byte 01-1F that is not a control or command byte (HT, LF, FF, CR, CAN, DLE, ESC, FS,
//    GS) is the high byte of a UTF-16 code unit whose low byte follows, where the two make a
//    character of the supported Latin, Greek and Arabic ranges and, for a low byte ESC, FS, GS
//    or DLE, that byte and those after it start no command; otherwise it is a stray control
//    byte, ignored alone;
//  - in double-byte mode (FS & to FS .) two bytes A1-FE make a GB2312 character and two bytes
//    21-7E a JIS X 0208 character; other bytes keep their single-byte meaning.
//  - after ESC t n a byte 80-FF is a character of that code page (Windows-1252 again after
//    ESC @), decoded by the system's codec.
// Every command is framed from the protocol table by its parameter layout, whether or not the
// controller carries it out, so that no parameter byte is ever read as text. Bytes that make no
// command or character become an Unknown event and are skipped: a prefix followed by a byte
// that starts no command of the prefix is skipped with that byte (or alone, when that byte is
// itself a control byte, which then counts as the start of what follows).
class StreamDecoder
{
public:
    explicit StreamDecoder(EventSink *sink);
    StreamDecoder(const StreamDecoder &) = delete;
    StreamDecoder &operator=(const StreamDecoder &) = delete;

    void feed(QByteArrayView bytes);
    // The end of the stream: an unfinished command or block is reported, and the decoder starts
    // over.
    void finish();

    std::uint64_t offset() const { return m_offset; }
    // Counts offsets from 0 again, where the bytes of another host begin; what is under way
    // stays.
    void restartOffsets() { m_offset = 0; }
    bool doubleByteMode() const { return m_doubleByte; }

    // The largest barcode, tab and parameter parts a command may hold back.
    static constexpr int maxPending = 4 + 255;
    static constexpr int maxTabStops = 32;
    // The widest user-defined character, a cell of the standard font; a wider one is refused.
    static constexpr int maxUserCharacterWidth = 12;

private:
    enum class Verdict : std::uint8_t { NeedMore, Complete, Reject };
    struct Result
    {
        Verdict verdict;
        int used = 0; // Complete, Reject: bytes of the pending part the outcome takes
    };

    void step(std::uint8_t byte, std::uint64_t offset);
    Result evaluate();
    void complete(int used);
    void reject(int used);
    void emitBlockData(std::span<const std::uint8_t> piece);
    void emitCharacter(char16_t ch, Encoding encoding, int used);
    std::optional<char16_t> decodePair(Encoding encoding);
    Event pendingEvent(Op op, int used) const;
    Result identify();
    Result evaluateText() const;
    Result evaluateUtf16();
    Result frame(const Protocol::Command &command);
    Result frameShortForm(const Protocol::Command &row, const Protocol::Command &bare) const;
    Result frameTabStops() const;
    Result frameBarcode() const;
    Result frameUserCharacter();
    void followRow(Op op, const Event &event);
    void completeText(int used);
    void completeUserCharacter(int used);
    std::uint64_t blockLength(const Protocol::Command &command, const Protocol::Values &values,
                              int used) const;

    EventSink *m_sink;
    std::uint64_t m_offset = 0;
    bool m_doubleByte = false;
    bool m_shiftJis = false;                       // FS C 1: double-byte text is Shift_JIS
    bool m_escZSymbol = false;                     // GS Z: ESC Z prints a symbol
    const std::array<char16_t, 256> *m_singleByte; // the code page of bytes 20-FF
    const Protocol::Command *m_command = nullptr;  // of the pending bytes, once known
    bool m_functionChosen = false;                 // m_command is the row its function bytes choose
    // The second byte of DLE EOT, DLE ENQ or DLE DC4 just read, whose common printers'
    // parameters may follow, and how many bytes of them the pending bytes make.
    std::uint8_t m_realtime = 0;
    std::uint8_t m_nextRealtime = 0;
    int m_realtimeLength = 0;
    // After ESC & y c1 c2: the characters whose definitions are still to come, y bytes tall.
    int m_userCharactersLeft = 0;
    int m_userCharacterHeight = 0;

    std::array<std::uint8_t, maxPending> m_pending{};
    int m_pendingCount = 0;
    std::uint64_t m_pendingOffset = 0;

    std::uint64_t m_blockRemaining = 0;
    std::uint64_t m_blockPosition = 0;
    bool m_inBlock = false;

    std::optional<QStringDecoder> m_gb2312;
    std::optional<QStringDecoder> m_eucJp;
    std::optional<QStringDecoder> m_sjis;
};

} // namespace Virtual
