#include "runtime/ui/statusbar.h"

#include "runtime/ui/statusbar_layout.h"
#include "runtime/ui/window_internal.h"
#include "tests/ui/ui_test_support.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr int SHARED = STATUS_FIELD_SHARED;

TEST(StatusFieldEdgesTest, FixedAndSharedWidths) {
    EXPECT_EQ(statusFieldEdges({600}, 620), std::vector<int>{600});
    EXPECT_EQ(statusFieldEdges({100, SHARED}, 500), (std::vector<int>{100, 500}));
    // Two shared fields split what 50 fixed pixels leave of 251, rounding down.
    EXPECT_EQ(statusFieldEdges({SHARED, 50, SHARED}, 251), (std::vector<int>{100, 150, 250}));
    // Fixed fields wider than the bar keep their edges; a shared one gets a negative share.
    EXPECT_EQ(statusFieldEdges({300, SHARED, 300}, 500), (std::vector<int>{300, 200, 500}));
    EXPECT_TRUE(statusFieldEdges({}, 500).empty());
}

class StatusBarTest : public ::testing::Test {
protected:
    void TearDown() override {
        closeWindow(0);
        takeEvents();
    }
    static QWidget* bar() { return windowRecord(0)->statusBar; }
};

TEST_F(StatusBarTest, LiesAlongTheBottomWithoutShrinkingTheClient) {
    ASSERT_NE(openActiveWindow(0, 620, 602), nullptr);
    QWidget* client = windowRecord(0)->client;
    const QRect before = client->geometry();
    ASSERT_NE(createStatusBar(0, windowHandle(0)), 0);
    addStatusField(600);

    EXPECT_EQ(client->geometry(), before);
    ASSERT_NE(bar(), nullptr);
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_GE(bar()->height(), 18);
    const QRect placed(bar()->mapTo(windowRecord(0)->frame, QPoint(0, 0)), bar()->size());
    EXPECT_EQ(placed.left(), client->geometry().left());
    EXPECT_EQ(placed.width(), 620);
    EXPECT_EQ(placed.bottom(), client->geometry().bottom());

    EXPECT_EQ(statusFieldRightEdge(0, 0), 600);
    EXPECT_EQ(statusFieldRightEdge(0, 1), -1);
    EXPECT_EQ(statusFieldRightEdge(3, 0), -1);
}

TEST_F(StatusBarTest, SharedFieldTakesTheRest) {
    ASSERT_NE(openActiveWindow(0, 500, 200), nullptr);
    ASSERT_NE(createStatusBar(0, windowHandle(0)), 0);
    addStatusField(100);
    addStatusField(SHARED);
    EXPECT_EQ(statusFieldRightEdge(0, 0), 100);
    EXPECT_EQ(statusFieldRightEdge(0, 1), 500);
}

TEST_F(StatusBarTest, TextsByBarAndField) {
    ASSERT_NE(openActiveWindow(0, 620, 200), nullptr);
    ASSERT_NE(createStatusBar(0, windowHandle(0)), 0);
    // Before any field is added the bar has one reaching its right end.
    EXPECT_EQ(statusFieldRightEdge(0, 0), 620);
    EXPECT_EQ(setStatusText(0, 0, "early", StatusFlag::NoBorder), 1);
    addStatusField(600);
    EXPECT_EQ(statusText(0, 0), "early");

    EXPECT_EQ(setStatusText(0, 0, "0000 w:8", StatusFlag::NoBorder), 1);
    EXPECT_EQ(statusText(0, 0), "0000 w:8");
    EXPECT_EQ(setStatusText(0, 1, "past the fields", 0), 0);
    EXPECT_EQ(setStatusText(4, 0, "no such bar", 0), 0);
    EXPECT_EQ(statusText(4, 0), "");
    EXPECT_TRUE(takeEvents().empty());

    for (int i = 0; i < 300; ++i) addStatusField(1);
    EXPECT_EQ(statusFieldRightEdge(0, 255), 600 + 255);
    EXPECT_EQ(statusFieldRightEdge(0, 256), -1);
}

TEST_F(StatusBarTest, BorderlessFieldAndTheRestShowTheBarBackground) {
    ASSERT_NE(openActiveWindow(0, 620, 200), nullptr);
    ASSERT_NE(createStatusBar(0, windowHandle(0)), 0);
    addStatusField(600);
    const auto uniform = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != image.pixel(0, 0)) return false;
        return true;
    };
    setStatusText(0, 0, "", StatusFlag::NoBorder);
    EXPECT_TRUE(uniform(bar()->grab().toImage()));
    setStatusText(0, 0, "", StatusFlag::Plain);
    const QImage bordered = bar()->grab().toImage();
    EXPECT_FALSE(uniform(bordered));
    // The 20 pixels past the field are plain background.
    EXPECT_TRUE(uniform(bordered.copy(602, 0, 18, bordered.height())));
    setStatusText(0, 0, "text", StatusFlag::NoBorder);
    EXPECT_FALSE(uniform(bar()->grab().toImage()));
}

TEST_F(StatusBarTest, BarOfAClosedWindowIsUnknown) {
    ASSERT_NE(openActiveWindow(0, 620, 200), nullptr);
    ASSERT_NE(createStatusBar(0, windowHandle(0)), 0);
    addStatusField(600);
    closeWindow(0);
    EXPECT_EQ(setStatusText(0, 0, "gone", StatusFlag::NoBorder), 0);
    EXPECT_EQ(statusFieldRightEdge(0, 0), -1);
    addStatusField(10);
    EXPECT_EQ(createStatusBar(1, windowHandle(0)), 0);
}

}  // namespace
