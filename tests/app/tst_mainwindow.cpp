// The main window as the user meets it: its pages, how it behaves when resized, its actions,
// menus and shortcuts, the initial choices on its pages, and the object names, texts and tool
// tips of its buttons. A button whose object name is mistyped in the form loses its job without
// any warning, so every name is checked here.
#include "app/mainwindow.h"

#include "modalanswerer.h"
#include "ptypair.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    // First, so that the icons are looked up before any window exists in this process.
    void actionIcons_data();
    void actionIcons();

    void tabPages_data();
    void tabPages();
    void commandPageIsNeverReachable();
    void cannotBeMadeSmaller_data();
    void cannotBeMadeSmaller();
    void consoleKeepsItsHeight_data();
    void consoleKeepsItsHeight();
    void consoleStartsEmptyAndTakesTyping();
    void actions_data();
    void actions();
    void menusAndToolBar_data();
    void menusAndToolBar();
    void shortcuts_data();
    void shortcuts();
    void initialChoices_data();
    void initialChoices();
    void buttons_data();
    void buttons();
};

namespace {

const int consoleHeight = 200;
const int layoutMargin = 11;
const int layoutSpacing = 6;

template <typename T>
T *child(QWidget &window, const QString &name)
{
    return window.findChild<T *>(name);
}

QTabWidget *tabs(QWidget &window)
{
    return child<QTabWidget>(window, "mainTabsTessivar");
}

QPlainTextEdit *console(QWidget &window)
{
    return child<QPlainTextEdit>(window, "editTessivar");
}

// How a menu, the menu bar or the tool bar lists an entry: a separator as "-", a submenu by
// the menu's object name, an action by its own.
QString entryName(QAction *action)
{
    if (action->isSeparator())
        return "-";
    if (auto *menu = action->menu<QMenu *>())
        return menu->objectName();
    return action->objectName();
}

} // namespace

void TestMainWindow::initTestCase()
{
    // The Quit shortcut closes a window; that must not end the test run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::actionIcons_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<QString>("path");

    QTest::newRow("Connect") << "actionConnect"
                             << ":/images/connect.png";
    QTest::newRow("Disconnect") << "actionDisconnect"
                                << ":/images/disconnect.png";
    QTest::newRow("Configure") << "actionConfigure"
                               << ":/images/settings.png";
    QTest::newRow("Quit") << "actionQuit"
                          << ":/images/application-exit.png";
}

// The icon collection is registered before main() runs, so the paths resolve before any
// window is built; the window's actions then carry those icons.
void TestMainWindow::actionIcons()
{
    QFETCH(QString, actionName);
    QFETCH(QString, path);

    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QIcon icon(path);
    QVERIFY(!icon.isNull());
    QVERIFY2(icon.availableSizes().contains(QSize(128, 128)),
             qPrintable(QDebug::toString(icon.availableSizes())));

    MainWindow window;
    const auto *action = child<QAction>(window, actionName);
    QVERIFY(action);
    QVERIFY(!action->icon().isNull());
    QVERIFY(action->icon().availableSizes().contains(QSize(128, 128)));
}

void TestMainWindow::tabPages_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("pageName");
    QTest::addColumn<QString>("title");

    QTest::newRow("General") << 0 << "tab_1"
                             << "General";
    QTest::newRow("Bar Codes") << 1 << "tab_2"
                               << "Bar Codes";
    QTest::newRow("Bitmaps") << 2 << "tab_3"
                             << "Bitmaps ";
    QTest::newRow("Cutter") << 3 << "tab_6"
                            << "Cutter";
    QTest::newRow("Controller") << 4 << "tab_4"
                                << "Controller";
}

void TestMainWindow::tabPages()
{
    QFETCH(int, index);
    QFETCH(QString, pageName);
    QFETCH(QString, title);

    MainWindow window;
    QTabWidget *pages = tabs(window);
    QVERIFY(pages);
    QCOMPARE(pages->count(), 5);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(pages->widget(index)->objectName(), pageName);
    QCOMPARE(pages->tabText(index), title);
}

void TestMainWindow::commandPageIsNeverReachable()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTabWidget *pages = tabs(window);
    auto *command = child<QWidget>(window, "tab_5");
    QVERIFY2(command, "the Command page is built with the form");
    QCOMPARE(pages->indexOf(command), -1);
    for (int i = 0; i < pages->count(); ++i)
        QVERIFY(pages->tabText(i) != "Command");

    pages->setCurrentIndex(3);
    pages->setCurrentWidget(command);
    QCOMPARE(pages->currentIndex(), 3);
    QVERIFY(pages->currentWidget() != command);
    QVERIFY(!command->isVisible());
}

