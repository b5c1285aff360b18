// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QCoreApplication;

namespace Virtual {
class LiveController;
}

// tessivar-virtual-controller: a ZP40x controller on a pseudo-terminal. Tessivar (or any other
// program) opens the link it makes as a serial port and prints on the controller's paper roll.
// With --listen it takes jobs over raw TCP as well, one connection a job; with --http it shows
// the receipts it prints on a web page.
//
//   tessivar-virtual-controller [--link PATH] [--listen [HOST:]PORT[+]] [--idle-timeout S]
//                               [--job-timeout S] [--no-pacing] [--print-speed MM]
//                               [--headless [--png-dir DIR]] [--http [ADDRESS:]PORT]
//                               [--keep N] [--trace FILE]
//                               [--capture FILE] [--paper ok|near-end|out] [--cover open|closed]
//                               [--roll-length MM] [--drawer-close MS]
//
// While it runs, lines on standard input set the paper, the cover and the drawer
// (ConsoleCommands).
//
// Two programs share this code. tessivar-virtual-controller itself loads no GUI library: a lab
// runs many of them headless. Asked for a window, it gives way (exec) to
// tessivar-virtual-controller-window, the same program with its window, which is installed
// out of the way in libexec.
namespace ControllerProgram {

// Writes "tessivar-virtual-controller: message" on the standard error; returns 1, the exit
// status.
int fail(const QString &message);

// Without a window (and so without a display): --headless, and the answers to --help and
// --version.
bool wantsHeadless(int argc, char *argv[]);

// The organisation, name and version the program's settings and --version go by.
void setIdentity();

// Shows the window on the controller until it closes; returns the exit status.
using WindowRunner = int (*)(QCoreApplication &app, Virtual::LiveController &controller);

// Reads the command line, makes the controller and runs it, with a window when `window` is
// given, until the window closes or a signal ends it. Returns the exit status.
int run(QCoreApplication &app, WindowRunner window);

} // namespace ControllerProgram
