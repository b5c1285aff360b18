#pragma once

#include <QString>

// A pseudo-terminal pair: the slave is a serial device like any other to the program that opens
// it by path; whoever holds the master plays the far end of the line. Used by the virtual
// controller, the tests and the benchmarks.
struct PseudoTerminal
{
    int master = -1;   // non-blocking
    int slave = -1;    // kept open, so the master sees no hang-up between two openings
    QString slavePath; // e.g. /dev/pts/3

    bool isValid() const { return master >= 0; }
};

// Opens a pair whose line is raw until the program on the slave configures it: nothing echoed
// or translated. Returns an invalid pair when the system has none to give.
PseudoTerminal openRawPseudoTerminal();

// Closes both descriptors that are open and marks the pair invalid.
void closePseudoTerminal(PseudoTerminal &pty);
