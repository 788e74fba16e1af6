#include "app/event_loop.h"

#include "runtime/ui/events.h"

LoopAction run_event_loop() {
    ignore_escape_until_released();
    for (;;) {
        const int32_t code = waitEvent();
        // Escape is tested before the event is handled: the event is then dropped.
        LoopAction action = poll_keys();
        if (action != LoopAction::Continue) {
            return action;
        }
        action = handle_event(code);
        if (action != LoopAction::Continue) {
            return action;
        }
    }
}
