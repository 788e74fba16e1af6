#pragma once
// Key state for the polling of the event loop. Internal to runtime/ui; holds no Qt type.
//
// On X11 the server's keymap answers, so a key counts as held whichever window (of any program)
// has the focus. Where there is no X display (the offscreen platform, Wayland) the answer comes
// from the presses and releases the application's own windows receive, and is forgotten when
// they lose the focus, since the releases then go elsewhere.

// The virtual key code (0x08-0x7B, letters and digits as their upper-case ASCII) of a Qt key,
// 0 for keys without one.
int virtualKeyOf(int qtKey);
void noteKeyPressed(int virtualKey);
void noteKeyReleased(int virtualKey);
void forgetTrackedKeys();
// Forces the tracked state even where an X display exists (tests, or a server without XKB).
void useTrackedKeyState(bool on);

// True when a key release that Qt did not mark as an auto-repeat still leaves the key down on
// the X server: Qt recognises X's repeat pairs only when the press is already queued behind
// the release, and the server's keymap keeps a repeating key down throughout. Always false
// without an X display.
bool releaseIsAutoRepeat(int virtualKey);

// Implemented without Qt in x11_keys.cpp: whether the key with the X keysym is down on the
// display's keyboard now.
bool x11KeyHeld(void* display, unsigned long keysym);
// Also without Qt: whether an X display of that name (null: $DISPLAY) can be opened, so that
// start-up can refuse instead of letting Qt abort.
bool x11DisplayOpens(const char* name);
