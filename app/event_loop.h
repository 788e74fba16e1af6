#pragma once
// The one loop: wait for an event, poll the keys, handle the event.
#include "app/commands.h"

// Runs until the close box, "Quit" or Escape (Quit), or a failed load (QuitWithoutSaving).
[[nodiscard]] LoopAction run_event_loop();
