// SPDX-License-Identifier: MIT
#include "controllerrig.h"

#include "consolecommands.h"
#include "controllerwindow.h"

#include "modalanswerer.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using Virtual::ConsoleCommands;
using Virtual::PrinterState;

// How a user sets the printer's faults: lines on the controller's standard input, and the
// window's Printer toggles, which follow the printer's state however it changes.
class TestVirtualFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void consoleLines_data();
    void consoleLines();
    void windowTogglesFollowPrinter();
    void exportPdf_data();
    void exportPdf();
};

void TestVirtualFaults::consoleLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("after"); // the printer's state after the line; empty: unchanged
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("error");

    // Every row starts from "paper near-end, cover open, drawer closed, offline".
    QTest::newRow("paper ok") << "paper ok"
                              << "paper ok, cover open, drawer closed, offline"
                              << "" << false;
    QTest::newRow("paper out") << "paper out"
                               << "paper out, cover open, drawer closed, offline"
                               << "" << false;
    QTest::newRow("as it is, spaces around") << "  paper   near-end \r"
                                             << ""
                                             << "" << false;
    QTest::newRow("cover closed") << "cover closed"
                                  << "paper near-end, cover closed, drawer closed, online"
                                  << "" << false;
    QTest::newRow("drawer open") << "drawer open"
                                 << "paper near-end, cover open, drawer open, offline"
                                 << "" << false;
    QTest::newRow("drawer closed") << "drawer closed"
                                   << ""
                                   << "" << false;
    QTest::newRow("status") << "status"
                            << ""
                            << "paper near-end, cover open, drawer closed, offline" << false;
    QTest::newRow("empty line") << ""
                                << ""
                                << "" << false;
    for (const char *bad : {"paper", "paper empty", "paper out now", "Paper out", "cover ajar",
                            "drawer", "drawer kick", "status please", "help me", "reboot"})
        QTest::newRow(bad) << bad << ""
                           << "" << true;
}

void TestVirtualFaults::consoleLines()
{
    QFETCH(QString, line);
    QFETCH(QString, after);
    QFETCH(QString, output);
    QFETCH(bool, error);

    PrinterState printer;
    printer.setPaper(PrinterState::Paper::NearEnd);
    printer.setCoverOpen(true);
    const QString before = printer.describe();
    ConsoleCommands commands(printer);
    const ConsoleCommands::Reply reply = commands.execute(line);
    QCOMPARE(printer.describe(), after.isEmpty() ? before : after);
    QCOMPARE(reply.output, output);
    QCOMPARE(!reply.error.isEmpty(), error);
    QVERIFY2(!reply.error.contains(u'\n'), qPrintable(reply.error));
}

