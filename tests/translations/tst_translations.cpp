// The windows in the user's language: Tessivar's and the virtual controller's, which load the
// same catalogue. The test is registered twice: under a German locale, where every text below
// must come out in German, and under a locale without a catalogue, where the same texts must
// stay English. The start-up code under test is the programs' own (installTranslations), which
// picks the catalogue from the system locale.
#include "app/mainwindow.h"
#include "controllerwindow.h"
#include "serial/settingsdialog.h"
#include "uilanguage.h"

#include "controllerrig.h"
#include "modalanswerer.h"
#include "ptypair.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QSerialPort>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void tabTitles();
    void windowTexts_data();
    void windowTexts();
    void dialogTexts_data();
    void dialogTexts();
    void comboItems_data();
    void comboItems();
    void messageBoxes_data();
    void messageBoxes();
    void statusBar();
    void shortcutsStayPortable_data();
    void shortcutsStayPortable();
    void mnemonicsStayUnique_data();
    void mnemonicsStayUnique();

    void controllerWindowTexts();
    void controllerStatusLine();
};

namespace {

bool speaksGerman()
{
    return QLocale().language() == QLocale::German;
}

// The expected text of a row: its German column under the German locale, else its English one.
QString expected(const QString &english, const QString &german)
{
    return speaksGerman() ? german : english;
}

void addTextColumns()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");
}

// The object named `objectName`: `root` itself or one of its children.
QObject *named(QObject *root, const QString &objectName)
{
    return root->objectName() == objectName ? root : root->findChild<QObject *>(objectName);
}

QString statusText(QMainWindow &window)
{
    const auto *label = window.statusBar()->findChild<QLabel *>();
    return label ? label->text() : QString();
}

// The texts of a menu's entries, without the separators.
QStringList entryTexts(const QMenu &menu)
{
    QStringList texts;
    for (const QAction *action : menu.actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    return texts;
}

} // namespace

void TestTranslations::initTestCase()
{
    QCOMPARE(installTranslations(*qApp), speaksGerman());
}

void TestTranslations::tabTitles()
{
    MainWindow window;
    const auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("mainTabsTessivar"));
    QVERIFY(tabs);
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    const QStringList english{"General", "Bar Codes", "Bitmaps ", "Cutter", "Controller"};
    const QStringList german{"Allgemein", "Barcodes", "Bilder ", "Schneidwerk", "Controller"};
    QCOMPARE(titles, speaksGerman() ? german : english);
}

void TestTranslations::windowTexts_data()
{
    addTextColumns();
    const QByteArray text("text");
    const QByteArray tip("toolTip");
    const QByteArray title("title");

    QTest::newRow("window title") << "MainWindow" << QByteArray("windowTitle") << "Tessivar"
                                  << "Tessivar";
    QTest::newRow("Serial menu") << "menuCalls" << title << "Serial"
                                 << "Seriell";
    QTest::newRow("Settings menu") << "menuTools" << title << "Settings"
                                   << "Einstellungen";
    QTest::newRow("Help menu") << "menuHelp" << title << "Help"
                               << "Hilfe";
    QTest::newRow("Connect") << "actionConnect" << text << "C&onnect"
                             << "&Verbinden";
    QTest::newRow("Connect tip") << "actionConnect" << tip << "Connect to serial port"
                                 << "Mit der seriellen Schnittstelle verbinden";
    QTest::newRow("Disconnect") << "actionDisconnect" << text << "&Disconnect"
                                << "&Trennen";
    QTest::newRow("Configure") << "actionConfigure" << text << "&Configure"
                               << "&Konfigurieren";
    QTest::newRow("Quit") << "actionQuit" << text << "&Quit"
                          << "&Beenden";
    QTest::newRow("About") << "actionAbout" << text << "&About"
                           << "Ü&ber";
    QTest::newRow("About Qt") << "actionAboutQt" << text << "About Qt"
                              << "Über Qt";
    QTest::newRow("Quick Test") << "pushButtonFont" << text << "Quick Test"
                                << "Schnelltest";
    QTest::newRow("Clear Buffer") << "pushButtonClear" << text << "Clear Buffer && Line Feed"
                                  << "Puffer leeren && Vorschub";
    QTest::newRow("Receipt tip") << "pushButtonReceipt" << tip
                                 << "Prints a typical sample POS receipt"
                                 << "Druckt einen typischen Kassenbeleg als Beispiel";
    QTest::newRow("UPC-A tip") << "pushButtonBarcodeUPCA" << tip << "Prints UPC-A bar code example"
                               << "Druckt ein Beispiel für den Barcode UPC-A";
    QTest::newRow("bar code option") << "groupBox_5" << title << "Bar Code Option"
                                     << "Barcode-Option";
    QTest::newRow("left margin") << "checkBoxBarCodeMargin" << text << "Add Left Margin Formatting"
                                 << "Linken Rand vergrößern";
    QTest::newRow("Load Image") << "pushButton_Load" << text << "Load Image"
                                << "Bild laden";
    QTest::newRow("Full Cut") << "pushButtonFullCut" << text << "Full Cut"
                              << "Vollschnitt";
    QTest::newRow("115200 default") << "radioButton115200" << text << "115200 bps  (*Default)"
                                    << "115200 bps  (*Standard)";
    QTest::newRow("flow control") << "groupBox_2" << title << "Flow Control"
                                  << "Flusssteuerung";
    QTest::newRow("Apply") << "pushButtonApply" << text << "Apply"
                           << "Übernehmen";
    QTest::newRow("head type") << "groupBox_4" << title << "Print Head Type Selection"
                               << "Auswahl des Druckkopftyps";
    QTest::newRow("hidden Command page") << "groupBox_6" << title << "Send Controller Command"
                                         << "Befehl an den Controller senden";
}

