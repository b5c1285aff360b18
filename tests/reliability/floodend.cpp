#include "floodend.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>


FloodEnd::~FloodEnd()
{
    m_stop = true;
    if (m_writer.joinable())
        m_writer.join();
    m_pty.close();
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
            pollfd pfd{m_pty.master(), POLLOUT, 0};
            if (::poll(&pfd, 1, 50) <= 0)
                continue;
            const ssize_t n =
                ::write(m_pty.master(), m_bytes.constData() + done, size_t(m_bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            m_sent = done;
        }
        m_finished = true;
    });
}
