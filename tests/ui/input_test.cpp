// Input as the program sees it: keys as virtual keys (one map for shortcuts, key state and the
// canvas), wheel notches, closed menus.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMenu>
#include <QtTest/QTest>

#include "runtime/ui/event_queue.h"
#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/virtual_key_map_internal.h"
#include "runtime/ui/wheel_notches.h"
#include "tests/ui/ui_test_support.h"

namespace {

// X keycodes (evdev) of the main row's 2, 8 and 0, of the keypad's 2 and of the key where a US
// layout has Q.
constexpr unsigned SCAN_2 = 11;
constexpr unsigned SCAN_8 = 17;
constexpr unsigned SCAN_0 = 19;
constexpr unsigned SCAN_KEYPAD_2 = 88;
constexpr unsigned SCAN_US_Q = 24;

QKeyEvent keyEvent(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, unsigned scanCode,
                   const QString& text = {}) {
    return QKeyEvent(type, key, modifiers, scanCode, 0, 0, text);
}

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = openActiveWindow(0, 200, 100, "keys");
        ASSERT_NE(frame_, nullptr);
        useTrackedKeyState(true);
        forgetTrackedKeys();
    }
    void TearDown() override {
        forgetTrackedKeys();
        useTrackedKeyState(false);
        closeWindow(0);
        takeEvents();
    }
    void send(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, unsigned scanCode,
              const QString& text = {}) {
        QKeyEvent event = keyEvent(type, key, modifiers, scanCode, text);
        QCoreApplication::sendEvent(frame_->windowHandle(), &event);
    }
    void press(int key, Qt::KeyboardModifiers modifiers, unsigned scanCode, const QString& text = {}) {
        send(QEvent::KeyPress, key, modifiers, scanCode, text);
        send(QEvent::KeyRelease, key, modifiers, scanCode, text);
    }

    QWidget* frame_ = nullptr;
};

// A French layout types é, _ and à on the keys where 2, 8 and 0 sit; Ctrl with them is still
// Ctrl+2, Ctrl+8, Ctrl+0. Letters go by what the layout types: the key where a US layout has Q
// types A there, and Ctrl with it is Ctrl+A.
TEST_F(KeysTest, DigitRowGoesByItsPhysicalKeyAndLettersByTheLayout) {
    addShortcut(0, ShortcutKey::Control | 0x32, 5);
    addShortcut(0, ShortcutKey::Control | 0x38, 7);
    addShortcut(0, ShortcutKey::Control | 0x30, 2);
    addShortcut(0, ShortcutKey::Control | 0x41, 11);
    press(Qt::Key_Eacute, Qt::ControlModifier, SCAN_2, QStringLiteral("\u00e9"));
    press(Qt::Key_Underscore, Qt::ControlModifier, SCAN_8, QStringLiteral("_"));
    press(Qt::Key_Agrave, Qt::ControlModifier, SCAN_0, QStringLiteral("\u00e0"));
    press(Qt::Key_A, Qt::ControlModifier, SCAN_US_Q, QStringLiteral("a"));
    EXPECT_EQ(takeMenuIds(), (std::vector<int>{5, 7, 2, 11}));

    // The keypad's 2 is another key, whatever it types.
    press(Qt::Key_2, Qt::ControlModifier | Qt::KeypadModifier, SCAN_KEYPAD_2, QStringLiteral("2"));
    EXPECT_TRUE(takeMenuIds().empty());

    EXPECT_EQ(virtualKeyOf(keyEvent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, SCAN_2)), 0x32);
    EXPECT_EQ(virtualKeyOf(keyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, SCAN_US_Q)), 0x51);
    // Without a scan code (synthetic input) the symbol decides.
    EXPECT_EQ(virtualKeyOf(keyEvent(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, 0)), 0x32);
    EXPECT_EQ(virtualKeyOf(keyEvent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, 0)), 0);
}

