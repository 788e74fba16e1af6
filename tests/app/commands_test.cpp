// The event loop's handlers: scroll-bar meaning, key polling, wheel, commands, canvas events,
// drops and the open command.
#include "app/commands.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest/QTest>

#include "runtime/ui/keys.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"

namespace {

class CommandsTest : public ShellTest {
protected:
    // Waits for the next runtime event (code >= 13100) and returns its code; 0 on time-out.
    static int32_t next_runtime_event(int timeout_ms = 2000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeout_ms) {
            const int32_t code = pollEvent(20);
            if (code >= EventCode::Control) {
                return code;
            }
        }
        return 0;
    }
    // Moves the pointer over the canvas and hands the resulting canvas event to the shell.
    static void canvas_event(int32_t kind, int x, int y) {
        QWidget* canvas = controlWidget(CanvasView);
        ASSERT_NE(canvas, nullptr);
        if (kind == ControlEventKind::RightClick) {
            QTest::mouseClick(canvas, Qt::RightButton, {}, QPoint(x, y));
        } else {
            QTest::mouseMove(canvas, QPoint(x, y));
        }
        for (int tries = 0; tries < 20; ++tries) {
            const int32_t code = next_runtime_event(500);
            if (code == EventCode::Control && eventObject() == CanvasView && eventKind() == kind) {
                handle_control(CanvasView, kind);
                return;
            }
        }
        FAIL() << "no canvas event of kind " << kind;
    }
    static void hold(int key) { noteKeyPressed(key); }
    static void release(int key) { noteKeyReleased(key); }
};

TEST_F(CommandsTest, ApplyPositionDerivesOffsetRangesAndUsesThePositionBeforeTheRange) {
    load(std::vector<uint8_t>(1000, 0x5A));
    setControlState(WidthScrollBar, 8);
    setControlState(RowScrollBar, 3);
    apply_position();
    EXPECT_EQ(shell_state.row_width, 8);
    EXPECT_EQ(shell_state.row_offset, 24);
    EXPECT_EQ(controlAttribute(RowScrollBar, 2), 125);
    EXPECT_EQ(controlAttribute(FineOffsetSpin, 1), -8);
    EXPECT_EQ(controlAttribute(FineOffsetSpin, 2), 8);

    // Widening from row 100 of width 1: the offset is formed from row 100, then the range
    // shrinks to 10 and pulls the position down; the next call follows.
    setControlState(WidthScrollBar, 1);
    apply_position();
    setControlState(RowScrollBar, 100);
    setControlState(WidthScrollBar, 100);
    apply_position();
    EXPECT_EQ(shell_state.row_offset, 10000);
    EXPECT_EQ(controlAttribute(RowScrollBar, 2), 10);
    EXPECT_EQ(controlState(RowScrollBar), 10);
    apply_position();
    EXPECT_EQ(shell_state.row_offset, 1000);
}

TEST_F(CommandsTest, HeldKeysStepWithinTheirLimits) {
    load(std::vector<uint8_t>(64, 0));
    view_settings.maxwidth = 3;
    setControlAttribute(WidthScrollBar, 2, 3);
    apply_position();  // row bar range 0..64 at width 1

    // Left at width 1 and Up at row 0 do nothing.
    hold(VirtualKey::Left);
    hold(VirtualKey::Up);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    EXPECT_EQ(controlState(WidthScrollBar), 1);
    EXPECT_EQ(controlState(RowScrollBar), 0);
    release(VirtualKey::Left);
    release(VirtualKey::Up);

    // Right and Down held together each take one step per poll; Right stops at maxwidth.
    hold(VirtualKey::Right);
    hold(VirtualKey::Down);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(poll_keys(), LoopAction::Continue);
    }
    EXPECT_EQ(controlState(WidthScrollBar), 3);
    EXPECT_EQ(shell_state.row_width, 3);
    EXPECT_EQ(controlAttribute(FineOffsetSpin, 1), -3);
    EXPECT_EQ(controlAttribute(FineOffsetSpin, 2), 3);
    EXPECT_EQ(controlState(RowScrollBar), 4);
    release(VirtualKey::Right);

    // Down stops at the row bar's maximum (64 / 3 = 21).
    for (int i = 0; i < 30; ++i) {
        (void)poll_keys();
    }
    EXPECT_EQ(controlState(RowScrollBar), 21);
    EXPECT_EQ(shell_state.row_offset, 63);
    release(VirtualKey::Down);

    hold(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Quit);
    release(VirtualKey::Escape);
}

