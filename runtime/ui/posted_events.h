#pragma once
// The one way into the event queue from another thread. Every other operation of the runtime
// belongs to the user-interface thread.
#include <cstdint>

// Safe from any thread. Hands the event to the user-interface thread, which posts it there as
// any runtime event (queued, bound procedures run) the next time it processes its events (in
// waitEvent or a requester's loop); events posted by one thread arrive in the order posted.
// Before startUi and after stopUi the event is dropped.
void postEventFromAnyThread(int32_t code, int window, int object, int32_t kind);
