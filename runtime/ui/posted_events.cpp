// Events from other threads, over Qt's cross-thread event posting.
//
// QCoreApplication::postEvent is safe from any thread and wakes the user-interface thread's
// event processing; the receiver lives on that thread and turns each Qt event into a runtime
// event there. The receiver pointer is guarded so that a thread posting while the runtime stops
// never reaches a deleted receiver.
#include "runtime/ui/posted_events.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/posted_events_internal.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <mutex>
#include <utility>

namespace {

const QEvent::Type CROSS_THREAD_EVENT = static_cast<QEvent::Type>(QEvent::registerEventType());

class CrossThreadEvent : public QEvent {
public:
    CrossThreadEvent(int32_t eventCode, int eventWindow, int eventObject, int32_t eventKind)
        : QEvent(CROSS_THREAD_EVENT),
          code(eventCode),
          window(eventWindow),
          object(eventObject),
          kind(eventKind) {}
    const int32_t code;
    const int window;
    const int object;
    const int32_t kind;
};

PostedEventWatcher watcher;

class Receiver : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() != CROSS_THREAD_EVENT) return QObject::event(event);
        const auto* posted = static_cast<CrossThreadEvent*>(event);
        // A change the program makes to a control suppresses every event posted meanwhile; this
        // one has nothing to do with it, so it waits until the change is over.
        if (programChangeRunning()) {
            QCoreApplication::postEvent(
                this, new CrossThreadEvent(posted->code, posted->window, posted->object, posted->kind));
            return true;
        }
        if (watcher && watcher(posted->code, posted->window, posted->object, posted->kind)) return true;
        postEvent(posted->code, posted->window, posted->object, posted->kind);
        return true;
    }
};

std::mutex receiverLock;
Receiver* receiver = nullptr;

}  // namespace

void postEventFromAnyThread(int32_t code, int window, int object, int32_t kind) {
    const std::lock_guard<std::mutex> hold(receiverLock);
    if (receiver) QCoreApplication::postEvent(receiver, new CrossThreadEvent(code, window, object, kind));
}

void startPostedEvents() {
    const std::lock_guard<std::mutex> hold(receiverLock);
    if (!receiver) receiver = new Receiver;
}

void stopPostedEvents() {
    Receiver* gone = nullptr;
    {
        const std::lock_guard<std::mutex> hold(receiverLock);
        gone = std::exchange(receiver, nullptr);
    }
    // Deleting the receiver drops the events still on their way to it.
    delete gone;
    watcher = nullptr;
}

void setPostedEventWatcher(PostedEventWatcher newWatcher) { watcher = std::move(newWatcher); }
