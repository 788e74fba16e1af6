#include "app/commands.h"

#include <optional>

#include "app/image_export.h"
#include "app/main_window.h"
#include "app/picture_finder.h"
#include "app/pictures_window.h"
#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "data/binary_slice.h"
#include "data/load_data_file.h"
#include "runtime/files/files.h"
#include "runtime/text/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/requesters.h"
#include "view/position_readout.h"

namespace {

constexpr int WHEEL_ROWS = 16;

// Without this, the Escape that cancels the open dialog or dismisses the popup would still be
// down at the next event and end the program.
bool escape_needs_release = false;

void step_control(int control, int32_t delta) {
    setControlState(control, controlState(control) + delta);
    apply_position();
}

// Sets the zoom; the scroll bars keep their positions, only the scale changes.
void set_zoom(int32_t zoom) {
    view_settings.zoom = zoom;
    redraw_view();
}

// Flips a flag from its menu mark; the box follows the mark.
void toggle_flag(int command, int box) {
    const int mark = isMenuItemChecked(MainMenu, command) != 0 ? 1 : 0;
    setMenuItemChecked(MainMenu, command, 1 - mark);
    setControlState(box, 1 - mark);
    redraw_view();
}

// A load that fails here has shown its message and left the shown file in place: the session
// goes on.
void open_file_command() {
    const std::string chosen =
        openFileDialog("Please choose file to load", shell_state.last_folder, "All files (*.*)|*.*", 0);
    if (chosen.empty()) {
        return;
    }
    shell_state.last_folder = directoryPartOf(chosen);
    (void)load_and_show(chosen);
}

void canvas_event(int32_t kind) {
    const int32_t mx = controlAttribute(CanvasView, CanvasAttribute::PointerX);
    const int32_t my = controlAttribute(CanvasView, CanvasAttribute::PointerY);
    if (kind == ControlEventKind::PointerMoved) {
        const PointerReadout pointer = format_position_readout(
            mx, my, view_settings.zoom, shell_state.row_width, display_offset(), MainStatusBar);
        shell_state.pointer_x = pointer.x;
        shell_state.pointer_y = pointer.y;
        shell_state.pointer_size = pointer.size;
        if (flag_set(PreviewBox) && view_settings.zoom == 1) {
            redraw_view();
        }
    } else if (kind == ControlEventKind::RightClick) {
        const PointerReadout pointer = pointer_readout(mx, my, view_settings.zoom, shell_state.row_width);
        shell_state.pointer_x = pointer.x;
        shell_state.pointer_y = pointer.y;
        shell_state.jump_row = pointer.size / shell_state.row_width + controlState(RowScrollBar);
        showPopupMenu(JumpMenu, windowHandle(MainWindow));
        ignore_escape_until_released();
    }
}

void mirror_box_to_mark(int box, int command) {
    setMenuItemChecked(MainMenu, command, controlState(box) != 0 ? 1 : 0);
    redraw_view();
}

// The picture finder's answer to one of its commands: a message, or a place for the view. Its
// commands may have run a dialog.
void take_finder_answer(const FinderAnswer& answer) {
    if (!answer.message.empty()) {
        messageBox(answer.message_title, answer.message);
    } else if (answer.place) {
        show_place(*answer.place);
    }
    ignore_escape_until_released();
}

// Opening the Pictures window, and its Escape.
bool pictures_window_command(int command) {
    if (command == CmdPictures) {
        open_pictures_window(finder_view());
        redraw_view();  // puts the map's marker where the view is
        return true;
    }
    if (command == CmdClosePictures) {
        close_pictures_window();
        ignore_escape_until_released();
        return true;
    }
    return false;
}

}  // namespace

bool load_and_show(const std::string& path) {
    DataBuffer fresh;
    const LoadResult result = load_data_file(path, fresh);
    if (!result.loaded) {
        return false;
    }
    // The picture scan reads the loaded data in place: it stops before the data is replaced. A
    // failed load leaves both alone. The new file's scan starts at once, and the Pictures window
    // lets go of the old data before anything can draw it.
    stop_picture_scan();
    loaded_data = std::move(fresh);
    start_picture_scan(finder_view());
    update_pictures_window(finder_view());
    shell_state.last_folder = result.folder;
    shell_state.last_file_name = result.name;
    // The range follows the new length; the position, row_offset and the fine offset stay until
    // the next position change.
    const int32_t width = shell_state.row_width > 0 ? shell_state.row_width : 1;
    setControlAttribute(RowScrollBar, ScrollBarAttribute::Maximum, loaded_data.len / width);
    redraw_view();
    return true;
}

void ignore_escape_until_released() { escape_needs_release = true; }

LoopAction poll_keys() {
    if (keyHeldNow(VirtualKey::Escape) != 0) {
        if (!escape_needs_release) {
            return LoopAction::Quit;
        }
    } else {
        escape_needs_release = false;
    }
    // The arrows walk the Pictures window's list while it has the keyboard.
    if (activeWindow() == PicturesWindow) {
        return LoopAction::Continue;
    }
    if (keyHeldNow(VirtualKey::Right) != 0 && controlState(WidthScrollBar) < view_settings.maxwidth) {
        step_control(WidthScrollBar, +1);
    }
    if (keyHeldNow(VirtualKey::Left) != 0 && controlState(WidthScrollBar) > 1) {
        step_control(WidthScrollBar, -1);
    }
    if (keyHeldNow(VirtualKey::Up) != 0 && controlState(RowScrollBar) != 0) {
        step_control(RowScrollBar, -1);
    }
    if (keyHeldNow(VirtualKey::Down) != 0 &&
        controlState(RowScrollBar) != controlAttribute(RowScrollBar, ScrollBarAttribute::Maximum)) {
        step_control(RowScrollBar, +1);
    }
    return LoopAction::Continue;
}

