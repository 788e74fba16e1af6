#pragma once
// The status line under the view: start offset, row width, pointer and the byte count under it.
#include <cstdint>
#include <string>

// The pointer values of one canvas position, in source pixels and bytes.
struct PointerReadout {
    int32_t x = 0;     // px / zoom, truncated toward zero
    int32_t y = 0;     // py / zoom, truncated toward zero
    int32_t size = 0;  // bytes from the first byte shown up to (not including) the one under
                       // the pointer, as the layout places them (layout_byte_at)
};

// The values for canvas position (px, py) at the zoom (1, 2, 4 or 8) and row width: the byte
// under source pixel (x, y) is the one the layout draws there, in the multi-column layout also
// where a lone column leaves the view black. The coordinates may be negative or lie beyond the
// canvas while a button is held. The count wraps around in 32 bits instead of overflowing.
[[nodiscard]] PointerReadout pointer_readout(int32_t px, int32_t py, int32_t zoom, int32_t row_width);

// "Disp:D,w:W,x:X,y:Y,size:S", every value in signed decimal without padding.
[[nodiscard]] std::string position_readout_text(int32_t display_offset, int32_t row_width,
                                                const PointerReadout& pointer);

// Computes the values for (px, py), writes the line as the whole text of field 0 of the status
// bar (without a border) and returns the values. A missing status bar only skips the writing.
PointerReadout format_position_readout(int32_t px, int32_t py, int32_t zoom, int32_t row_width,
                                       int32_t display_offset, int status_bar = 0);
