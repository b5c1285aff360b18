// SPDX-License-Identifier: MIT
#include "window/mainwindow.h"

#include "farend.h"
#include "modalanswerer.h"
#include "processprobes.h"
#include "windowdriver.h"

#include <QPlainTextEdit>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

// The console pane and a far end that talks too much. The flood: 10 MB of text without a line
// break (and without the XON/XOFF bytes, which the line would take for flow control) arrive as
// fast as the pseudo-terminal carries them; the window must stay responsive, its memory must stay
// bounded, and what the console shows must be the latest text, unchanged.
class TestFlood : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void floodWithoutLineBreaks();
    void trimmingKeepsCharactersWhole();
    void partialCharacterLeavesSelection();
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

    FarEnd farEnd;
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
    QTRY_VERIFY_WITH_TIMEOUT(farEnd.sendFinished() && console->toPlainText().endsWith(marker),
                             90000);
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
    QVERIFY(!shown.isEmpty() && !shown.front().isLowSurrogate());
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

// When the pane is full, the oldest text falls off its start; a character of two UTF-16 units
// falls off whole, never leaving half of it behind.
void TestFlood::trimmingKeepsCharactersWhole()
{
    FarEnd farEnd;
    QVERIFY(farEnd.isValid());
    MainWindow window;
    QVERIFY(WindowDriver::connectTo(&window, farEnd.slavePath()));
    QPlainTextEdit *console = WindowDriver::console(&window);

    // Only characters outside the Basic Multilingual Plane, far more than the pane holds, the
    // last one different so its arrival shows.
    const QByteArray grin = QByteArrayLiteral("\xF0\x9F\x98\x80");
    const QByteArray last = QByteArrayLiteral("\xF0\x9F\x98\x8E");
    const QByteArray flood = grin.repeated(16383) + last;
    farEnd.send(flood);
    QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().endsWith(QString::fromUtf8(last)), 30000);
    QString sent = QString::fromUtf8(flood);

    // One unit more than fits: the pane must give up a whole character, two units. Twice, as the
    // first may find the pane a unit short of full.
    for (int round = 0; round < 2; ++round) {
        farEnd.send("y");
        sent += QLatin1Char('y');
        QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().endsWith(sent.right(round + 2)), 10000);
        const QString shown = console->toPlainText();
        QVERIFY2(!shown.front().isLowSurrogate(), "half a character left at the start");
        QVERIFY(sent.endsWith(shown));
        QVERIFY(shown.size() > 8000 && shown.size() <= 8192);
    }
}

// A read that holds only the first bytes of a character inserts nothing, so it must not touch
// the pane either: a selection there stays until the character is complete, which then takes
// its place as any insertion at the cursor does.
void TestFlood::partialCharacterLeavesSelection()
{
    FarEnd farEnd;
    QVERIFY(farEnd.isValid());
    MainWindow window;
    QVERIFY(WindowDriver::connectTo(&window, farEnd.slavePath()));
    QPlainTextEdit *console = WindowDriver::console(&window);
    auto *port = window.findChild<QSerialPort *>();
    QVERIFY(port);
    console->setPlainText(QStringLiteral("hello world"));
    QTextCursor cursor = console->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    console->setTextCursor(cursor);

    // The window's readData is connected before the spy, so it has run when the spy sees it.
    QSignalSpy readyRead(port, &QIODevice::readyRead);
    farEnd.send("\xE2\x82"); // the first two bytes of the euro sign
    QVERIFY(readyRead.wait(10000));
    QCOMPARE(console->toPlainText(), QStringLiteral("hello world"));
    QCOMPARE(console->textCursor().selectedText(), QStringLiteral("hello"));

    farEnd.send("\xAC");
    QTRY_COMPARE(console->toPlainText(), QString::fromUtf8("\xE2\x82\xAC world"));
}

QTEST_MAIN(TestFlood)
#include "tst_flood.moc"
