// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/streamdecoder.h"

#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

class QIODevice;

namespace Virtual {

// Writes the decoded stream as text, one line per command and one per run of text:
//
//   000012  1b 61 01                    ESC a 1          align centre
//   000015  43 75 73 74 6f 6d 65 72 +8  text             "Customer Receipt"
//   000008  1d 76 30 00 30 00 00 01 +12288  GS v 0 0 48 256  raster picture 384 x 256 dots
//
// The offset of the first byte (hexadecimal), the bytes (at most eight, then the count of the
// rest, data blocks included), a mnemonic and the meaning, with the renderer's remark after a
// semicolon where it could not carry the command out as sent. Lines are UTF-8.
//
// A run of lines that differ only in their offset (the same command or the same skipped byte
// again and again) is one line, at the run's first offset, with the count after the mnemonic:
//
//   000040  0a                            LF x 1048576     line feed
//
// and a cycle of two to maxCycle lines that comes round again and again (text and a line feed,
// a command and its reply, a round of settings) is written twice, then folded into one line with
// the count of the rounds that followed:
//
//   000046                                 --                the 2 lines above again x 99998
//
// Whatever the stream, the trace stays within ceilingFactor times the bytes it describes, plus
// ceilingAllowance bytes: lines past that are left out, and a line says how many once there is
// room again for a good many lines, or at the end.
class TraceWriter
{
public:
    explicit TraceWriter(QIODevice *device) : m_device(device) {}
    TraceWriter(const TraceWriter &) = delete;
    TraceWriter &operator=(const TraceWriter &) = delete;

    void write(const Event &event, const QString &remark);
    // A line of its own at the end of the stream.
    void note(std::uint64_t offset, const QString &text);
    // Ends a run of text still open, and writes out a line still counting its repeats.
    void flush();
    // The same at the end of the stream, and the count of lines left out for the ceiling, if
    // any, even past it.
    void finish();
    // Writes out a line still counting its repeats (for a reader of the trace so far); the next
    // line starts a new count even when it is the same again.
    void endRepeats();

    static constexpr int maxTextShown = 48;
    static constexpr int maxCycle = 32;
    static constexpr std::uint64_t ceilingFactor = 10;
    static constexpr std::uint64_t ceilingAllowance = 64 * 1024;

private:
    void endText();
    void releaseHeld();
    void output(std::uint64_t offset, const QString &text);
    void endCycle();
    void remember(const QString &text);
    void writeLine(std::uint64_t offset, const QString &text);
    std::uint64_t room() const;
    void put(const QByteArray &line);
    void reportLeftOut(std::uint64_t offset);
    void line(std::uint64_t offset, const std::uint8_t *bytes, int shown, std::uint64_t more,
              const QString &mnemonic, const QString &meaning, const QString &remark);
    void describe(const Event &event, QString &mnemonic, QString &meaning) const;

    QIODevice *m_device;

    // The last line, held back while the same comes again: all of it but the offset.
    std::uint64_t m_heldOffset = 0;
    QString m_heldBytes;
    QString m_heldMnemonic;
    QString m_heldRest;
    std::uint64_t m_heldCount = 0;

    // Lines written lately (all of each but the offset), and a cycle of them being folded.
    std::deque<QString> m_recent;
    int m_cycle = 0;
    std::uint64_t m_folded = 0; // lines folded into the cycle so far
    std::uint64_t m_foldedOffset = 0;
    std::vector<std::uint64_t> m_cycleOffsets; // of the lines of the round in progress

    // The open run of text.
    bool m_inText = false;
    std::uint64_t m_textOffset = 0;
    std::array<std::uint8_t, 8> m_textBytes{};
    int m_textShown = 0;
    std::uint64_t m_textLength = 0;
    QString m_text;
    int m_textCharacters = 0;
    unsigned m_encodings = 0;
    QString m_textRemark;

    std::uint64_t m_blockLength = 0;

    // The bytes described and the bytes written, and the lines left out for the ceiling.
    std::uint64_t m_input = 0;
    std::uint64_t m_written = 0;
    std::uint64_t m_leftOutLines = 0;
    std::uint64_t m_lastOffset = 0;
};

} // namespace Virtual
