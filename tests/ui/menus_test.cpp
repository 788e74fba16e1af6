#include "runtime/ui/menus.h"

#include "runtime/ui/controls.h"
#include "runtime/ui/shortcut_table.h"
#include "runtime/ui/window_internal.h"
#include "tests/support/modal_driver.h"
#include "tests/ui/ui_test_support.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

// The program's menu bar, built the way the shell builds it.
void buildMainMenu() {
    ASSERT_NE(createMenuBar(0, windowHandle(0)), 0);
    addMenuTitle("File");
    addMenuItem(3, "Open...\tCtrl+O");
    addMenuItem(1, "Save binary...");
    addMenuItem(2, "Save image...");
    addMenuSeparator();
    addMenuItem(0, "Quit");
    addMenuTitle("View");
    openSubmenu("Zoom");
    addMenuItem(13, "zoom preview\tCtrl+Z");
    addMenuItem(4, "zoom x1\tCtrl+1");
    addMenuItem(5, "zoom x2\tCtrl+2");
    addMenuItem(6, "zoom x4\tCtrl+4");
    addMenuItem(7, "zoom x8\tCtrl+8");
    closeSubmenu();
    addMenuItem(8, "Grid\tCtrl+G");
    addMenuItem(9, "Inverse\tCtrl+I");
    addMenuItem(11, "Multi columns\tCtrl+M");
    addMenuItem(10, "Reverse byte\tCtrl+R");
    addMenuItem(12, "Stay on top\tCtrl+T");
    closeSubmenu();
    addMenuItem(4, "x1");
    addMenuItem(5, "x2");
    addMenuItem(6, "x4");
    addMenuItem(7, "x8");
}

QStringList textsOf(const QWidget* level) {
    QStringList texts;
    for (const QAction* action : level->actions()) texts << action->text();
    return texts;
}

