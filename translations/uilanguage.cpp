// SPDX-License-Identifier: MIT
#include "uilanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

bool install(QCoreApplication &app, const QString &name, const QString &directory)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(), name, QStringLiteral("_"), directory)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace

bool installTranslations(QCoreApplication &app)
{
    // Installed last, so asked first: Tessivar's texts win over Qt's.
    install(app, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return install(app, QStringLiteral("tessivar"), QStringLiteral(":/i18n"));
}