void handle_wheel(int32_t param) {
    const auto movement = static_cast<int16_t>(static_cast<uint32_t>(param) >> 16);
    if (movement < 0) {
        step_control(RowScrollBar, +WHEEL_ROWS);
    } else if (movement > 0 && controlState(RowScrollBar) > WHEEL_ROWS) {
        step_control(RowScrollBar, -WHEEL_ROWS);
    }
}

void handle_drop(const std::string& files) {
    const std::string first = files.substr(0, files.find('\n'));
    // As with the open command, a failed load keeps the shown file; its message box may have
    // been closed with Escape.
    if (!first.empty() && !load_and_show(first)) {
        ignore_escape_until_released();
    }
}

void handle_control(int control, int32_t kind) {
    switch (control) {
        case CanvasView:
            canvas_event(kind);
            break;
        case FineOffsetSpin:
            setControlText(FineOffsetSpin, decimalText(controlState(FineOffsetSpin)));
            redraw_view();
            setKeyboardFocus(InverseBox);
            break;
        case InverseBox:
            mirror_box_to_mark(InverseBox, CmdInverse);
            break;
        case ReverseBox:
            mirror_box_to_mark(ReverseBox, CmdReverse);
            break;
        case GridBox:
            mirror_box_to_mark(GridBox, CmdGrid);
            break;
        case MultiColBox:
            mirror_box_to_mark(MultiColBox, CmdMultiColumns);
            break;
        case NibbleSwapBox:
            redraw_view();
            break;
        case PreviewBox:
            // Switching the preview on shows it at the next pointer movement.
            if (controlState(PreviewBox) == 0) {
                redraw_view();
            }
            break;
        default:
            // The scroll bars' work is done by apply_position, bound to them.
            if (const std::optional<ViewPlace> place =
                    pictures_window_control(control, kind, finder_view())) {
                show_place(*place);
            }
            break;
    }
}

LoopAction handle_command(int command) {
    const FinderAnswer finder = picture_finder_command(command, finder_view());
    if (finder.title_changed) {
        rewrite_title();
    }
    if (finder.handled) {
        take_finder_answer(finder);
        return LoopAction::Continue;
    }
    if (pictures_window_command(command)) {
        return LoopAction::Continue;
    }
    LoopAction action = LoopAction::Continue;
    switch (command) {
        case CmdQuit:
            action = LoopAction::Quit;
            break;
        case CmdSaveBinary:
            save_binary_slice(loaded_data, display_offset(), flag_set(InverseBox), flag_set(ReverseBox),
                              shell_state.last_folder);
            ignore_escape_until_released();
            break;
        case CmdSaveImage:
            export_image(shell_state);
            ignore_escape_until_released();
            break;
        case CmdOpen:
            open_file_command();
            ignore_escape_until_released();
            break;
        case CmdZoom1:
            set_zoom(1);
            break;
        case CmdZoom2:
            set_zoom(2);
            break;
        case CmdZoom4:
            set_zoom(4);
            break;
        case CmdZoom8:
            set_zoom(8);
            break;
        case CmdGrid:
            toggle_flag(CmdGrid, GridBox);
            break;
        case CmdInverse:
            toggle_flag(CmdInverse, InverseBox);
            break;
        case CmdReverse:
            toggle_flag(CmdReverse, ReverseBox);
            break;
        case CmdMultiColumns:
            toggle_flag(CmdMultiColumns, MultiColBox);
            break;
        case CmdStayOnTop:
            // A stored value other than 0 or 1 counts as on; flipping it by subtraction would
            // leave it on (5 becomes -4), so the command would seem to do nothing.
            view_settings.ontop = view_settings.ontop != 0 ? 0 : 1;
            setMenuItemChecked(MainMenu, CmdStayOnTop, view_settings.ontop);
            setStayOnTop(MainWindow, view_settings.ontop);
            break;
        case CmdZoomPreview:
            setControlState(PreviewBox, 1 - controlState(PreviewBox));
            redraw_view();
            break;
        case CmdJumpHere:
            if (shell_state.jump_row != -1) {
                setControlState(RowScrollBar, shell_state.jump_row);
                apply_position();
                shell_state.jump_row = -1;
            }
            break;
        default:
            break;
    }
    return action;
}

LoopAction handle_event(int32_t code) {
    switch (code) {
        case EventCode::DropOnControl:
            handle_drop(droppedFiles());
            return LoopAction::Continue;
        case EventCode::RawMouseWheel:
            handle_wheel(eventParam());
            return LoopAction::Continue;
        case EventCode::Control:
            handle_control(eventObject(), eventKind());
            return LoopAction::Continue;
        case EventCode::Menu:
            return handle_command(eventObject());
        case EventCode::CloseWindow:
            if (eventWindow() == PicturesWindow) {
                close_pictures_window();
                return LoopAction::Continue;
            }
            return LoopAction::Quit;
        case EventCode::TaskDone:
            picture_scan_done(eventObject());
            update_pictures_window(finder_view());
            return LoopAction::Continue;
        case EventCode::TaskProgress:
            update_pictures_window(finder_view());
            return LoopAction::Continue;
        default:
            return LoopAction::Continue;
    }
}
