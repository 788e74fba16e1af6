#include "tests/support/sprite_layout_reference.h"

#include <algorithm>
#include <cstdint>

#include "runtime/image/image.h"

void draw_sprite_layout_per_pixel(const SpriteLayoutInput& in) {
    const int64_t viewWidth = in.view_width;
    const int64_t viewHeight = in.view_height;
    if (viewWidth < 1 || viewHeight < 1) {
        return;
    }
    // A box cut to the view area; fillBox cuts it to the surface.
    const auto box = [&](int64_t x, int64_t y, int64_t side, ColourValue colour) {
        const int64_t w = std::min(side, viewWidth - x);
        const int64_t h = std::min(side, viewHeight - y);
        if (w > 0 && h > 0) {
            fillBox(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h),
                    colour);
        }
    };
    fillBox(0, 0, in.view_width, in.view_height, COLOUR_CLEAR_BIT);

    const int64_t zoom = in.zoom;
    const int64_t width = in.row_width;
    if ((zoom != 1 && zoom != 2 && zoom != 4 && zoom != 8) || width < 1) {
        return;
    }
    const int64_t len = in.data != nullptr && in.len > 0 ? in.len : 0;
    const int64_t edge = zoom == 8 ? 7 : zoom;
    const uint8_t mask = in.inverse ? 0xFF : 0x00;

    int64_t c = 0;
    int64_t y = 0;
    int64_t i = in.display_offset;
    while (c * 8 < viewWidth) {
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
                if (past) {
                    box(x, y, edge + 1, COLOUR_PAST_END);
                } else {
                    box(x, y, edge, (v & (0x80 >> k)) != 0 ? COLOUR_SET_BIT : COLOUR_CLEAR_BIT);
                }
            }
            ++i;
        }
        y += zoom;
        if (y < viewHeight) {
            continue;
        }
        y = 0;
        c += width;
        if (!in.multi) {
            break;
        }
    }
}
