#include "view/position_readout.h"

#include "runtime/text/text.h"
#include "runtime/ui/statusbar.h"
#include "view/layout/sprite_layout.h"

namespace {

// The readout's arithmetic is 32-bit with wrap-around; forming it in 64 bits and narrowing keeps
// the wrap defined.
int32_t wrap32(int64_t value) { return static_cast<int32_t>(value); }

}  // namespace

PointerReadout pointer_readout(int32_t px, int32_t py, int32_t zoom, int32_t row_width) {
    if (zoom <= 0) {
        zoom = 1;
    }
    PointerReadout out;
    out.x = px / zoom;
    out.y = py / zoom;
    // Truncation toward zero twice is the same as once: at width 1 this is the byte column
    // px / (8 x zoom) times the rows of a column, plus y.
    out.size = wrap32(layout_byte_at(out.x / 8, out.y, row_width, layout_rows_per_column(VIEW_HEIGHT, zoom)));
    return out;
}

std::string position_readout_text(int32_t display_offset, int32_t row_width, const PointerReadout& pointer) {
    return "Disp:" + decimalText(display_offset) + ",w:" + decimalText(row_width) +
           ",x:" + decimalText(pointer.x) + ",y:" + decimalText(pointer.y) +
           ",size:" + decimalText(pointer.size);
}

PointerReadout format_position_readout(int32_t px, int32_t py, int32_t zoom, int32_t row_width,
                                       int32_t display_offset, int status_bar) {
    const PointerReadout pointer = pointer_readout(px, py, zoom, row_width);
    setStatusText(status_bar, 0, position_readout_text(display_offset, row_width, pointer),
                  StatusFlag::NoBorder);
    return pointer;
}
