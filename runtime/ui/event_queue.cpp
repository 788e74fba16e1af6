// The event queue, the bindings and the current-event record. Everything lives on the one
// user-interface thread, so nothing is locked.
#include "runtime/ui/event_queue.h"

#include <deque>
#include <map>
#include <tuple>
#include <vector>

namespace {

struct UiEvent {
    int32_t code = 0;
    int window = -1;
    int object = 0;
    int32_t kind = -1;
    void* data = nullptr;
    EventRelease release = nullptr;
};

struct CurrentEvent {
    UiEvent event;
    int32_t param1 = 0;
    int32_t param2 = 0;
};

using BindingKey = std::tuple<int32_t, int, int, int32_t>;

std::deque<UiEvent> queue;
// Newest binding last; the lists are walked backwards.
std::map<BindingKey, std::vector<EventProcedure>> bindings;
CurrentEvent current;
int programChanges = 0;

void releaseData(UiEvent& event) {
    if (event.data && event.release) event.release(event.data);
    event.data = nullptr;
    event.release = nullptr;
}

void runBindings(const UiEvent& event) {
    const BindingKey keys[] = {
        {event.code, event.window, event.object, event.kind},
        {event.code, event.window, event.object, -1},
        {event.code, event.window, -1, -1},
        {event.code, -1, -1, -1},
        {event.code, -1, event.object, event.kind},
    };
    // Two keys can coincide when the event itself carries -1 fields; a procedure still runs
    // once per key it is bound under, as the lookup order lists them.
    for (const BindingKey& key : keys) {
        auto found = bindings.find(key);
        if (found == bindings.end()) continue;
        // A procedure may bind or post in turn, which may change the list under our feet.
        const std::vector<EventProcedure> procedures = found->second;
        for (auto it = procedures.rbegin(); it != procedures.rend(); ++it) (*it)();
    }
}

}  // namespace

void postEvent(int32_t code, int window, int object, int32_t kind, void* data, EventRelease release) {
    if (programChanges > 0) {
        if (data && release) release(data);
        return;
    }
    UiEvent event{code, window, object, kind, data, release};
    bool dropped = false;
    if (!queue.empty() && code < 65536) {
        const UiEvent& newest = queue.back();
        dropped =
            newest.code == code && newest.window == window && newest.object == object && newest.kind == kind;
    }
    if (!dropped) queue.push_back(event);

    // The procedures see the posted event, dropped or not; a dropped event's data therefore
    // lives until they have run.
    const CurrentEvent saved = current;
    current.event = event;
    runBindings(event);
    current = saved;
    if (dropped) releaseData(event);
}

void bindEvent(int32_t code, int window, int object, int32_t kind, EventProcedure procedure) {
    if (!procedure) return;
    bindings[BindingKey{code, window, object, kind}].push_back(procedure);
}

void forgetWindowEvents(int window) {
    for (auto it = queue.begin(); it != queue.end();) {
        if (it->window == window) {
            releaseData(*it);
            it = queue.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = bindings.begin(); it != bindings.end();) {
        if (std::get<1>(it->first) == window)
            it = bindings.erase(it);
        else
            ++it;
    }
    if (current.event.window == window) {
        releaseData(current.event);
        current = CurrentEvent{};
    }
}

ProgramChange::ProgramChange() { ++programChanges; }
ProgramChange::~ProgramChange() { --programChanges; }
bool programChangeRunning() { return programChanges > 0; }

int32_t takeQueuedEvent() {
    releaseData(current.event);
    current = CurrentEvent{};
    if (queue.empty()) return 0;
    current.event = queue.front();
    queue.pop_front();
    return current.event.code;
}

void setPlatformNotification(int32_t number, int32_t param1, int32_t param2) {
    releaseData(current.event);
    current = CurrentEvent{};
    current.event.code = number;
    current.param1 = param1;
    current.param2 = param2;
}

bool eventQueueEmpty() { return queue.empty(); }
void* currentEventData() { return current.event.data; }
int32_t currentEventCode() { return current.event.code; }

int32_t eventObject() { return current.event.object; }
int32_t eventKind() { return current.event.kind; }
int32_t eventParam() { return current.param1; }
int32_t eventWindow() { return current.event.window; }

void resetEventSystem() {
    for (UiEvent& event : queue) releaseData(event);
    queue.clear();
    bindings.clear();
    releaseData(current.event);
    current = CurrentEvent{};
}