void TestMainWindow::cannotBeMadeSmaller_data()
{
    QTest::addColumn<QSize>("request");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("narrower") << QSize(700, 900) << QSize(880, 900);
    QTest::newRow("lower") << QSize(1000, 600) << QSize(1000, 768);
    QTest::newRow("both") << QSize(500, 400) << QSize(880, 768);
    QTest::newRow("one pixel short") << QSize(879, 767) << QSize(880, 768);
}

void TestMainWindow::cannotBeMadeSmaller()
{
    QFETCH(QSize, request);
    QFETCH(QSize, expected);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(880, 768));

    window.resize(request);
    QTRY_COMPARE(window.size(), expected);
}

void TestMainWindow::consoleKeepsItsHeight_data()
{
    QTest::addColumn<QList<QSize>>("steps");

    QTest::newRow("initial") << QList<QSize>{};
    QTest::newRow("larger") << QList<QSize>{{1200, 1000}};
    QTest::newRow("taller") << QList<QSize>{{880, 1010}};
    QTest::newRow("larger and back") << QList<QSize>{{1200, 1000}, {880, 768}};
    QTest::newRow("larger, smaller, larger") << QList<QSize>{{1000, 900}, {900, 800}, {1280, 1024}};
}

void TestMainWindow::consoleKeepsItsHeight()
{
    QFETCH(QList<QSize>, steps);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTabWidget *pages = tabs(window);
    QPlainTextEdit *pane = console(window);
    auto *central = child<QWidget>(window, "centralWidget");
    auto *status = child<QStatusBar>(window, "statusBar");
    QVERIFY(pages && pane && central && status);

    steps.prepend(window.size());
    for (const QSize &size : std::as_const(steps)) {
        window.resize(size);
        // Laid out for this size: the status bar sits at the bottom of the window and the
        // central widget reaches down to it.
        QTRY_VERIFY(window.size() == size && status->geometry().bottom() == size.height() - 1 &&
                    central->geometry().bottom() + 1 == status->geometry().top());

        QCOMPARE(pane->height(), consoleHeight);
        QCOMPARE(pane->width(), central->width() - 2 * layoutMargin);
        // The tab widget takes all the rest.
        QCOMPARE(pages->width(), central->width() - 2 * layoutMargin);
        QCOMPARE(pages->height(),
                 central->height() - 2 * layoutMargin - layoutSpacing - consoleHeight);
        QCOMPARE(pages->y(), layoutMargin);
        QCOMPARE(pane->y(), pages->geometry().bottom() + 1 + layoutSpacing);
    }
}

void TestMainWindow::consoleStartsEmptyAndTakesTyping()
{
    MainWindow window;
    QPlainTextEdit *pane = console(window);
    QVERIFY(pane);
    QCOMPARE(pane->toPlainText(), QString());

    // The user may type into the pane, and a long line stays one line.
    const QString line(300, QLatin1Char('x'));
    QTest::keyClicks(pane, line);
    QCOMPARE(pane->toPlainText(), line);
    QCOMPARE(pane->document()->lineCount(), 1);
    QCOMPARE(pane->lineWrapMode(), QPlainTextEdit::NoWrap);
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<bool>("enabled");

    // Actions without a tool tip of their own show their text without the mnemonic.
    QTest::newRow("Connect") << "actionConnect"
                             << "C&onnect"
                             << "Connect to serial port" << true;
    QTest::newRow("Disconnect") << "actionDisconnect"
                                << "&Disconnect"
                                << "Disconnect from serial port" << false;
    QTest::newRow("Configure") << "actionConfigure"
                               << "&Configure"
                               << "Configure serial port" << true;
    QTest::newRow("Quit") << "actionQuit"
                          << "&Quit"
                          << "Quit" << true;
    QTest::newRow("About") << "actionAbout"
                           << "&About"
                           << "About program" << true;
    QTest::newRow("About Qt") << "actionAboutQt"
                              << "About Qt"
                              << "About Qt" << true;
}

void TestMainWindow::actions()
{
    QFETCH(QString, actionName);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(bool, enabled);

    MainWindow window;
    const auto *action = child<QAction>(window, actionName);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->toolTip(), toolTip);
    QCOMPARE(action->isEnabled(), enabled);
}

