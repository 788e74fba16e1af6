#pragma once
// The Pictures window: a second, non-modal window beside the main one, listing the pictures the
// scan of the loaded file finds, best first, each with a thumbnail; a map of the whole file with
// a mark for every picture listed and a marker for what the main view shows; a filter on the
// score; the counts and the scan's progress in its status line. It fills while the scan runs.
//
// Like the picture finder, it never moves the main view itself: choosing a row, or a click on
// the map, is answered with a place for the view, which the shell applies. It keeps no settings.
#include <optional>

#include "app/finder/region_steps.h"
#include "app/picture_finder.h"
#include "view/layout/sprite_layout.h"

// The menu item at the end of the "View" menu, and its shortcut (Ctrl+P) in the main window.
void add_pictures_window_item();
void add_pictures_window_shortcut();

// Opens the window (afresh when it is open) beside the main window, with the pictures found so
// far and the best one selected, and gives it the keyboard: Enter goes to the best picture.
void open_pictures_window(const FinderView& view);
// Closes it (Escape in it, or its close box). Nothing when it is not open.
void close_pictures_window();
[[nodiscard]] bool pictures_window_open();

// Takes what the scan has found since the last call, or everything anew after a load, into the
// list, the map and the status line. Called for the scan's news and after every load; nothing
// while the window is closed.
void update_pictures_window(const FinderView& view);

// Moves the map's marker to what the main view shows (part of every redraw).
void pictures_window_follow_view(const SpriteLayoutInput& shown);

// A control event of the window (`control` one of its controls): the place the main view goes
// to for a chosen row (the picture's first byte at its width, as Next picture goes there) or a
// click on the map (that place of the file, the width unchanged); none for anything else.
[[nodiscard]] std::optional<ViewPlace> pictures_window_control(int control, int32_t kind,
                                                               const FinderView& view);
