// Preloaded (LD_PRELOAD) into a program whose start-up is measured, so that the program itself
// stays exactly as shipped. When the program's QApplication is constructed, the probe watches
// for the first paint of a main window; once that paint is done it writes one line to standard
// error and ends the program through its event loop:
//
//   tessivar-probe: shown_ns=<ns since TESSIVAR_PROBE_T0> peak_kb=<VmHWM>
//
// TESSIVAR_PROBE_T0 is the CLOCK_MONOTONIC moment (ns) at which the benchmark started the process.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long monotonicNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

long long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

class ShownProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_done && event->type() == QEvent::Paint && watched->inherits("QMainWindow")) {
            m_done = true;
            // Queued behind the paint itself and whatever it flushes.
            QTimer::singleShot(0, this, [] { report(); });
        }
        return false;
    }

private:
    static void report()
    {
        const long long shown = monotonicNs() - std::atoll(std::getenv("TESSIVAR_PROBE_T0"));
        std::fprintf(stderr, "tessivar-probe: shown_ns=%lld peak_kb=%lld\n", shown,
                     peakResidentKb());
        std::fflush(stderr);
        QCoreApplication::exit(0);
    }

    bool m_done = false;
};

void installProbe()
{
    if (!std::getenv("TESSIVAR_PROBE_T0"))
        return;
    QCoreApplication::instance()->installEventFilter(new ShownProbe(QCoreApplication::instance()));
}

// Runs when the library is loaded, before the program's main(): the routine is called from the
// application object's constructor.
const bool registered = [] {
    qAddPreRoutine(installProbe);
    return true;
}();

} // namespace