// The Escape that cancelled a dialog is still down when the loop polls again: it must not end
// the program, while a new press still does.
TEST_F(CommandsTest, EscapeThatClosedADialogDoesNotQuitUntilReleased) {
    hold(VirtualKey::Escape);
    ignore_escape_until_released();
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    release(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    hold(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Quit);
    release(VirtualKey::Escape);

    // The open command arms it: the dialog is cancelled and Escape is still down afterwards.
    ModalDriver dialogs;
    dialogs.dismiss();
    EXPECT_EQ(handle_command(CmdOpen), LoopAction::Continue);
    hold(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    release(VirtualKey::Escape);
    (void)poll_keys();
}

TEST_F(CommandsTest, WheelMovesSixteenRowsAndNeverBelowRowOne) {
    load(std::vector<uint8_t>(40, 0));
    apply_position();  // maximum 40
    const int32_t towards_user = static_cast<int32_t>(static_cast<uint32_t>(-120 & 0xFFFF) << 16);
    const int32_t away = 240 << 16;
    handle_wheel(towards_user);
    EXPECT_EQ(controlState(RowScrollBar), 16);
    handle_wheel(away);  // at 16: unchanged
    EXPECT_EQ(controlState(RowScrollBar), 16);
    handle_wheel(towards_user);
    handle_wheel(towards_user);
    EXPECT_EQ(controlState(RowScrollBar), 40);
    setControlState(RowScrollBar, 17);
    handle_wheel(away);
    EXPECT_EQ(controlState(RowScrollBar), 1);
    EXPECT_EQ(shell_state.row_offset, 1);
}

TEST_F(CommandsTest, FlagCommandsAndBoxesKeepMarkAndBoxTogether) {
    load(std::vector<uint8_t>(100, 0xF0));
    EXPECT_EQ(handle_command(CmdGrid), LoopAction::Continue);
    EXPECT_EQ(controlState(GridBox), 1);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdGrid), 1);
    EXPECT_EQ(handle_command(CmdGrid), LoopAction::Continue);
    EXPECT_EQ(controlState(GridBox), 0);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdGrid), 0);

    // A click on the box (its state already changed) brings the mark along.
    for (auto [box, command] : {std::pair{InverseBox, CmdInverse}, std::pair{ReverseBox, CmdReverse},
                                std::pair{GridBox, CmdGrid}, std::pair{MultiColBox, CmdMultiColumns}}) {
        setControlState(box, 1);
        handle_control(box, ControlEventKind::Click);
        EXPECT_EQ(isMenuItemChecked(MainMenu, command), 1) << command;
    }
    setControlState(ReverseBox, 0);
    handle_control(ReverseBox, ControlEventKind::Click);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdReverse), 0);
    // Inverse alone: the first byte 0xF0 shows as 0x0F.
    EXPECT_EQ(view_pixel(0, 0), COLOUR_CLEAR_BIT);
    EXPECT_EQ(view_pixel(7, 0), COLOUR_SET_BIT);

    const int32_t preview = controlState(PreviewBox);
    (void)handle_command(CmdZoomPreview);
    EXPECT_NE(controlState(PreviewBox), preview);
    (void)handle_command(CmdZoomPreview);
    EXPECT_EQ(controlState(PreviewBox), preview);
}

