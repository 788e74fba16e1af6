#include "app/picture_finder.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "app/finder/width_suggestions.h"
#include "app/scan/scan_worker.h"
#include "app/shell_ids.h"
#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/posted_events.h"
#include "runtime/ui/progress.h"

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
    std::vector<FoundPicture> list;
};
FoundRegions found;

WidthSuggestions suggestions;

// Someone other than a progress dialog follows the scan.
bool followed = false;

// The scan shares the processor with the user interface; the interface comes first.
constexpr int SCAN_NICE_INCREMENT = 10;

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

ViewMark view_mark(const FinderView& view, int64_t first_byte, int32_t width) {
    return ViewMark{first_byte, width, view.zoom, view.flags, data_serial};
}

ViewMark view_mark(const FinderView& view) { return view_mark(view, view.first_byte, view.width); }

FinderAnswer message(const char* title, const char* text) {
    FinderAnswer answer;
    answer.handled = true;
    answer.message_title = title;
    answer.message = text;
    return answer;
}

FinderAnswer go_to(int64_t offset, int32_t width) {
    FinderAnswer answer;
    answer.handled = true;
    answer.place = view_place_for(offset, width);
    return answer;
}

void take_regions() {
    if (std::optional<std::vector<FoundPicture>> regions = worker().take()) {
        found.list = std::move(*regions);
        found.ready = true;
    }
}

// The regions of the loaded file, scanning it first when no scan has run. False when the user
// stopped waiting.
bool regions_ready(const FinderView& view, const char* title) {
    if (found.ready) {
        return true;
    }
    ScanWorker& scan = worker();
    if (!scan.busy()) {
        start_picture_scan(view);
    }
    if (!scan.done()) {
        scan.report_progress(true);
        const int finished =
            progressDialog(title, SCANNING_TEXT, static_cast<int>(scan.ticket()), EventCode::TaskProgress,
                           scan.progress(), [] { return worker().done(); });
        scan.report_progress(followed);
        if (finished == 0) {
            return false;
        }
    }
    take_regions();
    return found.ready;
}

FinderAnswer suggest_width(const FinderView& view) {
    if (!suggestions.continues(view_mark(view))) {
        const int64_t first_byte = std::max<int64_t>(view.first_byte, 0);
        suggestions.begin(suggested_widths(view.data, first_byte, view.max_width), first_byte);
    }
    const WidthSuggestions::Offer offer = suggestions.step();
    if (offer.width == 0) {
        return message(SUGGEST_TITLE, NO_WIDTH_TEXT);
    }
    // The view this offer leaves is known beforehand, so the redraw that shows it also shows
    // the rank; a view that came out differently ends the offer there.
    suggestions.shown(view_mark(view, offer.first_byte, offer.width));
    return go_to(offer.first_byte, offer.width);
}

FinderAnswer jump_to_picture(const FinderView& view, bool forward) {
    const char* title = forward ? "Next picture" : "Previous picture";
    if (!view.data.empty() && !regions_ready(view, title)) {
        FinderAnswer cancelled;
        cancelled.handled = true;
        return cancelled;
    }
    const FoundPicture* picture = !found.ready ? nullptr
                                  : forward    ? next_picture(found.list, view.first_byte, view.width)
                                               : previous_picture(found.list, view.first_byte);
    if (picture == nullptr) {
        return message(
            title, forward ? "No picture found after this point." : "No picture found before this point.");
    }
    return go_to(static_cast<int64_t>(picture->start), picture->width);
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

FinderAnswer picture_finder_command(int command, const FinderView& view) {
    if (command == CmdSuggestWidth) {
        return suggest_width(view);
    }
    // Every other command ends the suggestions: the next one starts over.
    const bool noted = suggestions.current(view_mark(view)).width != 0;
    suggestions.forget();
    FinderAnswer answer;
    if (command == CmdNextPicture || command == CmdPreviousPicture) {
        answer = jump_to_picture(view, command == CmdNextPicture);
    }
    answer.title_changed = noted;
    return answer;
}

std::string picture_finder_title_note(const FinderView& view) {
    if (!suggestions.active() || view.data.empty()) {
        return {};
    }
    const WidthSuggestions::Offer offer = suggestions.current(view_mark(view));
    if (offer.width == 0) {
        suggestions.forget();
        return {};
    }
    return offer_title_note(offer);
}

void start_picture_scan(const FinderView& view) {
    if (view.data.empty()) {
        return;
    }
    ScanOptions options;
    options.max_width = view.max_width;
    worker().start(view.data, options, scan_threads(), SCAN_NICE_INCREMENT);
    worker().report_progress(followed);
}

ScanNews picture_scan_news(size_t first, size_t limit) {
    ScanNews news;
    news.file = data_serial;
    if (found.ready) {
        news.finished = true;
        news.thousandths = 1000;
        if (first < found.list.size()) {
            const auto from = found.list.begin() + static_cast<std::ptrdiff_t>(first);
            const size_t count = std::min(found.list.size() - first, limit);
            news.pictures.assign(from, from + static_cast<std::ptrdiff_t>(count));
        }
    } else if (worker().busy()) {
        news.running = true;
        news.thousandths = worker().progress();
        news.pictures = worker().found_since(first, limit);
    }
    return news;
}

void follow_picture_scan(bool on) {
    followed = on;
    worker().report_progress(on);
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
