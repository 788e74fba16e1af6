// Windows and the wait loop on the offscreen platform.
#include "window_fixture.h"

#include "runtime/ui/controls.h"
#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/keys.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

using WindowsTest = WindowTest;

// The runtime was started by the test's main, as the program starts it.
TEST(UiStart, NamesTheInstalledDesktopEntrySoWaylandFindsItsIcon) {
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString("io.github.pixelsieve.Pixelsieve"));
}

TEST_F(WindowsTest, ClientAreaHasTheRequestedSizeAndTheFrameIsFixed) {
    const WindowRecord* record = windowRecord(WINDOW);
    EXPECT_EQ(record->client->size(), QSize(320, 240));
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(containerWindow(), WINDOW);
    EXPECT_EQ(windowNumberOf(record->client), WINDOW);
    EXPECT_EQ(windowHandle(WINDOW), static_cast<WindowHandle>(frame));
    EXPECT_EQ(windowHandle(WINDOW + 1), nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(frame->pos(),
              screen.topLeft() + QPoint((screen.width() - 320) / 2, (screen.height() - 240) / 2));
}

TEST_F(WindowsTest, MenuBarTakesFromTheClientAndTheStatusBarLiesOverIt) {
    WindowRecord* record = windowRecord(WINDOW);
    record->menuBar = new QMenuBar(frame);
    record->menuBar->addMenu("File");
    record->statusBar = new QWidget(record->client);
    record->statusBar->resize(50, 22);
    relayoutWindow(WINDOW);
    const int barHeight = record->menuBar->height();
    ASSERT_GT(barHeight, 0);
    EXPECT_EQ(record->client->geometry(), QRect(0, barHeight, 320, 240 - barHeight));
    EXPECT_EQ(record->statusBar->geometry(), QRect(0, 240 - barHeight - 22, 320, 22));
    QCursor::setPos(frame->mapToGlobal(QPoint(5, barHeight / 2)));
    EXPECT_EQ(windowMouseY(WINDOW), -1) << "the menu bar is not client area";
    QCursor::setPos(frame->mapToGlobal(QPoint(5, barHeight + 3)));
    EXPECT_EQ(windowMouseY(WINDOW), 3);
}

TEST_F(WindowsTest, CloseRequestPostsAnEventAndLeavesTheWindowOpen) {
    frame->close();
    EXPECT_EQ(takeAll(), (std::vector<QueuedEvent>{{EventCode::CloseWindow, WINDOW, 0}}));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_NE(windowRecord(WINDOW), nullptr);
}

TEST_F(WindowsTest, TitleAndStayOnTop) {
    setWindowTitle(WINDOW, "first");
    setWindowTitle(WINDOW, nullptr);
    EXPECT_EQ(windowTitle(WINDOW), "first");
    const QRect before = frame->geometry();
    setStayOnTop(WINDOW, 1);
    EXPECT_TRUE(native->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->geometry(), before);
    setStayOnTop(WINDOW, 0);
    EXPECT_FALSE(native->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(WindowsTest, PointerPositionIsSampledAndMinusOneOutsideTheClient) {
    QWidget* client = windowRecord(WINDOW)->client;
    QCursor::setPos(client->mapToGlobal(QPoint(10, 20)));
    EXPECT_EQ(windowMouseX(WINDOW), 10);
    EXPECT_EQ(windowMouseY(WINDOW), 20);
    QCursor::setPos(client->mapToGlobal(QPoint(320, 20)));
    EXPECT_EQ(windowMouseX(WINDOW), -1);
    EXPECT_EQ(windowMouseY(WINDOW), -1) << "either coordinate outside gives -1 for both";
    EXPECT_EQ(windowMouseX(WINDOW + 1), -1);
}

TEST_F(WindowsTest, EveryKeyPressRepeatAndReleaseWakesTheLoopOnce) {
    useTrackedKeyState(true);
    auto send = [this](QEvent::Type type, bool repeat) {
        QKeyEvent key(type, Qt::Key_Right, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(native, &key);
    };
    send(QEvent::KeyPress, false);
    EXPECT_EQ(keyHeldNow(VirtualKey::Right), 1);
    for (int i = 0; i < 3; ++i) {
        // X11 delivers an auto-repeat as a release and a press, both marked as repeats.
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
        EXPECT_EQ(keyHeldNow(VirtualKey::Right), 1);
    }
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(keyHeldNow(VirtualKey::Right), 0);

    std::vector<int32_t> keys;
    for (int32_t code; (code = pollEvent(0)) != 0;)
        if (code == PlatformNotification::KeyDown || code == PlatformNotification::KeyUp)
            keys.push_back(code);
    const std::vector<int32_t> expected = {256, 256, 256, 256, 257};
    EXPECT_EQ(keys, expected);
    useTrackedKeyState(false);
}

TEST_F(WindowsTest, TrackedKeysAreForgottenWhenTheWindowLosesTheFocus) {
    useTrackedKeyState(true);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &press);
    EXPECT_EQ(keyHeldNow(VirtualKey::Escape), 1);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(native, &out);
    EXPECT_EQ(keyHeldNow(VirtualKey::Escape), 0);
    useTrackedKeyState(false);
}

TEST_F(WindowsTest, WheelIsReportedAsRawNotificationAndScrollsNoControl) {
    ASSERT_NE(createScrollBar(1, 300, 0, 20, 240, 0, 100, 1, 1), 0);
    setControlState(1, 50);
    flush();
    const QPointF overBar(310, 100);
    auto turn = [&](int delta) {
        QWheelEvent wheel(overBar, native->mapToGlobal(overBar), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(native, &wheel);
    };
    turn(120);
    ASSERT_EQ(pollEvent(0), EventCode::RawMouseWheel);
    EXPECT_EQ(static_cast<int16_t>(eventParam() >> 16), 120);
    EXPECT_EQ(eventKind(), -1);
    turn(-240);
    ASSERT_EQ(pollEvent(0), EventCode::RawMouseWheel);
    EXPECT_EQ(static_cast<int16_t>(eventParam() >> 16), -240);
    EXPECT_EQ(controlState(1), 50) << "the scroll bar must not scroll on the wheel by itself";
    EXPECT_TRUE(eventQueueEmpty());

    // Fractions of a notch wake nothing until they make a whole one.
    turn(60);
    EXPECT_NE(pollEvent(0), EventCode::RawMouseWheel);
    turn(90);
    ASSERT_EQ(pollEvent(0), EventCode::RawMouseWheel);
    EXPECT_EQ(static_cast<int16_t>(eventParam() >> 16), 120);
}

TEST_F(WindowsTest, OnlyACanvasWithTheFocusReportsTheWheel) {
    ASSERT_NE(createCanvas(0, 0, 0, 100, 100), 0);
    ASSERT_NE(createCanvas(2, 100, 0, 100, 100, 4), 0);
    flush();
    auto turnOver = [&](QPointF at, int delta) {
        QWheelEvent wheel(at, native->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(native, &wheel);
    };
    turnOver(QPointF(50, 50), 120);
    EXPECT_EQ(pollEvent(0), EventCode::RawMouseWheel);
    EXPECT_TRUE(eventQueueEmpty()) << "the canvas under the pointer has no focus";

    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    ASSERT_NE(setKeyboardFocus(2), 0);
    EXPECT_EQ(setKeyboardFocus(0), 0) << "a canvas without the focus flag takes no focus";
    flush();
    turnOver(QPointF(50, 50), 60);
    turnOver(QPointF(50, 50), 200);
    ASSERT_EQ(takeQueuedEvent(), EventCode::Control);
    EXPECT_EQ(eventObject(), 2);
    EXPECT_EQ(eventKind(), ControlEventKind::Wheel);
    EXPECT_EQ(controlAttribute(2, 8), 2) << "whole notches of 60 + 200, the rest kept";
    EXPECT_EQ(takeQueuedEvent(), 0);
}

TEST_F(WindowsTest, PointerMovesWakeTheLoopAndTimeOutGivesZero) {
    QTest::mouseMove(native, QPoint(40, 40));
    QTest::mouseMove(native, QPoint(41, 40));
    EXPECT_EQ(pollEvent(0), PlatformNotification::PointerMove);
    EXPECT_EQ(pollEvent(0), PlatformNotification::PointerMove);
    EXPECT_EQ(pollEvent(20), 0);
}

TEST_F(WindowsTest, QueuedEventsComeBeforePendingNotifications) {
    QTest::mouseMove(native, QPoint(40, 40));
    postEvent(EventCode::Menu, WINDOW, 7, 0);
    EXPECT_EQ(waitEvent(), EventCode::Menu);
    EXPECT_EQ(eventObject(), 7);
    EXPECT_EQ(waitEvent(), PlatformNotification::PointerMove);
    EXPECT_EQ(eventObject(), 0);
    EXPECT_EQ(eventKind(), -1);
}

TEST_F(WindowsTest, ClosingAWindowDropsItsControlsEventsAndBindings) {
    ASSERT_NE(createCheckBox(4, 0, 0, 80, 20, "box"), 0);
    static int runs = 0;
    runs = 0;
    ASSERT_NE(bindControlEvent(4, [] { ++runs; }), 0);
    postEvent(EventCode::Control, WINDOW, 4, 0);
    EXPECT_EQ(runs, 1);
    closeWindow(WINDOW);
    EXPECT_EQ(controlWidget(4), nullptr);
    EXPECT_EQ(controlState(4), 0);
    EXPECT_TRUE(eventQueueEmpty());
    EXPECT_EQ(containerWindow(), -1);
    EXPECT_EQ(createCheckBox(4, 0, 0, 80, 20, "box"), 0) << "no container window";
    EXPECT_EQ(bindControlEvent(4, [] { ++runs; }), 0);
}

}  // namespace