// The keys that shortcuts know are also the keys whose state is tracked, and the other way round.
TEST_F(KeysTest, ShortcutsAndKeyStateUseTheSameCodes) {
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int virtualKey;
    };
    const Case cases[] = {
        {Qt::Key_F1, Qt::NoModifier, 0x70},       {Qt::Key_F13, Qt::NoModifier, 0x7C},
        {Qt::Key_F24, Qt::NoModifier, 0x87},      {Qt::Key_Pause, Qt::NoModifier, 0x13},
        {Qt::Key_NumLock, Qt::NoModifier, 0x90},  {Qt::Key_CapsLock, Qt::NoModifier, 0x14},
        {Qt::Key_Left, Qt::KeypadModifier, 0x25}, {Qt::Key_Down, Qt::KeypadModifier, 0x28},
        {Qt::Key_5, Qt::KeypadModifier, 0x65},    {Qt::Key_Semicolon, Qt::NoModifier, 0xBA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.virtualKey);
        addShortcut(0, static_cast<uint32_t>(c.virtualKey), c.virtualKey);
        send(QEvent::KeyPress, c.qtKey, c.modifiers, 0);
        EXPECT_EQ(keyHeldNow(c.virtualKey), 1);
        send(QEvent::KeyRelease, c.qtKey, c.modifiers, 0);
        EXPECT_EQ(keyHeldNow(c.virtualKey), 0);
        EXPECT_EQ(takeMenuIds(), std::vector<int>{c.virtualKey});
        EXPECT_NE(keySymbolsOf(c.virtualKey).main, 0u) << "the X keymap can be asked for it too";
    }
    // With Num Lock off the keypad's arrows are the arrows, and are polled as such on X as well.
    EXPECT_EQ(keySymbolsOf(VirtualKey::Left).keypad, 0xff96u);
    EXPECT_EQ(keySymbolsOf(VirtualKey::Down).keypad, 0xff99u);
    EXPECT_EQ(keySymbolsOf(VirtualKey::Escape).keypad, 0u);
}

// A menu that closes wakes the loop, ahead of what was already waiting: the key polling after
// it must know that a key held now may have closed the menu.
TEST_F(KeysTest, ClosedMenuIsHandedOutBeforeWhatWasWaiting) {
    QMenu menu;
    menu.addAction(QStringLiteral("item"));
    menu.popup(QPoint(20, 20));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    takeEvents();
    QTest::mouseMove(frame_->windowHandle(), QPoint(30, 30));  // a notification
    postEvent(EventCode::Menu, 0, 9, 0);                       // and a queued event
    QTest::keyClick(&menu, Qt::Key_Escape);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(pollEvent(0), EventCode::MenuClosed);
    EXPECT_EQ(eventKind(), -1);
    EXPECT_EQ(pollEvent(0), EventCode::Menu);
    EXPECT_NE(pollEvent(0), EventCode::MenuClosed) << "once per closed menu";
}

TEST(DigitRowTest, EvdevKeycodesOfTheMainRow) {
    EXPECT_EQ(evdevDigitRowDigit(10), 1);
    EXPECT_EQ(evdevDigitRowDigit(18), 9);
    EXPECT_EQ(evdevDigitRowDigit(19), 0);
    EXPECT_EQ(evdevDigitRowDigit(9), -1);   // Escape
    EXPECT_EQ(evdevDigitRowDigit(20), -1);  // the key after 0
    EXPECT_EQ(evdevDigitRowDigit(87), -1);  // keypad 1
}

// Notches are whole multiples of 120; what is left of a fine-grained movement counts towards
// the next one, also after a turn the other way.
TEST(WheelNotchesTest, WholeNotchesAndTheRestKept) {
    WheelNotches wheel;
    EXPECT_EQ(wheel.take(60), 0);
    EXPECT_EQ(wheel.take(90), 1);   // 150: one notch, 30 kept
    EXPECT_EQ(wheel.take(-50), 0);  // -20
    EXPECT_EQ(wheel.take(-100), -1);
    EXPECT_EQ(wheel.take(1000), 8);  // 1000: 8 notches, 40 kept
    EXPECT_EQ(wheel.take(80), 1);
    EXPECT_EQ(wheel.take(-2147483647), -17895697);
}

}  // namespace
