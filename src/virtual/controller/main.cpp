// SPDX-License-Identifier: MIT
// tessivar-virtual-controller without a window, and the way to the one with a window
// (controllerprogram.h).

#include "controllerprogram.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Where tessivar-virtual-controller-window is: beside this program in a build tree, in
// libexec/tessivar when installed (TESSIVAR_WINDOW_PROGRAM_DIR, relative to this program's
// folder).
std::string windowProgram()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    std::string folder(self, std::size_t(length));
    folder.erase(folder.rfind('/') + 1);
    const char *name = "tessivar-virtual-controller-window";
    for (const std::string &candidate :
         {folder + name, folder + TESSIVAR_WINDOW_PROGRAM_DIR + "/" + name}) {
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    if (!ControllerProgram::wantsHeadless(argc, argv)) {
        // The same command line, in the program that has the window; nothing has started yet.
        const std::string window = windowProgram();
        if (!window.empty())
            ::execv(window.c_str(), argv);
        const QString reason = window.empty()
                                   ? QStringLiteral("tessivar-virtual-controller-window is "
                                                    "missing")
                                   : QString::fromLocal8Bit(std::strerror(errno));
        return ControllerProgram::fail(QStringLiteral("cannot open its window: %1; without a "
                                                      "window: tessivar-virtual-controller "
                                                      "--headless")
                                           .arg(reason));
    }
    QCoreApplication app(argc, argv);
    ControllerProgram::setIdentity();
    return ControllerProgram::run(app, nullptr);
}
