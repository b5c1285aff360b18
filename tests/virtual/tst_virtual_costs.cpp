#include "virtual/symbols.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

// Streams that cost far more than their bytes when a symbol is encoded again for every print,
// when printing goes on after the roll has run out, or when every repeated command makes a
// trace line of its own. Each must render with its symbols encoded once, and with a trace that
// stays within ten times the stream: the traces expected are in data/costs.trace, one after
// another, each under a line "== <row name>". (The suite's time limit catches a stream that
// still costs its old minutes.) With TESSIVAR_DUMP_TRACES=FILE set, the traces made are
// appended to FILE in the same form, for bringing the expected ones up to date.
class TestVirtualCosts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void stream_data();
    void stream();

private:
    QMap<QString, QByteArray> m_traces;
};

namespace {

QByteArray times(const QByteArray &bytes, int count)
{
    return bytes.repeated(count);
}

QByteArray qrStore(const QByteArray &data)
{
    const int length = int(data.size()) + 3;
    return QByteArray("\x1d(k", 3) + char(length & 0xFF) + char(length >> 8) + "1P0" + data;
}

const QByteArray qrPrint("\x1d(k\x03\x00" "1Q0", 8);
const QByteArray qrModule2("\x1d(k\x03\x00" "1C\x02", 8);

QByteArray qrLevel(char level)
{
    return QByteArray("\x1d(k\x03\x00" "1E", 7) + level;
}

QByteArray storedBitmap(int bytesPerRow, int rows, char fill)
{
    return QByteArray("\x1dq\x01\x00", 4) + char(bytesPerRow & 0xFF) + char(bytesPerRow >> 8) +
           char(rows & 0xFF) + char(rows >> 8) + QByteArray(bytesPerRow * rows, fill);
}

const QByteArray storedPrint("\x1cp\x01\x00", 4);

} // namespace

void TestVirtualCosts::initTestCase()
{
    QFile file(QStringLiteral(TESSIVAR_TEST_DATA "/costs.trace"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString name;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.startsWith("== "))
            name = QString::fromUtf8(line.mid(3).trimmed());
        else
            m_traces[name] += line;
    }
}

void TestVirtualCosts::stream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("encodes");

    const QByteArray digits = QByteArray("0123456789").repeated(709).left(7089);
    QTest::newRow("one stored QR code printed 20000 times")
        << qrStore(digits) + qrModule2 + times(qrPrint, 20000) << 1;
    QTest::newRow("QR data and level changed between prints")
        << qrStore("first") + times(qrPrint, 100) + qrStore("second") + times(qrPrint, 100) +
               qrLevel('3') + times(qrPrint, 100)
        << 3;
    QTest::newRow("one barcode printed 5000 times")
        << times(QByteArray("\x1dkI\x06{B1234", 10), 5000) << 1;
    QTest::newRow("stored bitmap wider than the paper, printed past the roll")
        << storedBitmap(512, 256, char(0xFF)) + times(storedPrint, 100000) << 0;
    QTest::newRow("1 MB of LF") << QByteArray(1 << 20, '\n') << 0;
    QTest::newRow("head switches, then short lines, alternating")
        << times(QByteArray("\x1bZ\x01\x1bZ\x00", 6), 50000) + times("ab\n", 1000) +
               QByteArray("\x1bZ\x01\x1bZ\x00\x1bZ\x01\x1bZ\x00\x1bZ\x01\n", 16)
        << 0;
    QTest::newRow("skipped bytes, tabs, ignored bytes")
        << QByteArray(100000, '\x1b') + QByteArray(100000, '\t') + QByteArray(100000, '\0') << 0;
}

void TestVirtualCosts::stream()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, encodes);

    QBuffer trace;
    trace.open(QIODevice::WriteOnly);
    const std::uint64_t before = Virtual::symbolsEncoded();
    {
        Virtual::VirtualController controller({0, Virtual::Paper::defaultMaxLength, &trace});
        controller.feed(stream);
        controller.finish();
    }
    if (qEnvironmentVariableIsSet("TESSIVAR_DUMP_TRACES")) {
        QFile dump(qEnvironmentVariable("TESSIVAR_DUMP_TRACES"));
        if (dump.open(QIODevice::Append))
            dump.write("== " + QByteArray(QTest::currentDataTag()) + '\n' + trace.data());
    }
    QCOMPARE(Virtual::symbolsEncoded() - before, std::uint64_t(encodes));
    QVERIFY2(trace.size() <= 10 * stream.size(),
             qPrintable(QStringLiteral("%1 bytes of trace").arg(trace.size())));
    QCOMPARE(QString::fromUtf8(trace.data()),
             QString::fromUtf8(m_traces.value(QString::fromLatin1(QTest::currentDataTag()))));
}

QTEST_GUILESS_MAIN(TestVirtualCosts)
#include "tst_virtual_costs.moc"
