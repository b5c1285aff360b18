#include "floodend.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

FloodEnd::FloodEnd()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

FloodEnd::~FloodEnd()
{
    m_stop = true;
    if (m_writer.joinable())
        m_writer.join();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

void FloodEnd::send(QByteArray bytes)
{
    if (m_writer.joinable())
        m_writer.join();
    m_finished = false;
    m_sent = 0;
    m_bytes = std::move(bytes);
    m_writer = std::thread([this] {
        qint64 done = 0;
        while (done < m_bytes.size() && !m_stop.load()) {
            // Waits for room with a bound, so the destructor can always stop the thread.
            pollfd pfd{m_master, POLLOUT, 0};
            if (::poll(&pfd, 1, 50) <= 0)
                continue;
            const ssize_t n =
                ::write(m_master, m_bytes.constData() + done, size_t(m_bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            m_sent = done;
        }
        m_finished = true;
    });
}
