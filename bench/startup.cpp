// 3. Start-up and memory: from the moment the process is started to the end of the main window's
// first paint, and the peak resident memory at that moment, of Tessivar as shipped against a
// bare QMainWindow program built alongside. A preloaded probe (shownprobe.cpp) takes both
// figures inside the process and ends it.
#include "benchpty.h"
#include "sections.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace Bench {

namespace {

struct Shown
{
    double nanoseconds;
    double peakKb;
};

Shown startAndShow(const QString &program, const QStringList &arguments = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TESSIVAR_BENCH_PROBE));
    // Under AddressSanitizer the runtime wants to be the first library; the probe comes first.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) +
                   QStringLiteral("verify_asan_link_order=0"));
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    const std::int64_t start = nowNs();
    env.insert(QStringLiteral("TESSIVAR_PROBE_T0"), QString::number(start));
    process.setProcessEnvironment(env);
    process.start();
    if (!process.waitForFinished(60000))
        fail(QStringLiteral("%1 did not end after its window was shown").arg(program));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    static const QRegularExpression probeLine(
        QStringLiteral("tessivar-probe: shown_ns=(\\d+) peak_kb=(\\d+)"));
    const QRegularExpressionMatch match = probeLine.match(errors);
    if (process.exitCode() != 0 || !match.hasMatch())
        fail(QStringLiteral("%1 gave no start-up figures:\n%2").arg(program, errors));
    return {match.captured(1).toDouble(), match.captured(2).toDouble()};
}

} // namespace

void measureStartup(const Options &options, Table &table)
{
    const int runs = options.smoke ? 1 : options.runs;
    const QString bareProgram = QStringLiteral(TESSIVAR_BENCH_BARE);
    QList<double> toolTimes, bareTimes, toolPeaks, barePeaks;
    auto tessivar = [&] {
        const Shown shown = startAndShow(QStringLiteral(TESSIVAR_BENCH_TESSIVAR));
        toolTimes << shown.nanoseconds;
        toolPeaks << shown.peakKb;
        return shown.nanoseconds;
    };
    auto bare = [&] {
        const Shown shown = startAndShow(bareProgram);
        bareTimes << shown.nanoseconds;
        barePeaks << shown.peakKb;
        return shown.nanoseconds;
    };
    sideBySide(runs, tessivar, bare);

    const QString baseline = QStringLiteral(
        "Start-up: a bare QMainWindow program (QApplication, QMainWindow, show) built alongside; "
        "both shown on the offscreen platform, measured to the end of the first paint.");
    Row time;
    time.name = QStringLiteral("Start-up to the main window shown");
    time.baselineName = baseline;
    time.tool = median(toolTimes);
    time.baseline = median(bareTimes);
    time.goal = QStringLiteral("<= 1.3x");
    time.meets = [](const Row &r) { return r.ratio() <= 1.3; };
    table.add(time);

    Row memory;
    memory.name = QStringLiteral("Peak resident memory when shown");
    memory.baselineName = baseline;
    memory.unit = Unit::Kilobytes;
    memory.tool = median(toolPeaks);
    memory.baseline = median(barePeaks);
    memory.goal = QStringLiteral("<= 1.3x");
    memory.meets = [](const Row &r) { return r.ratio() <= 1.3; };
    table.add(memory);

    // Two things every Tessivar start does that the bare window does not, each alone on the bare
    // window: what part of the gap they explain.
    const struct
    {
        const char *option;
        const char *name;
    } parts[] = {
        {"--label", "Start-up: the bare window with one text label (fonts loaded)"},
        {"--ports", "Start-up: the bare window listing the serial ports"},
    };
    for (const auto &part : parts) {
        QList<double> partTimes, partPeaks, baseTimes, basePeaks;
        sideBySide(
            runs,
            [&] {
                const Shown shown = startAndShow(bareProgram, {QLatin1String(part.option)});
                partTimes << shown.nanoseconds;
                partPeaks << shown.peakKb;
                return shown.nanoseconds;
            },
            [&] {
                const Shown shown = startAndShow(bareProgram);
                baseTimes << shown.nanoseconds;
                basePeaks << shown.peakKb;
                return shown.nanoseconds;
            });
        Row partTime;
        partTime.name = QLatin1String(part.name);
        partTime.baselineName = baseline;
        partTime.tool = median(partTimes);
        partTime.baseline = median(baseTimes);
        table.add(partTime);
        Row partMemory = partTime;
        partMemory.name = QLatin1String(part.name) + QStringLiteral(", peak memory");
        partMemory.unit = Unit::Kilobytes;
        partMemory.tool = median(partPeaks);
        partMemory.baseline = median(basePeaks);
        table.add(partMemory);
    }
}

} // namespace Bench