void TestTranslations::windowTexts()
{
    QFETCH(QString, objectName);
    QFETCH(QByteArray, property);
    QFETCH(QString, english);
    QFETCH(QString, german);

    MainWindow window;
    const QObject *object = named(&window, objectName);
    QVERIFY(object);
    QCOMPARE(object->property(property.constData()).toString(), expected(english, german));
}

void TestTranslations::dialogTexts_data()
{
    addTextColumns();
    const QByteArray text("text");
    const QByteArray title("title");

    QTest::newRow("window title") << "SettingsDialog" << QByteArray("windowTitle") << "Settings"
                                  << "Einstellungen";
    QTest::newRow("port box") << "selectBox" << title << "Select Serial Port"
                              << "Serielle Schnittstelle wählen";
    QTest::newRow("parameters box") << "parametersBox" << title << "Select Parameters"
                                    << "Parameter wählen";
    QTest::newRow("baud rate") << "baudRateLabel" << text << "BaudRate:"
                               << "Baudrate:";
    QTest::newRow("stop bits") << "stopBitsLabel" << text << "Stop bits:"
                               << "Stoppbits:";
    QTest::newRow("flow control") << "flowControlLabel" << text << "Flow control:"
                                  << "Flusssteuerung:";
    QTest::newRow("Apply") << "applyButton" << text << "Apply"
                           << "Übernehmen";
    // The details of the "Custom" entry, filled in by the dialog's code.
    QTest::newRow("description") << "descriptionLabel" << text << "Description: N/A"
                                 << "Beschreibung: k. A.";
    QTest::newRow("vendor") << "vidLabel" << text << "Vendor Identifier: N/A"
                            << "Herstellerkennung: k. A.";
    QTest::newRow("product") << "pidLabel" << text << "Product Identifier: N/A"
                             << "Produktkennung: k. A.";
}

void TestTranslations::dialogTexts()
{
    QFETCH(QString, objectName);
    QFETCH(QByteArray, property);
    QFETCH(QString, english);
    QFETCH(QString, german);

    SettingsDialog dialog;
    auto *ports = dialog.findChild<QComboBox *>(QStringLiteral("serialPortInfoListBox"));
    QVERIFY(ports);
    ports->setCurrentIndex(ports->count() - 1);
    const QObject *object = named(&dialog, objectName);
    QVERIFY(object);
    QCOMPARE(object->property(property.constData()).toString(), expected(english, german));
}

void TestTranslations::comboItems_data()
{
    QTest::addColumn<QString>("comboName");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");

    QTest::newRow("no parity") << "parityBox" << 0 << "None"
                               << "Keine";
    QTest::newRow("even") << "parityBox" << 1 << "Even"
                          << "Gerade";
    QTest::newRow("odd") << "parityBox" << 2 << "Odd"
                         << "Ungerade";
    QTest::newRow("mark") << "parityBox" << 3 << "Mark"
                          << "Markierung";
    QTest::newRow("space") << "parityBox" << 4 << "Space"
                           << "Leerzeichen";
    QTest::newRow("no flow control") << "flowControlBox" << 1 << "None"
                                     << "Keine";
    QTest::newRow("custom port") << "serialPortInfoListBox" << -1 << "Custom"
                                 << "Benutzerdefiniert";
}

