// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace Virtual {

// Tells when a host closes the line: the system reports each close of the pseudo-terminal's
// device (inotify), which its master never sees while the controller holds the device open.
class HostWatch : public QObject
{
    Q_OBJECT
public:
    explicit HostWatch(const QString &device);
    ~HostWatch() override;

Q_SIGNALS:
    void hostClosed();

private:
    void readEvents();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace Virtual
