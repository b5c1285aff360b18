#include "paperreader.h"

#include "virtual/virtualcontroller.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// Streams of three ESC/POS encoders from npm (made by scripts/peer-streams), printed as the
// controller prints them: no byte left unknown, every expected text line printed and nothing
// else, every barcode and QR code read back, pictures the size they were sent.
class TestVirtualPeers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void peerStreams_data();
    void peerStreams();
};

namespace {

QStringList strings(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list << item.toString();
    return list;
}

} // namespace

void TestVirtualPeers::peerStreams_data()
{
    QTest::addColumn<QString>("name");
    const QDir dir(QStringLiteral(PEER_STREAMS));
    const QStringList streams = dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    QVERIFY(streams.size() >= 8);
    for (const QString &file : streams)
        QTest::newRow(qPrintable(file)) << dir.filePath(file.chopped(4));
}

void TestVirtualPeers::peerStreams()
{
    QFETCH(QString, name);
    QFile bin(name + QStringLiteral(".bin")), json(name + QStringLiteral(".json"));
    QVERIFY(bin.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
    const QByteArray stream = bin.readAll();
    const int head = expected.value(QStringLiteral("head")).toInt();
    const PaperReader::Rendered rendered = PaperReader::render(stream, head);

    // The live controller gets the stream in pieces as the line brings them: the same paper.
    Virtual::VirtualController live({.headType = head});
    for (qsizetype at = 0; at < stream.size(); at += 7)
        live.feed(QByteArrayView(stream).sliced(at, std::min<qsizetype>(7, stream.size() - at)));
    live.finish();
    QCOMPARE(live.paper(), rendered.paper);

    // Every byte made a command or a character, and everything sent was printed.
    const QString trace = QString::fromUtf8(rendered.trace);
    for (const char *fault : {"no command or character", "the stream ends inside", "not printed",
                              "not a function", "not carried out"})
        QVERIFY2(!trace.contains(QLatin1String(fault)), qPrintable(trace));

    // The text lines, and no parameter printed as text. A gap of a character or more between
    // cells (a tab, a print position) reads as a blank.
    QStringList printed;
    for (const Virtual::PrintedLine &line : rendered.lines) {
        QString text;
        int end = 0;
        for (const Virtual::PrintedLine::Cell &cell : line.cells) {
            if (!text.isEmpty() && cell.x - end >= cell.width)
                text += QLatin1Char(' ');
            text += QChar(cell.character);
            end = cell.x + cell.width;
        }
        if (!text.simplified().isEmpty())
            printed << text.simplified();
    }
    QStringList lines;
    for (const QString &line : strings(expected.value(QStringLiteral("lines"))))
        lines << line.simplified();
    QCOMPARE(printed, lines);

    // Every barcode and QR code reads back.
    QStringList scanned;
    for (const PaperReader::Symbol &symbol : PaperReader::scan(rendered.paper))
        scanned << QString::fromUtf8(symbol.data);
    for (const QString &key : {QStringLiteral("barcodes"), QStringLiteral("qr")}) {
        for (const QString &data : strings(expected.value(key)))
            QVERIFY2(scanned.contains(data), qPrintable(data + QStringLiteral(" not in ") +
                                                        scanned.join(QLatin1Char('|'))));
    }

    // A picture prints at its size.
    const QJsonArray ink = expected.value(QStringLiteral("ink")).toArray();
    if (!ink.isEmpty())
        QCOMPARE(PaperReader::inkBounds(rendered.paper).size(),
                 QSize(ink.at(0).toInt(), ink.at(1).toInt()));
}

QTEST_GUILESS_MAIN(TestVirtualPeers)
#include "tst_virtual_peers.moc"
