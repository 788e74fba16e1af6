// The layout drawn literally: one fillBox per source pixel, in the order of the walk. Slow on
// purpose; it is the reference the fast drawing is checked and timed against.
#include <climits>
#include <cstdint>

#include "runtime/image/image.h"
#include "view/layout/sprite_layout.h"

void draw_sprite_layout_per_pixel(const SpriteLayoutInput& in) {
    fillBox(0, 0, VIEW_WIDTH, VIEW_HEIGHT, COLOUR_CLEAR_BIT);
    const int64_t zoom = in.zoom;
    const int64_t width = in.row_width;
    if ((zoom != 1 && zoom != 2 && zoom != 4 && zoom != 8) || width < 1) {
        return;
    }
    const int64_t len = in.data != nullptr && in.len > 0 ? in.len : 0;
    const int edge = zoom == 8 ? 7 : static_cast<int>(zoom);
    const uint8_t mask = in.inverse ? 0xFF : 0x00;

    int64_t c = 0;
    int64_t y = 0;
    int64_t i = in.display_offset;
    while (c < VIEW_BYTE_COLUMNS) {
        for (int64_t j = 1; j <= width; ++j) {
            const bool past = i >= len;
            uint8_t v = 0;
            if (i >= 0 && i < len) {
                v = in.data[i] ^ mask;
            }
            if (in.reverse) {
                v = reverse_table[v];
            }
            if (in.nibble_swap) {
                v = nibble_table[v];
            }
            for (int k = 0; k < 8; ++k) {
                const int64_t x = (c * 8 + (j - 1) * 8 + k) * zoom;
                if (x > INT_MAX) {
                    break;  // clipped away on any target
                }
                if (past) {
                    fillBox(static_cast<int>(x), static_cast<int>(y), edge + 1, edge + 1, COLOUR_PAST_END);
                } else {
                    const ColourValue colour = (v & (0x80 >> k)) != 0 ? COLOUR_SET_BIT : COLOUR_CLEAR_BIT;
                    fillBox(static_cast<int>(x), static_cast<int>(y), edge, edge, colour);
                }
            }
            ++i;
        }
        y += zoom;
        if (y < VIEW_HEIGHT) {
            continue;
        }
        y = 0;
        c += width;
        if (!in.multi) {
            break;
        }
    }
}