QAction* actionWithText(const QWidget* level, const QString& text) {
    for (QAction* action : level->actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

QMenu* submenu(const QWidget* level, const QString& text) {
    QAction* action = actionWithText(level, text);
    return action ? action->menu() : nullptr;
}

void pressKey(int window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(windowRecord(window)->frame->windowHandle(), key, modifiers);
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(openActiveWindow(0, 620, 602, "menus"), nullptr); }
    void TearDown() override {
        closeWindow(0);
        closeWindow(1);
        takeEvents();
    }
};

TEST_F(MenuTest, BarCommandSubmenuItemAndShortcutGiveTheSameEvent) {
    buildMainMenu();
    addShortcut(0, ShortcutKey::Control | 0x34, 6);
    QMenuBar* bar = windowRecord(0)->menuBar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(textsOf(bar), QStringList({"File", "View", "x1", "x2", "x4", "x8"}));
    // The bar takes its height from the client area.
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(windowRecord(0)->client->y(), bar->height());
    EXPECT_GT(bar->height(), 0);

    QAction* barX4 = actionWithText(bar, "x4");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(barX4).center());
    EXPECT_EQ(takeMenuIds(), std::vector<int>{6});

    QMenu* zoom = submenu(submenu(bar, "View"), "Zoom");
    ASSERT_NE(zoom, nullptr);
    actionWithText(zoom, "zoom x4\tCtrl+4")->trigger();
    EXPECT_EQ(takeMenuIds(), std::vector<int>{6});

    pressKey(0, Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(takeMenuIds(), std::vector<int>{6});
}

TEST_F(MenuTest, LevelRulesPutItemsWhereTheBuildSequenceSays) {
    ASSERT_NE(createMenuBar(0, windowHandle(0)), 0);
    addMenuTitle("A");
    addMenuItem(1, "in A");
    closeSubmenu();
    // At the bar already: these do nothing.
    closeSubmenu();
    closeSubmenu();
    addMenuItem(2, "direct");
    openSubmenu("S");
    openSubmenu("T");
    addMenuItem(3, "in T");
    // A title always starts at the bar, however deep the build is.
    addMenuTitle("B");
    addMenuItem(4, "in B");
    closeSubmenu();
    addMenuSeparator();
    addMenuItem(5, "last");

    QMenuBar* bar = windowRecord(0)->menuBar;
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> top = bar->actions();
    ASSERT_EQ(top.size(), 6);
    EXPECT_EQ(textsOf(bar), QStringList({"A", "direct", "S", "B", "", "last"}));
    EXPECT_TRUE(top[4]->isSeparator());
    EXPECT_EQ(top[1]->menu(), nullptr);
    EXPECT_EQ(textsOf(submenu(bar, "A")), QStringList({"in A"}));
    EXPECT_EQ(textsOf(submenu(submenu(bar, "S"), "T")), QStringList({"in T"}));
    EXPECT_EQ(textsOf(submenu(bar, "B")), QStringList({"in B"}));
}

TEST_F(MenuTest, CheckMarksAreSetAndReadByIdFirstMatchInMenuOrder) {
    buildMainMenu();
    setMenuItemChecked(0, 12, 1);
    EXPECT_EQ(isMenuItemChecked(0, 12), 1);
    setMenuItemChecked(0, 12, 0);
    EXPECT_EQ(isMenuItemChecked(0, 12), 0);

    // Id 6 stands in the Zoom submenu before it stands on the bar.
    setMenuItemChecked(0, 6, 1);
    QMenuBar* bar = windowRecord(0)->menuBar;
    EXPECT_TRUE(actionWithText(submenu(submenu(bar, "View"), "Zoom"), "zoom x4\tCtrl+4")->isChecked());
    EXPECT_FALSE(actionWithText(bar, "x4")->isChecked());

    // Choosing a marked item leaves the mark to the program.
    setMenuItemChecked(0, 8, 1);
    actionWithText(submenu(bar, "View"), "Grid\tCtrl+G")->trigger();
    EXPECT_EQ(takeMenuIds(), std::vector<int>{8});
    EXPECT_EQ(isMenuItemChecked(0, 8), 1);

    setMenuItemChecked(9, 8, 1);
    EXPECT_EQ(isMenuItemChecked(9, 8), 0);
    EXPECT_EQ(isMenuItemChecked(0, 99), 0);
}

TEST_F(MenuTest, MenuOfAClosedWindowIsUnknown) {
    buildMainMenu();
    setMenuItemChecked(0, 8, 1);
    closeWindow(0);
    EXPECT_EQ(isMenuItemChecked(0, 8), 0);
    addMenuItem(20, "after close");  // nothing to add to; must not crash
    setMenuItemChecked(0, 8, 1);
}

TEST(ShortcutEntryTest, KeyValueBitsBecomeEntryFlags) {
    EXPECT_EQ(shortcutEntry(0x20031, 4), (ShortcutEntry{1 + 2 + 8, 0x31, 4}));
    EXPECT_EQ(shortcutEntry(0x70041, 7), (ShortcutEntry{1 + 2 + 4 + 8 + 16, 0x41, 7}));
    EXPECT_EQ(shortcutEntry(0x10009, 64002), (ShortcutEntry{1 + 2 + 4, 0x09, 64002}));
}

TEST_F(MenuTest, ShortcutsMatchExactKeysAndModifiers) {
    addShortcut(0, 0x20031, 4);
    addShortcut(0, 0x20031, 9);  // replaces the command of Control+1
    pressKey(0, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(takeMenuIds(), std::vector<int>{9});

    // The keypad's 1 is another key.
    pressKey(0, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
    // Control+Shift+1 arrives as the shifted symbol; it is not Control+1 either.
    pressKey(0, Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier);
    pressKey(0, Qt::Key_1, Qt::NoModifier);
    EXPECT_TRUE(takeMenuIds().empty());

    addShortcut(0, ShortcutKey::Control | ShortcutKey::Shift | 0x31, 5);
    addShortcut(0, ShortcutKey::Control | 0x61, 10);  // keypad 1
    pressKey(0, Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier);
    pressKey(0, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(takeMenuIds(), (std::vector<int>{5, 10}));

    addShortcut(7, 0x20031, 3);  // no such window: nothing happens
}

TEST_F(MenuTest, ShortcutsWorkWithoutMenuBarAndNotInsideModalLoops) {
    QWidget* second = openActiveWindow(1, 200, 100, "second");
    ASSERT_NE(second, nullptr);
    addShortcut(1, ShortcutKey::Control | 0x47, 8);
    pressKey(1, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(takeMenuIds(1), std::vector<int>{8});

    QKeyEvent press(QEvent::KeyPress, Qt::Key_G, Qt::ControlModifier);
    enterModal();
    EXPECT_FALSE(translateShortcut(&press));
    leaveModal();
    EXPECT_TRUE(takeMenuIds(1).empty());
    EXPECT_TRUE(translateShortcut(&press));
    EXPECT_EQ(takeMenuIds(1), std::vector<int>{8});

    // Window 0's table is its own.
    windowRecord(0)->frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowRecord(0)->frame));
    takeEvents();
    EXPECT_FALSE(translateShortcut(&press));
}

TEST_F(MenuTest, TabAndShiftTabWalkEnabledControlsInCreationOrder) {
    // Created in the order 2, 0, 1, 3; control 0 is disabled, control 3 hidden.
    ASSERT_NE(createCheckBox(2, 0, 0, 80, 20, "two"), 0);
    ASSERT_NE(createCheckBox(0, 0, 20, 80, 20, "zero"), 0);
    ASSERT_NE(createCheckBox(1, 0, 40, 80, 20, "one"), 0);
    ASSERT_NE(createCheckBox(3, 0, 60, 80, 20, "three"), 0);
    controlWidget(0)->setEnabled(false);
    controlWidget(3)->hide();
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();

    const auto focusedControl = [] {
        for (int control = 0; control < 4; ++control) {
            if (controlWidget(control)->hasFocus()) return control;
        }
        return -1;
    };
    pressKey(0, Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(focusedControl(), 2);
    pressKey(0, Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(focusedControl(), 1);
    pressKey(0, Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(focusedControl(), 2);
    pressKey(0, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedControl(), 1);
    pressKey(0, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedControl(), 2);
    EXPECT_TRUE(takeMenuIds().empty());
}

TEST_F(MenuTest, PopupOpensAtThePointerAndPostsOnlyAChoice) {
    ASSERT_NE(createPopupMenu(2), 0);
    addMenuItem(14, "jump here");
    QWidget* frame = windowRecord(0)->frame;
    const QPoint pointer = frame->mapToGlobal(QPoint(200, 150));
    QCursor::setPos(pointer);

    QPoint shownAt;
    int depthInside = 0;
    ModalDriver popups(ModalDriver::Watch::Popups);
    popups
        .then([&](QWidget* popup) {
            shownAt = popup->pos();
            depthInside = modalDepth();
            QTest::keyClick(popup, Qt::Key_Escape);
        })
        .then([](QWidget* popup) {
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Return);
        });
    showPopupMenu(2, windowHandle(0));
    EXPECT_EQ(popups.stepsRun(), 1);
    EXPECT_EQ(shownAt, pointer - QPoint(1, 1));
    EXPECT_GT(depthInside, 0);
    EXPECT_EQ(modalDepth(), 0);
    EXPECT_TRUE(takeMenuIds().empty());

    // The same popup shown again counts as a new one.
    showPopupMenu(2, windowHandle(0));
    EXPECT_EQ(popups.stepsRun(), 2);
    EXPECT_EQ(takeMenuIds(), std::vector<int>{14});

    showPopupMenu(5, windowHandle(0));  // no such menu: returns at once
}

}  // namespace
