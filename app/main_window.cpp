#include "app/main_window.h"

#include <algorithm>
#include <cstdint>

#include "app/picture_finder.h"
#include "app/pictures_window.h"
#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "data/load_data_file.h"
#include "runtime/image/image.h"
#include "runtime/text/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/statusbar.h"
#include "view/layout/sprite_layout.h"

namespace {

constexpr int H = VIEW_HEIGHT;
constexpr int ROW_SCROLL_PLACEHOLDER_MAX = 32;

void create_controls() {
    createCanvas(CanvasView, 0, 0, VIEW_WIDTH, H);
    createScrollBar(RowScrollBar, VIEW_WIDTH, 0, 20, H, 0, ROW_SCROLL_PLACEHOLDER_MAX, 1, 1);
    createScrollBar(WidthScrollBar, 0, H, VIEW_WIDTH, 20, 1, MAX_ROW_WIDTH, 1, 0);
    bindControlEvent(RowScrollBar, apply_position);
    bindControlEvent(WidthScrollBar, apply_position);
    createCheckBox(InverseBox, 0, H + 20, 80, 20, "inverse");
    createCheckBox(ReverseBox, 80, H + 20, 80, 20, "reverse");
    createCheckBox(GridBox, 160, H + 20, 80, 20, "grid");
    createCheckBox(MultiColBox, 240, H + 20, 80, 20, "multicol");
    createSpinField(FineOffsetSpin, 320, H + 20, 80, 20, -1, 1);
    createCheckBox(NibbleSwapBox, 405, H + 20, 80, 20, "nibble swap");
    createCheckBox(PreviewBox, 490, H + 20, 40, 20, "z");
    setToolTip(PreviewBox, "zoomed preview");
}

void clear_canvas() {
    if (beginDrawing(canvasTarget(CanvasView)) != 0) {
        fillBox(0, 0, VIEW_WIDTH, H, 0x000000);
        endDrawing();
    }
}

void build_menus() {
    if (createPopupMenu(JumpMenu) != 0) {
        addMenuItem(CmdJumpHere, "jump here");
    }
    if (createMenuBar(MainMenu, windowHandle(MainWindow)) == 0) {
        return;
    }
    addMenuTitle("File");
    addMenuItem(CmdOpen, "Open...\tCtrl+O");
    addMenuItem(CmdSaveBinary, "Save binary...");
    addMenuItem(CmdSaveImage, "Save image...");
    addMenuSeparator();
    addMenuItem(CmdQuit, "Quit");
    addMenuTitle("View");
    openSubmenu("Zoom");
    addMenuItem(CmdZoomPreview, "zoom preview\tCtrl+Z");
    addMenuItem(CmdZoom1, "zoom x1\tCtrl+1");
    addMenuItem(CmdZoom2, "zoom x2\tCtrl+2");
    addMenuItem(CmdZoom4, "zoom x4\tCtrl+4");
    addMenuItem(CmdZoom8, "zoom x8\tCtrl+8");
    closeSubmenu();
    addMenuItem(CmdGrid, "Grid\tCtrl+G");
    addMenuItem(CmdInverse, "Inverse\tCtrl+I");
    addMenuItem(CmdMultiColumns, "Multi columns\tCtrl+M");
    addMenuItem(CmdReverse, "Reverse byte\tCtrl+R");
    addMenuItem(CmdStayOnTop, "Stay on top\tCtrl+T");
    add_picture_finder_items();
    add_pictures_window_item();
    // Leaving the "View" level puts the four zoom commands directly on the bar.
    closeSubmenu();
    addMenuItem(CmdZoom1, "x1");
    addMenuItem(CmdZoom2, "x2");
    addMenuItem(CmdZoom4, "x4");
    addMenuItem(CmdZoom8, "x8");
}

void add_shortcuts() {
    struct Shortcut {
        uint32_t key;
        int command;
    };
    static constexpr Shortcut shortcuts[] = {
        {ShortcutKey::Control | 'O', CmdOpen},        {ShortcutKey::Control | 'G', CmdGrid},
        {ShortcutKey::Control | 'I', CmdInverse},     {ShortcutKey::Control | 'M', CmdMultiColumns},
        {ShortcutKey::Control | 'R', CmdReverse},     {ShortcutKey::Control | 'T', CmdStayOnTop},
        {ShortcutKey::Control | 'Z', CmdZoomPreview}, {ShortcutKey::Control | '1', CmdZoom1},
        {ShortcutKey::Control | '2', CmdZoom2},       {ShortcutKey::Control | '4', CmdZoom4},
        {ShortcutKey::Control | '8', CmdZoom8},
    };
    for (const Shortcut& s : shortcuts) {
        addShortcut(MainWindow, s.key, s.command);
    }
    add_picture_finder_shortcuts();
    add_pictures_window_shortcut();
}

}  // namespace

bool build_main_window() {
    if (openWindow(MainWindow, 0, 0, MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, PROGRAM_TITLE,
                   MAIN_WINDOW_FLAGS) == 0) {
        return false;
    }
    create_controls();
    enableFileDrop(CanvasView, DropFormat::Files, DropAction::Copy);
    clear_canvas();
    if (createStatusBar(MainStatusBar, windowHandle(MainWindow)) != 0) {
        addStatusField(VIEW_WIDTH);
    }
    build_menus();
    add_shortcuts();
    return true;
}

void apply_position() {
    shell_state.row_width = controlState(WidthScrollBar);
    if (shell_state.row_width < 1) {
        shell_state.row_width = 1;
    }
    shell_state.row_offset =
        static_cast<int32_t>(static_cast<int64_t>(controlState(RowScrollBar)) * shell_state.row_width);
    setControlAttribute(RowScrollBar, ScrollBarAttribute::Maximum, loaded_data.len / shell_state.row_width);
    setControlAttribute(FineOffsetSpin, SpinFieldAttribute::Minimum, -shell_state.row_width);
    setControlAttribute(FineOffsetSpin, SpinFieldAttribute::Maximum, shell_state.row_width);
    redraw_view();
}

void show_place(const ViewPlace& place) {
    setControlState(WidthScrollBar, place.width);
    // The row range for the new width first: the scroll bar holds its position inside the old one.
    setControlAttribute(RowScrollBar, ScrollBarAttribute::Maximum,
                        loaded_data.len / std::max(place.width, 1));
    setControlState(RowScrollBar, place.row);
    setControlAttribute(FineOffsetSpin, SpinFieldAttribute::Minimum, -place.width);
    setControlAttribute(FineOffsetSpin, SpinFieldAttribute::Maximum, place.width);
    setControlState(FineOffsetSpin, place.fine);
    // The spin field takes its value from its text when that holds a number in range.
    setControlText(FineOffsetSpin, decimalText(place.fine));
    apply_position();
}
