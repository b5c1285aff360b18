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
    // The environment as NAME=VALUE pairs (wayland-0: the default socket is there), the
    // arguments, and whether a display is missing.
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("missing");
    QTest::newRow("nothing") << ""
                             << "" << true;
    QTest::newRow("X") << "DISPLAY=:0"
                       << "" << false;
    QTest::newRow("Wayland") << "WAYLAND_DISPLAY=wayland-1"
                             << "" << false;
    QTest::newRow("offscreen, as the tests run") << "QT_QPA_PLATFORM=offscreen"
                                                 << "" << false;
    QTest::newRow("xcb on Wayland alone") << "WAYLAND_DISPLAY=wayland-1 QT_QPA_PLATFORM=xcb"
                                          << "" << true;
    QTest::newRow("xcb with options, no X") << "QT_QPA_PLATFORM=xcb:dpi=96"
                                            << "" << true;
    QTest::newRow("wayland or xcb, X there") << "DISPLAY=:1 QT_QPA_PLATFORM=wayland;xcb"
                                             << "" << false;
    QTest::newRow("wayland at its default socket") << "QT_QPA_PLATFORM=wayland wayland-0"
                                                   << "" << false;
    QTest::newRow("-platform offscreen") << ""
                                         << "-platform offscreen" << false;
    QTest::newRow("-platform xcb over QT_QPA_PLATFORM") << "QT_QPA_PLATFORM=offscreen"
                                                        << "--platform xcb" << true;
}

void TestNoDisplay::missingDisplay()
{
    QFETCH(QString, environment);
    QFETCH(QString, arguments);
    QFETCH(bool, missing);
    for (const QString &setting : environment.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList pair = setting.split(QLatin1Char('='));
        if (pair.size() == 2)
            qputenv(qPrintable(pair.at(0)), pair.at(1).toLocal8Bit());
        else
            QVERIFY(QFile(m_runtimeDir.filePath(setting)).open(QIODevice::WriteOnly));
    }
    std::vector<QByteArray> storage{QByteArrayLiteral("program")};
    for (const QString &argument : arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    QCOMPARE(!::missingDisplay(int(argv.size()), argv.data()).isEmpty(), missing);
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