void TestMainWindow::menusAndToolBar_data()
{
    QTest::addColumn<QString>("containerName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");

    // The menu bar and the tool bar have no title.
    QTest::newRow("menu bar") << "menuBar" << QString()
                              << QStringList{"menuCalls", "menuTools", "menuHelp"};
    QTest::newRow("Serial") << "menuCalls"
                            << "Serial"
                            << QStringList{"actionConnect", "actionDisconnect", "-", "actionQuit"};
    QTest::newRow("Settings") << "menuTools"
                              << "Settings" << QStringList{"actionConfigure"};
    QTest::newRow("Help") << "menuHelp"
                          << "Help" << QStringList{"actionAbout", "actionAboutQt"};
    QTest::newRow("tool bar") << "mainToolBar" << QString()
                              << QStringList{"actionConnect", "actionDisconnect",
                                             "actionConfigure"};
}

void TestMainWindow::menusAndToolBar()
{
    QFETCH(QString, containerName);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);

    MainWindow window;
    auto *container = child<QWidget>(window, containerName);
    QVERIFY(container);
    QCOMPARE(container->property("title").toString(), title);

    QStringList actual;
    const auto actions = container->actions();
    for (QAction *action : actions)
        actual.append(entryName(action));
    QCOMPARE(actual, entries);
}

void TestMainWindow::shortcuts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<bool>("connectFirst");
    // The message box the action shows, where it always shows one.
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");

    // Without a port to open, Connect answers with an "Error" box; with one it opens it. Either
    // way the action must have been triggered.
    QTest::newRow("Ctrl+O Connect") << int(Qt::Key_O) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                    << "actionConnect" << false << QString() << QString();
    // Disconnect is enabled only while connected.
    QTest::newRow("Ctrl+D Disconnect")
        << int(Qt::Key_D) << Qt::KeyboardModifiers(Qt::ControlModifier) << "actionDisconnect"
        << true << QString() << QString();
    QTest::newRow("Alt+C Configure") << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::AltModifier)
                                     << "actionConfigure" << false << QString() << QString();
    QTest::newRow("Ctrl+Q Quit") << int(Qt::Key_Q) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                 << "actionQuit" << false << QString() << QString();
    QTest::newRow("Alt+A About")
        << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::AltModifier) << "actionAbout" << false
        << "Tessivar"
        << "The <b>Tessivar Version: 1.1.1</b> for June 2020 firmware and newer.  Tessivar "
           "featuring ZP40x printer controllers.";
}

void TestMainWindow::shortcuts()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, actionName);
    QFETCH(bool, connectFirst);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);

    ModalAnswerer answerer;
    // The settings dialog is application-modal; close it once it has come up.
    answerer.setHandler([](QWidget *modal) { return modal->close(); });

    MainWindow window;
    PtyPair pty;
    if (connectFirst) {
        QVERIFY(pty.isValid());
        QVERIFY(WindowDriver::connectTo(&window, pty.slavePath()));
    }
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    auto *action = child<QAction>(window, actionName);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    QSignalSpy triggered(action, &QAction::triggered);
    answerer.clear();

    QTest::keyClick(&window, Qt::Key(key), modifiers);
    QCOMPARE(triggered.count(), 1);

    if (!boxTitle.isEmpty()) {
        QTRY_COMPARE(answerer.count(), 1);
        QCOMPARE(answerer.seen().constFirst().title, boxTitle);
        QCOMPARE(answerer.seen().constFirst().text, boxText);
    }
}

void TestMainWindow::initialChoices_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<bool>("checked");

    QTest::newRow("9600") << "radioButton9600" << false;
    QTest::newRow("19200") << "radioButton19200" << false;
    QTest::newRow("38400") << "radioButton38400" << false;
    QTest::newRow("57600") << "radioButton57600" << false;
    QTest::newRow("115200") << "radioButton115200" << true;
    QTest::newRow("256000") << "radioButton256000" << false;
    QTest::newRow("375000") << "radioButton375000" << false;
    QTest::newRow("no flow control") << "radioButtonNoFlow" << false;
    QTest::newRow("XON/XOFF") << "radioButtonSoftFlow" << true;
    QTest::newRow("hardware flow control") << "radioButtonHardFlow" << false;
    QTest::newRow("left margin") << "checkBoxBarCodeMargin" << false;
}

void TestMainWindow::initialChoices()
{
    QFETCH(QString, buttonName);
    QFETCH(bool, checked);

    MainWindow window;
    const auto *button = child<QAbstractButton>(window, buttonName);
    QVERIFY(button);
    QVERIFY(button->isCheckable());
    QCOMPARE(button->isChecked(), checked);
}

