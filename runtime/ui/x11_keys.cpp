// The X server's keymap, kept apart from every Qt header: Xlib's macros (KeyPress, None, Bool)
// break Qt's.
#include "runtime/ui/key_state_internal.h"

#include <X11/Xlib.h>

bool x11KeyHeld(void* display, unsigned long keysym) {
    if (!display) return false;
    auto* x = static_cast<Display*>(display);
    const KeyCode code = XKeysymToKeycode(x, static_cast<KeySym>(keysym));
    if (code == 0) return false;
    char keys[32] = {};
    XQueryKeymap(x, keys);
    return (keys[code / 8] >> (code % 8)) & 1;
}

bool x11DisplayOpens(const char* name) {
    Display* display = XOpenDisplay(name);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}
