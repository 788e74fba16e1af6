// waitEvent and pollEvent over Qt's event loop.
//
// The loop runs Qt's event processing until either a runtime event is queued or a platform
// input notification is recorded. An application-wide filter records the notifications of the
// numbered windows as their native windows receive them, before Qt hands them to a widget:
// - a key press, every auto-repeat and a real release wake the loop once each (X11 sends an
//   auto-repeat as a release and a press; the release is not counted, also when Qt failed to
//   mark it as a repeat, which the server's keymap then tells);
// - the wheel is recorded and eaten there, so no control scrolls by itself and the program's
//   own handling of the wheel acts once; a canvas with the keyboard focus still gets it;
// - paint requests from the window system (exposure) wake the loop; repaints the program asks
//   for do not, so a held key steps once per repeat and not once per redraw;
// - a popup window of the program that hides (a menu of the bar, a popup menu, a control's own
//   context menu), or the menu bar leaving its walk with the keys, wakes it with
//   EventCode::MenuClosed: menus run inside Qt's dispatch, and without it the loop could not
//   tell that the Escape it sees down has just closed one. It is handed out before anything
//   else that waits, queued events included: the input that opened the menu (a right button
//   press, say) is still waiting behind a menu that ran its own loop, and the key polling after
//   it must already know.
#include "runtime/ui/wait_internal.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/events.h"
#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/ui_dump_internal.h"
#include "runtime/ui/virtual_key_map_internal.h"
#include "runtime/ui/wheel_notches.h"
#include "runtime/ui/window_internal.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <deque>

namespace {

struct Notification {
    int32_t number;
    int32_t param1;
    int32_t param2;
};

// Bounded, so that notifications recorded while nobody waits (a modal dialog's own loop)
// cannot pile up; the oldest go first.
constexpr size_t MAX_NOTIFICATIONS = 256;
std::deque<Notification> notifications;

bool menuClosed = false;

void record(int32_t number, int32_t param1, int32_t param2 = 0) {
    if (notifications.size() >= MAX_NOTIFICATIONS) notifications.pop_front();
    notifications.push_back({number, param1, param2});
}

// Button and modifier bits as a pointer notification's first parameter carries them.
int32_t pointerFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int32_t flags = 0;
    if (buttons & Qt::LeftButton) flags |= 0x01;
    if (buttons & Qt::RightButton) flags |= 0x02;
    if (modifiers & Qt::ShiftModifier) flags |= 0x04;
    if (modifiers & Qt::ControlModifier) flags |= 0x08;
    if (buttons & Qt::MiddleButton) flags |= 0x10;
    return flags;
}

int32_t packPoint(QPointF p) {
    const auto x = static_cast<uint16_t>(static_cast<int16_t>(p.x()));
    const auto y = static_cast<uint16_t>(static_cast<int16_t>(p.y()));
    return static_cast<int32_t>(static_cast<uint32_t>(y) << 16 | x);
}

int32_t wheelParam(int delta, int32_t flags) {
    const int clamped = std::clamp(delta, -32768, 32767);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(clamped)) << 16 |
                                static_cast<uint32_t>(flags & 0xFFFF));
}

bool recordMouse(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int32_t flags = pointerFlags(mouse->buttons(), mouse->modifiers());
    const int32_t where = packPoint(mouse->position());
    if (event->type() == QEvent::MouseMove) {
        record(PlatformNotification::PointerMove, flags, where);
        return false;
    }
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubled = event->type() == QEvent::MouseButtonDblClick;
    int32_t number = 0;
    switch (mouse->button()) {
        case Qt::LeftButton:
            number = doubled ? PlatformNotification::LeftDoubleClick
                     : press ? PlatformNotification::LeftDown
                             : PlatformNotification::LeftUp;
            break;
        case Qt::RightButton:
            number = doubled ? PlatformNotification::RightDoubleClick
                     : press ? PlatformNotification::RightDown
                             : PlatformNotification::RightUp;
            break;
        case Qt::MiddleButton:
            number = doubled ? PlatformNotification::MiddleDoubleClick
                     : press ? PlatformNotification::MiddleDown
                             : PlatformNotification::MiddleUp;
            break;
        default:
            return false;
    }
    record(number, flags, where);
    return false;
}

// The loop moves a fixed distance per wheel notification, so only whole notches are handed
// out; the rest of a fine-grained wheel's movement waits for the next turn.
WheelNotches verticalNotches;
WheelNotches horizontalNotches;

