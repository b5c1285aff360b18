#pragma once

#include "harness.h"

// The six measurements of tessivar-bench, each adding its rows to the table.
namespace Bench {

// 1. Every job's handler with the port open on a pseudo-terminal, against one write of the
//    job's bytes to the same port.
void measureQueuing(const Options &options, Table &table);
// 2. A raster job of about 1 MB from the window to the far end of a pseudo-terminal, against a
//    plain program writing the same bytes into another pseudo-terminal.
void measureDraining(const Options &options, Table &table);
// 3. Process start to the main window's first paint, and peak resident memory, against a bare
//    QMainWindow program.
void measureStartup(const Options &options, Table &table);
// 4. Loading and converting a 4000 x 3000 photograph and a 384 x 20000 picture, against
//    decoding the same files alone.
void measureImages(const Options &options, Table &table);
// 5. tessivar-render of the receipt stream, and the stream decoder on a 10 MB mixed stream.
void measureRendering(const Options &options, Table &table);
// 6. The virtual controller's window while a job of QR prints prints, against the same window
//    while text lines print: the longest time it does not answer.
void measureAnswering(const Options &options, Table &table);

} // namespace Bench
