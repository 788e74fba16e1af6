#include "app/shell_state.h"

#include <iterator>

#include "app/pictures_window.h"
#include "app/shell_ids.h"
#include "data/load_data_file.h"
#include "runtime/files/files.h"
#include "runtime/ui/controls.h"
#include "view/redraw_view.h"

ViewSettings view_settings;
ShellState shell_state;

void reset_shell_state() {
    view_settings = ViewSettings{};
    shell_state = ShellState{};
    shell_state.last_folder = currentDirectory();
}

bool flag_set(int box) { return controlState(box) != 0; }

int32_t display_offset() {
    return static_cast<int32_t>(static_cast<uint32_t>(shell_state.row_offset) +
                                static_cast<uint32_t>(controlState(FineOffsetSpin)));
}

FinderView finder_view() {
    FinderView view;
    if (loaded_data.loaded() && loaded_data.len > 0) {
        view.data = {loaded_data.bytes.get(), static_cast<size_t>(loaded_data.len)};
    }
    view.first_byte = display_offset();
    view.width = shell_state.row_width;
    view.zoom = view_settings.zoom;
    const int boxes[] = {InverseBox, ReverseBox, GridBox, MultiColBox, NibbleSwapBox, PreviewBox};
    for (size_t i = 0; i < std::size(boxes); ++i) {
        view.flags |= flag_set(boxes[i]) ? 1u << i : 0u;
    }
    view.max_width = view_settings.maxwidth;
    return view;
}

namespace {

RedrawTargets redraw_targets() {
    RedrawTargets targets;
    targets.window = MainWindow;
    targets.canvas = CanvasView;
    targets.status_bar = MainStatusBar;
    targets.view_image = VIEW_IMAGE;
    targets.title = PROGRAM_TITLE;
    return targets;
}

}  // namespace

void redraw_view() {
    RedrawInput in;
    in.layout.data = loaded_data.bytes.get();
    in.layout.len = loaded_data.len;
    in.layout.display_offset = display_offset();
    in.layout.row_width = shell_state.row_width;
    in.layout.zoom = view_settings.zoom;
    in.layout.inverse = flag_set(InverseBox);
    in.layout.reverse = flag_set(ReverseBox);
    in.layout.nibble_swap = flag_set(NibbleSwapBox);
    in.layout.multi = flag_set(MultiColBox);
    in.grid = flag_set(GridBox);
    in.zoomed_preview = flag_set(PreviewBox);
    in.pointer_x = controlAttribute(CanvasView, CanvasAttribute::PointerX);
    in.pointer_y = controlAttribute(CanvasView, CanvasAttribute::PointerY);
    in.title_note = picture_finder_title_note(finder_view());
    redraw_view(in, redraw_targets());
    pictures_window_follow_view(in.layout);
}

void rewrite_title() {
    if (loaded_data.loaded()) {
        write_window_title(redraw_targets(), view_settings.zoom, picture_finder_title_note(finder_view()));
    }
}
