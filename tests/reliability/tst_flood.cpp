#include "app/mainwindow.h"

#include "floodend.h"
#include "modalanswerer.h"
#include "processprobes.h"
#include "windowdriver.h"

#include <QDeadlineTimer>
#include <QPlainTextEdit>
#include <QTest>

// A far end that never stops talking: 10 MB of text without a line break (and without the
// XON/XOFF bytes, which the line would take for flow control) arrive as fast as the
// pseudo-terminal carries them. The window must stay responsive, its memory must stay bounded,
// and what the console shows must be the latest text, unchanged.
class TestFlood : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void floodWithoutLineBreaks();
};

namespace {

constexpr qsizetype floodSize = 10 * 1024 * 1024;
// The far end's stream is cut into reads of a few kilobytes; characters of two, three and four
// bytes in it are cut too, and must arrive whole.
const QByteArray floodPattern = QByteArrayLiteral(
    "Flood of the far end 0123456789 abcdefghijklmnopqrstuvwxyz \xC3\xA9\xC3\xBC \xE2\x82\xAC "
    "\xF0\x9F\x98\x80 ");
const QByteArray endMarker = QByteArrayLiteral("<end of the flood>");

QByteArray floodBytes()
{
    QByteArray bytes;
    bytes.reserve(floodSize + floodPattern.size());
    while (bytes.size() + floodPattern.size() <= floodSize - endMarker.size())
        bytes += floodPattern;
    bytes += QByteArray(floodSize - endMarker.size() - bytes.size(), 'x');
    bytes += endMarker;
    return bytes;
}

} // namespace

void TestFlood::floodWithoutLineBreaks()
{
    const QByteArray flood = floodBytes();
    QCOMPARE(flood.size(), floodSize);
    for (const char excluded : {'\n', '\r', '\x11', '\x13'})
        QVERIFY(!flood.contains(excluded));

    FloodEnd farEnd;
    QVERIFY(farEnd.isValid());
    MainWindow window;
    ModalAnswerer answerer;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(WindowDriver::connectTo(&window, farEnd.slavePath()));
    QPlainTextEdit *console = WindowDriver::console(&window);
    const QString earlier = QStringLiteral("Before the flood: ");
    console->setPlainText(earlier);
    console->moveCursor(QTextCursor::End);
    const QString everything = earlier + QString::fromUtf8(flood);

    const qint64 residentBefore = ProcessProbes::residentBytes();
    const bool peakReset = ProcessProbes::resetPeakResident();
    StallMeter stalls;
    farEnd.send(flood);
    const QString marker = QString::fromLatin1(endMarker);
    QTRY_VERIFY_WITH_TIMEOUT(farEnd.finished() && console->toPlainText().endsWith(marker), 90000);
    const qint64 residentAfter = ProcessProbes::residentBytes();
    const qint64 peak = ProcessProbes::peakResidentBytes();

    const QString shown = console->toPlainText();
    qInfo("longest stall: %.1f ms of CPU time, %.1f ms wall clock (%d ticks); resident memory "
          "%.1f MB before, %.1f MB after, peak %.1f MB; the pane holds %lld characters",
          stalls.longestCpuNs() / 1e6, stalls.longestWallNs() / 1e6, stalls.ticks(),
          residentBefore / 1048576.0, residentAfter / 1048576.0, peak / 1048576.0,
          qlonglong(shown.size()));

    // The latest text, in order and unchanged: every character decoded whole.
    QVERIFY(!shown.contains(QChar::ReplacementCharacter));
    QVERIFY2(everything.endsWith(shown), "the pane holds other text than the flood's end");
    QCOMPARE(answerer.count(), 0);
    QVERIFY(WindowDriver::portOpen(&window));

    // The console's work stays bounded: the pane holds a bounded tail of the flood, and no
    // insertion keeps the loop busy for long. CPU time is what the window did in one go; the
    // wall clock also counts what other processes on a busy machine took.
    QVERIFY2(shown.size() <= 65536, qPrintable(QString::number(shown.size())));
    QVERIFY(stalls.ticks() > 0);
    QVERIFY2(stalls.longestCpuNs() < 100 * 1000 * 1000,
             qPrintable(QStringLiteral("a stall of %1 ms").arg(stalls.longestCpuNs() / 1e6)));

    // Memory: what 10 MB of text would take if it were kept (twice that as UTF-16, and more for
    // its layout) must not show. AddressSanitizer keeps freed memory in quarantine, so there the
    // figure says nothing about the console.
    if (!ProcessProbes::underAddressSanitizer()) {
        QVERIFY(residentBefore > 0);
        const qint64 growth = (peakReset ? peak : residentAfter) - residentBefore;
        QVERIFY2(growth < 16 * 1024 * 1024,
                 qPrintable(QStringLiteral("memory grew by %1 MB").arg(growth / 1048576.0)));
    }
}

QTEST_MAIN(TestFlood)
#include "tst_flood.moc"
