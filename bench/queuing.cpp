// SPDX-License-Identifier: MIT
// 1. Buttons: the time each job's handler takes from its start to its return, with the port open
// on a pseudo-terminal; the slowest against one frame at 60 Hz, the time within which a window
// still answers at once. The far end takes all bytes before the next run.
#include "farend.h"
#include "sections.h"

#include "jobs/jobstreams.h"
#include "window/mainwindow.h"

#include <QMetaMethod>
#include <QTest>

namespace Bench {

namespace {

constexpr double frameNs = 1e9 / 60;

// The handler bound to the job's button: released, or pressed for the one button that acts on
// being pressed.
QMetaMethod handlerOf(const QMainWindow &window, const Jobs::JobStream &job)
{
    const QMetaObject *meta = window.metaObject();
    for (const char *signal : {"released", "pressed"}) {
        const QByteArray signature = "on_" + QByteArray(job.button) + '_' + signal + "()";
        const int index = meta->indexOfSlot(signature.constData());
        if (index >= 0)
            return meta->method(index);
    }
    fail(QStringLiteral("no handler for %1").arg(QLatin1String(job.button)));
}

// The median time of one job's handler; its bytes must reach the far end unchanged.
double handlerTime(MainWindow &window, FarEnd &pty, const Jobs::JobStream &job, int runs)
{
    const QByteArray bytes = Jobs::streamOf(job);
    const QMetaMethod handler = handlerOf(window, job);
    QList<double> samples;
    for (int run = 0; run < runs; ++run) {
        pty.reset();
        const std::int64_t start = nowNs();
        handler.invoke(&window, Qt::DirectConnection);
        samples << double(nowNs() - start);
        if (!pty.waitForBytes(bytes.size()))
            fail(QStringLiteral("%1: the far end got %2 of %3 bytes")
                     .arg(QLatin1String(job.name))
                     .arg(pty.received())
                     .arg(bytes.size()));
        if (run == 0 && pty.takeBytes() != bytes)
            fail(QStringLiteral("%1: the handler sent other bytes than the job's stream")
                     .arg(QLatin1String(job.name)));
    }
    return median(samples);
}

} // namespace

void measureQueuing(const Options &options, Table &table)
{
    FarEnd pty;
    pty.countArrivals(/*keepBytes=*/true);
    if (!pty.isValid())
        fail(QStringLiteral("cannot open a pseudo-terminal"));
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        fail(QStringLiteral("the main window is not shown"));
    connectWindow(&window, pty.slavePath());

    const int runs = options.smoke ? 1 : options.runs;
    double slowest = -1;
    QString slowestName;
    for (const Jobs::JobStream &job : Jobs::allJobStreams()) {
        const double took = handlerTime(window, pty, job, runs);
        if (took > slowest) {
            slowest = took;
            slowestName = QLatin1String(job.name);
        }
    }
    Row row;
    row.name = QStringLiteral("Slowest button's handler (%1)").arg(slowestName);
    row.baselineName = QStringLiteral("Buttons: one frame at 60 Hz (16.7 ms).");
    row.tool = slowest;
    row.baseline = frameNs;
    row.goal = QStringLiteral("<= 1 frame");
    row.meets = [](const Row &r) { return r.ratio() <= 1.0; };
    table.add(row);
}

} // namespace Bench
