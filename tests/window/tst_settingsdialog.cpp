// SPDX-License-Identifier: MIT
#include "window/settingsdialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

// The dialog's own logic: the controller's start-up line as the default, the rows it makes of a
// port's details, the Custom entry, and what Apply and Escape do with the choices.
class TestSettingsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsAreTheControllersStartUpLine();
    void portInfoRow_data();
    void portInfoRow();
    void customMakesPortEditable();
    void onlyApplyTakesTheChoice_data();
    void onlyApplyTakesTheChoice();

private:
    static QComboBox *combo(SettingsDialog &dialog, const char *name)
    {
        return dialog.findChild<QComboBox *>(QString::fromLatin1(name));
    }
};

namespace {

// Each value beside its text, so that a text that does not match its value shows too.
QStringList described(const Settings &s)
{
    return {s.portName,
            QStringLiteral("%1 %2").arg(s.baudRate).arg(s.baudRateText),
            QStringLiteral("%1 %2").arg(s.dataBits).arg(s.dataBitsText),
            QStringLiteral("%1 %2").arg(s.parity).arg(s.parityText),
            QStringLiteral("%1 %2").arg(s.stopBits).arg(s.stopBitsText),
            QStringLiteral("%1 %2").arg(s.flowControl).arg(s.flowControlText)};
}

} // namespace

// 115200 bit/s, 8N1 and XON/XOFF, as the controller starts, so Connect works without a change.
void TestSettingsDialog::defaultsAreTheControllersStartUpLine()
{
    SettingsDialog dialog;
    QCOMPARE(described(dialog.settings()).mid(1),
             (QStringList{"115200 115200", "8 8", "0 None", "1 1", "2 XON/XOFF"}));
}

void TestSettingsDialog::portInfoRow_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<QString>("location");
    QTest::addColumn<quint16>("vid");
    QTest::addColumn<quint16>("pid");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing known")
        << QString() << QString() << QString() << QString() << quint16(0) << quint16(0)
        << QStringList{"ttyX", "N/A", "N/A", "N/A", "", "N/A", "N/A"};
    QTest::newRow("usb adapter") << "USB Serial"
                                 << "ACME"
                                 << "A1B2"
                                 << "/dev/ttyUSB0" << quint16(0x0403) << quint16(0x6001)
                                 << QStringList{"ttyX",         "USB Serial", "ACME", "A1B2",
                                                "/dev/ttyUSB0", "403",        "6001"};
    QTest::newRow("hex digits lower case")
        << "d"
        << "m"
        << "s"
        << "/dev/ttyACM0" << quint16(0x1A86) << quint16(0x00EA)
        << QStringList{"ttyX", "d", "m", "s", "/dev/ttyACM0", "1a86", "ea"};
    QTest::newRow("vendor only") << QString() << QString() << QString() << "/dev/ttyS0"
                                 << quint16(0xFFFF) << quint16(0)
                                 << QStringList{"ttyX",       "N/A",  "N/A", "N/A",
                                                "/dev/ttyS0", "ffff", "N/A"};
}

void TestSettingsDialog::portInfoRow()
{
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, serialNumber);
    QFETCH(QString, location);
    QFETCH(quint16, vid);
    QFETCH(quint16, pid);
    QFETCH(QStringList, expected);

    QCOMPARE(SettingsDialog::portInfoRow(QStringLiteral("ttyX"), description, manufacturer,
                                         serialNumber, location, vid, pid),
             expected);
}

void TestSettingsDialog::customMakesPortEditable()
{
    SettingsDialog dialog;
    QComboBox *ports = combo(dialog, "serialPortInfoListBox");
    QVERIFY(ports);
    QCOMPARE(ports->itemText(ports->count() - 1), QStringLiteral("Custom"));
    const QStringList row = SettingsDialog::portInfoRow(QStringLiteral("ttyS9"), {}, {}, {},
                                                        QStringLiteral("/dev/ttyS9"), 0, 0);
    ports->insertItem(0, row.first(), row);

    ports->setCurrentIndex(ports->count() - 1);
    QVERIFY(ports->isEditable());
    QCOMPARE(ports->currentText(), QString());

    ports->setCurrentIndex(0);
    QVERIFY(!ports->isEditable());
    QCOMPARE(ports->currentText(), QStringLiteral("ttyS9"));
}

void TestSettingsDialog::onlyApplyTakesTheChoice_data()
{
    QTest::addColumn<bool>("apply");
    QTest::newRow("Apply") << true;
    QTest::newRow("Escape") << false;
}

void TestSettingsDialog::onlyApplyTakesTheChoice()
{
    QFETCH(bool, apply);
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList before = described(dialog.settings());

    QComboBox *ports = combo(dialog, "serialPortInfoListBox");
    ports->setCurrentIndex(ports->count() - 1);
    ports->setEditText(QStringLiteral("/dev/pts/99"));
    combo(dialog, "baudRateBox")->setCurrentIndex(6);
    combo(dialog, "dataBitsBox")->setCurrentIndex(2);
    combo(dialog, "parityBox")->setCurrentIndex(3);
    combo(dialog, "stopBitsBox")->setCurrentIndex(1);
    combo(dialog, "flowControlBox")->setCurrentIndex(2);
    if (apply)
        dialog.findChild<QPushButton *>(QStringLiteral("applyButton"))->click();
    else
        QTest::keyClick(&dialog, Qt::Key_Escape);

    QTRY_VERIFY(!dialog.isVisible());
    const QStringList chosen{"/dev/pts/99", "375000 375000", "7 7", "5 Mark", "2 2", "1 RTS/CTS"};
    QCOMPARE(described(dialog.settings()), apply ? chosen : before);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
