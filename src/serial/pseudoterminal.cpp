#include "serial/pseudoterminal.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal openRawPseudoTerminal()
{
    PseudoTerminal pty;
    char name[256] = {};
    if (::openpty(&pty.master, &pty.slave, name, nullptr, nullptr) != 0)
        return PseudoTerminal{};
    termios tio{};
    ::tcgetattr(pty.slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(pty.slave, TCSANOW, &tio);
    ::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    pty.slavePath = QString::fromLocal8Bit(name);
    return pty;
}

void closePseudoTerminal(PseudoTerminal &pty)
{
    if (pty.slave >= 0)
        ::close(pty.slave);
    if (pty.master >= 0)
        ::close(pty.master);
    pty.master = pty.slave = -1;
}
