#include "jobbench.h"

#include "windowdriver.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>

// Every job with the port closed: the "Serial Port Connect" box and nothing else.
class TestPortGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closedPortSendsNothing_data();
    void closedPortSendsNothing();
};

void TestPortGuard::closedPortSendsNothing_data()
{
    QTest::addColumn<QString>("button");
    const char *buttons[] = {
        // General
        "pushButtonFont", "pushButtonAttributes", "pushButtonLanguage", "pushButtonDensity",
        "pushButtonBitmap", "pushButtonFormatting", "pushButtonTabs", "pushButtonReset",
        "pushButtonClear", "pushButtonReceipt", "pushButtonVersion", "pushButtonStatus",
        "pushButtonPowerManagment",
        // Bar Codes
        "pushButtonBarcodeUPCA", "pushButtonBarcodeUPCE", "pushButtonBarcodeEAN13",
        "pushButtonBarcodeEAN8", "pushButtonBarcodeCODE39", "pushButtonBarcodeITF25",
        "pushButtonBarcodeCODABAR", "pushButtonBarcodeCODE93", "pushButtonBarcodeCODE128A",
        "pushButtonYesText", "pushButtonNoText",
        // Cutter
        "pushButtonFullCut", "pushButtonPartialCut", "pushButtonReceiptFullCut",
        "pushButtonReceiptPartialCut",
        // Controller
        "pushButtonApply", "pushButtonFTP628", "pushButtonFTP638", "pushButtonLTP0213",
        "pushButtonLTP02C1", "pushButton58_384", "pushButton80_576", "pushButtonM23_H69",
        "pushButtonM23_SX"};
    for (const char *button : buttons)
        QTest::newRow(button) << QString::fromLatin1(button);
}

// The line was open and is closed again, so a job that wrote regardless would reach the far end
// or at least trip the port's "device not open" warning. The margin box and the radio buttons are
// set away from their defaults: a job that read them would add a console line or change bytes.
void TestPortGuard::closedPortSendsNothing()
{
    QFETCH(QString, button);
    QTest::failOnWarning(QRegularExpression(QStringLiteral("not open")));

    JobBench bench;
    QVERIFY(bench.ready());
    WindowDriver::trigger(&bench.window(), "actionDisconnect");
    QVERIFY(!WindowDriver::portOpen(&bench.window()));
    bench.button(QStringLiteral("checkBoxBarCodeMargin"))->setChecked(true);
    bench.button(QStringLiteral("radioButton9600"))->setChecked(true);
    const QString before = QStringLiteral("an earlier account\nstill here");
    bench.console()->setPlainText(before);

    QVERIFY(bench.click(button));

    QCOMPARE(bench.boxes().count(), 1);
    const ModalAnswerer::Seen box = bench.boxes().seen().constFirst();
    QCOMPARE(box.className, QStringLiteral("QMessageBox"));
    QCOMPARE(box.title, QStringLiteral("Serial Port Connect"));
    QCOMPARE(box.text, QStringLiteral("Please configure and connect to the serial port first!"));
    QCOMPARE(bench.console()->toPlainText(), before);
    QCOMPARE(bench.receiveRest(), QByteArray());
    QCOMPARE(bench.boxes().count(), 1);
}

QTEST_MAIN(TestPortGuard)
#include "tst_jobs_guard.moc"
