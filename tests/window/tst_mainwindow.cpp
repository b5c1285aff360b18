// SPDX-License-Identifier: MIT
// The main window as the user meets it, checked generically rather than copied from its form:
// every slot finds its button, the actions carry their icons, the removed page stays out of
// reach, and the layout keeps the console's height and the window's minimum size.
#include "window/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // First, so that the icons are looked up before any window exists in this process.
    void toolBarActionsCarryTheirIcons();
    void everySlotFindsItsObject();
    void commandPageIsNeverReachable();
    void cannotBeMadeSmaller();
    void consoleKeepsItsHeight();
};

namespace {

QTabWidget *tabs(QWidget &window)
{
    return window.findChild<QTabWidget *>(QStringLiteral("mainTabsTessivar"));
}

void showAndWait(QWidget &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

} // namespace

// The icon collection is registered before main() runs, so the actions built with the window
// find their pictures in it at their full size.
void TestMainWindow::toolBarActionsCarryTheirIcons()
{
    MainWindow window;
    auto *toolBar = window.findChild<QToolBar *>();
    QVERIFY(toolBar);
    int withIcons = 0;
    for (const QAction *action : toolBar->actions()) {
        if (action->isSeparator())
            continue;
        QVERIFY2(action->icon().availableSizes().contains(QSize(128, 128)),
                 qPrintable(action->objectName()));
        ++withIcons;
    }
    QVERIFY(withIcons > 0);
}

// The buttons' slots are bound by object name when the form is set up; a name mistyped in the
// form or in a slot leaves the button dead, and Qt says so only in this warning.
void TestMainWindow::everySlotFindsItsObject()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("No matching signal for")));
    MainWindow window;
    QVERIFY(tabs(window));
}

void TestMainWindow::commandPageIsNeverReachable()
{
    MainWindow window;
    showAndWait(window);

    QTabWidget *pages = tabs(window);
    auto *command = window.findChild<QWidget *>(QStringLiteral("tab_5"));
    QVERIFY2(command, "the Command page is built with the form");
    QCOMPARE(pages->indexOf(command), -1);

    pages->setCurrentIndex(3);
    pages->setCurrentWidget(command);
    QCOMPARE(pages->currentIndex(), 3);
    QVERIFY(!command->isVisible());
}

void TestMainWindow::cannotBeMadeSmaller()
{
    MainWindow window;
    showAndWait(window);
    const QSize minimum = window.size();

    window.resize(minimum.width() - 1, minimum.height() + 100);
    QTRY_COMPARE(window.size(), QSize(minimum.width(), minimum.height() + 100));
    window.resize(minimum.width() / 2, minimum.height() / 2);
    QTRY_COMPARE(window.size(), minimum);
}

// Growing or shrinking the window changes the pages' height and never the console's.
void TestMainWindow::consoleKeepsItsHeight()
{
    MainWindow window;
    showAndWait(window);
    auto *pane = window.findChild<QPlainTextEdit *>(QStringLiteral("editTessivar"));
    auto *status = window.findChild<QStatusBar *>();
    QVERIFY(pane && status);
    const int height = pane->height();
    const int pagesHeight = tabs(window)->height();

    for (const QSize size : {QSize(1200, 1000), window.size(), QSize(1280, 1024)}) {
        window.resize(size);
        QTRY_VERIFY(window.size() == size && status->geometry().bottom() == size.height() - 1);
        QTRY_COMPARE(pane->height(), height);
        QVERIFY(pane->geometry().bottom() < status->geometry().top());
    }
    QVERIFY(tabs(window)->height() > pagesHeight);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
