#pragma once
// The user-interface thread's side of postEventFromAnyThread. Internal to runtime/ui.
#include <cstdint>
#include <functional>

// Creates (and removes) the receiver that takes events from other threads; the runtime's start
// and stop call them.
void startPostedEvents();
void stopPostedEvents();

// Sees every event from another thread before it is posted, on the user-interface thread; true
// keeps it from the queue. Empty: none. A requester that waits for such events sets it for its
// lifetime.
using PostedEventWatcher = std::function<bool(int32_t code, int window, int object, int32_t kind)>;
void setPostedEventWatcher(PostedEventWatcher watcher);
