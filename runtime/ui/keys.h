#pragma once
// Whether a key is held at the moment of the call, whichever window has the focus.

namespace VirtualKey {
enum : int { Tab = 0x09, Return = 0x0D, Escape = 0x1B, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28 };
}

// Nonzero when the key (a virtual key code) is down now.
int keyHeldNow(int virtualKey);
