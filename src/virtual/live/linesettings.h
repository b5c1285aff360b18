// SPDX-License-Identifier: MIT
#pragma once

#include "virtual/parameters.h"

#include <QString>

#include <optional>

namespace Virtual {

// The settings of one end of a serial line: what the host's port is set to (read from the
// pseudo-terminal's termios) or what the controller runs at (its UART, set by GS ( ).
struct LineSettings
{
    enum class Parity { None, Even, Odd, Mark, Space };
    using Flow = Parameters::Flow;

    int bitsPerSecond = 115200;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
    Flow flow = Flow::XonXoff;

    // The controller's UART as GS ( s f sets it: always 8 data bits, no parity, one stop bit.
    static std::optional<LineSettings> fromUartCodes(int speedCode, int flowCode);

    // Bits on the wire per byte: start bit, data bits, parity bit, stop bits (10 at 8N1).
    int bitsPerByte() const { return 1 + dataBits + (parity == Parity::None ? 0 : 1) + stopBits; }
    // "8N1".
    QString frame() const;
    // "XON/XOFF", "RTS/CTS", "no flow control".
    QString flowName() const;
    // "115200 bit/s, 8N1, XON/XOFF".
    QString describe() const;

    // Whether a receiver set to `this` understands what a sender set to `other` sends: speed,
    // data bits and parity agree. Stop bits do not matter (a receiver takes a second one as a
    // pause), nor does flow control: it decides who waits, not what a byte means.
    bool understands(const LineSettings &other) const;
    // What keeps a receiver from understanding `host`, for the trace: the speed, or else the
    // frame, as "controller at 9600 bit/s, host at 115200 bit/s". Empty when nothing does.
    QString mismatch(const LineSettings &host) const;

    bool operator==(const LineSettings &) const = default;
};

// The settings the terminal behind `fd` is set to (the speed exactly, also where it is not one
// of the standard rates), or nothing when `fd` is no terminal.
std::optional<LineSettings> readLineSettings(int fd);
// Sets the terminal behind `fd` raw (no echo, no translation) at `settings`.
bool writeLineSettings(int fd, const LineSettings &settings);

} // namespace Virtual
