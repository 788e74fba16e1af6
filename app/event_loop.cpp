#include "app/event_loop.h"

#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"

LoopAction loop_step(int32_t code) {
    // A menu that is shown takes the keys, and one that just closed may have been closed by the
    // Escape held now.
    if (code == EventCode::MenuClosed || menuShown() != 0) {
        ignore_escape_until_released();
    }
    // Escape is tested before the event is handled: the event is then dropped.
    const LoopAction action = poll_keys();
    if (action != LoopAction::Continue) {
        return action;
    }
    return handle_event(code);
}

LoopAction run_event_loop() {
    ignore_escape_until_released();
    for (;;) {
        const LoopAction action = loop_step(waitEvent());
        if (action != LoopAction::Continue) {
            return action;
        }
    }
}