void TestTranslations::comboItems()
{
    QFETCH(QString, comboName);
    QFETCH(int, index);
    QFETCH(QString, english);
    QFETCH(QString, german);

    SettingsDialog dialog;
    const auto *combo = dialog.findChild<QComboBox *>(comboName);
    QVERIFY(combo);
    QCOMPARE(combo->itemText(index < 0 ? combo->count() + index : index),
             expected(english, german));
}

void TestTranslations::messageBoxes_data()
{
    QTest::addColumn<QString>("buttonOrAction");
    QTest::addColumn<QString>("englishTitle");
    QTest::addColumn<QString>("englishText");
    QTest::addColumn<QString>("germanTitle");
    QTest::addColumn<QString>("germanText");

    QTest::newRow("port guard") << "pushButtonReceipt"
                                << "Serial Port Connect"
                                << "Please configure and connect to the serial port first!"
                                << "Serielle Verbindung"
                                << "Bitte zuerst die serielle Schnittstelle konfigurieren und "
                                   "verbinden!";
    QTest::newRow("About") << "actionAbout"
                           << "Tessivar"
                           << "The <b>Tessivar Version: 1.1.1</b> for June 2020 firmware and "
                              "newer.  Tessivar featuring ZP40x printer controllers."
                           << "Tessivar"
                           << "<b>Tessivar Version: 1.1.1</b> für Firmware ab Juni 2020.  "
                              "Tessivar für die Druckercontroller ZP40x.";
}

void TestTranslations::messageBoxes()
{
    QFETCH(QString, buttonOrAction);
    QFETCH(QString, englishTitle);
    QFETCH(QString, englishText);
    QFETCH(QString, germanTitle);
    QFETCH(QString, germanText);

    ModalAnswerer answerer;
    MainWindow window;
    if (auto *button = window.findChild<QAbstractButton *>(buttonOrAction)) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        auto *action = window.findChild<QAction *>(buttonOrAction);
        QVERIFY(action);
        action->trigger();
    }
    QTRY_COMPARE(answerer.count(), 1);
    QCOMPARE(answerer.seen().constFirst().title, expected(englishTitle, germanTitle));
    QCOMPARE(answerer.seen().constFirst().text, expected(englishText, germanText));
}

void TestTranslations::statusBar()
{
    ModalAnswerer answerer;
    MainWindow window;

    // A path that cannot be opened: the "Error" box and the status text.
    QVERIFY(!WindowDriver::connectTo(&window, QStringLiteral("/nonexistent/ttyTessivar")));
    QTRY_COMPARE(answerer.count(), 1);
    QCOMPARE(answerer.seen().constFirst().title, expected("Error", "Fehler"));
    QCOMPARE(statusText(window), expected("Open error", "Fehler beim Öffnen"));

    // The connection line carries the dialog's translated parity and flow-control names.
    PtyPair pty;
    QVERIFY(pty.isValid());
    QVERIFY(WindowDriver::connectTo(&window, pty.slavePath()));
    QCOMPARE(statusText(window), expected("Connected to %1 : 115200, 8, None, 1, XON/XOFF",
                                          "Verbunden mit %1 : 115200, 8, Keine, 1, XON/XOFF")
                                     .arg(pty.slavePath()));
    WindowDriver::trigger(&window, "actionDisconnect");
    QCOMPARE(statusText(window), expected("Disconnected", "Getrennt"));
}

void TestTranslations::shortcutsStayPortable_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<QString>("keys");

    QTest::newRow("Connect") << "actionConnect"
                             << "Ctrl+O";
    QTest::newRow("Disconnect") << "actionDisconnect"
                                << "Ctrl+D";
    QTest::newRow("Configure") << "actionConfigure"
                               << "Alt+C";
    QTest::newRow("Quit") << "actionQuit"
                          << "Ctrl+Q";
    QTest::newRow("About") << "actionAbout"
                           << "Alt+A";
}

// The shortcuts are translatable texts of the form; a translated key name that Qt cannot parse
// would leave the action without its shortcut.
void TestTranslations::shortcutsStayPortable()
{
    QFETCH(QString, actionName);
    QFETCH(QString, keys);

    MainWindow window;
    const auto *action = window.findChild<QAction *>(actionName);
    QVERIFY(action);
    QCOMPARE(action->shortcut(), QKeySequence(keys, QKeySequence::PortableText));
}

