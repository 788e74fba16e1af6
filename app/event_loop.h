#pragma once
// The one loop: wait for an event, poll the keys, handle the event.
#include <cstdint>

#include "app/commands.h"

// One turn of the loop for what waitEvent returned: the key polling, then the event. While a
// menu is shown, or when one has just closed, or while the Pictures window has the keyboard, a
// held Escape first waits for its release: that press belongs to the menu or that window.
[[nodiscard]] LoopAction loop_step(int32_t code);

// Runs until the close box, "Quit" or Escape (Quit).
[[nodiscard]] LoopAction run_event_loop();
