// SPDX-License-Identifier: MIT
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

// The virtual controller as its menu entry starts it (without a window here): it takes jobs over
// TCP on loopback as well, on a port that is free, and says which.
class TestMenuEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controllerListensOnAFreePort();
};

namespace {

// The arguments of the entry's Exec line, after the program's name.
QStringList execArguments(const QString &entryPath)
{
    QFile entry(entryPath);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("no entry")};
    const QRegularExpression exec(QStringLiteral("^Exec=(\\S+)(.*)$"),
                                  QRegularExpression::MultilineOption);
    const QString line = exec.match(QString::fromUtf8(entry.readAll())).captured(2);
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

// Where the entry's port is taken already (by another program, or another controller), the
// controller takes the next free one instead of failing, and names it.
void TestMenuEntries::controllerListensOnAFreePort()
{
    const QStringList arguments = execArguments(
        QStringLiteral(SOURCE_DIR "/packaging/org.tessivar.Tessivar.VirtualController.desktop"));
    const int listen = int(arguments.indexOf(QStringLiteral("--listen")));
    QVERIFY2(listen >= 0 && listen + 1 < arguments.size(), qPrintable(arguments.join(' ')));
    QString port = arguments.at(listen + 1);
    QVERIFY(port.endsWith(QLatin1Char('+')));
    port.chop(1);
    QTcpServer taken;
    if (!taken.listen(QHostAddress::LocalHost, quint16(port.toUInt())))
        QSKIP("the entry's port is taken by another program here");

    QTemporaryDir dir;
    QProcess controller;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    controller.setProcessEnvironment(environment);
    controller.start(QStringLiteral(CONTROLLER_PROGRAM),
                     arguments + QStringList{QStringLiteral("--headless")});
    const auto line = [&controller] {
        while (!controller.canReadLine() && controller.waitForReadyRead(30000)) {
        }
        return QString::fromUtf8(controller.readLine());
    };
    QVERIFY(line().startsWith(QStringLiteral("Virtual controller ready on ")));
    const QRegularExpression listening(
        QStringLiteral("^Listening for jobs over TCP on 127\\.0\\.0\\.1:(\\d+)\n$"));
    const QRegularExpressionMatch where = listening.match(line());
    QVERIFY(where.hasMatch());
    QVERIFY(where.captured(1).toUInt() > port.toUInt());

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, quint16(where.captured(1).toUInt()));
    QVERIFY(client.waitForConnected(30000));
    client.close();
    controller.terminate();
    QVERIFY(controller.waitForFinished(30000));
    QCOMPARE(controller.exitCode(), 0);
}

QTEST_MAIN(TestMenuEntries)
#include "tst_menuentries.moc"
