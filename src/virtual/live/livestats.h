// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace Virtual {

// What the live controller has done since it started, counted by the part that does it: the
// line (SerialLine), the receive buffer (ReceiveBuffer) and the print engine (PrintEngine).
struct LiveStats
{
    quint64 received = 0; // bytes taken from the line
    quint64 garbage = 0;  // of those, bytes that came while the settings did not match
    quint64 printed = 0;  // bytes the print engine took from the receive buffer
    int maxFill = 0;      // the fullest the receive buffer has been
    int xoffSent = 0;
    int xonSent = 0;
    int hostStops = 0;   // times the pseudo-terminal reported the host's output stopped
    quint64 wakeups = 0; // times the line said it had something to read
};

} // namespace Virtual