// Each step sets the printer in the window (an action) or from elsewhere (a console line), and
// the toggles checked after it are the printer's state.
void TestVirtualFaults::windowTogglesFollowPrinter()
{
    ControllerRig rig;
    QVERIFY(rig.isValid());
    PrinterState &printer = rig.controller().printer();
    ControllerWindow window(&rig.controller());
    ConsoleCommands console(printer);
    const auto *status = window.findChild<QLabel *>(QStringLiteral("printerStatus"));
    QVERIFY(status);
    const QStringList toggles{"actionPaperOk", "actionPaperNearEnd", "actionPaperOut",
                              "actionCoverOpen", "actionDrawerOpen"};
    const auto action = [&](const QString &name) { return window.findChild<QAction *>(name); };
    const auto checked = [&] {
        QStringList names;
        for (const QString &name : toggles) {
            if (action(name) && action(name)->isChecked())
                names << name;
        }
        return names.join(u' ');
    };
    const auto paper = [](const QString &shown) {
        return shown.contains(u"NearEnd") ? PrinterState::Paper::NearEnd
               : shown.contains(u"Out")   ? PrinterState::Paper::Out
                                          : PrinterState::Paper::Ok;
    };
    struct Step
    {
        const char *trigger;
        const char *line;
        const char *checked;
    };
    const Step steps[] = {
        {nullptr, nullptr, "actionPaperOk"},
        {"actionPaperNearEnd", nullptr, "actionPaperNearEnd"},
        {"actionPaperOut", nullptr, "actionPaperOut"},
        {"actionCoverOpen", nullptr, "actionPaperOut actionCoverOpen"},
        {nullptr, "paper near-end", "actionPaperNearEnd actionCoverOpen"},
        {nullptr, "cover closed", "actionPaperNearEnd"},
        {nullptr, "drawer open", "actionPaperNearEnd actionDrawerOpen"},
        {"actionDrawerOpen", nullptr, "actionPaperNearEnd"},
        {"actionCoverOpen", nullptr, "actionPaperNearEnd actionCoverOpen"},
        {"actionPaperOk", nullptr, "actionPaperOk actionCoverOpen"},
        {nullptr, "paper out", "actionPaperOut actionCoverOpen"},
    };
    for (const Step &step : steps) {
        const QString shown = QLatin1String(step.checked);
        if (step.trigger) {
            QVERIFY2(action(QLatin1String(step.trigger)), step.trigger);
            action(QLatin1String(step.trigger))->trigger();
        }
        if (step.line)
            QVERIFY(console.execute(QLatin1String(step.line)).error.isEmpty());
        QCOMPARE(checked(), shown);
        QCOMPARE(printer.paper(), paper(shown));
        QCOMPARE(printer.coverOpen(), shown.contains(u"actionCoverOpen"));
        QCOMPARE(printer.drawerOpen(), shown.contains(u"actionDrawerOpen"));
        QCOMPARE(status->text().contains(QStringLiteral("OFFLINE")), printer.offline());
    }

    Q_EMIT rig.controller().buzzed(3);
    QVERIFY(window.statusBar()->currentMessage().contains(u'3'));
}

void TestVirtualFaults::exportPdf_data()
{
    // File > Export after two receipts over the line, the second a little taller: its page is
    // the second receipt's paper, the roll's both of them; both 48 mm (136 points) wide.
    QTest::addColumn<int>("action"); // in the Export menu
    QTest::addColumn<double>("minMm");
    QTest::addColumn<double>("maxMm");
    QTest::newRow("last receipt") << 0 << 8.0 << 14.0;
    QTest::newRow("whole roll") << 1 << 14.0 << 30.0;
}

void TestVirtualFaults::exportPdf()
{
    QFETCH(int, action);
    QFETCH(double, minMm);
    QFETCH(double, maxMm);
    ControllerRig rig(false, 0);
    QVERIFY(rig.isValid());
    ControllerWindow window(&rig.controller());
    int receipts = 0;
    connect(&rig.controller(), &Virtual::LiveController::receiptEnded, this, [&] { ++receipts; });
    QFile line(rig.device());
    QVERIFY(line.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray cut("\x1dV\0", 3);
    const QByteArray receiptsSent = "first\n" + cut + "second\nline\n" + cut;
    QCOMPARE(line.write(receiptsSent), receiptsSent.size());
    QTRY_COMPARE(receipts, 2);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.pdf"));
    ModalAnswerer answerer;
    answerer.setHandler([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return false;
        if (QWidget *focus = dialog->focusWidget())
            focus->clearFocus();
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
        return true;
    });
    QMenu *file = window.menuBar()->findChildren<QMenu *>().value(0);
    QVERIFY(file);
    const QList<QMenu *> menus = file->findChildren<QMenu *>();
    QVERIFY(!menus.isEmpty());
    QAction *exporting = menus.first()->actions().value(action);
    QVERIFY(exporting && exporting->isEnabled());
    exporting->trigger();
    QTRY_VERIFY(QFile::exists(path));
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])"))
            .match(QString::fromLatin1(bytes));
    QVERIFY(box.hasMatch());
    constexpr double pointsPerMm = 72 / 25.4;
    QVERIFY(qAbs(box.captured(1).toDouble() - 48 * pointsPerMm) < 1);
    const double heightMm = box.captured(2).toDouble() / pointsPerMm;
    QVERIFY2(heightMm >= minMm && heightMm <= maxMm, qPrintable(QString::number(heightMm)));
}

QTEST_MAIN(TestVirtualFaults)
#include "tst_virtual_faults.moc"
