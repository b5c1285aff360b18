// SPDX-License-Identifier: MIT
#include "virtual/live/linesettings.h"

// termios2 carries the speed as a number, so a port set to 256000 bit/s (which has no B
// constant) reads back exactly. It comes from the kernel's header, which cannot be included
// together with <termios.h>; this file uses it alone.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <algorithm>

namespace Virtual {

namespace {

struct StandardRate
{
    int bitsPerSecond;
    unsigned code;
};
constexpr StandardRate standardRates[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

} // namespace

std::optional<LineSettings> LineSettings::fromUartCodes(int speedCode, int flowCode)
{
    const std::optional<int> speed = Parameters::uartSpeed(speedCode);
    const std::optional<Flow> flow = Parameters::uartFlow(flowCode);
    if (!speed || !flow)
        return std::nullopt;
    LineSettings settings;
    settings.bitsPerSecond = *speed;
    settings.flow = *flow;
    return settings;
}

QString LineSettings::frame() const
{
    static const char parities[] = {'N', 'E', 'O', 'M', 'S'};
    return QStringLiteral("%1%2%3")
        .arg(dataBits)
        .arg(QLatin1Char(parities[int(parity)]))
        .arg(stopBits);
}

QString LineSettings::flowName() const
{
    switch (flow) {
    case Flow::None:
        return QStringLiteral("no flow control");
    case Flow::XonXoff:
        return QStringLiteral("XON/XOFF");
    case Flow::Hardware:
        return QStringLiteral("RTS/CTS");
    }
    return {};
}

QString LineSettings::describe() const
{
    return QStringLiteral("%1 bit/s, %2, %3").arg(bitsPerSecond).arg(frame(), flowName());
}

bool LineSettings::understands(const LineSettings &other) const
{
    return bitsPerSecond == other.bitsPerSecond && dataBits == other.dataBits &&
           parity == other.parity;
}

QString LineSettings::mismatch(const LineSettings &host) const
{
    if (bitsPerSecond != host.bitsPerSecond)
        return QStringLiteral("controller at %1 bit/s, host at %2 bit/s")
            .arg(bitsPerSecond)
            .arg(host.bitsPerSecond);
    if (!understands(host))
        return QStringLiteral("controller at %1 bit/s %2, host at %1 bit/s %3")
            .arg(bitsPerSecond)
            .arg(frame(), host.frame());
    return {};
}

std::optional<LineSettings> readLineSettings(int fd)
{
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return std::nullopt;
    LineSettings settings;
    settings.bitsPerSecond = int(tio.c_ospeed);
    if ((tio.c_cflag & CBAUD) != BOTHER) {
        for (const StandardRate &rate : standardRates) {
            if ((tio.c_cflag & CBAUD) == rate.code)
                settings.bitsPerSecond = rate.bitsPerSecond;
        }
    }
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        settings.dataBits = 5;
        break;
    case CS6:
        settings.dataBits = 6;
        break;
    case CS7:
        settings.dataBits = 7;
        break;
    default:
        settings.dataBits = 8;
        break;
    }
    using Parity = LineSettings::Parity;
    if (!(tio.c_cflag & PARENB))
        settings.parity = Parity::None;
    else if (tio.c_cflag & CMSPAR)
        settings.parity = (tio.c_cflag & PARODD) ? Parity::Mark : Parity::Space;
    else
        settings.parity = (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    // The host obeys XOFF when its terminal has IXON: that is what XON/XOFF flow control means
    // for the bytes it sends.
    using Flow = LineSettings::Flow;
    settings.flow = (tio.c_cflag & CRTSCTS) ? Flow::Hardware
                    : (tio.c_iflag & IXON)  ? Flow::XonXoff
                                            : Flow::None;
    return settings;
}

bool writeLineSettings(int fd, const LineSettings &settings)
{
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    // Raw: no echo, no signals, no translation of line ends, bytes as they are.
    tio.c_iflag &=
        ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~tcflag_t(OPOST);
    tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~tcflag_t(CBAUD | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    static constexpr unsigned sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[std::clamp(settings.dataBits, 5, 8) - 5];
    using Parity = LineSettings::Parity;
    if (settings.parity != Parity::None)
        tio.c_cflag |= PARENB;
    if (settings.parity == Parity::Odd || settings.parity == Parity::Mark)
        tio.c_cflag |= PARODD;
    if (settings.parity == Parity::Mark || settings.parity == Parity::Space)
        tio.c_cflag |= CMSPAR;
    if (settings.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    if (settings.flow == LineSettings::Flow::Hardware)
        tio.c_cflag |= CRTSCTS;
    else if (settings.flow == LineSettings::Flow::XonXoff)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    unsigned code = BOTHER;
    for (const StandardRate &rate : standardRates) {
        if (rate.bitsPerSecond == settings.bitsPerSecond)
            code = rate.code;
    }
    tio.c_cflag |= code;
    tio.c_ispeed = tio.c_ospeed = unsigned(settings.bitsPerSecond);
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace Virtual
