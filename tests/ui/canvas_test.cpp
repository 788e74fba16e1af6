// The canvas: its picture, the pointer kinds and the attributes of its own events.
#include "window_fixture.h"

#include "runtime/image/image.h"
#include "runtime/ui/controls.h"

#include <QImage>

namespace {

using CanvasTest = WindowTest;

constexpr int CANVAS = 0;
// The canvas lies at (10, 10) of the client, 200 x 150.
const QPoint CANVAS_ORIGIN(10, 10);

struct Seen {
    QueuedEvent event;
    int x;
    int y;
};

std::vector<Seen> takeWithPositions() {
    std::vector<Seen> seen;
    while (const int32_t code = takeQueuedEvent())
        seen.push_back(
            {{code, eventObject(), eventKind()}, controlAttribute(CANVAS, 2), controlAttribute(CANVAS, 3)});
    return seen;
}

std::vector<int32_t> kindsOf(const std::vector<Seen>& seen) {
    std::vector<int32_t> kinds;
    for (const Seen& s : seen) kinds.push_back(s.event.kind);
    return kinds;
}

class CanvasEvents : public CanvasTest {
protected:
    void SetUp() override {
        CanvasTest::SetUp();
        ASSERT_NE(createCanvas(CANVAS, CANVAS_ORIGIN.x(), CANVAS_ORIGIN.y(), 200, 150), 0);
        QTest::mouseMove(native, QPoint(300, 200));  // start outside the canvas
        flush();
    }
    void move(QPoint canvasPoint) { QTest::mouseMove(native, CANVAS_ORIGIN + canvasPoint); }
};

TEST_F(CanvasEvents, EnterThenMoveThenLeave) {
    move({20, 30});
    move({21, 30});
    QTest::mouseMove(native, QPoint(300, 200));
    const std::vector<Seen> seen = takeWithPositions();
    EXPECT_EQ(kindsOf(seen),
              (std::vector<int32_t>{ControlEventKind::PointerEntered, ControlEventKind::PointerMoved,
                                    ControlEventKind::PointerLeft}));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].x, 21);
    EXPECT_EQ(seen[1].y, 30);
}

TEST_F(CanvasEvents, QueuedMovesCoalesceAndAnswerTheFirstPosition) {
    move({20, 30});
    flush();
    move({40, 50});
    move({41, 52});
    const std::vector<Seen> seen = takeWithPositions();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].event, (QueuedEvent{EventCode::Control, CANVAS, ControlEventKind::PointerMoved}));
    EXPECT_EQ(seen[0].x, 40);
    EXPECT_EQ(seen[0].y, 50);
}

TEST_F(CanvasEvents, RightClickInsideGivesKindOneWithTheReleasePosition) {
    move({20, 30});
    flush();
    QTest::mousePress(native, Qt::RightButton, Qt::NoModifier, CANVAS_ORIGIN + QPoint(20, 30));
    move({25, 33});
    QTest::mouseRelease(native, Qt::RightButton, Qt::NoModifier, CANVAS_ORIGIN + QPoint(25, 33));
    const std::vector<Seen> seen = takeWithPositions();
    EXPECT_EQ(kindsOf(seen),
              (std::vector<int32_t>{ControlEventKind::RightDown, ControlEventKind::PointerMoved,
                                    ControlEventKind::RightUp, ControlEventKind::RightClick}));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3].x, 25);
    EXPECT_EQ(seen[3].y, 33);
}

TEST_F(CanvasEvents, RightButtonDraggedOutsidePostsNoRightClick) {
    move({20, 30});
    flush();
    QTest::mousePress(native, Qt::RightButton, Qt::NoModifier, CANVAS_ORIGIN + QPoint(20, 30));
    QTest::mouseMove(native, QPoint(300, 200));
    QTest::mouseRelease(native, Qt::RightButton, Qt::NoModifier, QPoint(300, 200));
    const std::vector<int32_t> kinds = kindsOf(takeWithPositions());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), ControlEventKind::RightDown), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), ControlEventKind::RightUp), kinds.end());
    EXPECT_EQ(std::find(kinds.begin(), kinds.end(), ControlEventKind::RightClick), kinds.end());
}

