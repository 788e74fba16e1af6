#pragma once
// The sprite layout: bytes as rows of bits, one bit per pixel, into the current drawing pass.
#include <cstdint>

constexpr int VIEW_WIDTH = 600;
constexpr int VIEW_HEIGHT = 512;
constexpr int VIEW_BYTE_COLUMNS = 75;

constexpr uint32_t COLOUR_SET_BIT = 0xFFFFFF;    // white
constexpr uint32_t COLOUR_CLEAR_BIT = 0x000000;  // black
constexpr uint32_t COLOUR_PAST_END = 0xFF0000;   // blue

// Byte value with its bit order reversed, and with its two halves exchanged.
extern uint8_t reverse_table[256];
extern uint8_t nibble_table[256];
// Fills both tables; called once at start-up.
void build_byte_tables();

struct SpriteLayoutInput {
    const uint8_t* data = nullptr;  // may be null only when len is 0
    int32_t len = 0;
    int32_t display_offset = 0;  // D: may be negative or at / past len
    int32_t row_width = 1;       // W: 1 to 255
    int32_t zoom = 1;            // 1, 2, 4 or 8
    bool inverse = false;
    bool reverse = false;
    bool nibble_swap = false;
    bool multi = false;
};

// Clears the current drawing pass's surface to black and draws the layout into it. A zoom other
// than 1, 2, 4 or 8, or a row width below 1, leaves the view black. A null `data` counts as no
// data, and so does a negative `len`. Only the view's 600 x 512 area is cleared; on a larger
// target blocks that reach past it are drawn there too, exactly as the box walk draws them.
void draw_sprite_layout(const SpriteLayoutInput& in);
// The same picture made with one fillBox per source pixel: the reference the fast one is
// tested and measured against.
void draw_sprite_layout_per_pixel(const SpriteLayoutInput& in);