TEST_F(CommandsTest, StayOnTopFlipsAStoredOddValueOff) {
    view_settings.ontop = 5;
    (void)handle_command(CmdStayOnTop);
    EXPECT_EQ(view_settings.ontop, 0);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdStayOnTop), 0);
    (void)handle_command(CmdStayOnTop);
    EXPECT_EQ(view_settings.ontop, 1);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdStayOnTop), 1);
}

TEST_F(CommandsTest, ZoomKeepsPositionsAndTheBarItemsAreZoomCommands) {
    load(std::vector<uint8_t>(5000, 0));
    setControlState(WidthScrollBar, 4);
    setControlState(RowScrollBar, 7);
    apply_position();

    WindowRecord* window = windowRecord(MainWindow);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->menuBar, nullptr);
    QStringList titles;
    QAction* x4 = nullptr;
    for (QAction* action : window->menuBar->actions()) {
        titles << action->text();
        if (action->text() == "x4") {
            x4 = action;
        }
    }
    EXPECT_EQ(titles, QStringList({"File", "View", "x1", "x2", "x4", "x8"}));
    ASSERT_NE(x4, nullptr);
    x4->trigger();
    ASSERT_EQ(next_runtime_event(), EventCode::Menu);
    EXPECT_EQ(eventObject(), CmdZoom4);
    EXPECT_EQ(handle_event(EventCode::Menu), LoopAction::Continue);
    EXPECT_EQ(view_settings.zoom, 4);
    EXPECT_EQ(windowTitle(MainWindow), "Pixelsieve 2c,x4");
    EXPECT_EQ(controlState(RowScrollBar), 7);
    EXPECT_EQ(controlState(WidthScrollBar), 4);
    EXPECT_EQ(handle_command(CmdQuit), LoopAction::Quit);
}

TEST_F(CommandsTest, PointerMoveWritesTheReadoutAndKeepsThePointerValues) {
    load(std::vector<uint8_t>(5000, 0));
    setControlState(WidthScrollBar, 4);
    apply_position();
    (void)handle_command(CmdZoom2);
    QTest::mouseMove(controlWidget(CanvasView), QPoint(5, 5));  // entering is not a move
    canvas_event(ControlEventKind::PointerMoved, 40, 30);
    EXPECT_EQ(shell_state.pointer_x, 20);
    EXPECT_EQ(shell_state.pointer_y, 15);
    EXPECT_EQ(shell_state.pointer_size, 62);
    EXPECT_EQ(status(), "Disp:0,w:4,x:20,y:15,size:62");
}

TEST_F(CommandsTest, RightClickRemembersTheRowAndJumpHereGoesThere) {
    load(std::vector<uint8_t>(20000, 0));
    apply_position();
    setControlState(RowScrollBar, 5);
    apply_position();
    // The popup runs its own loop: close it as soon as it shows, as a dismissal would.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    closer.start(20);
    canvas_event(ControlEventKind::RightClick, 17, 100);
    closer.stop();
    EXPECT_EQ(shell_state.jump_row, 5 + 2 * 512 + 100);

    EXPECT_EQ(handle_command(CmdJumpHere), LoopAction::Continue);
    EXPECT_EQ(controlState(RowScrollBar), 1129);
    EXPECT_EQ(shell_state.row_offset, 1129);
    EXPECT_EQ(shell_state.jump_row, -1);
    // Without a remembered row the command does nothing.
    (void)handle_command(CmdJumpHere);
    EXPECT_EQ(controlState(RowScrollBar), 1129);
}

