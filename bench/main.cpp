// SPDX-License-Identifier: MIT
// tessivar-bench: measures Tessivar where speed matters and prints one table of medians, each
// beside a baseline measured in the same runs.
//
//   tessivar-bench [--runs N]   medians of N runs (default 15)
//   tessivar-bench --smoke      every measurement once on small inputs (the test suite's run)
//   tessivar-bench --soak-seconds N   the soak of both hosts for N seconds (default 600)
//   tessivar-bench --only network     only the sections named (see --help)
//
// It fails (exit status 1) when a measurement cannot be trusted, never because of a time. The
// table's "Met" column compares each figure with its goal.
#include "sections.h"

#include <QApplication>
#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

int main(int argc, char *argv[])
{
    // The same platform for the benchmark's own windows and for the programs it starts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption smokeOption(
        QStringLiteral("smoke"), QStringLiteral("Run every measurement once on small inputs."));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Runs per measurement (default 15)."),
                                        QStringLiteral("N"), QStringLiteral("15"));
    const QCommandLineOption soakOption(
        QStringLiteral("soak-seconds"),
        QStringLiteral("How long both hosts print at once for the memory soak (default 600)."),
        QStringLiteral("N"), QStringLiteral("600"));
    parser.addOption(smokeOption);
    parser.addOption(runsOption);
    const QCommandLineOption onlyOption(
        QStringLiteral("only"),
        QStringLiteral("Only these sections, by name: queuing, startup, live, draining, images, "
                       "rendering, answering, network (comma-separated)."),
        QStringLiteral("NAMES"));
    parser.addOption(soakOption);
    parser.addOption(onlyOption);
    parser.process(app);

    Bench::Options options;
    options.smoke = parser.isSet(smokeOption);
    bool runsOk = false;
    options.runs = parser.value(runsOption).toInt(&runsOk);
    bool soakOk = false;
    options.soakSeconds = parser.value(soakOption).toInt(&soakOk);
    if (!runsOk || options.runs < 1 || !soakOk || options.soakSeconds < 1) {
        std::fprintf(stderr, "tessivar-bench: --runs and --soak-seconds take a positive number\n");
        return 2;
    }

    // The table's rows, section by section.
    using Measurement = void (*)(const Bench::Options &, Bench::Table &);
    const std::pair<const char *, Measurement> measurements[] = {
        {"queuing", Bench::measureQueuing},     {"startup", Bench::measureStartup},
        {"live", Bench::measureLiveController}, {"draining", Bench::measureDraining},
        {"images", Bench::measureImages},       {"rendering", Bench::measureRendering},
        {"answering", Bench::measureAnswering}, {"network", Bench::measureNetwork},
    };
    const QStringList only = parser.value(onlyOption).split(u',', Qt::SkipEmptyParts);
    for (const QString &name : only) {
        if (std::none_of(std::begin(measurements), std::end(measurements),
                         [&](const auto &entry) { return name == QLatin1String(entry.first); })) {
            std::fprintf(stderr, "tessivar-bench: no section %s\n", qPrintable(name));
            return 2;
        }
    }
    Bench::Table table;
    for (const auto &[name, measure] : measurements) {
        if (only.isEmpty() || only.contains(QLatin1String(name)))
            measure(options, table);
    }

    std::printf("Tessivar %s: %s\n\n", options.smoke ? "smoke run" : "benchmark",
                options.smoke ? "every measurement once, small inputs; the figures mean nothing"
                              : qPrintable(QStringLiteral("medians of %1 runs").arg(options.runs)));
    std::printf("%s\n\n", qPrintable(table.markdown()));
    if (!options.smoke)
        std::printf("Goals missed: %d\n", table.missedGoals());
    return 0;
}
