#include "jobbench.h"
#include "wire.h"

#include <QPlainTextEdit>
#include <QSerialPort>
#include <QSignalBlocker>
#include <QTest>

// "Version" and "Status": the request, and the controller's reply shown as it arrives. Replies
// never contain 0x11 or 0x13, which the host's XON/XOFF line would swallow.
class TestReplyJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waitingBytesShowAtOnce_data() { requests(); }
    void waitingBytesShowAtOnce();
    void replyInTwoPieces_data() { requests(); }
    void replyInTwoPieces();
    void noReplyLeavesPaneEmpty_data() { requests(); }
    void noReplyLeavesPaneEmpty();

private:
    static void requests()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("Version") << "pushButtonVersion" << Expect::versionRequest;
        QTest::newRow("Status") << "pushButtonStatus" << Expect::statusRequest;
    }
};

// Bytes the port has received but not yet shown (here held back by blocking its signals) are
// in the freshly cleared pane as soon as the handler returns, without the event loop running.
void TestReplyJobs::waitingBytesShowAtOnce()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, request);

    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    const QByteArray late = "late answer: FW 1.22 \xc2\xb5";
    {
        const QSignalBlocker blocker(bench.port());
        QVERIFY(bench.controller().write(late));
        QTRY_COMPARE(bench.port()->bytesAvailable(), late.size());
    }
    QVERIFY(bench.click(button));
    QCOMPARE(bench.console()->toPlainText(), QString::fromUtf8(late));
    QCOMPARE(bench.receive(request.size()), request);
}

// The second piece goes straight after the first, and a character split between the pieces
// is shown whole.
void TestReplyJobs::replyInTwoPieces()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, request);

    JobBench bench;
    QVERIFY(bench.ready());
    QVERIFY(bench.click(button));
    QCOMPARE(bench.console()->toPlainText(), QString());
    QCOMPARE(bench.receive(request.size()), request);

    const QByteArray first = "ZP402 firmware 04/2020 \xe2";
    const QByteArray second = "\x80\x94 ready\n";
    QVERIFY(bench.controller().write(first));
    QTRY_COMPARE(bench.console()->toPlainText(), QStringLiteral("ZP402 firmware 04/2020 "));
    QVERIFY(bench.controller().write(second));
    QTRY_COMPARE(bench.console()->toPlainText(), QString::fromUtf8(first + second));
}

void TestReplyJobs::noReplyLeavesPaneEmpty()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, request);

    JobBench bench;
    QVERIFY(bench.ready());
    bench.console()->setPlainText(QStringLiteral("an earlier account"));
    QVERIFY(bench.click(button));
    QVERIFY(bench.click(button));
    QCOMPARE(bench.receive(2 * request.size()), request + request);
    QCOMPARE(bench.console()->toPlainText(), QString());
    QCOMPARE(bench.boxes().count(), 0);
}

QTEST_MAIN(TestReplyJobs)
#include "tst_jobs_replies.moc"
