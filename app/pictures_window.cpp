#include "app/pictures_window.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "app/pictures/file_map.h"
#include "app/pictures/picture_table.h"
#include "app/pictures/thumbnail.h"
#include "app/shell_ids.h"
#include "runtime/image/image.h"
#include "runtime/text/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/picture_list.h"
#include "runtime/ui/posted_events.h"
#include "runtime/ui/statusbar.h"

namespace {

constexpr const char* WINDOW_TITLE = "Pictures";
constexpr uint32_t WINDOW_FLAGS = WindowFlag::TitleBar | WindowFlag::SystemMenu | WindowFlag::MinimizeBox;
constexpr int THUMBNAIL_WIDTH = 128;
constexpr int THUMBNAIL_HEIGHT = 48;
constexpr int LIST_WIDTH = 520;
constexpr int LIST_HEIGHT = 540;
constexpr int MAP_X = LIST_WIDTH + 6;
constexpr int MAP_WIDTH = 28;
constexpr int WINDOW_WIDTH = MAP_X + MAP_WIDTH + 4;
constexpr int FILTER_Y = LIST_HEIGHT + 4;
constexpr int WINDOW_HEIGHT = FILTER_Y + 58;
constexpr int COUNTS_FIELD_WIDTH = 240;

// At most this many pictures are taken in one turn of the loop: the scan may hand over thousands
// at once (a run of pieces joined together), and every handler is to stay short.
constexpr size_t PICTURES_PER_TURN = 1024;

constexpr ColourValue MAP_BACKGROUND = 0x282828;
constexpr ColourValue MAP_MARKER = 0x0080FF;  // orange (red in the low byte)
constexpr int MARKER_BAR = 4;                 // the marker's bars left and right of the marks

struct PicturesState {
    bool open = false;
    bool known = false;  // `file` names the file whose pictures `table` holds
    uint64_t file = 0;
    PictureTable table;
    std::span<const uint8_t> data;
    FileMap map;
    std::vector<double> marks;
    MapSpan marker{-1, -1};
    bool scanning = false;
    bool scanned = false;
    int thousandths = 0;
};
PicturesState window;

std::string score_text(double score) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", score);
    return text;
}

std::string row_text(int row, int column) {
    if (row < 0 || static_cast<size_t>(row) >= window.table.shown()) return {};
    const FoundPicture& picture = window.table.shown(static_cast<size_t>(row));
    switch (column) {
        case 1:
            return decimalText(static_cast<int64_t>(picture.start));
        case 2:
            return decimalText(picture.width);
        case 3:
            return decimalText(static_cast<int64_t>(picture.end - picture.start));
        case 4:
            return picture_kind_text(picture);
        case 5:
            return score_text(picture.score);
        default:
            return {};
    }
}

void draw_row_thumbnail(int row, PixelSurface& into) {
    if (row >= 0 && static_cast<size_t>(row) < window.table.shown()) {
        draw_thumbnail(window.data, window.table.shown(static_cast<size_t>(row)), into);
    }
}

ColourValue mark_colour(double score) {
    const auto level = static_cast<uint32_t>(70 + 185 * std::clamp(score, 0.0, 1.0));
    return level * 0x010101u;
}

void draw_map() {
    if (beginDrawing(canvasTarget(PicturesMap)) == 0) return;
    fillBox(0, 0, MAP_WIDTH, LIST_HEIGHT, MAP_BACKGROUND);
    for (size_t row = 0; row < window.marks.size(); ++row) {
        if (window.marks[row] >= 0) {
            fillBox(MARKER_BAR + 1, static_cast<int>(row), MAP_WIDTH - 2 * MARKER_BAR - 2, 1,
                    mark_colour(window.marks[row]));
        }
    }
    if (window.marker.top >= 0) {
        // At least three rows tall, so that a view of a few bytes in a large file still shows.
        const int top = std::max(0, std::min(window.marker.top, window.marker.bottom - 2));
        const int height = std::max(window.marker.bottom - top + 1, 3);
        fillBox(0, top, MARKER_BAR, height, MAP_MARKER);
        fillBox(MAP_WIDTH - MARKER_BAR, top, MARKER_BAR, height, MAP_MARKER);
    }
    endDrawing();
}

