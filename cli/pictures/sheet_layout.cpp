#include "cli/pictures/sheet_layout.h"

#include <algorithm>

#include "cli/pictures/pixel_font.h"

SheetLayout sheet_layout(WidthRange widths, int rows, int zoom) {
    SheetLayout sheet;
    int64_t x = 0;
    for (int w = widths.first; w <= widths.last; ++w) {
        if (w != widths.first) x += SHEET_SEPARATOR;
        StripPlace strip;
        strip.row_width = w;
        strip.width = 8 * w * zoom;
        strip.height = rows * zoom;
        strip.slot_width = std::max(strip.width, label_width(std::to_string(w)) + 2);
        strip.slot_x = static_cast<int>(std::min<int64_t>(x, INT32_MAX));
        strip.x = strip.slot_x;
        strip.y = SHEET_LABEL_BAND;
        x += strip.slot_width;
        sheet.strips.push_back(strip);
    }
    sheet.width = x;
    sheet.height = SHEET_LABEL_BAND + int64_t{rows} * zoom;
    return sheet;
}
