// SPDX-License-Identifier: MIT
#include "window/mainwindow.h"

#include "commands/commandset.h"
#include "jobs/jobstreams.h"
#include "modalanswerer.h"
#include "ptypair.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCoreApplication>
#include <QTest>

// A thousand jobs pressed back to back, every job of the window in turn: the far end receives
// their exact concatenation, nothing lost, doubled or reordered, whether the event loop turns
// between the presses or not.
class TestNoLoss : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thousandJobsArriveWhole_data();
    void thousandJobsArriveWhole();
};

namespace {} // namespace

void TestNoLoss::thousandJobsArriveWhole_data()
{
    QTest::addColumn<bool>("loopBetween");
    QTest::newRow("all queued before the loop turns") << false;
    QTest::newRow("the loop turning between jobs") << true;
}

void TestNoLoss::thousandJobsArriveWhole()
{
    QFETCH(bool, loopBetween);

    PtyPair device;
    QVERIFY(device.isValid());
    MainWindow window;
    ModalAnswerer answerer;
    QVERIFY(WindowDriver::connectTo(&window, device.slavePath()));

    const std::span<const Jobs::JobStream> jobs = Jobs::allJobStreams();
    QVERIFY(!jobs.empty());
    QList<QAbstractButton *> buttons;
    QList<QByteArray> streams;
    for (const Jobs::JobStream &job : jobs) {
        auto *button = window.findChild<QAbstractButton *>(QString::fromLatin1(job.button));
        QVERIFY2(button, job.button);
        buttons.append(button);
        streams.append(Jobs::streamOf(job));
    }

    QByteArray expected;
    for (int i = 0; i < 1000; ++i) {
        const auto at = qsizetype(i) % buttons.size();
        buttons[at]->click();
        expected += streams[at];
        if (loopBetween)
            QCoreApplication::processEvents();
    }

    const QByteArray received = device.readExactly(expected.size(), 60000);
    QCOMPARE(received.size(), expected.size());
    if (received != expected) {
        qsizetype at = 0;
        while (received[at] == expected[at])
            ++at;
        QFAIL(qPrintable(
            QStringLiteral("the streams part at byte %1 of %2").arg(at).arg(expected.size())));
    }
    QVERIFY(device.readUntilQuiet(100).isEmpty());
    QCOMPARE(answerer.count(), 0);
}

QTEST_MAIN(TestNoLoss)
#include "tst_noloss.moc"
