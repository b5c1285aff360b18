// SPDX-License-Identifier: MIT
#include "datafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace DataFile {

bool writing()
{
    return qEnvironmentVariableIntValue("TESSIVAR_WRITE_TEST_DATA") == 1;
}

bool matches(const QString &path, const QByteArray &actual, QString *why)
{
    QFile file(path);
    if (writing()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (file.open(QIODevice::WriteOnly) && file.write(actual) == actual.size())
            return true;
        *why = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("no file %1 (scripts/test-data writes it)").arg(path);
        return false;
    }
    const QByteArray expected = file.readAll();
    if (expected == actual)
        return true;
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    qsizetype line = 0;
    while (line < want.size() && line < got.size() && want[line] == got[line])
        ++line;
    *why = QStringLiteral("%1:%2: expected \"%3\", got \"%4\"")
               .arg(path)
               .arg(line + 1)
               .arg(QString::fromUtf8(want.value(line, "<end>")),
                    QString::fromUtf8(got.value(line, "<end>")));
    return false;
}

} // namespace DataFile
