// keyHeldNow: the X server's keymap where there is an X display, otherwise the state tracked
// from the key events the application's windows receive.
#include <QGuiApplication>
#include <bitset>

#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/virtual_key_map_internal.h"

namespace {

std::bitset<256> tracked;
bool trackedOnly = false;

void* x11Display() {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? static_cast<void*>(x11->display()) : nullptr;
}

constexpr unsigned EVDEV_DIGIT_1 = 10;  // KEY_1 (2) + 8; KEY_0 follows KEY_9

}  // namespace

void noteKeyPressed(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256) tracked.set(virtualKey);
}

void noteKeyReleased(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256) tracked.reset(virtualKey);
}

void forgetTrackedKeys() { tracked.reset(); }
void useTrackedKeyState(bool on) { trackedOnly = on; }

int evdevDigitRowDigit(unsigned keycode) {
    if (keycode < EVDEV_DIGIT_1 || keycode > EVDEV_DIGIT_1 + 9) return -1;
    return static_cast<int>((keycode - EVDEV_DIGIT_1 + 1) % 10);
}

int digitRowDigit(unsigned scanCode) {
    if (scanCode == 0) return -1;
    if (void* display = x11Display()) return x11DigitRowDigit(display, scanCode);
    return evdevDigitRowDigit(scanCode);
}

bool releaseIsAutoRepeat(unsigned scanCode) {
    if (trackedOnly || scanCode == 0 || scanCode >= 256) return false;
    void* display = x11Display();
    return display && x11KeycodeHeld(display, scanCode);
}

int keyHeldNow(int virtualKey) {
    if (virtualKey <= 0 || virtualKey >= 256) return 0;
    if (!trackedOnly) {
        if (void* display = x11Display()) {
            const KeySymbols symbols = keySymbolsOf(virtualKey);
            return symbols.main != 0 && x11KeyHeld(display, symbols.main, symbols.keypad) ? 1 : 0;
        }
    }
    return tracked.test(virtualKey) ? 1 : 0;
}