void write_status() {
    const size_t shown = window.table.shown();
    setStatusText(PicturesStatusBar, 0,
                  decimalText(static_cast<int64_t>(shown)) + " shown, " +
                      decimalText(static_cast<int64_t>(window.table.hidden())) + " hidden",
                  StatusFlag::NoBorder);
    std::string scan;
    if (window.scanning) {
        scan = "scanning the file: " + decimalText(window.thousandths / 10) + "%";
    } else if (window.scanned) {
        scan = "scan done";
    }
    setStatusText(PicturesStatusBar, 1, scan, StatusFlag::NoBorder);
}

// The list, the map and the status line after the table changed. The selected picture stays
// selected where it is still listed; otherwise the best row is.
void show_table(const std::optional<FoundPicture>& selected) {
    const size_t shown = window.table.shown();
    setPictureListRows(PicturesList, static_cast<int>(shown));
    const std::optional<size_t> row = selected ? window.table.row_of(*selected) : std::nullopt;
    setControlState(PicturesList, row ? static_cast<int32_t>(*row) : (shown == 0 ? -1 : 0));
    draw_map();
    write_status();
}

void mark_every_shown_picture() {
    window.marks = unmarked_rows(window.map);
    for (size_t row = 0; row < window.table.shown(); ++row) {
        mark_picture(window.map, window.table.shown(row), window.marks);
    }
}

// Takes the pictures of a look at the scan: into the table, and onto the map when listed.
void take_pictures(const std::vector<FoundPicture>& pictures) {
    window.table.add(pictures);
    for (const FoundPicture& picture : pictures) {
        if (window.table.passes(picture)) mark_picture(window.map, picture, window.marks);
    }
}

std::optional<FoundPicture> selected_picture() {
    const int32_t row = controlState(PicturesList);
    if (row < 0 || static_cast<size_t>(row) >= window.table.shown()) return std::nullopt;
    return window.table.shown(static_cast<size_t>(row));
}

void build_controls() {
    const std::vector<PictureListColumn> columns = {
        {"", THUMBNAIL_WIDTH + 8}, {"start", 78}, {"width", 44}, {"bytes", 64}, {"kind", 112}, {"score", 40},
    };
    createPictureList(PicturesList, 0, 0, LIST_WIDTH, LIST_HEIGHT, columns, THUMBNAIL_WIDTH,
                      THUMBNAIL_HEIGHT);
    setPictureListContent(PicturesList, PictureListContent{row_text, draw_row_thumbnail});
    createCanvas(PicturesMap, MAP_X, 0, MAP_WIDTH, LIST_HEIGHT);
    setControlText(PicturesMap, "file map");  // names it in the layout dump
    setToolTip(PicturesMap, "the whole file: a click shows that place");
    static_assert(SHOWN_SCORE == 0.5, "the filter's label names the score");
    createCheckBox(PicturesFilterBox, 4, FILTER_Y, 220, 22, "only score ≥ 0.5");
    setControlState(PicturesFilterBox, 1);
    if (createStatusBar(PicturesStatusBar, windowHandle(PicturesWindow)) != 0) {
        addStatusField(COUNTS_FIELD_WIDTH);
        addStatusField(STATUS_FIELD_SHARED);
    }
    addShortcut(PicturesWindow, VirtualKey::Escape, CmdClosePictures);
}

}  // namespace

void add_pictures_window_item() { addMenuItem(CmdPictures, "Pictures...\tCtrl+P"); }

void add_pictures_window_shortcut() { addShortcut(MainWindow, ShortcutKey::Control | 'P', CmdPictures); }

