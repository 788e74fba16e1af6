// The X server's keymap, kept apart from every Qt header: Xlib's macros (KeyPress, None, Bool)
// break Qt's.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <cstring>

#include "runtime/ui/key_state_internal.h"

namespace {

constexpr int KEYCODES = 256;

bool keycodeDown(const char (&keys)[32], unsigned code) {
    return code < KEYCODES && ((keys[code / 8] >> (code % 8)) & 1);
}

// The keypad's keys type digits on their second level, which Num Lock or Shift selects; with
// both or neither they send the navigation keys.
bool keypadSendsNavigation(Display* x) {
    XkbStateRec state;
    if (XkbGetState(x, XkbUseCoreKbd, &state) != Success) return true;
    const unsigned numLock = XkbKeysymToModifiers(x, XK_Num_Lock);
    const bool numLockOn = numLock != 0 && (state.mods & numLock) != 0;
    const bool shift = (state.mods & ShiftMask) != 0;
    return numLockOn == shift;
}

// The main row's digit per keycode, read once per display from the XKB key names: the names
// tell a key's place, whichever layout is loaded now or later.
struct DigitRow {
    Display* display = nullptr;
    std::array<signed char, KEYCODES> digit{};
};
DigitRow digitRow;

void loadDigitRow(Display* x) {
    digitRow.display = x;
    for (unsigned code = 0; code < KEYCODES; ++code)
        digitRow.digit[code] = static_cast<signed char>(evdevDigitRowDigit(code));
    XkbDescPtr keyboard = XkbGetMap(x, 0, XkbUseCoreKbd);
    if (!keyboard) return;
    if (XkbGetNames(x, XkbKeyNamesMask, keyboard) == Success && keyboard->names && keyboard->names->keys) {
        digitRow.digit.fill(-1);
        for (int code = keyboard->min_key_code; code <= keyboard->max_key_code && code < KEYCODES; ++code) {
            const char* name = keyboard->names->keys[code].name;
            if (name[0] != 'A' || name[1] != 'E' || name[2] < '0' || name[2] > '1' || name[3] < '0' ||
                name[3] > '9') {
                continue;
            }
            const int position = (name[2] - '0') * 10 + (name[3] - '0');  // AE01 ... AE10
            if (position >= 1 && position <= 10)
                digitRow.digit[static_cast<unsigned>(code)] = static_cast<signed char>(position % 10);
        }
        XkbFreeNames(keyboard, XkbKeyNamesMask, True);
    }
    XkbFreeKeyboard(keyboard, 0, True);
}

}  // namespace

bool x11KeyHeld(void* display, unsigned long keysym, unsigned long keypadKeysym) {
    if (!display) return false;
    auto* x = static_cast<Display*>(display);
    const KeyCode code = XKeysymToKeycode(x, static_cast<KeySym>(keysym));
    const KeyCode keypadCode = keypadKeysym != 0 ? XKeysymToKeycode(x, static_cast<KeySym>(keypadKeysym)) : 0;
    if (code == 0 && keypadCode == 0) return false;
    char keys[32] = {};
    XQueryKeymap(x, keys);
    if (code != 0 && keycodeDown(keys, code)) return true;
    return keypadCode != 0 && keycodeDown(keys, keypadCode) && keypadSendsNavigation(x);
}

bool x11KeycodeHeld(void* display, unsigned keycode) {
    if (!display || keycode == 0 || keycode >= KEYCODES) return false;
    char keys[32] = {};
    XQueryKeymap(static_cast<Display*>(display), keys);
    return keycodeDown(keys, keycode);
}

int x11DigitRowDigit(void* display, unsigned keycode) {
    if (!display || keycode >= KEYCODES) return -1;
    auto* x = static_cast<Display*>(display);
    if (digitRow.display != x) loadDigitRow(x);
    return digitRow.digit[keycode];
}

bool x11DisplayOpens(const char* name) {
    Display* display = XOpenDisplay(name);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}
