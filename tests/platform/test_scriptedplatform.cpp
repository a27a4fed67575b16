// SPDX-License-Identifier: GPL-3.0-or-later
// The scripted platform that every GUI test relies on: menus, timers and modal windows.
#include <QtTest>

#include "ScriptedPlatform.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

namespace {

// A window that counts its show events, as a window whose show handler does work would.
class ProbeDialog : public QDialog {
    Q_OBJECT
public:
    int shows = 0;

protected:
    void showEvent(QShowEvent* event) override
    {
        ++shows;
        QDialog::showEvent(event);
    }
};

// The thumbnail menu's shape: plain entries, a separator, a disabled and a hidden entry, a submenu.
struct TestMenu {
    QMenu menu;
    QMenu* saveAs = nullptr;
    QStringList triggered; // texts of triggered actions, in order

    TestMenu()
    {
        Add(menu, "&Show In Screen");
        Add(menu, "Zoom");
        menu.addSeparator();
        Add(menu, "Details")->setEnabled(false);
        Add(menu, "Secret")->setVisible(false);
        saveAs = menu.addMenu("Save &As");
        Add(*saveAs, "&Bitmap");
        Add(*saveAs, "&JPEG\tCtrl+J");
        Add(*saveAs, "Rock && Roll");
    }
    QAction* Add(QMenu& m, const QString& text)
    {
        QAction* a = m.addAction(text);
        QObject::connect(a, &QAction::triggered, &menu, [this, a] { triggered << MenuEntryText(a->text()); });
        return a;
    }
};

} // namespace

class TestScriptedPlatform : public QObject {
    Q_OBJECT
private slots:
    void popupChoice_data();
    void popupChoice();
    void popupChoicesConsumedInOrder();
    void popupHandlerDeletesMenu();
    void timersFireOnlyWhenActive();
    void timerDestroyedInsideItsHandler();
    void handlerStopsLaterTimer();
    void timerOutlivesPlatform();
    void modalHandlerGetsShownWindow();
    void modalWithoutHandler();
};

void TestScriptedPlatform::popupChoice_data()
{
    QTest::addColumn<QStringList>("script"); // empty list: nothing queued
    QTest::addColumn<QString>("triggered");  // "" when the menu is dismissed

    QTest::newRow("top-level entry, mnemonic ignored") << QStringList {"Show In Screen"} << "Show In Screen";
    QTest::newRow("plain entry") << QStringList {"Zoom"} << "Zoom";
    QTest::newRow("submenu entry") << QStringList {"Bitmap"} << "Bitmap";
    QTest::newRow("submenu entry with shortcut") << QStringList {"JPEG"} << "JPEG";
    QTest::newRow("escaped ampersand") << QStringList {"Rock & Roll"} << "Rock & Roll";
    QTest::newRow("disabled entry cannot be chosen") << QStringList {"Details"} << "";
    QTest::newRow("hidden entry cannot be chosen") << QStringList {"Secret"} << "";
    QTest::newRow("submenu itself is not an entry") << QStringList {"Save As"} << "";
    QTest::newRow("text must match exactly") << QStringList {"zoom"} << "";
    QTest::newRow("empty choice dismisses") << QStringList {""} << "";
    QTest::newRow("empty script dismisses") << QStringList {} << "";
}

void TestScriptedPlatform::popupChoice()
{
    QFETCH(QStringList, script);
    QFETCH(QString, triggered);
    ScriptedPlatform platform;
    for (const QString& s : script)
        platform.menuChoices.push_back(s);
    TestMenu m;
    QSignalSpy topTriggered(&m.menu, &QMenu::triggered);
    QSignalSpy subTriggered(m.saveAs, &QMenu::triggered);

    QAction* result = platform.PopupMenu(m.menu, QPoint(120, 45));

    QCOMPARE(result ? MenuEntryText(result->text()) : QString(), triggered);
    QCOMPARE(m.triggered, triggered.isEmpty() ? QStringList {} : QStringList {triggered});
    QCOMPARE(topTriggered.count(), triggered.isEmpty() ? 0 : 1);
    const bool inSubmenu = triggered == "Bitmap" || triggered == "JPEG" || triggered == "Rock & Roll";
    QCOMPARE(subTriggered.count(), inSubmenu ? 1 : 0);
    QVERIFY(platform.menuChoices.empty());

    QCOMPARE(platform.menus.size(), size_t(1));
    const auto& record = platform.menus.front();
    QCOMPARE(record.pos, QPoint(120, 45));
    QCOMPARE(record.texts, (QStringList {"Show In Screen", "Zoom", "Details", "Save As"}));
    QCOMPARE(record.enabled, (std::vector<bool> {true, true, false, true}));
    QCOMPARE(record.chosen, !triggered.isEmpty());
}

