#pragma once
#include "app/finder/region_steps.h"

// The main window: the canvas, the two scroll bars, the check boxes and the spin field, the
// status bar, the "jump here" popup, the menu bar and the keyboard shortcuts.

// Opens the window (620 x 602 inner area, fixed size, centred) titled "Pixelsieve 2c" and builds
// everything in it. False only when the window itself cannot be opened; a status bar or menu
// that cannot be made is left out and the rest works.
[[nodiscard]] bool build_main_window();

// Gives the scroll bars their meaning: row_width from the width bar, row_offset from the row
// bar's position times that width (the position before the range changes), the row bar's
// maximum from the data length, the spin field's range to -row_width .. +row_width, then a
// redraw. Bound to both scroll bars, so it runs for every movement, also during a thumb drag.
void apply_position();

// Sets the width scroll bar, the row range, the row scroll bar and the fine offset (its range,
// value and text) to the place, exactly as a user would set them, then apply_position.
void show_place(const ViewPlace& place);
