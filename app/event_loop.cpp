#include "app/event_loop.h"

#include "app/shell_ids.h"

#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"

LoopAction loop_step(int32_t code) {
    // A menu that is shown takes the keys, and one that just closed may have been closed by the
    // Escape held now. The Pictures window's Escape closes that window: its press reaches the
    // loop (as a key notification) before the command that closes the window.
    if (code == EventCode::MenuClosed || menuShown() != 0 || activeWindow() == PicturesWindow) {
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
