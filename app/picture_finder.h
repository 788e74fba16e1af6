#pragma once
// The window's picture finder: "Suggest width", "Next picture" and "Previous picture", and the
// scan of the loaded file behind the last two.
//
// The finder never moves the view itself: the shell tells it what the view shows, and it
// answers a command with a place for the view, or a message to show instead; the shell sets the
// controls and redraws. While a width suggestion holds, the finder has a note for the window
// title, which the shell hands to the redraw.
//
// The scan runs on a worker thread (app/scan/scan_worker.h), once per loaded file, started when
// the file is loaded, below the user interface's priority; its end reaches the loop as
// EventCode::TaskDone. A command that needs it before it has ended waits with a progress
// dialog; Cancel there only stops the waiting, the scan goes on. Every replacement of the loaded
// data must call stop_picture_scan first: the worker reads the data in place. The Pictures
// window follows the scan while it runs (picture_scan_news).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/finder/region_steps.h"
#include "common/row_width.h"

// What the view shows, as the shell tells it.
struct FinderView {
    std::span<const uint8_t> data;  // the loaded bytes, read in place; empty while none are
    int64_t first_byte = 0;         // the data byte drawn first
    int32_t width = 1;
    int32_t zoom = 1;
    uint32_t flags = 0;  // the view options, one bit each
    int max_width = MAX_ROW_WIDTH;
};

// The finder's answer to a command.
struct FinderAnswer {
    bool handled = false;            // the command is one of the finder's
    bool title_changed = false;      // the title note has ended: the title wants writing again
    std::optional<ViewPlace> place;  // where the view goes
    std::string message_title;       // a message to show instead, when `message` is not empty
    std::string message;
};

// The commands' items at the end of the "View" menu, and their shortcuts.
void add_picture_finder_items();
void add_picture_finder_shortcuts();

// Every command passes here before the shell handles it; the finder answers its own and lets
// the others end a width suggestion.
//
// "Suggest width" ranks the row widths for the data from the first byte shown (the next 64 KiB,
// or up to the end) and offers the best, keeping that byte first; repeated with no other change
// in between, the next one, after the last the best again. The title notes the rank until the
// next change. Without a width that stands out, a message.
//
// "Next picture" and "Previous picture" go to the start of the next (forward) or previous
// region of the scan, counted from the first byte shown, at the region's width. Without a region
// in that direction, a message; Cancel in the progress dialog gives no place and no message.
[[nodiscard]] FinderAnswer picture_finder_command(int command, const FinderView& view);

// The note the title carries for this view, "" for none. Part of every redraw: a width
// suggestion ends once the view it left has changed.
[[nodiscard]] std::string picture_finder_title_note(const FinderView& view);

// Starts the scan of the data the view shows (after a load), on a thread whose priority is
// below the user interface's. Nothing for empty data.
void start_picture_scan(const FinderView& view);

// What the scan of the loaded file has found, for a window that follows it.
struct ScanNews {
    uint64_t file = 0;  // changes with every load: pictures taken before belong to another file
    std::vector<FoundPicture> pictures;  // found from the `first`-th on, at most `limit`, in file order
    bool running = false;                // a scan of this file runs
    bool finished = false;               // its scan has ended: `pictures` are all there are
    int thousandths = 0;                 // how far it has come
};
[[nodiscard]] ScanNews picture_scan_news(size_t first, size_t limit = SIZE_MAX);

// While on, the scan's progress is posted to the loop (EventCode::TaskProgress) as it moves, so
// that a window can follow it; a progress dialog has it on while it shows, whatever this says.
void follow_picture_scan(bool on);

// The loop got EventCode::TaskDone for the ticket: a scan has ended and its regions are taken.
void picture_scan_done(int32_t ticket);

// Stops and joins the scan and drops what it found: before the loaded data is released or
// replaced, and at exit.
void stop_picture_scan();
