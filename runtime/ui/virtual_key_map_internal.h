#pragma once
// Mapping between Qt key events and the virtual key codes in which the runtime's callers
// name keys (letters 0x41-0x5A, main-row digits 0x30-0x39, keypad digits 0x60-0x69...).
#include <Qt>

#include <cstdint>

// The virtual key code of a Qt key as pressed with the given modifiers, or 0 for a key the
// runtime has no code for. A keypad key (Qt::KeypadModifier) maps to the keypad's own codes,
// so keypad 1 never matches main-row 1. With Shift held, the shifted symbols of the main row
// ("!" for Shift+1 on a US layout) map back to the key's unshifted code.
[[nodiscard]] uint16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
