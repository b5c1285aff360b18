// SPDX-License-Identifier: MIT
// The windows in the user's language: Tessivar's and the virtual controller's, which load the
// same catalogue through the programs' own start-up code (installTranslations). The test runs
// twice: under a German locale every window must change its texts, under a locale without a
// catalogue (French) none may. translations_complete checks the catalogue's contents.
#include "window/mainwindow.h"
#include "controllerwindow.h"
#include "window/settingsdialog.h"
#include "uilanguage.h"

#include "controllerrig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMap>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void textsFollowTheLocale_data();
    void textsFollowTheLocale();
    void mnemonicsStayUnique_data() { windows(); }
    void mnemonicsStayUnique();

private:
    static void windows();
    QMap<QString, QMap<QString, QString>> m_english; // window -> object/property -> text
    std::unique_ptr<ControllerRig> m_rig;
};

namespace {

using WindowMaker = std::function<std::unique_ptr<QWidget>()>;

bool speaksGerman()
{
    return QLocale().language() == QLocale::German;
}

// Every text a user reads in the window, by object name and property, with the shortcuts.
QMap<QString, QString> textsOf(QWidget *window)
{
    QMap<QString, QString> texts;
    texts.insert(QStringLiteral("window title"), window->windowTitle());
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        texts.insert(b->objectName() + QStringLiteral(" text"), b->text());
    for (const QGroupBox *g : window->findChildren<QGroupBox *>())
        texts.insert(g->objectName() + QStringLiteral(" title"), g->title());
    for (const QLabel *l : window->findChildren<QLabel *>())
        texts.insert(l->objectName() + QStringLiteral(" label"), l->text());
    for (const QMenu *m : window->findChildren<QMenu *>())
        texts.insert(m->objectName() + QStringLiteral(" menu"), m->title());
    for (const QTabWidget *t : window->findChildren<QTabWidget *>()) {
        for (int i = 0; i < t->count(); ++i)
            texts.insert(t->widget(i)->objectName() + QStringLiteral(" tab"), t->tabText(i));
    }
    for (const QAction *a : window->findChildren<QAction *>()) {
        if (a->objectName().isEmpty() || a->isSeparator())
            continue;
        texts.insert(a->objectName() + QStringLiteral(" action"), a->text());
        texts.insert(a->objectName() + QStringLiteral(" shortcut"),
                     a->shortcut().toString(QKeySequence::PortableText));
    }
    return texts;
}

} // namespace

void TestTranslations::windows()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "main window";
    QTest::newRow("settings dialog") << "settings dialog";
    QTest::newRow("controller window") << "controller window";
}

static std::unique_ptr<QWidget> make(const QString &window, ControllerRig &rig)
{
    if (window == QLatin1String("main window"))
        return std::make_unique<MainWindow>();
    if (window == QLatin1String("settings dialog"))
        return std::make_unique<SettingsDialog>();
    return std::make_unique<ControllerWindow>(&rig.controller());
}

// The English texts are read before any catalogue is installed.
void TestTranslations::initTestCase()
{
    m_rig = std::make_unique<ControllerRig>();
    QVERIFY(m_rig->isValid());
    for (const char *window : {"main window", "settings dialog", "controller window"})
        m_english.insert(window, textsOf(make(window, *m_rig).get()));
    QCOMPARE(installTranslations(*qApp), speaksGerman());
}

void TestTranslations::textsFollowTheLocale_data()
{
    windows();
}

// Under German most texts change (names such as "UPC-A" stay); shortcuts never do, whatever
// the language. Without a catalogue nothing changes.
void TestTranslations::textsFollowTheLocale()
{
    QFETCH(QString, window);
    const QMap<QString, QString> english = m_english.value(window);
    const QMap<QString, QString> shown = textsOf(make(window, *m_rig).get());
    QCOMPARE(shown.keys(), english.keys());

    int changed = 0;
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        if (it.key().endsWith(QLatin1String(" shortcut")))
            QCOMPARE(shown.value(it.key()), it.value());
        else if (shown.value(it.key()) != it.value())
            ++changed;
    }
    if (speaksGerman())
        QVERIFY2(changed * 2 > english.size() / 2, qPrintable(QString::number(changed)));
    else
        QCOMPARE(changed, 0);
}

// Two entries of one menu with the same mnemonic could not both be reached from the keyboard.
void TestTranslations::mnemonicsStayUnique()
{
    QFETCH(QString, window);
    const std::unique_ptr<QWidget> shown = make(window, *m_rig);
    for (const QMenu *menu : shown->findChildren<QMenu *>()) {
        QList<QKeySequence> seen;
        for (const QAction *action : menu->actions()) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
            if (mnemonic.isEmpty())
                continue;
            QVERIFY2(!seen.contains(mnemonic), qPrintable(action->text()));
            seen << mnemonic;
        }
    }
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
