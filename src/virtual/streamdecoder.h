#pragma once

#include <QByteArrayView>
#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace Virtual {

// What the controller makes of the bytes it receives: one event per command, per character and
// per piece of a data block.
enum class Op : std::uint8_t {
    // Text and formatting.
    Character,          // one printable character: `character`, sent as `encoding`
    LineFeed,           // LF
    CarriageReturn,     // CR
    Tab,                // HT
    Initialise,         // ESC @
    PrintMode,          // ESC ! n          a = n
    Font,               // ESC M n          a = n
    Darkness,           // ESC m n          a = n
    DoubleByteOn,       // FS &
    DoubleByteOff,      // FS .
    Align,              // ESC a n          a = n
    LineSpacing,        // ESC 3 n          a = n
    DefaultLineSpacing, // ESC 2
    TabStops,           // ESC D k... NUL   data = the stops
    FeedDots,           // ESC J n          a = n
    FeedLines,          // ESC d n          a = n
    LeftMargin,         // ESC l n          a = n
    RightMargin,        // ESC Q n          a = n
    AbsolutePosition,   // ESC $ nL nH      a = nL + 256 nH
    ClearBuffer,        // DLE DC4
    // Configuration, status, cutter and power.
    StatusRequest,   // DLE EOT
    FirmwareRequest, // DLE ENQ
    Sleep,           // DLE SYN
    UartMode,        // GS ( s f         a = speed code, b = flow code
    PrintHead,       // ESC Z n          a = head type
    AutoStatus,      // GS a n           a = n
    FullCut,         // ESC i
    PartialCut,      // ESC n
    // Barcodes and QR codes.
    BarcodeHeight,     // GS h n           a = n
    BarcodeWidth,      // GS w n           a = n
    BarcodeText,       // GS H n           a = n
    Barcode,           // GS k m n d...    a = m, data = the n data bytes
    QrModuleSize,      // GS ( k 03 00 31 43 n   a = n
    QrErrorCorrection, // GS ( k 03 00 31 45 n   a = n
    QrStore,           // GS ( k pL pH 31 50 30  block of pL + 256 pH - 3 bytes
    QrPrint,           // GS ( k 03 00 31 51 m   a = m
    QrOther,           // GS ( k with another function: a = cn, b = fn; its bytes are a block
    // Pictures.
    Raster,            // GS v 0 m xL xH yL yH   a = m, b = bytes per row, c = rows; block
    StoreBitmap,       // GS q l a xL xH yL yH   a = place, b = alignment, c = bytes per row,
                       //                        d = rows; block
    PrintStoredBitmap, // FS p n m               a = n, b = m
    // The data block announced by the command before: its bytes in pieces as they arrive, then
    // its end.
    BlockData, // data = the piece, position = index of its first byte within the block
    BlockEnd,  // complete = every announced byte arrived
    // Bytes that make no command.
    Ignored,   // NUL between commands
    Unknown,   // bytes that make no command or no character; skipped
    Truncated, // the stream ended inside a command
};

enum class Encoding : std::uint8_t { SingleByte, Utf16, Gb2312, JisX0208 };

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
    int a = 0, b = 0, c = 0, d = 0;
    char16_t character = 0;
    Encoding encoding = Encoding::SingleByte;
    std::span<const std::uint8_t> data;
    std::uint64_t blockLength = 0; // data bytes announced by a block command
    std::uint64_t position = 0;    // BlockData: index of data[0] within the block
    bool complete = false;         // BlockEnd
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
//  - a byte 01-1F that is not a control or command byte (HT, LF, CR, DLE, ESC, FS, GS) is the
//    high byte of a UTF-16 code unit whose low byte follows;
//  - in double-byte mode (FS & to FS .) two bytes A1-FE make a GB2312 character and two bytes
//    21-7E a JIS X 0208 character; other bytes keep their single-byte meaning.
// Bytes that make no command or character become an Unknown event and are skipped: a prefix
// followed by a byte that starts no command of the prefix is skipped with that byte (or alone,
// when that byte is itself a control byte, which then counts as the start of what follows).
class StreamDecoder
{
public:
    explicit StreamDecoder(EventSink *sink) : m_sink(sink) {}
    StreamDecoder(const StreamDecoder &) = delete;
    StreamDecoder &operator=(const StreamDecoder &) = delete;

    void feed(QByteArrayView bytes);
    // The end of the stream: an unfinished command or block is reported, and the decoder starts
    // over.
    void finish();

    std::uint64_t offset() const { return m_offset; }
    bool doubleByteMode() const { return m_doubleByte; }

    // The largest barcode, tab and parameter parts a command may hold back.
    static constexpr int maxPending = 4 + 255;
    static constexpr int maxTabStops = 32;

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

    EventSink *m_sink;
    std::uint64_t m_offset = 0;
    bool m_doubleByte = false;

    std::array<std::uint8_t, maxPending> m_pending{};
    int m_pendingCount = 0;
    std::uint64_t m_pendingOffset = 0;

    std::uint64_t m_blockRemaining = 0;
    std::uint64_t m_blockPosition = 0;
    bool m_inBlock = false;

    std::optional<QStringDecoder> m_gb2312;
    std::optional<QStringDecoder> m_eucJp;
};

// The character of a Windows-1252 byte (0x20-0xFF), or 0 where the code page has none.
char16_t windows1252(std::uint8_t byte);

} // namespace Virtual