void TestMainWindow::buttons_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("pageName");
    // The widget the button sits in; radio buttons exclude each other within it.
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    const auto row = [](const char *name, const char *page, const char *parent, const char *text,
                        const char *toolTip) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(page)
                            << QString::fromUtf8(parent) << QString::fromUtf8(text)
                            << QString::fromUtf8(toolTip);
    };

    // General
    row("pushButtonFont", "tab_1", "layoutWidget", "Quick Test", "Prints examples");
    row("pushButtonAttributes", "tab_1", "layoutWidget", "Attributes",
        "Prints all available text attributes");
    row("pushButtonLanguage", "tab_1", "layoutWidget", "Language",
        "Prints samples of languages supported");
    row("pushButtonDensity", "tab_1", "layoutWidget", "Density", "Shows font darkness attributes");
    row("pushButtonBitmap", "tab_1", "layoutWidget", "QR Bitmap",
        "Prints standard QR code 232x232 bitmap");
    row("pushButtonFormatting", "tab_1", "layoutWidget", "Formatting",
        "Prints tabs, line spacing, margins, print position, alignment");
    row("pushButtonTabs", "tab_1", "layoutWidget", "Alignment",
        "Print horizontal tabs, absolute position, left center right alignment");
    row("pushButtonReset", "tab_1", "layoutWidget", "Reset ", "Reset and Init controller");
    row("pushButtonClear", "tab_1", "layoutWidget", "Clear Buffer && Line Feed",
        "Clears the print buffer");
    row("pushButtonReceipt", "tab_1", "layoutWidget", "Receipt",
        "Prints a typical sample POS receipt");
    row("pushButtonVersion", "tab_1", "layoutWidget", "Version", "Displays controller information");
    row("pushButtonStatus", "tab_1", "layoutWidget", "Status",
        "Displays controller status information");
    row("pushButtonPowerManagment", "tab_1", "layoutWidget", "Power Managment",
        "Displays controller status information");

    // Bar Codes
    row("pushButtonBarcodeUPCA", "tab_2", "layoutWidget_2", "UPC-A",
        "Prints UPC-A bar code example");
    row("pushButtonBarcodeUPCE", "tab_2", "layoutWidget_2", "UPC-E",
        "Prints UPC-E bar code example");
    row("pushButtonBarcodeEAN13", "tab_2", "layoutWidget_2", "EAN-13",
        "Prints EAN-13 bar code example");
    row("pushButtonBarcodeEAN8", "tab_2", "layoutWidget_2", "EAN-8",
        "Prints EAN-8 bar code example");
    row("pushButtonBarcodeCODE39", "tab_2", "layoutWidget_2", "CODE 39",
        "Prints CODE 39 bar code example");
    row("pushButtonBarcodeITF25", "tab_2", "layoutWidget_2", "ITF 2 5",
        "Prints ITF 2 5 bar code example");
    row("pushButtonBarcodeCODABAR", "tab_2", "layoutWidget_2", "CODA BAR",
        "Prints CODA BAR bar code example");
    row("pushButtonBarcodeCODE93", "tab_2", "layoutWidget_2", "CODE 93",
        "Prints CODE 93 bar code example");
    row("pushButtonBarcodeCODE128A", "tab_2", "layoutWidget_2", "CODE 128 A",
        "Prints CODE 128 A bar code example");
    row("pushButtonYesText", "tab_2", "groupBox_5", "Bar Code with Text",
        "Enables text printing of bar code value. Default behavior");
    row("pushButtonNoText", "tab_2", "groupBox_5", "Bar Code without Text",
        "Disables Bar Code text representation of the value");
    row("checkBoxBarCodeMargin", "tab_2", "groupBox_5", "Add Left Margin Formatting",
        "Adds 4mm to the left margin allowing to move a bar code more to the center or right of "
        "the printing area");

    // Bitmaps
    row("pushButton_Load", "tab_3", "verticalLayoutWidget", "Load Image",
        "Load an image for printing 58mm: max width 384 pix  80mm: max width 576");
    row("pushButton_58PrintH", "tab_3", "verticalLayoutWidget", "Print Raster Image",
        "Print raster image with definable width and height");
    row("pushButton_LineFeed", "tab_3", "verticalLayoutWidget", "Line Feed",
        "Line feeds the paper");

    // Cutter
    row("pushButtonFullCut", "tab_6", "groupBox_7", "Full Cut",
        "Sends full cut command to the controller. Requires ZP404");
    row("pushButtonPartialCut", "tab_6", "groupBox_7", "Partial Cut",
        "Sends partial cut command to the controller. Requires ZP404");
    row("pushButtonReceiptFullCut", "tab_6", "groupBox_7", "Receipt with Full Cut",
        "Prints a sample receipt and cuts the paper");
    row("pushButtonReceiptPartialCut", "tab_6", "groupBox_7", "Receipt with Partial Cut",
        "Prints a sample receipt and makes a partial paper cut");

    // Command (never shown, but built)
    row("pushButtonSendCommand", "tab_5", "groupBox_6", "Send", "");
    row("pushButtonPrintCommand", "tab_5", "groupBox_6", "Print", "");
    row("checkBoxHexEnable", "tab_5", "groupBox_6", "Hex", "");

    // Controller
    row("radioButton9600", "tab_4", "groupBox", "9600 bps", "Set UART com speed to 9600");
    row("radioButton19200", "tab_4", "groupBox", "19200 bps", "Set UART com speed to 19200");
    row("radioButton38400", "tab_4", "groupBox", "38400 bps", "Set UART com speed to 38400");
    row("radioButton57600", "tab_4", "groupBox", "57600 bps", "Set UART com speed to 57600");
    row("radioButton115200", "tab_4", "groupBox", "115200 bps  (*Default)",
        "Set UART com speed to 115200");
    row("radioButton256000", "tab_4", "groupBox", "256000 bps (FW 1.22 and higher)",
        "Set UART com speed to 115200");
    row("radioButton375000", "tab_4", "groupBox", "375000 bps (FW 1.22 and higher)",
        "Set UART com speed to 115200");
    row("radioButtonNoFlow", "tab_4", "groupBox_2", "No Flow Control", "Set to no flow control");
    row("radioButtonSoftFlow", "tab_4", "groupBox_2", "XON/XOFF Flow Control  (*Default)",
        "Set to xon/xoff software flow control");
    row("radioButtonHardFlow", "tab_4", "groupBox_2", "Hardware Flow Control",
        "Set to RTS/Busy hardware flow control. Requires hardware line also on host");
    row("pushButtonApply", "tab_4", "groupBox_3", "Apply", "Activate new settings");
    row("pushButtonFTP628", "tab_4", "groupBox_4", "58mm FTP628MCL101 Type",
        "Sets the used print head type to 58mm 6 stb 7.2V compatible design. Default");
    row("pushButtonFTP638", "tab_4", "groupBox_4", "80mm FTP638MCL101 Type",
        "Sets the used print head type to 80mm 5 stb 7.2V compatible design");
    row("pushButtonLTP0213", "tab_4", "groupBox_4", "58mm LTP02-245-13 Type",
        "Sets the used print head type to 58mm 1 stb 7.2V compatible design");
    row("pushButtonLTP02C1", "tab_4", "groupBox_4", "58mm LTP02-245-C1 Type",
        "Sets the used print head type to 58mm 1 stb 4.0V compatible design");
    row("pushButton58_384", "tab_4", "groupBox_4", "58mm 384 dots Cutter Type",
        "Sets the used print head type to 58mm 5V-24V 384 dots per line with cutter. ZP404 "
        "required");
    row("pushButton80_576", "tab_4", "groupBox_4", "80mm 576 dots Cutter Type",
        "Sets the used print head type to 80mm 7.2V-24V 576 dots per line with cutter. ZP404 "
        "required");
    row("pushButtonM23_H69", "tab_4", "groupBox_4", "58mm M23-DH-H69 Type",
        "Sets the used print head type to 58mm 1 stb 7.2V compatible design");
    row("pushButtonM23_SX", "tab_4", "groupBox_4", "58mm M23-SX Type",
        "Sets the used print head type to 58mm 1 stb 7.2V compatible design");
}

void TestMainWindow::buttons()
{
    QFETCH(QString, buttonName);
    QFETCH(QString, pageName);
    QFETCH(QString, parentName);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);

    MainWindow window;
    const auto *button = child<QAbstractButton>(window, buttonName);
    QVERIFY2(button, qPrintable(buttonName + " is missing"));
    const auto *page = child<QWidget>(window, pageName);
    QVERIFY(page);
    QVERIFY2(page->isAncestorOf(button), qPrintable(buttonName + " is not on " + pageName));
    QCOMPARE(button->parentWidget()->objectName(), parentName);
    QCOMPARE(button->text(), text);
    QCOMPARE(button->toolTip(), toolTip);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
