// The main window as built: control geometry, the fixed size, and the shortcuts' commands.
#include <QApplication>
#include <QElapsedTimer>
#include <QtTest/QTest>

#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"

namespace {

class MainWindowTest : public ShellTest {};

TEST_F(MainWindowTest, ControlsLieWhereTheLayoutPutsThem) {
    struct Place {
        int control, x, y, width, height;
    };
    constexpr int H = VIEW_HEIGHT;
    const Place places[] = {
        {CanvasView, 0, 0, 600, H},           {RowScrollBar, 600, 0, 20, H},
        {WidthScrollBar, 0, H, 600, 20},      {InverseBox, 0, H + 20, 80, 20},
        {ReverseBox, 80, H + 20, 80, 20},     {GridBox, 160, H + 20, 80, 20},
        {MultiColBox, 240, H + 20, 80, 20},   {FineOffsetSpin, 320, H + 20, 80, 20},
        {NibbleSwapBox, 405, H + 20, 80, 20}, {PreviewBox, 490, H + 20, 40, 20},
    };
    WindowRecord* window = windowRecord(MainWindow);
    ASSERT_NE(window, nullptr);
    for (const Place& p : places) {
        QWidget* widget = controlWidget(p.control);
        ASSERT_NE(widget, nullptr) << p.control;
        const QRect at(widget->mapTo(window->client.data(), QPoint(0, 0)), widget->size());
        if (p.control == FineOffsetSpin) {
            // The number field shares its 80 pixels with its arrow element.
            EXPECT_EQ(at.topLeft(), QPoint(p.x, p.y));
            EXPECT_EQ(at.height(), p.height);
            EXPECT_LE(at.width(), p.width);
            continue;
        }
        EXPECT_EQ(at, QRect(p.x, p.y, p.width, p.height)) << "control " << p.control;
    }
    EXPECT_EQ(controlAttribute(RowScrollBar, ScrollBarAttribute::Maximum), 32);
    EXPECT_EQ(controlAttribute(WidthScrollBar, ScrollBarAttribute::Minimum), 1);
    EXPECT_EQ(controlAttribute(WidthScrollBar, ScrollBarAttribute::Maximum), 255);
    EXPECT_EQ(controlAttribute(FineOffsetSpin, SpinFieldAttribute::Minimum), -1);
    EXPECT_EQ(controlAttribute(FineOffsetSpin, SpinFieldAttribute::Maximum), 1);
    EXPECT_EQ(windowTitle(MainWindow), "Pixelsieve 2c");
    // Fixed size: neither the user nor a layout can resize it.
    EXPECT_EQ(window->frame->minimumSize(), window->frame->maximumSize());
}

TEST_F(MainWindowTest, ShortcutsDeliverTheirCommands) {
    WindowRecord* window = windowRecord(MainWindow);
    ASSERT_NE(window, nullptr);
    window->frame->activateWindow();
    QApplication::setActiveWindow(window->frame);
    const std::pair<Qt::Key, int> shortcuts[] = {
        {Qt::Key_O, CmdOpen},         {Qt::Key_G, CmdGrid},    {Qt::Key_I, CmdInverse},
        {Qt::Key_M, CmdMultiColumns}, {Qt::Key_R, CmdReverse}, {Qt::Key_T, CmdStayOnTop},
        {Qt::Key_Z, CmdZoomPreview},  {Qt::Key_1, CmdZoom1},   {Qt::Key_2, CmdZoom2},
        {Qt::Key_4, CmdZoom4},        {Qt::Key_8, CmdZoom8},
    };
    for (auto [key, command] : shortcuts) {
        // Through the window system, as a real key press arrives.
        QTest::keyClick(window->frame->windowHandle(), key, Qt::ControlModifier);
        int32_t got = -1;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000 && got < 0) {
            if (pollEvent(20) == EventCode::Menu) got = eventObject();
        }
        EXPECT_EQ(got, command) << "Ctrl+" << QKeySequence(key).toString().toStdString();
    }
}

}  // namespace
