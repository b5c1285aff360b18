// SPDX-License-Identifier: MIT
#pragma once

#include "harness.h"

// The measurements of tessivar-bench, each adding its rows to the table. main.cpp runs them in
// the order of its list; a new measurement is a function here and a line there.
namespace Bench {

// 1. Every job's handler with the port open on a pseudo-terminal; the slowest against one frame
//    at 60 Hz.
void measureQueuing(const Options &options, Table &table);
// 2. A raster job of about 1 MB from the window to the far end of a pseudo-terminal, against a
//    plain program writing the same bytes into another pseudo-terminal.
void measureDraining(const Options &options, Table &table);
// 3. Process start to the main window shown, and peak resident memory, under Xvfb, against
//    CuteCom.
void measureStartup(const Options &options, Table &table);
// 4. Loading and converting a 4000 x 3000 photograph and a 384 x 20000 picture, against
//    decoding the same files alone.
void measureImages(const Options &options, Table &table);
// 5. tessivar-render of the receipt stream, and the stream decoder on a 10 MB mixed stream.
void measureRendering(const Options &options, Table &table);
// 7. The virtual controller's window while a job of QR prints prints, against the same window
//    while text lines print: the longest time it does not answer.
void measureAnswering(const Options &options, Table &table);
// 6. The live virtual controller's throughput at 375000 bit/s against the line's limit.
void measureLiveController(const Options &options, Table &table);
// 8. Small receipts over fresh TCP connections to the virtual controller, without files and with a
//    PNG and JSON each, against a loopback sink; its start against its --version, its memory
//    after the receipts against at its start, and its memory after a soak of both hosts.
void measureNetwork(const Options &options, Table &table);

} // namespace Bench
