#pragma once
// The one mapping between keys as Qt reports them and the virtual key codes in which the
// runtime's callers name keys (letters 0x41-0x5A, main-row digits 0x30-0x39, keypad digits
// 0x60-0x69, F1-F24 0x70-0x87...), and from those codes to the X keysyms that the keymap query
// looks for. Internal to runtime/ui.
#include <Qt>
#include <cstdint>

class QKeyEvent;

// The virtual key of a key event, or 0 for a key the runtime has no code for. Virtual keys name
// a key's place on the keyboard, Qt reports the symbol it produced: the main row's digits are
// therefore matched by their physical key (the event's native scan code), so that the key where
// 2 sits is 0x32 on every layout; every other key goes by its symbol, so letters follow the
// layout.
[[nodiscard]] uint16_t virtualKeyOf(const QKeyEvent& event);

// The virtual key of a Qt key by its symbol alone. A keypad key (Qt::KeypadModifier) maps to the
// keypad's own codes, so keypad 1 never matches main-row 1; with Num Lock off the keypad's
// navigation keys share the main codes. The shifted symbols of the US main row ("!" for
// Shift+1) map back to their key's code.
[[nodiscard]] uint16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// X keysyms to look for when asking whether a virtual key is down: the key's own and, for the
// keys that the keypad repeats while it is not typing digits (arrows, Home, End, Page Up and
// Down, Insert, Delete, the middle key), the keypad key's. 0 where there is none.
struct KeySymbols {
    unsigned long main = 0;
    unsigned long keypad = 0;
};
[[nodiscard]] KeySymbols keySymbolsOf(int virtualKey);
