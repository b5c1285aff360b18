// SPDX-License-Identifier: MIT
#include "virtual/live/hostwatch.h"

#include <QFile>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

namespace Virtual {

HostWatch::HostWatch(const QString &device)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_fd < 0)
        return;
    if (::inotify_add_watch(m_fd, QFile::encodeName(device).constData(), IN_CLOSE) < 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &HostWatch::readEvents);
}

HostWatch::~HostWatch()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void HostWatch::readEvents()
{
    alignas(inotify_event) char events[4096];
    bool closed = false;
    for (ssize_t n; (n = ::read(m_fd, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events + at);
            closed = closed || (event->mask & IN_CLOSE);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (closed)
        Q_EMIT hostClosed();
}

} // namespace Virtual
