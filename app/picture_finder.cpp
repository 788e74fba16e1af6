#include "app/picture_finder.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/scan/picture_steps.h"
#include "app/scan/scan_worker.h"
#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "data/load_data_file.h"
#include "runtime/text/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/posted_events.h"
#include "runtime/ui/progress.h"
#include "runtime/ui/requesters.h"

namespace {

constexpr const char* SUGGEST_TITLE = "Suggest width";
constexpr const char* NO_WIDTH_TEXT = "No row width stands out in the data from this point.";
constexpr const char* SCANNING_TEXT = "Looking for pictures in the file...";

// Counts the replacements of the loaded data, so that nothing found in one file is used for the
// next.
uint64_t data_serial = 0;

// The regions of the loaded file, once its scan has ended.
struct FoundRegions {
    bool ready = false;
    std::vector<PictureRegion> list;
};
FoundRegions found;

WidthSuggestions suggestions;

// The worker's news, handed to the user-interface thread; the ticket rides as the event's object.
ScanWorker& worker() {
    static ScanWorker instance(
        [](uint32_t ticket) {
            postEventFromAnyThread(EventCode::TaskDone, MainWindow, static_cast<int>(ticket), 0);
        },
        [](uint32_t ticket, int thousandths) {
            postEventFromAnyThread(EventCode::TaskProgress, MainWindow, static_cast<int>(ticket),
                                   thousandths);
        });
    return instance;
}

int scan_threads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

std::span<const uint8_t> loaded_bytes() {
    if (!loaded_data.loaded() || loaded_data.len <= 0) {
        return {};
    }
    return {loaded_data.bytes.get(), static_cast<size_t>(loaded_data.len)};
}

uint32_t view_flags() {
    const int boxes[] = {InverseBox, ReverseBox, GridBox, MultiColBox, NibbleSwapBox, PreviewBox};
    uint32_t flags = 0;
    for (size_t i = 0; i < std::size(boxes); ++i) {
        flags |= flag_set(boxes[i]) ? 1u << i : 0u;
    }
    return flags;
}

ViewMark view_mark(int64_t first_byte, int32_t width) {
    return ViewMark{first_byte, width, view_settings.zoom, view_flags(), data_serial};
}

ViewMark view_mark() { return view_mark(display_offset(), shell_state.row_width); }

// Shows byte `offset` first at the width, exactly as a user would set the controls, and redraws.
void place_view(int64_t offset, int32_t width) {
    const TopLeft at = top_left_for(offset, width);
    setControlState(WidthScrollBar, width);
    // The row range for the new width first: the scroll bar holds its position inside the old one.
    setControlAttribute(RowScrollBar, ScrollBarAttribute::Maximum, loaded_data.len / std::max(width, 1));
    setControlState(RowScrollBar, at.row);
    setControlAttribute(FineOffsetSpin, SpinFieldAttribute::Minimum, -width);
    setControlAttribute(FineOffsetSpin, SpinFieldAttribute::Maximum, width);
    setControlState(FineOffsetSpin, at.fine);
    // The spin field takes its value from its text when that holds a number in range.
    setControlText(FineOffsetSpin, decimalText(at.fine));
    apply_position();
}

void take_regions() {
    if (std::optional<std::vector<PictureRegion>> regions = worker().take()) {
        found.list = std::move(*regions);
        found.ready = true;
    }
}

// The regions of the loaded file, scanning it first when needed. False when the user stopped
// waiting.
bool regions_ready(const char* title) {
    if (found.ready) {
        return true;
    }
    ScanWorker& scan = worker();
    if (!scan.busy()) {
        ScanOptions options;
        options.max_width = view_settings.maxwidth;
        scan.start(loaded_bytes(), options, scan_threads());
    }
    if (!scan.done()) {
        scan.report_progress(true);
        const int finished =
            progressDialog(title, SCANNING_TEXT, static_cast<int>(scan.ticket()), EventCode::TaskProgress,
                           scan.progress(), [] { return worker().done(); });
        scan.report_progress(false);
        if (finished == 0) {
            return false;
        }
    }
    take_regions();
    return found.ready;
}

}  // namespace

void add_picture_finder_items() {
    addMenuSeparator();
    addMenuItem(CmdSuggestWidth, "Suggest width\tCtrl+W");
    addMenuItem(CmdNextPicture, "Next picture\tCtrl+N");
    addMenuItem(CmdPreviousPicture, "Previous picture\tCtrl+Shift+N");
}

void add_picture_finder_shortcuts() {
    addShortcut(MainWindow, ShortcutKey::Control | 'W', CmdSuggestWidth);
    addShortcut(MainWindow, ShortcutKey::Control | 'N', CmdNextPicture);
    addShortcut(MainWindow, ShortcutKey::Control | ShortcutKey::Shift | 'N', CmdPreviousPicture);
}

void suggest_width() {
    if (!suggestions.continues(view_mark())) {
        const int64_t first_byte = std::max<int64_t>(display_offset(), 0);
        suggestions.begin(suggested_widths(loaded_bytes(), first_byte, view_settings.maxwidth), first_byte);
    }
    const WidthSuggestions::Offer offer = suggestions.step();
    if (offer.width == 0) {
        messageBox(SUGGEST_TITLE, NO_WIDTH_TEXT);
        return;
    }
    // The view this offer leaves is known beforehand, so the redraw that shows it also shows
    // the rank; a view that came out differently ends the offer there.
    suggestions.shown(view_mark(offer.first_byte, offer.width));
    place_view(offer.first_byte, offer.width);
}

void jump_to_picture(bool forward) {
    const char* title = forward ? "Next picture" : "Previous picture";
    if (!loaded_bytes().empty() && !regions_ready(title)) {
        return;
    }
    const int64_t first_byte = display_offset();
    const PictureRegion* region = !found.ready ? nullptr
                                  : forward    ? next_region(found.list, first_byte, shell_state.row_width)
                                               : previous_region(found.list, first_byte);
    if (region == nullptr) {
        messageBox(title,
                   forward ? "No picture found after this point." : "No picture found before this point.");
        return;
    }
    place_view(static_cast<int64_t>(region->start), region->width);
}

void picture_scan_done(int32_t ticket) {
    if (ticket > 0 && worker().ticket() == static_cast<uint32_t>(ticket)) {
        take_regions();
    }
}

void stop_picture_scan() {
    worker().stop();
    found = FoundRegions{};
    ++data_serial;
}

void end_width_suggestions() {
    const WidthSuggestions::Offer offer = suggestions.current(view_mark());
    suggestions.forget();
    if (offer.width == 0) {
        return;
    }
    const std::string note = offer_title_note(offer);
    const std::string title = windowTitle(MainWindow);
    if (title.size() >= note.size() && title.compare(title.size() - note.size(), note.size(), note) == 0) {
        setWindowTitle(MainWindow, title.substr(0, title.size() - note.size()).c_str());
    }
}

void show_width_suggestion() {
    if (!suggestions.active() || !loaded_data.loaded()) {
        return;
    }
    const WidthSuggestions::Offer offer = suggestions.current(view_mark());
    if (offer.width == 0) {
        suggestions.forget();
        return;
    }
    // The redraw that calls this has just written the plain title.
    setWindowTitle(MainWindow, (windowTitle(MainWindow) + offer_title_note(offer)).c_str());
}
