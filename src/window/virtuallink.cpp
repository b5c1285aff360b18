// SPDX-License-Identifier: MIT
#include "window/virtuallink.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace VirtualLink {

QString defaultPath()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/tessivar/ttyTessivar0");
}

QString liveDevice(const QString &path)
{
#ifdef Q_OS_UNIX
    const QFileInfo link(path);
    if (path.isEmpty() || !link.isSymLink())
        return {};
    const QString device = link.canonicalFilePath(); // empty for a dangling link
    if (!device.startsWith(QStringLiteral("/dev/pts/")))
        return {};
    struct stat linkStatus
    {
    };
    struct stat deviceStatus
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &linkStatus) != 0 ||
        ::stat(QFile::encodeName(device).constData(), &deviceStatus) != 0 ||
        !S_ISCHR(deviceStatus.st_mode))
        return {};
    // The terminal's node is made when the terminal is; the controller links it afterwards.
    // Writes touch a terminal's modification time, never its change time.
    const auto nanoseconds = [](const timespec &t) {
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    if (nanoseconds(deviceStatus.st_ctim) > nanoseconds(linkStatus.st_mtim))
        return {};
    return device;
#else
    Q_UNUSED(path);
    return {};
#endif
}

} // namespace VirtualLink
