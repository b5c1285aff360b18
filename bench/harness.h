// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

class QMainWindow;

// The small harness behind tessivar-bench: every figure is the median of repeated runs and is
// set beside a baseline measured in the same runs, alternately before and after it, so that a
// busy machine slows both alike and the ratio stays meaningful.
namespace Bench {

struct Options
{
    bool smoke = false; // every measurement once, on small inputs: proves that it works
    int runs = 15;
    int soakSeconds = 600; // the soak's mixed traffic from both hosts
};

enum class Unit { Nanoseconds, BytesPerSecond, Kilobytes };

// One line of the table. The ratio is always Tessivar's figure divided by the baseline's.
struct Row
{
    QString name;
    QString baselineName;
    Unit unit = Unit::Nanoseconds;
    double tool = 0;
    double baseline = 0;
    // Empty for a row without a goal.
    QString goal;
    std::function<bool(const Row &)> meets;
    // Shown instead of figures (for example for something that is not built).
    QString missing;

    double ratio() const { return baseline > 0 ? tool / baseline : 0; }
};

class Table
{
public:
    void add(Row row) { m_rows.append(std::move(row)); }
    const QList<Row> &rows() const { return m_rows; }
    // The table in Markdown, with a legend of the baselines below it.
    QString markdown() const;
    // Rows whose goal is not met.
    int missedGoals() const;

private:
    QList<Row> m_rows;
};

// A measurement that cannot be trusted (bytes lost or changed, a child process failed) ends the
// benchmark with an error instead of printing a figure.
[[noreturn]] void fail(const QString &what);

double median(QList<double> samples);

// Runs `tool` and `baseline` `runs` times each, alternating which goes first, and returns the
// two medians. Each callable returns its own figure for one run.
struct Pair
{
    double tool;
    double baseline;
};
Pair sideBySide(int runs, const std::function<double()> &tool,
                const std::function<double()> &baseline);

// Connects the window's port to `devicePath` the way a user does: "Custom" in the settings
// dialog, the path typed in, "Apply", then Connect.
void connectWindow(QMainWindow *window, const QString &devicePath);

// Runs one of the window's slots by name (a private slot, as a button or the event loop would).
void invokeSlot(QMainWindow *window, const char *signature);

} // namespace Bench
