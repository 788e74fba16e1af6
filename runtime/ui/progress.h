#pragma once
// A requester that waits for work running on another thread, with a way out.
#include <cstdint>
#include <functional>
#include <string>

// Shows a modal dialog with the title, the text, a progress bar starting at `startThousandths`
// and a "Cancel" button, held back like every requester, until `done` answers true or the user
// cancels. `done` is asked when the dialog opens and whenever an event for `object` arrives from
// another thread (postEventFromAnyThread), after that event was posted. Such events with code
// `progressCode` set the bar to their kind, in thousandths, and are not queued; all others are
// posted as usual, so the application's loop still gets them.
// Returns 1 when done, 0 after Cancel, Escape or the close box (the work is not stopped: that is
// the caller's choice).
int progressDialog(const std::string& title, const std::string& text, int object, int32_t progressCode,
                   int startThousandths, const std::function<bool()>& done);
