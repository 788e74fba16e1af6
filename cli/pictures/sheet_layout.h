#pragma once
// Where the strips of a contact sheet go: one strip per row width, side by side, each under a
// band with its width as a label, a separator line between neighbours.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options/arguments.h"
#include "runtime/image/surface.h"

constexpr int SHEET_LABEL_BAND = 1 + 5 + 1;  // a glyph's height with a pixel above and below
constexpr int SHEET_SEPARATOR = 1;
// A sheet is one picture in memory at 3 bytes per pixel: at most 192 MiB of it.
constexpr int64_t MAX_SHEET_PIXELS = int64_t{64} << 20;

constexpr ColourValue SHEET_LABEL_COLOUR = 0x00FFFF;      // yellow
constexpr ColourValue SHEET_SEPARATOR_COLOUR = 0x808080;  // grey
constexpr ColourValue SHEET_PADDING_COLOUR = 0x404040;    // dark grey: beside a strip narrower than its label

struct StripPlace {
    int row_width = 0;
    int slot_x = 0;  // the slot: the strip and any padding right of it
    int slot_width = 0;
    int x = 0;  // the strip: the view of `rows` rows at this width
    int y = 0;
    int width = 0;
    int height = 0;
};

struct SheetLayout {
    int64_t width = 0;
    int64_t height = 0;
    std::vector<StripPlace> strips;
};

// The strips for every width of the range, `rows` data rows each at the zoom: a strip is
// 8 x width x zoom pixels wide and rows x zoom high; its slot is as wide as the strip or its
// label (plus a pixel each side), whichever is wider. Sizes are computed in 64 bits so that
// the caller can refuse a sheet that is too large before anything is made.
[[nodiscard]] SheetLayout sheet_layout(WidthRange widths, int rows, int zoom);
