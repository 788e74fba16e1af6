// The picture on the canvas: nothing without data, the layout, the grid over it, the preview
// patch, and the title.
#include <QCursor>
#include <QtTest/QTest>

#include "app/commands.h"
#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"
#include "view/redraw_view.h"

namespace {

class RedrawTest : public ShellTest {};

TEST_F(RedrawTest, WithoutDataNothingChangesNotEvenTheTitle) {
    const ColourValue before = canvas_pixel(10, 10);
    setControlState(GridBox, 1);
    (void)handle_command(CmdZoom8);
    redraw_view();
    EXPECT_EQ(windowTitle(MainWindow), "Pixelsieve 2c");
    EXPECT_EQ(canvas_pixel(10, 10), before);
    EXPECT_EQ(canvas_pixel(0, 0), COLOUR_CLEAR_BIT);  // cleared to black at start
    EXPECT_EQ(status(), "");
}

TEST_F(RedrawTest, GridLiesOverTheLayoutOnTheCanvasOnly) {
    load(std::vector<uint8_t>(40000, 0xFF));  // fills all 75 columns
    setControlState(MultiColBox, 1);
    setControlState(GridBox, 1);
    redraw_view();
    constexpr ColourValue green = 0x00FF00;
    constexpr ColourValue dark = 0x007F00;
    for (int g : {0, 64, 128, 576}) {
        EXPECT_EQ(canvas_pixel(g, 3), green) << g;
    }
    for (int g : {0, 64, 448}) {
        EXPECT_EQ(canvas_pixel(3, g), green) << g;
    }
    for (int g : {8, 56, 72, 592}) {
        EXPECT_EQ(canvas_pixel(g, 3), dark) << g;
    }
    for (int g : {8, 56, 504}) {
        EXPECT_EQ(canvas_pixel(3, g), dark) << g;
    }
    EXPECT_EQ(canvas_pixel(599, 1), COLOUR_SET_BIT);  // the line at 600 lies off the canvas
    EXPECT_EQ(canvas_pixel(1, 1), COLOUR_SET_BIT);
    // view_image, which export saves, carries no grid.
    EXPECT_EQ(view_pixel(0, 3), COLOUR_SET_BIT);
    EXPECT_EQ(view_pixel(64, 64), COLOUR_SET_BIT);
    EXPECT_EQ(windowTitle(MainWindow), "Pixelsieve 2c,x1");
    EXPECT_EQ(status(), "Disp:0,w:1,x:0,y:0,size:0");
}

TEST_F(RedrawTest, TitleFollowsTheZoom) {
    load(std::vector<uint8_t>(16, 0x81));
    for (auto [command, title] :
         {std::pair{CmdZoom8, "Pixelsieve 2c,x8"}, std::pair{CmdZoom2, "Pixelsieve 2c,x2"},
          std::pair{CmdZoom1, "Pixelsieve 2c,x1"}}) {
        (void)handle_command(command);
        EXPECT_EQ(windowTitle(MainWindow), title);
    }
}

// The patch shows the 8 x 8 pixels at (pointer + 2) magnified eight times at the pointer + 1.
TEST_F(RedrawTest, PreviewMagnifiesThePatchBesideThePointerAtZoomOneOnly) {
    // Byte n of a width-1 column is row n; only row 12 holds a set bit, at x = 2.
    std::vector<uint8_t> bytes(600, 0);
    bytes[12] = 0x20;  // row 12, x = 2: the patch grabbed at (2, 12) has its top-left pixel set
    load(bytes);
    setControlState(PreviewBox, 1);

    QWidget* canvas = controlWidget(CanvasView);
    ASSERT_NE(canvas, nullptr);
    QCursor::setPos(canvas->mapToGlobal(QPoint(100, 100)));
    if (windowMouseX(MainWindow) < 0) {
        GTEST_SKIP() << "this platform does not report the pointer position";
    }
    const int wx = windowMouseX(MainWindow);
    const int wy = windowMouseY(MainWindow);

    // A redraw that is not a canvas event grabs at (2, 2): rows 2..9 hold nothing.
    redraw_view();
    EXPECT_EQ(canvas_pixel(wx + 1, wy + 1), COLOUR_CLEAR_BIT);

    // Grab at (0 + 2, 10 + 2) through a canvas event at (0, 10): the set pixel (2, 12) is the
    // patch's top-left pixel, drawn as an 8 x 8 white block at the pointer + 1.
    QTest::mouseMove(canvas, QPoint(0, 10));
    QTest::mouseMove(canvas, QPoint(0, 10));
    bool handled = false;
    for (int i = 0; i < 200 && !handled; ++i) {
        const int32_t code = pollEvent(10);
        if (code == EventCode::Control && eventObject() == CanvasView &&
            eventKind() == ControlEventKind::PointerMoved && controlAttribute(CanvasView, 3) == 10) {
            QCursor::setPos(canvas->mapToGlobal(QPoint(100, 100)));
            handle_control(CanvasView, eventKind());
            handled = true;
        }
    }
    ASSERT_TRUE(handled);
    const int px = windowMouseX(MainWindow) + 1;
    const int py = windowMouseY(MainWindow) + 1;
    EXPECT_EQ(canvas_pixel(px, py), COLOUR_SET_BIT);
    EXPECT_EQ(canvas_pixel(px + 7, py + 7), COLOUR_SET_BIT);
    EXPECT_EQ(canvas_pixel(px + 8, py), COLOUR_CLEAR_BIT);
    EXPECT_EQ(canvas_pixel(px, py + 8), COLOUR_CLEAR_BIT);
    EXPECT_EQ(view_pixel(px, py), COLOUR_CLEAR_BIT);  // never in view_image

    // At zoom 2 nothing is grabbed or drawn.
    (void)handle_command(CmdZoom2);
    EXPECT_EQ(canvas_pixel(px, py), COLOUR_CLEAR_BIT);
    // Switching the box off redraws without the patch.
    (void)handle_command(CmdZoom1);
    setControlState(PreviewBox, 0);
    handle_control(PreviewBox, ControlEventKind::Click);
    EXPECT_EQ(canvas_pixel(px, py), COLOUR_CLEAR_BIT);
}

}  // namespace