void TestScriptedPlatform::popupChoicesConsumedInOrder()
{
    ScriptedPlatform platform;
    platform.menuChoices = {"Zoom", "", "Bitmap"};
    TestMenu m;
    QCOMPARE(platform.PopupMenu(m.menu, {}) != nullptr, true);
    QCOMPARE(platform.PopupMenu(m.menu, {}), nullptr);
    QCOMPARE(platform.PopupMenu(m.menu, {}) != nullptr, true);
    QCOMPARE(platform.PopupMenu(m.menu, {}), nullptr);
    QCOMPARE(m.triggered, (QStringList {"Zoom", "Bitmap"}));
    QCOMPARE(platform.menus.size(), size_t(4));
}

void TestScriptedPlatform::popupHandlerDeletesMenu()
{
    // A chosen entry may close the window that owns the menu; nothing may touch it afterwards.
    ScriptedPlatform platform;
    platform.menuChoices = {"Close"};
    auto* menu = new QMenu;
    QPointer<QMenu> guard(menu);
    QAction* close = menu->addMenu("Sub")->addAction("Close");
    QObject::connect(close, &QAction::triggered, [menu] { delete menu; });
    QCOMPARE(platform.PopupMenu(*menu, {}), nullptr);
    QVERIFY(guard.isNull());
    QCOMPARE(platform.menus.back().chosen, true);
}

void TestScriptedPlatform::timersFireOnlyWhenActive()
{
    ScriptedPlatform platform;
    std::vector<std::unique_ptr<PlatformTimer>> timers;
    std::vector<int> fired(3, 0);
    for (int i = 0; i < 3; ++i) {
        timers.push_back(platform.CreateTimer());
        timers.back()->OnTimeout = [&fired, i] { ++fired[size_t(i)]; };
    }
    timers[0]->Start(5000);
    timers[2]->Start(50);

    QCOMPARE(platform.TimerCount(), 3);
    QCOMPARE(platform.FireAll(), 2);
    QCOMPARE(fired, (std::vector<int> {1, 0, 1}));
    QVERIFY(!platform.FireTimer(1));
    QVERIFY(platform.FireTimer(2));
    QCOMPARE(platform.Timer(0)->Interval(), 5000);

    timers[0]->Stop();
    QCOMPARE(platform.FireAll(), 1);
    QCOMPARE(fired, (std::vector<int> {1, 0, 3}));
    QVERIFY(!platform.FireTimer(7));
    QVERIFY(!platform.FireTimer(-1));
}

void TestScriptedPlatform::timerDestroyedInsideItsHandler()
{
    ScriptedPlatform platform;
    std::unique_ptr<PlatformTimer> timer = platform.CreateTimer();
    int calls = 0;
    timer->OnTimeout = [&] {
        ++calls;
        timer.reset(); // the slide show ends and its window drops the timer
    };
    timer->Start(10);
    QVERIFY(platform.FireTimer(0));
    QCOMPARE(calls, 1);
    QCOMPARE(platform.Timer(0), nullptr);
    QVERIFY(!platform.FireTimer(0));
    QCOMPARE(platform.FireAll(), 0);
}

void TestScriptedPlatform::handlerStopsLaterTimer()
{
    ScriptedPlatform platform;
    auto first = platform.CreateTimer();
    auto second = platform.CreateTimer();
    int secondCalls = 0;
    first->OnTimeout = [&] { second->Stop(); };
    second->OnTimeout = [&] { ++secondCalls; };
    first->Start(1);
    second->Start(1);
    QCOMPARE(platform.FireAll(), 1);
    QCOMPARE(secondCalls, 0);
}

void TestScriptedPlatform::timerOutlivesPlatform()
{
    std::unique_ptr<PlatformTimer> timer;
    {
        ScriptedPlatform platform;
        timer = platform.CreateTimer();
        timer->Start(100);
    }
    QVERIFY(timer->Active());
    timer.reset(); // must not touch the destroyed platform
}

void TestScriptedPlatform::modalHandlerGetsShownWindow()
{
    ScriptedPlatform platform;
    ProbeDialog dialog;
    int handlerCalls = 0;
    platform.onModal = [&](QDialog& shown) {
        ++handlerCalls;
        [&] {
            QCOMPARE(&shown, static_cast<QDialog*>(&dialog));
            QVERIFY(shown.isVisible());
            QCOMPARE(dialog.shows, 1);
        }();
        return 42;
    };
    QCOMPARE(platform.ShowModal(dialog), 42);
    QCOMPARE(handlerCalls, 1);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(platform.modals, (std::vector<QString> {"ProbeDialog"}));
}

void TestScriptedPlatform::modalWithoutHandler()
{
    ScriptedPlatform platform;
    ProbeDialog dialog;
    QCOMPARE(platform.ShowModal(dialog), int(QDialog::Rejected));
    QCOMPARE(dialog.shows, 0);
    QCOMPARE(platform.modals.size(), size_t(1));
}

QTEST_MAIN(TestScriptedPlatform)
#include "test_scriptedplatform.moc"
