#pragma once
// The window's picture finder: "Suggest width", "Next picture" and "Previous picture", and the
// scan of the loaded file behind the last two.
//
// The scan runs on a worker thread (app/scan/scan_worker.h), once per loaded file, started by
// the first picture command; its end reaches the loop as EventCode::TaskDone. While a command
// waits for it, a progress dialog shows; Cancel there only stops the waiting, the scan goes on.
// Every replacement of the loaded data must call stop_picture_scan first: the worker reads the
// data in place.
#include <cstdint>

// The commands' items at the end of the "View" menu, and their shortcuts.
void add_picture_finder_items();
void add_picture_finder_shortcuts();

// Ranks the row widths for the data from the first byte shown (the next 64 KiB, or up to the
// end) and sets the best one; repeated with no other change in between, the next one, after the
// last the best again. The first byte shown stays at the top left. The title shows the rank
// until the next change. Without a width that stands out, a message box and no change.
void suggest_width();

// Jumps to the start of the next (forward) or previous region of the scan, counted from the
// first byte shown: the region's width is set and its first byte put at the top left, with the
// row scroll bar and the fine offset as a user would set them. Without a region in that
// direction, a message box and no change; Cancel in the progress dialog changes nothing either.
void jump_to_picture(bool forward);

// The loop got EventCode::TaskDone for the ticket: a scan has ended and its regions are taken.
void picture_scan_done(int32_t ticket);

// Stops and joins the scan and drops what it found: before the loaded data is released or
// replaced, and at exit.
void stop_picture_scan();

// Every command but "Suggest width" ends the suggestions: the next one starts over.
void end_width_suggestions();

// Part of every redraw: puts the rank into the title while the suggestion still holds, and ends
// the suggestions once the view has changed.
void show_width_suggestion();
