#pragma once
// A shown test window and helpers to read what the runtime queued.
#include "runtime/ui/event_queue.h"
#include "runtime/ui/events.h"
#include "runtime/ui/wait_internal.h"
#include "runtime/ui/window_internal.h"

#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <vector>

struct QueuedEvent {
    int32_t code;
    int object;
    int32_t kind;
    bool operator==(const QueuedEvent&) const = default;
};

inline void PrintTo(const QueuedEvent& e, std::ostream* out) {
    *out << "{" << e.code << ", " << e.object << ", 0x" << std::hex << e.kind << std::dec << "}";
}

class WindowTest : public ::testing::Test {
protected:
    static constexpr int WINDOW = 3;

    void SetUp() override {
        ASSERT_NE(openWindow(WINDOW, 0, 0, 320, 240, "test window", 0xCA0001), 0);
        frame = windowRecord(WINDOW)->frame;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
        native = frame->windowHandle();
        flush();
    }
    void TearDown() override {
        closeWindow(WINDOW);
        flush();
    }

    // Forgets everything recorded or queued so far.
    static void flush() {
        QCoreApplication::processEvents();
        discardPlatformNotifications();
        while (takeQueuedEvent() != 0) {
        }
    }
    // Takes every queued event; `each` runs while the event is current.
    template <typename Each>
    static std::vector<QueuedEvent> takeAll(Each each) {
        std::vector<QueuedEvent> taken;
        while (const int32_t code = takeQueuedEvent()) {
            taken.push_back({code, eventObject(), eventKind()});
            each();
        }
        return taken;
    }
    static std::vector<QueuedEvent> takeAll() {
        return takeAll([] {});
    }

    QWidget* frame = nullptr;
    QWindow* native = nullptr;
};