bool recordWheel(QWheelEvent* wheel) {
    const int32_t flags = pointerFlags(wheel->buttons(), wheel->modifiers());
    const QPoint delta = wheel->angleDelta();
    if (const int whole = verticalNotches.take(delta.y()))
        record(EventCode::RawMouseWheel, wheelParam(whole * WheelNotches::UNITS_PER_NOTCH, flags));
    if (const int whole = horizontalNotches.take(delta.x()))
        record(PlatformNotification::HorizontalWheel,
               wheelParam(whole * WheelNotches::UNITS_PER_NOTCH, flags));
    // A canvas that holds the keyboard focus reports the wheel as one of its own events.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->property("pixelsieveCanvas").toBool()) {
        const QPointF local = focus->mapFromGlobal(wheel->globalPosition());
        QWheelEvent copy(local, wheel->globalPosition(), wheel->pixelDelta(), delta, wheel->buttons(),
                         wheel->modifiers(), wheel->phase(), wheel->inverted());
        QCoreApplication::sendEvent(focus, &copy);
    }
    return true;
}

// A popup that hides is a menu closing. So is Escape reaching a menu bar walked with the keys
// (after Alt): it ends the walk.
void noteClosedMenu(const QWidget* widget, const QEvent* event) {
    if (event->type() == QEvent::Hide) {
        if (widget->isWindow() && widget->windowType() == Qt::Popup) menuClosed = true;
    } else if (event->type() == QEvent::KeyPress) {
        const bool escape = static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (escape && menuBarWalked(widget)) menuClosed = true;
    }
}

class InputRecorder : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->isWidgetType()) {
            noteClosedMenu(static_cast<QWidget*>(watched), event);
            return false;
        }
        if (!watched->isWindowType()) return false;
        const QEvent::Type type = event->type();
        switch (type) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::Expose:
            case QEvent::FocusOut:
                break;
            default:
                return false;
        }
        if (windowNumberOfNative(static_cast<QWindow*>(watched)) < 0) return false;

        switch (type) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                const int virtualKey = virtualKeyOf(*key);
                noteKeyPressed(virtualKey);
                record(PlatformNotification::KeyDown, virtualKey);
                return modalDepth() == 0 && translateShortcut(key);
            }
            case QEvent::KeyRelease: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (key->isAutoRepeat() || releaseIsAutoRepeat(key->nativeScanCode())) return false;
                const int virtualKey = virtualKeyOf(*key);
                noteKeyReleased(virtualKey);
                record(PlatformNotification::KeyUp, virtualKey);
                return false;
            }
            case QEvent::Wheel:
                return recordWheel(static_cast<QWheelEvent*>(event));
            case QEvent::Expose:
                record(PlatformNotification::Paint, 0);
                return false;
            case QEvent::FocusOut:
                // The releases of keys held now will go to another window.
                forgetTrackedKeys();
                return false;
            default:
                return recordMouse(event);
        }
    }
};

InputRecorder* recorder = nullptr;

int32_t handOutMenuClosed() {
    menuClosed = false;
    setPlatformNotification(EventCode::MenuClosed, 0, 0);
    return EventCode::MenuClosed;
}

int32_t handOutNotification() {
    const Notification next = notifications.front();
    notifications.pop_front();
    setPlatformNotification(next.number, next.param1, next.param2);
    return next.number;
}

// timeoutMs < 0 waits without limit.
int32_t waitFor(int timeoutMs) {
    if (menuClosed) return handOutMenuClosed();
    if (const int32_t code = takeQueuedEvent()) return code;
    if (!notifications.empty()) return handOutNotification();
    if (!qApp) return 0;
    // Deferred deletions are only carried out by a running event loop, which this is not.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    QTimer wake;
    wake.setSingleShot(true);
    for (;;) {
        if (timeoutMs == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        } else {
            if (timeoutMs > 0) wake.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (menuClosed) return handOutMenuClosed();
        if (!notifications.empty()) return handOutNotification();
        if (!eventQueueEmpty()) return takeQueuedEvent();
        if (timeoutMs >= 0 && (timeoutMs == 0 || deadline.hasExpired())) return 0;
    }
}

}  // namespace

int32_t waitEvent() {
    uiDumpAtFirstWait();
    return waitFor(-1);
}
int32_t pollEvent(int timeoutMs) { return waitFor(std::max(0, timeoutMs)); }

void installInputRecorder() {
    if (recorder || !qApp) return;
    recorder = new InputRecorder;
    qApp->installEventFilter(recorder);
}

void removeInputRecorder() {
    if (!recorder) return;
    if (qApp) qApp->removeEventFilter(recorder);
    delete recorder;
    recorder = nullptr;
}

void discardPlatformNotifications() {
    notifications.clear();
    menuClosed = false;
}
