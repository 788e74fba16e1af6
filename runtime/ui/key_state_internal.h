#pragma once
// Key state for the polling of the event loop. Internal to runtime/ui; holds no Qt type.
//
// On X11 the server's keymap answers, so a key counts as held whichever window (of any program)
// has the focus. Where there is no X display (the offscreen platform, Wayland) the answer comes
// from the presses and releases the application's own windows receive, and is forgotten when
// they lose the focus, since the releases then go elsewhere. Key events are turned into virtual
// keys by virtual_key_map_internal.h.

void noteKeyPressed(int virtualKey);
void noteKeyReleased(int virtualKey);
void forgetTrackedKeys();
// Forces the tracked state even where an X display exists (tests, or a server without XKB).
void useTrackedKeyState(bool on);

// True when a key release that Qt did not mark as an auto-repeat still leaves the key (by its
// native scan code, the X keycode) down on the X server: Qt recognises X's repeat pairs only
// when the press is already queued behind the release, and the server's keymap keeps a
// repeating key down throughout. Always false without an X display.
bool releaseIsAutoRepeat(unsigned scanCode);

// The digit (0-9) that the main keyboard row has on the physical key with this native scan
// code, whatever the layout makes it type; -1 for every other key and for 0 (no scan code).
// On X the key is known by its XKB name (AE01 ... AE10); elsewhere the scan code is taken as
// an evdev keycode, as Wayland and XKB deliver it.
int digitRowDigit(unsigned scanCode);

// Implemented without Qt in x11_keys.cpp:
// Whether the key with the X keysym is down on the display's keyboard now, or, given a keypad
// keysym, the keypad key with it while the keypad sends its navigation keys (Num Lock off, or
// on with Shift held, as the keypad's own levels have it).
bool x11KeyHeld(void* display, unsigned long keysym, unsigned long keypadKeysym = 0);
// Whether the key with this X keycode is down now.
bool x11KeycodeHeld(void* display, unsigned keycode);
// The digit of the main row whose XKB key name (AE01 ... AE10) the keycode has, or -1.
int x11DigitRowDigit(void* display, unsigned keycode);
// Whether an X display of that name (null: $DISPLAY) can be opened, so that start-up can refuse
// instead of letting Qt abort.
bool x11DisplayOpens(const char* name);
// The digit that an evdev keycode (kernel code + 8) of the main row stands for, or -1.
int evdevDigitRowDigit(unsigned keycode);
