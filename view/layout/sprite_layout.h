#pragma once
// The sprite layout: bytes as rows of bits, one bit per pixel, into the current drawing pass.
#include <cstdint>

#include "common/byte_tables.h"
#include "common/row_width.h"

constexpr int VIEW_WIDTH = 600;
constexpr int VIEW_HEIGHT = 512;
constexpr int VIEW_BYTE_COLUMNS = 75;
static_assert(VIEW_BYTE_COLUMNS * 8 == VIEW_WIDTH);

constexpr uint32_t COLOUR_SET_BIT = 0xFFFFFF;    // white
constexpr uint32_t COLOUR_CLEAR_BIT = 0x000000;  // black
constexpr uint32_t COLOUR_PAST_END = 0xFF0000;   // blue

struct SpriteLayoutInput {
    const uint8_t* data = nullptr;  // may be null only when len is 0
    int32_t len = 0;
    int32_t display_offset = 0;  // D: may be negative or at / past len
    int32_t row_width = 1;       // W: 1 to MAX_ROW_WIDTH in the program; any width from 1 draws
    int32_t zoom = 1;            // 1, 2, 4 or 8
    bool inverse = false;
    bool reverse = false;
    bool nibble_swap = false;
    bool multi = false;
    // The area the layout fills, from the top left of the target: the window's canvas, or any
    // size a picture is made at.
    int32_t view_width = VIEW_WIDTH;
    int32_t view_height = VIEW_HEIGHT;
};

// Where the layout puts bytes, for the drawing and for whoever asks what lies under a point. A
// column holds `rows_per_column` rows of W bytes (view_height / zoom, rounded up); column k
// starts at byte column k x W (a byte column is 8 source pixels wide) and holds the bytes from
// k x rows_per_column x W on, counted from the first byte shown.
[[nodiscard]] int64_t layout_rows_per_column(int32_t view_height, int32_t zoom);
// The byte at byte column `column` of source row `row`, counted from the first byte shown: row
// `row` of column column / W, byte column % W of that row. Where nothing is drawn (right of a
// lone column, or beyond the view) the same arithmetic goes on, with the division truncated
// toward zero: further columns to the right every W byte columns, rows above and below. A width
// below 1 counts as 1.
[[nodiscard]] int64_t layout_byte_at(int64_t column, int64_t row, int32_t row_width, int64_t rows_per_column);

// Clears the view area (view_width x view_height at the top left of the current drawing pass's
// surface, cut to that surface) to black and draws the layout into it; nothing outside the area
// is touched, and a view size below 1 draws nothing. A column holds view_height / zoom rows,
// rounded up (the last one cut at the bottom); with `multi` a further column starts at each
// byte column W, 2W ... whose first pixel at zoom 1 lies inside view_width, so the default size
// gives the 75 byte columns of the 600 x 512 view. A zoom other than 1, 2, 4 or 8, or a row
// width below 1, leaves the area black. A null `data` counts as no data, and so does a negative
// `len`. Without a current drawing pass nothing happens.
void draw_sprite_layout(const SpriteLayoutInput& in);