TEST_F(CommandsTest, SpinEventRewritesItsTextAndMovesTheFocus) {
    load(std::vector<uint8_t>(100, 0));
    QWidget* frame = windowRecord(MainWindow)->frame;
    frame->activateWindow();
    QApplication::setActiveWindow(frame);
    setControlState(WidthScrollBar, 4);
    apply_position();
    setControlState(FineOffsetSpin, -3);
    handle_control(FineOffsetSpin, ControlEventKind::TextChanged);
    EXPECT_EQ(controlText(FineOffsetSpin), "-3");
    EXPECT_EQ(display_offset(), -3);
    EXPECT_EQ(status().rfind("Disp:-3,w:4,", 0), 0u) << status();
    QWidget* inverse = controlWidget(InverseBox);
    ASSERT_NE(inverse, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), inverse);
}

// Narrowing the rows narrows the fine offset's range: the value is clamped, and the text must
// show the clamped number the view now uses.
TEST_F(CommandsTest, SpinTextShowsTheValueClampedByANarrowerWidth) {
    load(std::vector<uint8_t>(100, 0));
    setControlState(WidthScrollBar, 8);
    apply_position();
    setControlState(FineOffsetSpin, 6);
    handle_control(FineOffsetSpin, ControlEventKind::TextChanged);
    EXPECT_EQ(controlText(FineOffsetSpin), "6");
    setControlState(WidthScrollBar, 2);
    apply_position();
    EXPECT_EQ(controlState(FineOffsetSpin), 2);
    EXPECT_EQ(display_offset(), 2);
    EXPECT_EQ(controlText(FineOffsetSpin), "2");
}

TEST_F(CommandsTest, DropLoadsOnlyTheFirstFileAndKeepsThePosition) {
    load(std::vector<uint8_t>(3000, 0));
    setControlState(RowScrollBar, 9);
    apply_position();
    const std::string first = write_file("first.bin", std::vector<uint8_t>(800, 0xFF));
    const std::string second = write_file("second.bin", std::vector<uint8_t>(10, 0));
    handle_drop(first + "\n" + second + "\n" + path("third.bin"));
    EXPECT_EQ(shell_state.last_file_name, "first.bin");
    EXPECT_EQ(shell_state.last_folder, dir_.string() + "/");
    EXPECT_EQ(loaded_data.len, 800);
    EXPECT_EQ(controlAttribute(RowScrollBar, 2), 800);
    EXPECT_EQ(shell_state.row_offset, 9);  // loading does not move the view
}

TEST_F(CommandsTest, LoadSetsTheRowRangeForTheWidthInUse) {
    setControlState(WidthScrollBar, 8);
    apply_position();
    load(std::vector<uint8_t>(1000, 1));
    EXPECT_EQ(controlAttribute(RowScrollBar, 2), 125);
    setControlState(WidthScrollBar, 3);
    apply_position();
    load(std::vector<uint8_t>(1000, 1));
    EXPECT_EQ(controlAttribute(RowScrollBar, 2), 333);
}

TEST_F(CommandsTest, OpenCommandLoadsTheChosenFileAndCancelChangesNothing) {
    const std::string file = write_file("chosen.bin", std::vector<uint8_t>(64, 0x80));
    shell_state.last_folder = "/";
    {
        ModalDriver dialogs;
        dialogs.dismiss();
        EXPECT_EQ(handle_command(CmdOpen), LoopAction::Continue);
        ASSERT_EQ(dialogs.seen().size(), 1u);
        EXPECT_EQ(dialogs.seen()[0].title, "Please choose file to load");
        EXPECT_FALSE(loaded_data.loaded());
        EXPECT_EQ(shell_state.last_folder, "/");
    }
    ModalDriver dialogs;
    dialogs.chooseFile(file);
    EXPECT_EQ(handle_command(CmdOpen), LoopAction::Continue);
    EXPECT_EQ(loaded_data.len, 64);
    EXPECT_EQ(shell_state.last_folder, dir_.string() + "/");
    EXPECT_EQ(windowTitle(MainWindow), "Pixelsieve 2c,x1");
    EXPECT_EQ(canvas_pixel(0, 0), COLOUR_SET_BIT);
    EXPECT_EQ(canvas_pixel(1, 0), COLOUR_CLEAR_BIT);
}

}  // namespace
