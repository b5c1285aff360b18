#include "datafile.h"

#include "virtual/symbols.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QTest>

// Streams that cost far more than their bytes when a symbol is encoded again for every print,
// when printing goes on after the roll has run out, or when every repeated command makes a
// trace line of its own. Each renders with its symbols encoded once and a trace within ten times
// the stream; data/costs.trace holds the traces, each under "== <row>" (scripts/test-data writes
// it). The suite's time limit catches a stream that still costs its old minutes.
class TestVirtualCosts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streams();
};

void TestVirtualCosts::streams()
{
    const auto qrStore = [](const QByteArray &data) {
        const int length = int(data.size()) + 3;
        return QByteArray("\x1d(k", 3) + char(length & 0xFF) + char(length >> 8) + "1P0" + data;
    };
    const QByteArray qrPrint = QByteArray::fromHex("1d286b0300315130");
    const QByteArray headSwitches = QByteArray::fromHex("1b5a011b5a00");
    const struct
    {
        const char *name;
        QByteArray stream;
        std::uint64_t encodes;
    } rows[] = {
        {"one stored QR code printed 20000 times",
         qrStore(QByteArray("0123456789").repeated(709).left(7089)) +
             QByteArray::fromHex("1d286b0300314302") + qrPrint.repeated(20000),
         1},
        {"QR data and level changed between prints",
         qrStore("first") + qrPrint.repeated(100) + qrStore("second") + qrPrint.repeated(100) +
             QByteArray::fromHex("1d286b0300314533") + qrPrint.repeated(100),
         3},
        {"one barcode printed 5000 times", QByteArray("\x1dkI\x06{B1234", 10).repeated(5000), 1},
        {"stored bitmap wider than the paper, printed past the roll",
         QByteArray::fromHex("1d7101000002 0001") + QByteArray(512 * 256, '\xff') +
             QByteArray::fromHex("1c700100").repeated(100000),
         0},
        {"1 MB of LF", QByteArray(1 << 20, '\n'), 0},
        {"head switches, then short lines, alternating",
         headSwitches.repeated(50000) + QByteArray("ab\n").repeated(1000) +
             headSwitches.repeated(2) + QByteArray::fromHex("1b5a010a"),
         0},
        {"skipped bytes, tabs, ignored bytes",
         QByteArray(100000, '\x1b') + QByteArray(100000, '\t') + QByteArray(100000, '\0'), 0},
    };
    QByteArray traces;
    for (const auto &row : rows) {
        QBuffer trace;
        trace.open(QIODevice::WriteOnly);
        const std::uint64_t before = Virtual::symbolsEncoded();
        {
            Virtual::VirtualController controller({0, Virtual::Paper::defaultMaxLength, &trace});
            controller.feed(row.stream);
            controller.finish();
        }
        QVERIFY2(Virtual::symbolsEncoded() - before == row.encodes, row.name);
        QVERIFY2(
            trace.size() <= 10 * row.stream.size(),
            qPrintable(QStringLiteral("%1: %2 bytes of trace").arg(row.name).arg(trace.size())));
        traces += "== " + QByteArray(row.name) + '\n' + trace.data();
    }
    QString why;
    QVERIFY2(
        DataFile::matches(QStringLiteral(TESSIVAR_TEST_DATA "/data/costs.trace"), traces, &why),
        qPrintable(why));
}

QTEST_GUILESS_MAIN(TestVirtualCosts)
#include "tst_virtual_costs.moc"
