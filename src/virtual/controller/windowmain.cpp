// SPDX-License-Identifier: MIT
// tessivar-virtual-controller-window: tessivar-virtual-controller with its window. The program
// without a window starts this one when a window is wanted (controllerprogram.h); it takes
// --headless as well.

#include "controllerprogram.h"
#include "controllerwindow.h"
#include "resources/applicationidentity.h"
#include "resources/displaycheck.h"
#include "uilanguage.h"

#include <QApplication>

#include <memory>

namespace {

int runWindow(QCoreApplication &app, Virtual::LiveController &controller)
{
    // Only now, after the options are read: the command line and its help stay English,
    // the window speaks the user's language.
    setApplicationIdentity(QStringLiteral("org.tessivar.Tessivar.VirtualController"));
    installTranslations(app);
    ControllerWindow window(&controller);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Without a window there is no need for a display either.
    const bool headless = ControllerProgram::wantsHeadless(argc, argv);
    // Qt would abort without a display; the controller runs without one as well.
    if (const QString missing = headless ? QString() : missingDisplay(argc, argv);
        !missing.isEmpty()) {
        return ControllerProgram::fail(QStringLiteral("cannot open its window: %1; without a "
                                                      "window: tessivar-virtual-controller "
                                                      "--headless")
                                           .arg(missing));
    }
    const std::unique_ptr<QCoreApplication> app =
        headless ? std::make_unique<QCoreApplication>(argc, argv)
                 : std::make_unique<QApplication>(argc, argv);
    ControllerProgram::setIdentity();
    return ControllerProgram::run(*app, headless ? nullptr : runWindow);
}
