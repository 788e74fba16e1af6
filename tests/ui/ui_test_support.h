#pragma once
// Shared by the windowing tests: a window to work in and the events it queued.
#include "runtime/ui/events.h"
#include "runtime/ui/window_internal.h"

#include <QApplication>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <vector>

struct PostedEvent {
    int code;
    int window;
    int object;
};

// Hands out everything waiting, keeping the runtime events (codes 13100 and above).
inline std::vector<PostedEvent> takeEvents() {
    std::vector<PostedEvent> events;
    for (int i = 0; i < 10000; ++i) {
        const int code = pollEvent(0);
        if (code == 0) break;
        if (code >= EventCode::Control) events.push_back({code, eventWindow(), eventObject()});
    }
    return events;
}

// The ids of the menu events waiting, in order.
inline std::vector<int> takeMenuIds(int window = 0) {
    std::vector<int> ids;
    for (const PostedEvent& e : takeEvents()) {
        if (e.code == EventCode::Menu) {
            EXPECT_EQ(e.window, window);
            ids.push_back(e.object);
        }
    }
    return ids;
}

// Opens a numbered window of the given client size, active and with no event waiting.
inline QWidget* openActiveWindow(int number, int width, int height, const char* title = "test") {
    if (!openWindow(number, 0, 0, width, height, title, 0xCA0001)) return nullptr;
    QWidget* frame = windowRecord(number)->frame;
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
    takeEvents();
    return frame;
}
