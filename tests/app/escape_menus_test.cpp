// Escape over the program's menus: the press that closes a menu does not also end the program;
// a later press, with no menu open, does.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest/QTest>

#include "app/event_loop.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"

namespace {

class EscapeOverMenusTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        QWidget* frame = windowRecord(MainWindow)->frame;
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
        ASSERT_EQ(drain(), LoopAction::Continue);
    }
    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        ShellTest::TearDown();
    }

    // Hands everything waiting to the loop, one turn each, as run_event_loop does; the first
    // action that is not Continue.
    static LoopAction drain() {
        for (int i = 0; i < 10000; ++i) {
            const int32_t code = pollEvent(0);
            if (code == 0) break;
            const LoopAction action = loop_step(code);
            if (action != LoopAction::Continue) return action;
        }
        return LoopAction::Continue;
    }

    static QMenuBar* bar() { return windowRecord(MainWindow)->menuBar; }
    static QMenu* open_title(const QString& title) {
        for (QAction* action : bar()->actions()) {
            if (action->text() == title) {
                QTest::mouseClick(bar(), Qt::LeftButton, {}, bar()->actionGeometry(action).center());
                return qobject_cast<QMenu*>(QApplication::activePopupWidget());
            }
        }
        return nullptr;
    }

    // Escape goes down and closes the popup; it stays down.
    static void escape_into(QWidget* popup) {
        noteKeyPressed(VirtualKey::Escape);
        QTest::keyClick(popup, Qt::Key_Escape);
    }
    // The held Escape is released, and a new press ends the program.
    static void expect_second_escape_quits() {
        noteKeyReleased(VirtualKey::Escape);
        EXPECT_EQ(poll_keys(), LoopAction::Continue);
        noteKeyPressed(VirtualKey::Escape);
        EXPECT_EQ(poll_keys(), LoopAction::Quit);
        noteKeyReleased(VirtualKey::Escape);
        EXPECT_EQ(poll_keys(), LoopAction::Continue);
    }
};

TEST_F(EscapeOverMenusTest, EscapeThatClosesAPullDownDoesNotQuit) {
    QMenu* file = open_title("File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(drain(), LoopAction::Continue);
    escape_into(file);
    EXPECT_FALSE(file->isVisible());
    EXPECT_EQ(drain(), LoopAction::Continue);
    EXPECT_EQ(poll_keys(), LoopAction::Continue) << "still the press that closed the menu";
    expect_second_escape_quits();
}

// Escape is down on the keyboard before the menu has had the press: the loop, woken by anything
// else meanwhile, must not end the program under the menu.
TEST_F(EscapeOverMenusTest, EscapeDownWhileAMenuIsShownBelongsToTheMenu) {
    QMenu* file = open_title("File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(drain(), LoopAction::Continue);
    noteKeyPressed(VirtualKey::Escape);
    EXPECT_EQ(loop_step(0), LoopAction::Continue);
    QTest::keyClick(file, Qt::Key_Escape);
    EXPECT_EQ(drain(), LoopAction::Continue);
    expect_second_escape_quits();
}

TEST_F(EscapeOverMenusTest, EscapeClosesTheZoomSubmenuThenViewAndOnlyAThirdQuits) {
    QMenu* view = open_title("View");
    ASSERT_NE(view, nullptr);
    QTest::keyClick(view, Qt::Key_Down);   // "Zoom", the first item
    QTest::keyClick(view, Qt::Key_Right);  // opens it
    auto* zoom = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(zoom, nullptr);
    ASSERT_NE(zoom, view);
    EXPECT_EQ(drain(), LoopAction::Continue);

    escape_into(zoom);
    EXPECT_EQ(QApplication::activePopupWidget(), view) << "Escape closes one level";
    EXPECT_EQ(drain(), LoopAction::Continue);
    noteKeyReleased(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);

    escape_into(view);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(drain(), LoopAction::Continue);
    expect_second_escape_quits();
}

// The scroll bars and the spin field's text show context menus of their own (Qt's); the scroll
// bar's runs a loop of its own inside the event dispatch.
TEST_F(EscapeOverMenusTest, EscapeThatClosesAControlsContextMenuDoesNotQuit) {
    QWidget* rowBar = controlWidget(RowScrollBar);
    ASSERT_NE(rowBar, nullptr);
    bool shown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            shown = true;
            escape_into(popup);
        }
    });
    closer.start(20);
    // Input that came before the menu waits behind it: the loop must learn first that the menu
    // closed.
    QTest::mouseMove(windowRecord(MainWindow)->frame->windowHandle(), QPoint(300, 100));
    const QPoint at(10, 100);
    QContextMenuEvent onBar(QContextMenuEvent::Mouse, at, rowBar->mapToGlobal(at));
    QCoreApplication::sendEvent(rowBar, &onBar);
    closer.stop();
    ASSERT_TRUE(shown) << "the scroll bar showed no context menu";
    EXPECT_EQ(drain(), LoopAction::Continue);
    expect_second_escape_quits();

    QWidget* spinText = controlWidget(FineOffsetSpin);
    ASSERT_NE(spinText, nullptr);
    QContextMenuEvent onText(QContextMenuEvent::Mouse, QPoint(5, 5), spinText->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(spinText, &onText);
    QWidget* textMenu = QApplication::activePopupWidget();
    ASSERT_NE(textMenu, nullptr) << "the spin field's text showed no context menu";
    EXPECT_EQ(drain(), LoopAction::Continue);
    escape_into(textMenu);
    EXPECT_EQ(drain(), LoopAction::Continue);
    expect_second_escape_quits();
}

// Alt alone lets the keys walk the menu bar without opening a menu; Escape ends that walk.
TEST_F(EscapeOverMenusTest, EscapeThatLeavesTheMenuBarsKeyboardWalkDoesNotQuit) {
    QTest::keyClick(windowRecord(MainWindow)->frame->windowHandle(), Qt::Key_Alt);
    ASSERT_TRUE(bar()->hasFocus()) << "Alt did not give the menu bar the keyboard";
    EXPECT_EQ(drain(), LoopAction::Continue);
    escape_into(bar());
    EXPECT_EQ(drain(), LoopAction::Continue);
    expect_second_escape_quits();
}

}  // namespace
