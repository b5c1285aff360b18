// SPDX-License-Identifier: MIT
#include "virtual/live/receivebuffer.h"

#include <QSignalSpy>
#include <QTest>

using Virtual::ReceiveBuffer;

// The live controller's receive buffer as the print engine sees it: a piece is one endpoint's
// bytes (the replies to it go back there), and the end of a client's job comes out after the
// client's last byte and before anything that came after it. Each row puts bytes in ("L abc"
// from the line, "C abc" from the TCP client, "E" the client's connection ending), then takes
// pieces of at most `most` bytes until nothing waits; "L:abc", "C:abc" and "end" are what comes
// out, in order.
class TestVirtualReceiveBuffer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pieces_data();
    void pieces();
};

void TestVirtualReceiveBuffer::pieces_data()
{
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<int>("most");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("line bytes in pieces of most")
        << QStringList{"L abcdef", "L gh"} << 3 << QStringList{"L:abc", "L:def", "L:gh"};
    QTest::newRow("line and client never in one piece")
        << QStringList{"L ab", "C cd", "L ef", "C g"} << 16
        << QStringList{"L:ab", "C:cd", "L:ef", "C:g"};
    QTest::newRow("job ends after the client's last byte")
        << QStringList{"C abc", "E", "L de"} << 2 << QStringList{"C:ab", "C:c", "end", "L:de"};
    QTest::newRow("next client's bytes not in the ended job")
        << QStringList{"C ab", "E", "C cd", "E"} << 16 << QStringList{"C:ab", "end", "C:cd", "end"};
    QTest::newRow("client sent nothing")
        << QStringList{"L a", "E", "L b"} << 16 << QStringList{"L:a", "end", "L:b"};
}

void TestVirtualReceiveBuffer::pieces()
{
    QFETCH(QStringList, input);
    QFETCH(int, most);
    QFETCH(QStringList, expected);

    Virtual::LiveStats stats;
    ReceiveBuffer buffer(stats);
    QSignalSpy arrived(&buffer, &ReceiveBuffer::arrived);
    int total = 0;
    for (const QString &entry : input) {
        if (entry == QLatin1String("E")) {
            buffer.endClientJob();
            continue;
        }
        const QByteArray bytes = entry.mid(2).toLatin1();
        buffer.append(bytes.constData(), bytes.size(), entry.startsWith(QLatin1Char('C')));
        total += int(bytes.size());
    }
    QCOMPARE(arrived.count(), input.size());
    QCOMPARE(buffer.fill(), total);
    QCOMPARE(buffer.room(), ReceiveBuffer::capacity - total);
    QCOMPARE(stats.maxFill, total);

    QStringList taken;
    while (!buffer.isEmpty()) {
        const ReceiveBuffer::Piece piece = buffer.take(most);
        QVERIFY(piece.bytes.size() <= most);
        if (piece.endsJob)
            taken << QStringLiteral("end");
        else if (!piece.bytes.isEmpty())
            taken << (piece.fromClient ? QStringLiteral("C:") : QStringLiteral("L:")) +
                         QString::fromLatin1(piece.bytes);
        // Out of the buffer as it is taken: a status reply counts only what still waits.
        total -= int(piece.bytes.size());
        QCOMPARE(buffer.fill(), total);
    }
    QCOMPARE(taken, expected);
}

QTEST_GUILESS_MAIN(TestVirtualReceiveBuffer)
#include "tst_virtual_receivebuffer.moc"
