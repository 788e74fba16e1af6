// The queue, the bindings and the current event, without any window.
#include "runtime/ui/event_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;
int liveBlocks = 0;

struct Block {
    int value;
};

Block* makeBlock(int value) {
    ++liveBlocks;
    return new Block{value};
}
void releaseBlock(void* data) {
    --liveBlocks;
    delete static_cast<Block*>(data);
}

class EventQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEventSystem();
        calls.clear();
        liveBlocks = 0;
    }
    void TearDown() override {
        resetEventSystem();
        EXPECT_EQ(liveBlocks, 0) << "an event's data was leaked or released twice";
    }
};

TEST_F(EventQueueTest, RepeatedEventCoalescesAndKeepsTheFirstData) {
    postEvent(EventCode::Control, 0, 0, 0x10003, makeBlock(1), releaseBlock);
    postEvent(EventCode::Control, 0, 0, 0x10003, makeBlock(2), releaseBlock);
    EXPECT_EQ(liveBlocks, 1) << "the dropped event's data is released at once";
    ASSERT_EQ(takeQueuedEvent(), EventCode::Control);
    EXPECT_EQ(static_cast<Block*>(currentEventData())->value, 1);
    EXPECT_EQ(takeQueuedEvent(), 0) << "one event stands for both";
    EXPECT_EQ(currentEventData(), nullptr);
    EXPECT_EQ(liveBlocks, 0) << "the data is released when the next event is taken";
}

TEST_F(EventQueueTest, OnlyAnIdenticalNewestEventCoalesces) {
    postEvent(EventCode::Control, 0, 1, 0);
    postEvent(EventCode::Control, 0, 2, 0);
    postEvent(EventCode::Control, 0, 1, 0);  // same as an older one, not the newest
    postEvent(EventCode::Control, 0, 1, 4);  // other kind
    postEvent(EventCode::Control, 1, 1, 4);  // other window
    postEvent(70000, 0, 0, 0);
    postEvent(70000, 0, 0, 0);  // codes from 65536 up never coalesce
    int taken = 0;
    while (takeQueuedEvent() != 0) ++taken;
    EXPECT_EQ(taken, 7);
}

TEST_F(EventQueueTest, QueuedEventsAreHandedOutInOrderWithTheirFields) {
    postEvent(EventCode::Menu, 0, 14, 0);
    postEvent(EventCode::CloseWindow, 0, 0, 0);
    ASSERT_EQ(takeQueuedEvent(), EventCode::Menu);
    EXPECT_EQ(eventObject(), 14);
    EXPECT_EQ(eventKind(), 0);
    EXPECT_EQ(eventParam(), 0);
    EXPECT_EQ(takeQueuedEvent(), EventCode::CloseWindow);
    setPlatformNotification(522, 120 << 16, 0);
    EXPECT_EQ(eventKind(), -1);
    EXPECT_EQ(eventParam() >> 16, 120);
    EXPECT_EQ(eventObject(), 0);
}

#define PROCEDURE(name) [] { calls.push_back(name); }

TEST_F(EventQueueTest, BindingsRunInKeyOrderNewestFirst) {
    bindEvent(EventCode::Control, -1, 3, 0, PROCEDURE("code,any,object,kind"));
    bindEvent(EventCode::Control, -1, -1, -1, PROCEDURE("code"));
    bindEvent(EventCode::Control, 0, -1, -1, PROCEDURE("code,window"));
    bindEvent(EventCode::Control, 0, 3, -1, PROCEDURE("code,window,object"));
    bindEvent(EventCode::Control, 0, 3, 0, PROCEDURE("exact, older"));
    bindEvent(EventCode::Control, 0, 3, 0, PROCEDURE("exact, newer"));
    bindEvent(EventCode::Control, 0, 4, -1, PROCEDURE("other object"));
    postEvent(EventCode::Control, 0, 3, 0);
    const std::vector<std::string> expected = {"exact, newer", "exact, older", "code,window,object",
                                               "code,window",  "code",         "code,any,object,kind"};
    EXPECT_EQ(calls, expected);
}

int seenValue = 0;

TEST_F(EventQueueTest, ProceduresSeeEveryPostedEventEvenWhenItCoalesces) {
    bindEvent(EventCode::Control, 0, 1, -1, [] {
        calls.push_back("run");
        // The data of a dropped event must still be readable here.
        seenValue = static_cast<Block*>(currentEventData())->value;
    });
    postEvent(EventCode::Control, 0, 1, 0, makeBlock(1), releaseBlock);
    postEvent(EventCode::Control, 0, 1, 0, makeBlock(2), releaseBlock);
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(seenValue, 2);
    EXPECT_EQ(currentEventCode(), 0) << "the current event is put back after the procedures";
}

TEST_F(EventQueueTest, ProgramInitiatedChangesPostNothing) {
    bindEvent(EventCode::Control, 0, 1, -1, PROCEDURE("run"));
    {
        ProgramChange quiet;
        { ProgramChange nested; }
        EXPECT_TRUE(programChangeRunning()) << "the counter nests";
        postEvent(EventCode::Control, 0, 1, 0, makeBlock(1), releaseBlock);
    }
    EXPECT_FALSE(programChangeRunning());
    EXPECT_TRUE(eventQueueEmpty());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(liveBlocks, 0);
}

TEST_F(EventQueueTest, ForgettingAWindowDropsItsEventsAndBindings) {
    bindEvent(EventCode::Control, 1, 0, -1, PROCEDURE("window 1"));
    bindEvent(EventCode::Control, 0, 0, -1, PROCEDURE("window 0"));
    postEvent(EventCode::Control, 1, 0, 0, makeBlock(1), releaseBlock);
    postEvent(EventCode::Control, 0, 0, 0);
    forgetWindowEvents(1);
    EXPECT_EQ(liveBlocks, 0);
    calls.clear();
    postEvent(EventCode::Control, 1, 0, 0);
    postEvent(EventCode::Control, 0, 0, 5);
    EXPECT_EQ(calls, std::vector<std::string>{"window 0"});
    ASSERT_EQ(takeQueuedEvent(), EventCode::Control);
    EXPECT_EQ(eventWindow(), 0);
}

}  // namespace
