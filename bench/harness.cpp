// SPDX-License-Identifier: MIT
#include "harness.h"

#include "window/settingsdialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMainWindow>
#include <QMetaMethod>
#include <QPushButton>
#include <QSerialPort>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Bench {

namespace {

QString figure(Unit unit, double value)
{
    switch (unit) {
    case Unit::Nanoseconds:
        if (value < 1e6)
            return QStringLiteral("%1 µs").arg(value / 1e3, 0, 'f', value < 1e4 ? 1 : 0);
        return QStringLiteral("%1 ms").arg(value / 1e6, 0, 'f', value < 1e8 ? 1 : 0);
    case Unit::BytesPerSecond:
        if (value < 1e6)
            return QStringLiteral("%1 KB/s").arg(value / 1e3, 0, 'f', 1);
        return QStringLiteral("%1 MB/s").arg(value / 1e6, 0, 'f', 1);
    case Unit::Kilobytes:
        return QStringLiteral("%1 MB").arg(value / 1024, 0, 'f', 1);
    }
    return QString();
}

} // namespace

QString Table::markdown() const
{
    QStringList lines;
    lines << QStringLiteral("| Measurement | Tessivar | Baseline | Ratio | Goal | Met |")
          << QStringLiteral("|---|---:|---:|---:|---|---|");
    for (const Row &row : m_rows) {
        if (!row.missing.isEmpty()) {
            lines << QStringLiteral("| %1 | %2 | | | %3 | |").arg(row.name, row.missing, row.goal);
            continue;
        }
        const QString met =
            row.meets ? (row.meets(row) ? QStringLiteral("yes") : QStringLiteral("**no**"))
                      : QString();
        lines << QStringLiteral("| %1 | %2 | %3 | %4x | %5 | %6 |")
                     .arg(row.name, figure(row.unit, row.tool), figure(row.unit, row.baseline),
                          QString::number(row.ratio(), 'f', 2), row.goal, met);
    }
    QStringList baselines;
    for (const Row &row : m_rows) {
        if (!row.baselineName.isEmpty() && !baselines.contains(row.baselineName))
            baselines << row.baselineName;
    }
    lines << QString() << QStringLiteral("Baselines, measured in the same runs:");
    for (const QString &baseline : baselines)
        lines << QStringLiteral("- ") + baseline;
    return lines.join(QLatin1Char('\n'));
}

int Table::missedGoals() const
{
    return int(std::count_if(m_rows.cbegin(), m_rows.cend(), [](const Row &row) {
        return row.missing.isEmpty() && row.meets && !row.meets(row);
    }));
}

void fail(const QString &what)
{
    std::fprintf(stderr, "tessivar-bench: %s\n", qPrintable(what));
    std::exit(1);
}

double median(QList<double> samples)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const qsizetype mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

Pair sideBySide(int runs, const std::function<double()> &tool,
                const std::function<double()> &baseline)
{
    QList<double> toolSamples;
    QList<double> baselineSamples;
    for (int run = 0; run < runs; ++run) {
        if (run % 2) {
            toolSamples << tool();
            baselineSamples << baseline();
        } else {
            baselineSamples << baseline();
            toolSamples << tool();
        }
    }
    return {median(toolSamples), median(baselineSamples)};
}

void connectWindow(QMainWindow *window, const QString &devicePath)
{
    SettingsDialog *dialog = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<SettingsDialog *>(widget))
            dialog = found;
    }
    auto *ports =
        dialog ? dialog->findChild<QComboBox *>(QStringLiteral("serialPortInfoListBox")) : nullptr;
    auto *apply =
        dialog ? dialog->findChild<QPushButton *>(QStringLiteral("applyButton")) : nullptr;
    auto *connectAction = window->findChild<QAction *>(QStringLiteral("actionConnect"));
    if (!ports || !apply || !connectAction)
        fail(QStringLiteral("the settings dialog or the Connect action is missing"));
    ports->setCurrentIndex(ports->count() - 1); // "Custom"
    ports->setEditText(devicePath);
    apply->click();
    connectAction->trigger();
    const auto *port = window->findChild<QSerialPort *>();
    if (!port || !port->isOpen())
        fail(QStringLiteral("cannot connect the window to %1").arg(devicePath));
}

void invokeSlot(QMainWindow *window, const char *signature)
{
    const QMetaObject *meta = window->metaObject();
    const int index = meta->indexOfSlot(signature);
    if (index < 0 || !meta->method(index).invoke(window, Qt::DirectConnection))
        fail(QStringLiteral("no slot %1").arg(QLatin1String(signature)));
}

} // namespace Bench
