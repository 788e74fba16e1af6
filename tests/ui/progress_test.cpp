// Events posted from other threads, and the progress requester that waits for them.
#include "runtime/ui/event_queue.h"
#include "runtime/ui/posted_events.h"
#include "runtime/ui/progress.h"
#include "runtime/ui/window_internal.h"
#include "tests/support/modal_driver.h"
#include "tests/ui/ui_test_support.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Taken {
    int32_t code;
    int object;
    int32_t kind;
    bool operator==(const Taken&) const = default;
};

// Waits until `count` events of work on other threads have been handed out (or two seconds
// passed); the window's own events (activation as dialogs come and go) are left out.
std::vector<Taken> takeRuntimeEvents(size_t count) {
    std::vector<Taken> taken;
    QElapsedTimer clock;
    clock.start();
    while (taken.size() < count && clock.elapsed() < 2000) {
        const int32_t code = pollEvent(10);
        if (code == EventCode::TaskDone || code == EventCode::TaskProgress)
            taken.push_back({code, eventObject(), eventKind()});
    }
    return taken;
}

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(openActiveWindow(0, 300, 200, "owner"), nullptr); }
    void TearDown() override {
        closeWindow(0);
        takeEvents();
    }
};

TEST_F(ProgressTest, EventsFromAnotherThreadArriveInOrderAsRuntimeEvents) {
    constexpr int COUNT = 200;
    std::thread worker([] {
        for (int i = 1; i <= COUNT; ++i) postEventFromAnyThread(EventCode::TaskProgress, 0, i, i * 3);
        postEventFromAnyThread(EventCode::TaskDone, 0, 99, 0);
    });
    const std::vector<Taken> taken = takeRuntimeEvents(COUNT + 1);
    worker.join();
    ASSERT_EQ(taken.size(), static_cast<size_t>(COUNT + 1));
    for (int i = 1; i <= COUNT; ++i) EXPECT_EQ(taken[i - 1], (Taken{EventCode::TaskProgress, i, i * 3}));
    EXPECT_EQ(taken.back(), (Taken{EventCode::TaskDone, 99, 0}));
    EXPECT_EQ(eventWindow(), 0);
}

TEST_F(ProgressTest, WorkDoneAlreadyShowsNoDialog) {
    ModalDriver script;
    EXPECT_EQ(progressDialog("Next picture", "Looking", 5, EventCode::TaskProgress, 0, [] { return true; }),
              1);
    EXPECT_EQ(script.stepsRun(), 0);
    EXPECT_EQ(script.closedUnanswered(), 0);
}

// The bar follows the progress of its own work, which is not queued; everything else is, and
// the work's end closes the dialog and still reaches the application.
TEST_F(ProgressTest, BarFollowsItsWorkAndTheEndClosesTheDialog) {
    std::atomic<bool> done{false};
    QString title, text;
    int barDuring = -1;
    int startValue = -1;
    std::thread worker;
    ModalDriver script;
    script.then([&](QWidget* w) {
        title = w->windowTitle();
        text = w->findChild<QLabel*>("text")->text();
        auto* bar = w->findChild<QProgressBar*>("bar");
        startValue = bar->value();
        worker = std::thread([&] {
            postEventFromAnyThread(EventCode::TaskProgress, 0, 7, 640);
            postEventFromAnyThread(EventCode::TaskProgress, 0, 8, 300);  // another work's
        });
        (void)QTest::qWaitFor([bar] { return bar->value() == 640; }, 2000);
        barDuring = bar->value();
        worker.join();
        worker = std::thread([&] {
            done = true;
            postEventFromAnyThread(EventCode::TaskDone, 0, 7, 0);
        });
    });
    EXPECT_EQ(progressDialog("Next picture", "Looking for pictures", 7, EventCode::TaskProgress, 125,
                             [&] { return done.load(); }),
              1);
    if (worker.joinable()) worker.join();
    EXPECT_EQ(script.stepsRun(), 1);
    EXPECT_EQ(script.closedUnanswered(), 0);
    EXPECT_EQ(title, "Next picture");
    EXPECT_EQ(text, "Looking for pictures");
    EXPECT_EQ(startValue, 125);
    EXPECT_EQ(barDuring, 640);
    // Had the bar's own progress been queued, it would come first.
    EXPECT_EQ(takeRuntimeEvents(2),
              (std::vector<Taken>{{EventCode::TaskProgress, 8, 300}, {EventCode::TaskDone, 7, 0}}));
    EXPECT_EQ(modalDepth(), 0);
}

TEST_F(ProgressTest, CancelEscapeAndTheCloseBoxGiveUpWaiting) {
    const std::function<void(QWidget*)> ways[] = {
        [](QWidget* w) { w->findChild<QPushButton*>("cancel")->click(); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](QWidget* w) { w->close(); },
    };
    for (const auto& way : ways) {
        ModalDriver script;
        script.then(way);
        EXPECT_EQ(
            progressDialog("Next picture", "Looking", 3, EventCode::TaskProgress, 0, [] { return false; }),
            0);
        EXPECT_EQ(script.stepsRun(), 1);
        EXPECT_EQ(script.closedUnanswered(), 0);
    }
    // With the dialog gone its work's progress is an ordinary event again.
    std::thread([] { postEventFromAnyThread(EventCode::TaskProgress, 0, 3, 10); }).join();
    EXPECT_EQ(takeRuntimeEvents(1), (std::vector<Taken>{{EventCode::TaskProgress, 3, 10}}));
}

}  // namespace
