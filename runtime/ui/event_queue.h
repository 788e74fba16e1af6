#pragma once
// The runtime's event queue, bindings and current-event record. Toolkit-free, so the
// coalescing and binding rules are tested without a display. Internal to runtime/ui.
#include <cstdint>

#include "runtime/ui/events.h"

using EventRelease = void (*)(void* data);

// Posts an event: nothing at all while a program-initiated change is running; otherwise
// queued unless it repeats the newest queued event (same code < 65536, window, object and
// kind: the new one and its data are dropped), and then the bound procedures run with the
// posted event as the current event, whether it was queued or dropped.
void postEvent(int32_t code, int window, int object, int32_t kind, void* data = nullptr,
               EventRelease release = nullptr);

// Binds a procedure under the key (code, window, object, kind), -1 standing for any value.
// The newest binding under a key runs first.
void bindEvent(int32_t code, int window, int object, int32_t kind, EventProcedure procedure);
// Drops every queued event and binding of the window (when it closes).
void forgetWindowEvents(int window);

// Raises the program-initiated-change counter for its lifetime.
class ProgramChange {
public:
    ProgramChange();
    ~ProgramChange();
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;
};
bool programChangeRunning();

// Wait steps 1-3: releases the current event's data, clears the current record, and if the
// queue holds an event makes the oldest current and returns its code; else returns 0.
int32_t takeQueuedEvent();
// Records a platform notification as the current event (kind -1, object 0).
void setPlatformNotification(int32_t number, int32_t param1, int32_t param2);
bool eventQueueEmpty();
// Drops every queued event (releasing its data), every binding and the current event: the
// event system as it is before the first post. Used when the runtime stops.
void resetEventSystem();

// The current event's data (null when none) and code.
void* currentEventData();
int32_t currentEventCode();
