// 1. Queuing: the time a job's handler takes from its start to its return, with the port open
// on a pseudo-terminal, against one write of the job's bytes to the same port. Both only queue
// the bytes in the port's write buffer; the far end then takes them all before the next run.
#include "benchpty.h"
#include "sections.h"

#include "window/mainwindow.h"
#include "commands/commandset.h"
#include "jobs/jobstreams.h"

#include <QBuffer>
#include <QMetaMethod>
#include <QSerialPort>
#include <QTest>

namespace Bench {

namespace {

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

} // namespace

void measureQueuing(const Options &options, Table &table)
{
    BenchPty pty(/*keepBytes=*/true);
    if (!pty.isValid())
        fail(QStringLiteral("cannot open a pseudo-terminal"));
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        fail(QStringLiteral("the main window is not shown"));
    connectWindow(&window, pty.slavePath());
    auto *port = window.findChild<QSerialPort *>();

    // Each job's runs are cheap, so there are more of them.
    const int runs = options.smoke ? 1 : options.runs * 4;
    const QList<QByteArray> streamAloneJobs = {"pushButtonFont", "pushButtonLanguage",
                                               "pushButtonReceipt"};
    QList<Row> streamAloneRows;
    for (const Jobs::JobStream &job : Jobs::allJobStreams()) {
        const QByteArray bytes = Jobs::streamOf(job);
        const QMetaMethod handler = handlerOf(window, job);

        auto queueByHandler = [&] {
            pty.reset();
            const std::int64_t start = nowNs();
            handler.invoke(&window, Qt::DirectConnection);
            const std::int64_t took = nowNs() - start;
            if (!pty.waitForBytes(bytes.size()))
                fail(QStringLiteral("%1: the far end got %2 of %3 bytes")
                         .arg(QLatin1String(job.name))
                         .arg(pty.received())
                         .arg(bytes.size()));
            return double(took);
        };
        auto queueByOneWrite = [&] {
            pty.reset();
            const std::int64_t start = nowNs();
            port->write(bytes);
            const std::int64_t took = nowNs() - start;
            if (!pty.waitForBytes(bytes.size()))
                fail(QStringLiteral("%1: one write lost bytes").arg(QLatin1String(job.name)));
            return double(took);
        };

        // The two must send the same bytes, or the comparison means nothing.
        queueByHandler();
        if (pty.takeBytes() != bytes)
            fail(QStringLiteral("%1: the handler sent other bytes than the job's stream")
                     .arg(QLatin1String(job.name)));

        const Pair pair = sideBySide(runs, queueByHandler, queueByOneWrite);
        Row row;
        row.name = QStringLiteral("Queue %1 (%2 B)").arg(QLatin1String(job.name)).arg(bytes.size());
        row.baselineName = QStringLiteral(
            "Queue: one QSerialPort::write of the job's bytes to the same open port.");
        row.tool = pair.tool;
        row.baseline = pair.baseline;
        const bool quickTest = qstrcmp(job.button, "pushButtonFont") == 0;
        row.goal = quickTest ? QStringLiteral("< 1 ms, <= 2x") : QStringLiteral("<= 2x");
        row.meets = [quickTest](const Row &r) {
            return r.ratio() <= 2.0 && (!quickTest || r.tool < 1e6);
        };
        table.add(row);

        // Where a handler's time goes: its stream alone, queued with the same write calls on
        // the same port, without the console account.
        if (!streamAloneJobs.contains(QByteArray(job.button)))
            continue;
        CommandSet commands(port);
        auto queueStreamAlone = [&] {
            pty.reset();
            const std::int64_t start = nowNs();
            job.queue(commands);
            const std::int64_t took = nowNs() - start;
            if (!pty.waitForBytes(bytes.size()))
                fail(
                    QStringLiteral("%1: the stream alone lost bytes").arg(QLatin1String(job.name)));
            return double(took);
        };
        const Pair alone = sideBySide(runs, queueStreamAlone, queueByOneWrite);
        Row aloneRow = row;
        aloneRow.name = QStringLiteral("Queue %1: its stream alone, no console account")
                            .arg(QLatin1String(job.name));
        aloneRow.tool = alone.tool;
        aloneRow.baseline = alone.baseline;
        aloneRow.goal.clear();
        aloneRow.meets = nullptr;
        streamAloneRows.append(aloneRow);
    }
    for (const Row &row : std::as_const(streamAloneRows))
        table.add(row);
}

} // namespace Bench
