// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// Long expected output (traces, console accounts, fixtures) lives in reviewed files under tests/.
// With TESSIVAR_WRITE_TEST_DATA=1 in the environment (scripts/test-data sets it) a check writes
// what it got into the file instead of comparing; `git diff` then shows what changed.
namespace DataFile {

bool writing();

// Compares `actual` with the file, or writes it there when writing(). On a mismatch `why` tells
// the first line that differs.
bool matches(const QString &path, const QByteArray &actual, QString *why);

} // namespace DataFile