void TestTranslations::mnemonicsStayUnique_data()
{
    QTest::addColumn<QString>("menuName");

    QTest::newRow("Serial") << "menuCalls";
    QTest::newRow("Settings") << "menuTools";
    QTest::newRow("Help") << "menuHelp";
}

// Two entries of one menu with the same mnemonic could not both be reached from the keyboard.
void TestTranslations::mnemonicsStayUnique()
{
    QFETCH(QString, menuName);

    MainWindow window;
    const auto *menu = window.findChild<QMenu *>(menuName);
    QVERIFY(menu);
    QList<QKeySequence> seen;
    for (const QAction *action : menu->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
        if (mnemonic.isEmpty())
            continue;
        QVERIFY2(!seen.contains(mnemonic), qPrintable(action->text()));
        seen << mnemonic;
    }
}

void TestTranslations::controllerWindowTexts()
{
    ControllerRig rig;
    QVERIFY(rig.isValid());
    ControllerWindow window(&rig.controller());

    QCOMPARE(window.windowTitle(),
             expected("Tessivar Virtual Controller - %1", "Virtueller Tessivar-Controller - %1")
                 .arg(rig.controller().devicePath()));
    const QList<QAction *> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    const QMenu *roll = menus.constFirst()->menu();
    QVERIFY(roll);
    QCOMPARE(roll->title(), expected("&Roll", "&Rolle"));
    const QStringList english{"&Save Roll as PNG...", "&Clear", "&Quit"};
    const QStringList german{"Rolle als PNG &speichern...", "&Leeren", "&Beenden"};
    const QStringList entries = entryTexts(*roll);
    QCOMPARE(entries, speaksGerman() ? german : english);
    QList<QKeySequence> mnemonics;
    for (const QString &entry : entries)
        mnemonics << QKeySequence::mnemonic(entry);
    QCOMPARE(QSet<QKeySequence>(mnemonics.cbegin(), mnemonics.cend()).size(), entries.size());

    const auto *tools = window.findChild<QToolBar *>(QStringLiteral("rollToolBar"));
    QVERIFY(tools);
    QCOMPARE(tools->windowTitle(), expected("Roll", "Rolle"));
    QCOMPARE(tools->actions().size(), 2);
    QCOMPARE(tools->actions().constLast()->toolTip(),
             expected("Start a fresh roll", "Eine neue Rolle beginnen"));
}

void TestTranslations::controllerStatusLine()
{
    ControllerRig rig;
    QVERIFY(rig.isValid());
    ControllerWindow window(&rig.controller());

    // Until a host opens the line, it stands at the controller's own settings.
    QCOMPARE(statusText(window),
             expected("Host: 115200 bit/s, 8 data bits, no parity, 1 stop bit, XON/XOFF  |  "
                      "Controller: 115200 bit/s, 8N1, XON/XOFF  |  receive buffer 0/4096",
                      "Host: 115200 Bit/s, 8 Datenbits, keine Parität, 1 Stoppbit, XON/XOFF  |  "
                      "Controller: 115200 Bit/s, 8N1, XON/XOFF  |  Empfangspuffer 0/4096"));

    // A host at other settings: its stop bits and flow control come out in the window's words,
    // and the warning appears. (A pseudo-terminal keeps 8 data bits without parity whatever
    // the host asks for.)
    QSerialPort host(rig.device());
    host.setBaudRate(9600);
    host.setStopBits(QSerialPort::TwoStop);
    host.setFlowControl(QSerialPort::NoFlowControl);
    QVERIFY2(host.open(QIODevice::ReadWrite), qPrintable(host.errorString()));
    QTRY_COMPARE(
        statusText(window),
        expected("Host: 9600 bit/s, 8 data bits, no parity, 2 stop bits, no flow control  |  "
                 "Controller: 115200 bit/s, 8N1, XON/XOFF  |  receive buffer 0/4096  |  "
                 "SETTINGS DO NOT MATCH",
                 "Host: 9600 Bit/s, 8 Datenbits, keine Parität, 2 Stoppbits, keine "
                 "Flusssteuerung  |  Controller: 115200 Bit/s, 8N1, XON/XOFF  |  "
                 "Empfangspuffer 0/4096  |  EINSTELLUNGEN PASSEN NICHT ZUSAMMEN"));
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
