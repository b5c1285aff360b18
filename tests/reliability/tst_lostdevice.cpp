// SPDX-License-Identifier: MIT
#include "window/mainwindow.h"

#include "commands/commandset.h"
#include "jobs/jobstreams.h"
#include "modalanswerer.h"
#include "ptypair.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

// The device goes away in the middle of a 1 MB job, twenty times in a row on the same window:
// each time exactly one "Critical Error" box, the closed state, and the next connection carries
// a job whole, with nothing left over from the job that was cut off.
class TestLostDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lostMidJobTwentyTimes();

private:
    QTemporaryDir dir;
    QString picturePath;
};

namespace {

// 384 dots by 21,846 rows: 48 bytes a row, a little over 1 MB of raster.
constexpr int pictureRows = 21846;

QList<bool> actionStates(QMainWindow &window)
{
    QList<bool> states;
    for (const char *name : {"actionConnect", "actionDisconnect", "actionConfigure"}) {
        const auto *action = window.findChild<QAction *>(QString::fromLatin1(name));
        states.append(action && action->isEnabled());
    }
    return states;
}

QByteArray quickTestStream()
{
    return Jobs::streamOf(Jobs::queueQuickTest);
}

} // namespace

void TestLostDevice::initTestCase()
{
    QVERIFY(dir.isValid());
    QImage picture(384, pictureRows, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < pictureRows; ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < picture.bytesPerLine(); ++x)
            line[x] = uchar(x * 7 + y);
    }
    picturePath = dir.filePath(QStringLiteral("tall.png"));
    QVERIFY(picture.save(picturePath, "PNG"));
}

void TestLostDevice::lostMidJobTwentyTimes()
{
    MainWindow window;
    ModalAnswerer answerer;
    bool loaded = false;
    QVERIFY(QMetaObject::invokeMethod(&window, "loadFile", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, loaded), Q_ARG(QString, picturePath)));
    QVERIFY(loaded);
    auto *print = window.findChild<QAbstractButton *>(QStringLiteral("pushButton_58PrintH"));
    auto *quickTest = window.findChild<QAbstractButton *>(QStringLiteral("pushButtonFont"));
    QVERIFY(print && quickTest);
    auto *port = window.findChild<QSerialPort *>();
    QVERIFY(port);
    const QByteArray quickTestBytes = quickTestStream();
    const QList<bool> closedState{true, false, true};

    for (int round = 1; round <= 20; ++round) {
        const QByteArray context = "round " + QByteArray::number(round);
        answerer.clear();
        {
            PtyPair device;
            QVERIFY2(device.isValid(), context);
            QVERIFY2(WindowDriver::connectTo(&window, device.slavePath()), context);

            print->click();
            QVERIFY2(port->bytesToWrite() > 1000000, context);
            // The job is under way when the device goes: some of it has arrived.
            const QByteArray arrived = device.readExactly(4096);
            QVERIFY2(arrived.size() >= 4096, context);
            device.hangUp();

            QTRY_VERIFY2_WITH_TIMEOUT(answerer.count() >= 1, context, 10000);
            QTRY_VERIFY2_WITH_TIMEOUT(!WindowDriver::portOpen(&window), context, 10000);
        }
        QCOMPARE(answerer.seen().first().title, QStringLiteral("Critical Error"));
        QCOMPARE(actionStates(window), closedState);

        // Connected again, to another device: a job arrives whole and alone.
        PtyPair next;
        QVERIFY2(WindowDriver::connectTo(&window, next.slavePath()), context);
        quickTest->click();
        const QByteArray received = next.readExactly(quickTestBytes.size());
        QVERIFY2(received == quickTestBytes, context + ": the next connection carried " +
                                                 QByteArray::number(received.size()) +
                                                 " bytes, other than the quick test's");
        QVERIFY2(next.readUntilQuiet(100).isEmpty(), context + ": bytes of the lost job followed");

        // Still the one box of the loss, however long the loop has run since.
        QCOMPARE(answerer.count(), 1);
        WindowDriver::trigger(&window, "actionDisconnect");
        QVERIFY2(!WindowDriver::portOpen(&window), context);
    }
}

QTEST_MAIN(TestLostDevice)
#include "tst_lostdevice.moc"
