#include "serial/settingsdialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTest>

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsBeforeAnyInteraction();
    void fixedChoices_data();
    void fixedChoices();
    void portInfoRow_data();
    void portInfoRow();
    void portDetailsShown();
    void customMakesPortEditable();
    void closingWithoutApplyKeepsSettings();
    void applyTakesTheChoice();

private:
    static QComboBox *combo(SettingsDialog &dialog, const char *name)
    {
        return dialog.findChild<QComboBox *>(QString::fromLatin1(name));
    }
    static QString label(SettingsDialog &dialog, const char *name)
    {
        const auto *l = dialog.findChild<QLabel *>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
    }
};

void TestSettingsDialog::defaultsBeforeAnyInteraction()
{
    SettingsDialog dialog;
    const Settings s = dialog.settings();
    const auto ports = QSerialPortInfo::availablePorts();
    QCOMPARE(s.portName, ports.isEmpty() ? QString() : ports.first().portName());
    QCOMPARE(s.baudRate, 115200);
    QCOMPARE(s.baudRateText, QStringLiteral("115200"));
    QCOMPARE(s.dataBits, QSerialPort::Data8);
    QCOMPARE(s.dataBitsText, QStringLiteral("8"));
    QCOMPARE(s.parity, QSerialPort::NoParity);
    QCOMPARE(s.parityText, QStringLiteral("None"));
    QCOMPARE(s.stopBits, QSerialPort::OneStop);
    QCOMPARE(s.stopBitsText, QStringLiteral("1"));
    QCOMPARE(s.flowControl, QSerialPort::SoftwareControl);
    QCOMPARE(s.flowControlText, QStringLiteral("XON/XOFF"));
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
}

// Every combo offers exactly the fixed items, each carrying the value the port is set to.
void TestSettingsDialog::fixedChoices_data()
{
    QTest::addColumn<QByteArray>("comboName");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("values");

    QTest::newRow("baud rate") << QByteArray("baudRateBox")
                               << QStringList{"9600",   "19200",  "38400", "57600",
                                              "115200", "256000", "375000"}
                               << QList<int>{9600, 19200, 38400, 57600, 115200, 256000, 375000};
    QTest::newRow("data bits") << QByteArray("dataBitsBox") << QStringList{"5", "6", "7", "8"}
                               << QList<int>{5, 6, 7, 8};
    QTest::newRow("parity") << QByteArray("parityBox")
                            << QStringList{"None", "Even", "Odd", "Mark", "Space"}
                            << QList<int>{0, 2, 3, 5, 4};
    QTest::newRow("stop bits") << QByteArray("stopBitsBox") << QStringList{"1", "2"}
                               << QList<int>{1, 2};
    QTest::newRow("flow control") << QByteArray("flowControlBox")
                                  << QStringList{"XON/XOFF", "None", "RTS/CTS"}
                                  << QList<int>{2, 0, 1};
}

void TestSettingsDialog::fixedChoices()
{
    QFETCH(QByteArray, comboName);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, values);

    SettingsDialog dialog;
    QComboBox *box = combo(dialog, comboName.constData());
    QVERIFY(box);
    QCOMPARE(box->count(), texts.size());
    for (int i = 0; i < box->count(); ++i) {
        QCOMPARE(box->itemText(i), texts.at(i));
        QCOMPARE(box->itemData(i).toInt(), values.at(i));
    }
    QVERIFY(!box->isEditable());
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

void TestSettingsDialog::portDetailsShown()
{
    SettingsDialog dialog;
    QComboBox *ports = combo(dialog, "serialPortInfoListBox");
    QVERIFY(ports);
    const QStringList row = SettingsDialog::portInfoRow(
        QStringLiteral("ttyUSB7"), QStringLiteral("Adapter"), QString(), QStringLiteral("77"),
        QStringLiteral("/dev/ttyUSB7"), 0x067b, 0);
    ports->insertItem(0, row.first(), row);
    ports->setCurrentIndex(0);

    QCOMPARE(label(dialog, "descriptionLabel"), QStringLiteral("Description: Adapter"));
    QCOMPARE(label(dialog, "manufacturerLabel"), QStringLiteral("Manufacturer: N/A"));
    QCOMPARE(label(dialog, "serialNumberLabel"), QStringLiteral("Serial number: 77"));
    QCOMPARE(label(dialog, "locationLabel"), QStringLiteral("Location: /dev/ttyUSB7"));
    QCOMPARE(label(dialog, "vidLabel"), QStringLiteral("Vendor Identifier: 67b"));
    QCOMPARE(label(dialog, "pidLabel"), QStringLiteral("Product Identifier: N/A"));

    ports->setCurrentIndex(ports->count() - 1);
    QCOMPARE(ports->currentText(), QString());
    for (const char *name : {"descriptionLabel", "manufacturerLabel", "serialNumberLabel",
                             "locationLabel", "vidLabel", "pidLabel"})
        QVERIFY2(label(dialog, name).endsWith(QLatin1String(": N/A")), name);
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

void TestSettingsDialog::closingWithoutApplyKeepsSettings()
{
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const Settings before = dialog.settings();

    combo(dialog, "baudRateBox")->setCurrentIndex(0);
    combo(dialog, "parityBox")->setCurrentIndex(2);
    combo(dialog, "flowControlBox")->setCurrentIndex(2);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTRY_VERIFY(!dialog.isVisible());

    const Settings after = dialog.settings();
    QCOMPARE(after.baudRate, before.baudRate);
    QCOMPARE(after.parity, before.parity);
    QCOMPARE(after.flowControl, before.flowControl);
    QCOMPARE(after.flowControlText, before.flowControlText);
}

void TestSettingsDialog::applyTakesTheChoice()
{
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QComboBox *ports = combo(dialog, "serialPortInfoListBox");
    ports->setCurrentIndex(ports->count() - 1);
    ports->setEditText(QStringLiteral("/dev/pts/99"));
    combo(dialog, "baudRateBox")->setCurrentIndex(6);
    combo(dialog, "dataBitsBox")->setCurrentIndex(2);
    combo(dialog, "parityBox")->setCurrentIndex(3);
    combo(dialog, "stopBitsBox")->setCurrentIndex(1);
    combo(dialog, "flowControlBox")->setCurrentIndex(2);
    dialog.findChild<QPushButton *>(QStringLiteral("applyButton"))->click();

    QVERIFY(!dialog.isVisible());
    const Settings s = dialog.settings();
    QCOMPARE(s.portName, QStringLiteral("/dev/pts/99"));
    QCOMPARE(s.baudRate, 375000);
    QCOMPARE(s.baudRateText, QStringLiteral("375000"));
    QCOMPARE(s.dataBits, QSerialPort::Data7);
    QCOMPARE(s.dataBitsText, QStringLiteral("7"));
    QCOMPARE(s.parity, QSerialPort::MarkParity);
    QCOMPARE(s.parityText, QStringLiteral("Mark"));
    QCOMPARE(s.stopBits, QSerialPort::TwoStop);
    QCOMPARE(s.stopBitsText, QStringLiteral("2"));
    QCOMPARE(s.flowControl, QSerialPort::HardwareControl);
    QCOMPARE(s.flowControlText, QStringLiteral("RTS/CTS"));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
