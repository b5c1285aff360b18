// SPDX-License-Identifier: MIT
#include "resources/displaycheck.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

// Both programs with a window, started where there is no display: one line that says what is
// missing and what to do instead, and exit status 1, where Qt alone would abort.
class TestNoDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void missingDisplay_data();
    void missingDisplay();
    void programsSayWhatIsMissing_data();
    void programsSayWhatIsMissing();

private:
    QTemporaryDir m_runtimeDir;
};

void TestNoDisplay::init()
{
    QVERIFY(m_runtimeDir.isValid());
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        qunsetenv(variable);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path()));
    QFile::remove(m_runtimeDir.filePath(QStringLiteral("wayland-0")));
}

void TestNoDisplay::missingDisplay_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("waylandSocket");
    QTest::addColumn<bool>("missing");

    const QStringList none;
    QTest::newRow("nothing") << QByteArray() << QByteArray() << QByteArray() << none << false
                             << true;
    QTest::newRow("X") << QByteArray(":0") << QByteArray() << QByteArray() << none << false
                       << false;
    QTest::newRow("Wayland") << QByteArray() << QByteArray("wayland-1") << QByteArray() << none
                             << false << false;
    QTest::newRow("offscreen, as the tests run")
        << QByteArray() << QByteArray() << QByteArray("offscreen") << none << false << false;
    QTest::newRow("xcb on Wayland alone")
        << QByteArray() << QByteArray("wayland-1") << QByteArray("xcb") << none << false << true;
    QTest::newRow("xcb with options, no X")
        << QByteArray() << QByteArray() << QByteArray("xcb:dpi=96") << none << false << true;
    QTest::newRow("wayland or xcb, X there")
        << QByteArray(":1") << QByteArray() << QByteArray("wayland;xcb") << none << false << false;
    QTest::newRow("wayland at its default socket")
        << QByteArray() << QByteArray() << QByteArray("wayland") << none << true << false;
    QTest::newRow("-platform offscreen") << QByteArray() << QByteArray() << QByteArray()
                                         << QStringList{"-platform", "offscreen"} << false << false;
    QTest::newRow("-platform xcb over QT_QPA_PLATFORM")
        << QByteArray() << QByteArray() << QByteArray("offscreen")
        << QStringList{"--platform", "xcb"} << false << true;
}

void TestNoDisplay::missingDisplay()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, platform);
    QFETCH(QStringList, arguments);
    QFETCH(bool, waylandSocket);
    QFETCH(bool, missing);
    const std::pair<const char *, QByteArray> variables[] = {
        {"DISPLAY", display}, {"WAYLAND_DISPLAY", wayland}, {"QT_QPA_PLATFORM", platform}};
    for (const auto &[name, value] : variables) {
        if (!value.isEmpty())
            qputenv(name, value);
    }
    QFile socket(m_runtimeDir.filePath(QStringLiteral("wayland-0")));
    QVERIFY(waylandSocket ? socket.open(QIODevice::WriteOnly) : !socket.exists());
    socket.close();

    std::vector<QByteArray> storage{QByteArrayLiteral("program")};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    const QString reason = ::missingDisplay(int(argv.size()), argv.data());
    QCOMPARE(!reason.isEmpty(), missing);
}

void TestNoDisplay::programsSayWhatIsMissing_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("saysAll");

    QTest::newRow("tessivar") << TESSIVAR_PROGRAM << QStringList() << 1
                              << QStringList{"tessivar: ", "DISPLAY", "xvfb-run"};
    QTest::newRow("tessivar --port") << TESSIVAR_PROGRAM << QStringList{"--port", "/dev/null"} << 1
                                     << QStringList{"tessivar: ", "DISPLAY"};
    QTest::newRow("the controller")
        << CONTROLLER_PROGRAM << QStringList() << 1
        << QStringList{"tessivar-virtual-controller: ", "DISPLAY", "--headless"};
    QTest::newRow("the controller with --listen")
        << CONTROLLER_PROGRAM << QStringList{"--listen", "0"} << 1
        << QStringList{"tessivar-virtual-controller: ", "--headless"};
    // These never needed a display.
    QTest::newRow("tessivar --version")
        << TESSIVAR_PROGRAM << QStringList{"--version"} << 0 << QStringList();
    QTest::newRow("the controller --help")
        << CONTROLLER_PROGRAM << QStringList{"--help"} << 0 << QStringList();
}

void TestNoDisplay::programsSayWhatIsMissing()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, saysAll);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(variable));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    if (exitCode == 0)
        return;
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(error.count(QLatin1Char('\n')), 1);
    QVERIFY(error.endsWith(QLatin1Char('\n')));
    for (const QString &part : saysAll)
        QVERIFY2(error.contains(part), qPrintable(error));
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
}

QTEST_MAIN(TestNoDisplay)
#include "tst_nodisplay.moc"
