// SPDX-License-Identifier: MIT
#include "virtual/live/receivebuffer.h"

#include <QSignalSpy>
#include <QTest>

using Virtual::ReceiveBuffer;

// The live controller's receive buffer as the print engine sees it: a piece is one endpoint's
// bytes (the replies to it go back there), one host's job at a time, and the end of a client's
// job comes out after the client's last byte. Each row puts bytes in ("L abc" from the line,
// "C abc" from the TCP client, "E" the client's connection ending), then takes pieces of at most
// `most` bytes while the engine may; when only the waiting host's bytes are left, the job of the
// host whose turn it was times out. "L:abc", "C:abc" and "end" are what comes out, in order.
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
    QTest::newRow("the line's whole job before the client's")
        << QStringList{"L ab", "C cd", "L ef", "C g"} << 16
        << QStringList{"L:ab", "L:ef", "C:cd", "C:g"};
    QTest::newRow("the client's whole job before the line's")
        << QStringList{"C ab", "L cd", "C ef", "E", "L g"} << 16
        << QStringList{"C:ab", "C:ef", "end", "L:cd", "L:g"};
    QTest::newRow("job ends after the client's last byte")
        << QStringList{"C abc", "E", "L de"} << 2 << QStringList{"C:ab", "C:c", "end", "L:de"};
    QTest::newRow("next client's bytes not in the ended job")
        << QStringList{"C ab", "E", "C cd", "E"} << 16 << QStringList{"C:ab", "end", "C:cd", "end"};
    QTest::newRow("client sent nothing")
        << QStringList{"L a", "E", "L b"} << 16 << QStringList{"L:a", "L:b", "end"};
}

void TestVirtualReceiveBuffer::pieces()
{
    QFETCH(QStringList, input);
    QFETCH(int, most);
    QFETCH(QStringList, expected);

    Virtual::LiveStats stats;
    ReceiveBuffer buffer(stats);
    buffer.setJobTimeout(1);
    QSignalSpy arrived(&buffer, &ReceiveBuffer::arrived);
    QSignalSpy turnEnded(&buffer, &ReceiveBuffer::turnEnded);
    int total = 0;
    int client = 0;
    for (const QString &entry : input) {
        if (entry == QLatin1String("E")) {
            buffer.endClientJob();
            continue;
        }
        const QByteArray bytes = entry.mid(2).toLatin1();
        const bool fromClient = entry.startsWith(QLatin1Char('C'));
        buffer.append(bytes.constData(), bytes.size(), fromClient);
        total += int(bytes.size());
        client += fromClient ? int(bytes.size()) : 0;
    }
    QCOMPARE(arrived.count(), input.size());
    QCOMPARE(buffer.fill(), total);
    // Each host has a share of its own: the one that waits does not take the other's room.
    QCOMPARE(buffer.room(true), ReceiveBuffer::capacity - client);
    QCOMPARE(buffer.room(false), ReceiveBuffer::capacity - (total - client));
    QCOMPARE(stats.maxFill, total);

    QStringList taken;
    while (!buffer.isEmpty()) {
        if (!buffer.mayTake()) {
            // Only the waiting host's bytes are left: the other's job ends by its timeout.
            const int turns = int(turnEnded.count());
            QTRY_VERIFY(turnEnded.count() > turns);
            QVERIFY(buffer.mayTake());
        }
        const ReceiveBuffer::Piece piece = buffer.take(most);
        QVERIFY(piece.bytes.size() <= most);
        if (piece.endsJob)
            taken << QStringLiteral("end");
        else
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