TEST_F(CanvasEvents, LeftClickPostsDownUpAndClick) {
    move({5, 5});
    flush();
    QTest::mouseClick(native, Qt::LeftButton, Qt::NoModifier, CANVAS_ORIGIN + QPoint(5, 5));
    EXPECT_EQ(kindsOf(takeWithPositions()),
              (std::vector<int32_t>{ControlEventKind::LeftDown, ControlEventKind::LeftUp,
                                    ControlEventKind::Click}));
}

TEST_F(CanvasEvents, PositionAttributesAnswerOnlyDuringTheCanvasOwnEvent) {
    ASSERT_NE(createCanvas(1, 220, 10, 50, 50), 0);
    move({20, 30});
    move({22, 31});
    ASSERT_EQ(takeQueuedEvent(), EventCode::Control);  // entered
    EXPECT_EQ(controlAttribute(CANVAS, 2), 20);
    EXPECT_EQ(controlAttribute(1, 2), 0) << "another canvas's event";
    ASSERT_EQ(takeQueuedEvent(), EventCode::Control);  // moved
    EXPECT_EQ(controlAttribute(CANVAS, 3), 31);
    EXPECT_EQ(takeQueuedEvent(), 0);
    EXPECT_EQ(controlAttribute(CANVAS, 2), 0) << "no current event";
    postEvent(EventCode::Menu, WINDOW, CANVAS, 0);
    takeQueuedEvent();
    EXPECT_EQ(controlAttribute(CANVAS, 2), 0) << "an event of another code";
}

QRgb pixelShown(QWidget* canvas, QPoint at) { return canvas->grab().toImage().pixel(at) & 0xFFFFFF; }

TEST_F(CanvasTest, PictureStartsWhiteAndShowsWhatIsDrawn) {
    ASSERT_NE(createCanvas(CANVAS, 0, 0, 61, 40), 0);  // odd width: padded rows
    QWidget* canvas = controlWidget(CANVAS);
    EXPECT_EQ(pixelShown(canvas, {60, 39}), 0xFFFFFFu);
    ASSERT_NE(beginDrawing(canvasTarget(CANVAS)), 0);
    fillBox(0, 0, 61, 40, 0x000000);
    fillBox(60, 39, 1, 1, 0x0000FF);  // red
    fillBox(0, 0, 1, 1, 0xFF0000);    // blue
    endDrawing();
    EXPECT_EQ(pixelShown(canvas, {60, 39}), 0xFF0000u);
    EXPECT_EQ(pixelShown(canvas, {0, 0}), 0x0000FFu);
    EXPECT_EQ(pixelShown(canvas, {30, 20}), 0x000000u);
}

TEST_F(CanvasTest, SunkenBorderMakesThePictureSmallerAndShiftsIt) {
    ASSERT_NE(createCanvas(CANVAS, 0, 0, 40, 30, 1), 0);
    ASSERT_NE(beginDrawing(canvasTarget(CANVAS)), 0);
    EXPECT_EQ(currentSurface()->width, 36);
    EXPECT_EQ(currentSurface()->height, 26);
    fillBox(0, 0, 36, 26, 0x0000FF);
    endDrawing();
    QWidget* canvas = controlWidget(CANVAS);
    EXPECT_EQ(pixelShown(canvas, {2, 2}), 0xFF0000u);
    EXPECT_EQ(pixelShown(canvas, {37, 27}), 0xFF0000u);
    EXPECT_NE(pixelShown(canvas, {0, 0}), 0xFF0000u);
}

TEST_F(CanvasTest, DrawingPassSurvivesTheCanvasGoingAway) {
    ASSERT_NE(createCanvas(CANVAS, 0, 0, 30, 30), 0);
    ASSERT_NE(beginDrawing(canvasTarget(CANVAS)), 0);
    closeWindow(WINDOW);
    fillBox(0, 0, 30, 30, 0);  // must not touch the freed picture
    endDrawing();
}

}  // namespace
