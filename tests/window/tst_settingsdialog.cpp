// SPDX-License-Identifier: MIT
#include "window/settingsdialog.h"
#include "window/virtuallink.h"

#include "farend.h"
#include "virtual/live/pseudoterminal.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

// The dialog's own logic: the controller's start-up line as the default, the rows it makes of a
// port's details, the Custom entry, what Apply and Escape do with the choices, and the virtual
// controller's link among the ports. Each test has a runtime directory of its own, so that a
// virtual controller that runs on this machine stays out of it.
class TestSettingsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void defaultsAreTheControllersStartUpLine();
    void linkPlaceAgreesWithController_data();
    void linkPlaceAgreesWithController();
    void virtualControllerListed_data();
    void virtualControllerListed();
    void portInfoRow_data();
    void portInfoRow();
    void customMakesPortEditable();
    void onlyApplyTakesTheChoice_data();
    void onlyApplyTakesTheChoice();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
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

void TestSettingsDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->path()));
    qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
}

void TestSettingsDialog::cleanup()
{
    m_dir.reset();
}

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
    // Where the system has no port, "Custom" was the only entry and stays current; the
    // insertion moves its index without a selection.
    ports->setCurrentIndex(0);

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

void TestSettingsDialog::linkPlaceAgreesWithController_data()
{
    QTest::addColumn<bool>("runtimeDirSet");
    QTest::newRow("XDG_RUNTIME_DIR set") << true;
    QTest::newRow("XDG_RUNTIME_DIR unset") << false;
}

// Tessivar looks for the link where the controller makes it, also where the system gives no
// runtime directory (Qt's fallback under TMPDIR then).
void TestSettingsDialog::linkPlaceAgreesWithController()
{
    QFETCH(bool, runtimeDirSet);
    if (!runtimeDirSet)
        qunsetenv("XDG_RUNTIME_DIR");
    QString error;
    const QString controllers = Virtual::PseudoTerminal::defaultLink(error);
    QVERIFY2(!controllers.isEmpty(), qPrintable(error));
    QCOMPARE(VirtualLink::defaultPath(), controllers);
    QVERIFY(controllers.startsWith(m_dir->path() + QLatin1Char('/')));
}

void TestSettingsDialog::virtualControllerListed_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("listed");

    QTest::newRow("no controller") << "none" << false;
    QTest::newRow("running controller") << "running" << true;
    QTest::newRow("killed: its terminal gone") << "dangling" << false;
    QTest::newRow("killed: its terminal's number given out again") << "older" << false;
    QTest::newRow("link to no terminal") << "file" << false;
}

// A running controller's link is listed after the real ports, says what it is and is chosen
// when there is no real port; a link that a killed controller left is not offered.
void TestSettingsDialog::virtualControllerListed()
{
    QFETCH(QString, link);
    QFETCH(bool, listed);
    QString error;
    const QString path = Virtual::PseudoTerminal::defaultLink(error);
    QVERIFY2(!path.isEmpty(), qPrintable(error));
    FarEnd pty;
    QVERIFY(pty.isValid());
    const QString target = link == "dangling" ? QStringLiteral("/dev/pts/999999")
                           : link == "file"   ? m_dir->filePath(QStringLiteral("notatty"))
                                              : pty.slavePath();
    QFile file(m_dir->filePath(QStringLiteral("notatty")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (link != "none")
        QVERIFY(QFile::link(target, path));
    if (link == "older") {
        const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), hourAgo,
                            AT_SYMLINK_NOFOLLOW) == 0);
    }

    SettingsDialog dialog;
    QComboBox *ports = combo(dialog, "serialPortInfoListBox");
    const int realPorts = int(QSerialPortInfo::availablePorts().size());
    QCOMPARE(ports->count(), realPorts + (listed ? 2 : 1));
    QCOMPARE(ports->findText(path), listed ? realPorts : -1);
    if (!listed)
        return;
    if (realPorts == 0)
        QCOMPARE(dialog.settings().portName, path);
    ports->setCurrentIndex(realPorts);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("descriptionLabel"))->text(),
             QStringLiteral("Description: Tessivar Virtual Controller on %1").arg(pty.slavePath()));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("locationLabel"))->text(),
             QStringLiteral("Location: %1").arg(path));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
