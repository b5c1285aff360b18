// SPDX-License-Identifier: MIT
// tessivar-bench: measures Tessivar where speed matters and prints one table of medians, each
// beside a baseline measured in the same runs.
//
//   tessivar-bench [--runs N]   medians of N runs (default 15)
//   tessivar-bench --smoke      every measurement once on small inputs (the test suite's run)
//   tessivar-bench --soak-seconds N   the soak of both hosts for N seconds (default 600)
//
// It fails (exit status 1) when a measurement cannot be trusted, never because of a time. The
// table's "Met" column compares each figure with its goal.
#include "sections.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

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
    parser.addOption(soakOption);
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
    const Measurement measurements[] = {
        Bench::measureQueuing,   Bench::measureStartup, Bench::measureLiveController,
        Bench::measureDraining,  Bench::measureImages,  Bench::measureRendering,
        Bench::measureAnswering, Bench::measureNetwork,
    };
    Bench::Table table;
    for (const Measurement measure : measurements)
        measure(options, table);

    std::printf("Tessivar %s: %s\n\n", options.smoke ? "smoke run" : "benchmark",
                options.smoke ? "every measurement once, small inputs; the figures mean nothing"
                              : qPrintable(QStringLiteral("medians of %1 runs").arg(options.runs)));
    std::printf("%s\n\n", qPrintable(table.markdown()));
    if (!options.smoke)
        std::printf("Goals missed: %d\n", table.missedGoals());
    return 0;
}
