// SPDX-License-Identifier: MIT
#include "resources/displaycheck.h"

#include <QByteArrayList>
#include <QFileInfo>

#include <cstring>

namespace {

bool isSet(const char *variable)
{
    return !qEnvironmentVariableIsEmpty(variable);
}

// libwayland takes wayland-0 in the runtime directory when WAYLAND_DISPLAY is unset.
bool waylandReachable()
{
    return isSet("WAYLAND_DISPLAY") ||
           (isSet("XDG_RUNTIME_DIR") && QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") +
                                                          QStringLiteral("/wayland-0")));
}

// The platforms Qt tries in turn: "-platform NAME" or QT_QPA_PLATFORM, ';' between names and
// ':' before a plugin's options. Empty when neither names one.
QByteArrayList chosenPlatforms(int argc, char *argv[])
{
    QByteArray names = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            names = argv[i + 1];
    }
    QByteArrayList platforms;
    for (const QByteArray &name : names.split(';')) {
        const QByteArray plugin = name.split(':').constFirst().trimmed();
        if (!plugin.isEmpty())
            platforms.append(plugin);
    }
    return platforms;
}

// What the one platform `plugin` lacks, empty when nothing.
QString missingFor(const QByteArray &plugin)
{
    if (plugin == "xcb")
        return isSet("DISPLAY") ? QString() : QStringLiteral("no X display (DISPLAY is not set)");
    if (plugin.startsWith("wayland")) {
        return waylandReachable()
                   ? QString()
                   : QStringLiteral("no Wayland display (WAYLAND_DISPLAY is not set)");
    }
    return {};
}

} // namespace

QString missingDisplay(int argc, char *argv[])
{
    const QByteArrayList platforms = chosenPlatforms(argc, argv);
    if (platforms.isEmpty()) {
        return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")
                   ? QString()
                   : QStringLiteral("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    }
    QStringList missing;
    for (const QByteArray &plugin : platforms) {
        const QString lack = missingFor(plugin);
        if (lack.isEmpty())
            return {};
        missing.append(lack);
    }
    return missing.join(QStringLiteral(", "));
}
