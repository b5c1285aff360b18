// SPDX-License-Identifier: MIT
#include "window/mainwindow.h"

#include "ptypair.h"
#include "windowdriver.h"

#include <QDeadlineTimer>
#include <QProgressBar>
#include <QSerialPort>
#include <QTest>

#include <atomic>
#include <cstdarg>
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <unistd.h>

// The status bar's progress of a long job, on a line whose system holds bytes of its own. A
// pseudo-terminal keeps no output queue that it would report, so this test gives it one: the
// port's TIOCOUTQ answers with what the far end has not read yet (its input queue, 4 KB at
// most: a small buffer), and the far end reads slowly, a piece at a time.
namespace {
std::atomic<int> queuedPort{-1}; // the port's descriptor, whose output queue is the far end's
std::atomic<int> queuedFarEnd{-1};
} // namespace

// Every ioctl of this program comes here first (the port's own among them); all but TIOCOUTQ
// on the port go on to the system's.
extern "C" int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    using Ioctl = int (*)(int, unsigned long, ...);
    static const auto system = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    if (request == TIOCOUTQ && fd >= 0 && fd == queuedPort.load())
        return system(queuedFarEnd.load(), FIONREAD, argument);
    return system(fd, request, argument);
}

namespace {
// The slow reader: a kilobyte at most, once one has come, the window's event loop running
// meanwhile.
QByteArray readPiece(int fd)
{
    char piece[1024];
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n > 0)
            return QByteArray(piece, n);
    }
    return {};
}
} // namespace

class TestWriteProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shownUntilTheQueueIsEmpty();
};

// The bar stays while bytes wait in the system after the port's own buffer has emptied, says
// how many, and goes once the far end has taken the last of them.
void TestWriteProgress::shownUntilTheQueueIsEmpty()
{
    PtyPair pty;
    MainWindow w;
    QVERIFY(WindowDriver::connectTo(&w, pty.slavePath()));
    auto *port = w.findChild<QSerialPort *>();
    auto *progress = w.findChild<QProgressBar *>(QStringLiteral("writeProgress"));
    QVERIFY(port && progress);
    queuedPort = int(port->handle());
    queuedFarEnd = pty.masterFd();
    const QByteArray job(24 * 1024, 'x');
    port->write(job);

    QByteArray received;
    int checked = 0;
    while (received.size() < job.size()) {
        // Whenever the port has handed everything to the system, the bar is there as long as
        // the far end has not read it all, and counts what is left in whole kilobytes.
        // The system moves bytes into the far end's queue on its own time, so the expected
        // count is read again on every try.
        const auto kilobytesLeft = [] {
            int queued = 0;
            return ::ioctl(queuedFarEnd, FIONREAD, &queued) == 0 ? (queued + 1023) / 1024 : -1;
        };
        if (port->bytesToWrite() == 0) {
            QTRY_VERIFY(
                progress->text().startsWith(QStringLiteral("%1 KB left").arg(kilobytesLeft())));
            QVERIFY(!progress->isHidden());
            ++checked;
        }
        received += readPiece(pty.masterFd());
    }
    QCOMPARE(received, job);
    QVERIFY(checked > 0);
    QTRY_VERIFY(progress->isHidden());
    queuedPort = -1;
}

QTEST_MAIN(TestWriteProgress)
#include "tst_writeprogress.moc"
