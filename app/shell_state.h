#pragma once
// The shell's records for the whole run, and the readings that combine them with the controls.
#include <cstdint>

#include "app/picture_finder.h"
#include "app/records.h"

extern ViewSettings view_settings;
extern ShellState shell_state;

// Gives both records their start values; last_folder becomes the current directory.
void reset_shell_state();

// A view flag lives in its check box: set when the box's state is not 0.
[[nodiscard]] bool flag_set(int box);

// The data byte drawn first: row_offset plus the fine offset (the spin field's value).
[[nodiscard]] int32_t display_offset();

// What the view shows now, for the picture finder.
[[nodiscard]] FinderView finder_view();

// Redraws the view from the records, the check boxes, the loaded data and the pointer of the
// current canvas event (0, 0 for any other event), with the picture finder's title note.
void redraw_view();

// Writes the window title again as the last redraw did, with the picture finder's note as it is
// now; nothing while no data is loaded (the redraw writes no title then either).
void rewrite_title();