void open_pictures_window(const FinderView& view) {
    if (openWindow(PicturesWindow, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_TITLE, WINDOW_FLAGS) == 0)
        return;
    placeWindowBeside(PicturesWindow, MainWindow);
    build_controls();
    window.open = true;
    window.known = false;
    window.table = PictureTable{};
    window.marker = MapSpan{-1, -1};
    follow_picture_scan(true);
    update_pictures_window(view);
    setKeyboardFocus(PicturesList);
}

void close_pictures_window() {
    if (!window.open) return;
    follow_picture_scan(false);
    closeWindow(PicturesWindow);
    window = PicturesState{};
}

bool pictures_window_open() { return window.open; }

void update_pictures_window(const FinderView& view) {
    if (!window.open) return;
    const size_t first = window.known ? window.table.taken() : 0;
    ScanNews news = picture_scan_news(first, PICTURES_PER_TURN);
    const bool another_file = !window.known || news.file != window.file;
    if (another_file && first > 0) news = picture_scan_news(0, PICTURES_PER_TURN);
    const std::optional<FoundPicture> selected = another_file ? std::nullopt : selected_picture();
    if (another_file) {
        window.table.clear();
        window.file = news.file;
        window.known = true;
        window.data = view.data;
        window.map = FileMap{view.data.size(), LIST_HEIGHT};
        window.marks = unmarked_rows(window.map);
    }
    if (news.pictures.size() == PICTURES_PER_TURN) {
        // More may wait: the next turn of the loop takes them.
        postEventFromAnyThread(EventCode::TaskProgress, MainWindow, 0, 0);
    }
    const bool progressed = news.running != window.scanning || news.finished != window.scanned ||
                            news.thousandths / 10 != window.thousandths / 10;
    window.scanning = news.running;
    window.scanned = news.finished;
    window.thousandths = news.thousandths;
    if (another_file || !news.pictures.empty()) {
        take_pictures(news.pictures);
        show_table(selected);
    } else if (progressed) {
        write_status();
    }
}

void pictures_window_follow_view(const SpriteLayoutInput& shown) {
    if (!window.open || window.data.empty()) return;
    const int64_t width = std::max(shown.row_width, 1);
    const int64_t zoom = std::max(shown.zoom, 1);
    // Multi columns start at every W-th byte column whose first pixel lies in the view.
    const int64_t columns = shown.multi ? (VIEW_BYTE_COLUMNS + width * zoom - 1) / (width * zoom) : 1;
    const int64_t bytes = columns * layout_rows_per_column(shown.view_height, shown.zoom) * width;
    const MapSpan marker = map_view_span(window.map, shown.display_offset, bytes);
    if (marker != window.marker) {
        window.marker = marker;
        draw_map();
    }
}

std::optional<ViewPlace> pictures_window_control(int control, int32_t kind, const FinderView& view) {
    if (!window.open) return std::nullopt;
    if (control == PicturesList && kind == ControlEventKind::Click) {
        if (const std::optional<FoundPicture> picture = selected_picture()) {
            return view_place_for(static_cast<int64_t>(picture->start), picture->width);
        }
    } else if (control == PicturesFilterBox) {
        const std::optional<FoundPicture> selected = selected_picture();
        window.table.set_filter(controlState(PicturesFilterBox) != 0);
        mark_every_shown_picture();
        show_table(selected);
    } else if (control == PicturesMap && !window.data.empty()) {
        const bool pressed = kind == ControlEventKind::LeftDown ||
                             (kind == ControlEventKind::PointerMoved &&
                              (controlAttribute(PicturesMap, CanvasAttribute::Buttons) & 1) != 0);
        if (pressed) {
            const int y = controlAttribute(PicturesMap, CanvasAttribute::PointerY);
            return view_place_for(static_cast<int64_t>(window.map.first_byte_of(y)), view.width);
        }
    }
    return std::nullopt;
}
