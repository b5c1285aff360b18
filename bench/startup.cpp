// SPDX-License-Identifier: MIT
// 3. Start-up and memory, as a user sees them: under Xvfb, from the moment the process is started
// to its main window being mapped on the screen, and the peak resident memory (VmHWM) at that
// moment; Tessivar against CuteCom, the serial terminal from Debian that users install instead.
// The benchmark starts its own Xvfb and watches the screen's root window for the first mapped
// top-level window.
#include "farend.h"
#include "sections.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace Bench {

namespace {

constexpr int deadlineMs = 30000;

double peakResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}

// An Xvfb of the benchmark's own and a connection that sees every window mapped on it.
class VirtualScreen
{
public:
    VirtualScreen()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        QByteArray number;
        while (!number.endsWith('\n') && m_server.waitForReadyRead(deadlineMs))
            number += m_server.readAllStandardOutput();
        if (number.trimmed().isEmpty())
            fail(QStringLiteral("Xvfb did not start (scripts/setup installs xvfb)"));
        m_display = ':' + QString::fromLatin1(number.trimmed());
        m_connection = xcb_connect(qPrintable(m_display), nullptr);
        if (xcb_connection_has_error(m_connection))
            fail(QStringLiteral("cannot connect to Xvfb on %1").arg(m_display));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~VirtualScreen()
    {
        xcb_disconnect(m_connection);
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    QString display() const { return m_display; }

    void forgetEvents()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // Waits for a top-level window (not a menu or tooltip) to be mapped.
    bool waitForMappedWindow(int deadline)
    {
        const int fd = xcb_get_file_descriptor(m_connection);
        const std::int64_t end = nowNs() + std::int64_t(deadline) * 1000000;
        while (nowNs() < end) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool mapped =
                    (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                    !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect;
                std::free(event);
                if (mapped)
                    return true;
            }
            pollfd readable{fd, POLLIN, 0};
            ::poll(&readable, 1, int((end - nowNs()) / 1000000) + 1);
        }
        return false;
    }

private:
    QProcess m_server;
    QString m_display;
    xcb_connection_t *m_connection = nullptr;
};

struct Shown
{
    double nanoseconds;
    double peakKb;
};

Shown startAndShow(VirtualScreen &screen, const QString &program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), screen.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProgram(program);
    screen.forgetEvents();
    const std::int64_t start = nowNs();
    process.start();
    if (!process.waitForStarted(deadlineMs))
        fail(QStringLiteral("%1 did not start: %2").arg(program, process.errorString()));
    const bool shown = screen.waitForMappedWindow(deadlineMs);
    const double took = double(nowNs() - start);
    const double peak = peakResidentKb(process.processId());
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (!shown || peak < 0)
        fail(QStringLiteral("%1 showed no window:\n%2")
                 .arg(program, QString::fromLocal8Bit(process.readAllStandardError())));
    return {took, peak};
}

} // namespace

void measureStartup(const Options &options, Table &table)
{
    const QString baseline = QStringLiteral(
        "Start-up: CuteCom (Debian's cutecom), a serial terminal; both under Xvfb, from the "
        "process's start to its main window mapped.");
    Row time;
    time.name = QStringLiteral("Start-up to the main window shown");
    time.baselineName = baseline;
    time.goal = QStringLiteral("<= 1x");
    time.meets = [](const Row &r) { return r.ratio() <= 1.0; };
    Row memory = time;
    memory.name = QStringLiteral("Peak resident memory when shown");
    memory.unit = Unit::Kilobytes;

    const QString cutecom = QStandardPaths::findExecutable(QStringLiteral("cutecom"));
    if (cutecom.isEmpty()) {
        time.missing = memory.missing = QStringLiteral("CuteCom is not installed");
        table.add(time);
        table.add(memory);
        return;
    }
    VirtualScreen screen;
    QList<double> toolPeaks, cutecomPeaks;
    auto measure = [&screen](const QString &program, QList<double> &peaks) {
        const Shown shown = startAndShow(screen, program);
        peaks << shown.peakKb;
        return shown.nanoseconds;
    };
    const Pair times = sideBySide(
        options.smoke ? 1 : options.runs,
        [&] { return measure(QStringLiteral(TESSIVAR_BENCH_TESSIVAR), toolPeaks); },
        [&] { return measure(cutecom, cutecomPeaks); });
    time.tool = times.tool;
    time.baseline = times.baseline;
    memory.tool = median(toolPeaks);
    memory.baseline = median(cutecomPeaks);
    table.add(time);
    table.add(memory);
}

} // namespace Bench
