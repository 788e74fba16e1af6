// The layout written straight into the pass's pixel memory, one screen line per source row.
//
// Why this gives the same pixels as the box-per-bit walk: bytes are visited in index order and
// every position at or past the end is blue, so once blue starts everything drawn later is blue.
// A blue block's extra pixel to the right and below therefore lands on a block drawn later in
// blue, except the pixel just right of a column's rows when no column follows there. With
// multi columns that pixel lies at or beyond column 600; without them it is a one-pixel blue
// line at x = 8 x W x zoom from the first row whose last byte is blue down to the bottom. At
// zoom 8 the blocks are 7 x 7 (8 x 8 when blue) in 8 x 8 cells, which leaves the last line and
// column of each cell black unless the cell is blue.
#include "view/sprite_layout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "runtime/image/image.h"

namespace {

void putColour(uint8_t* p, uint32_t colour) {
    p[0] = static_cast<uint8_t>(colour >> 16);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour);
}

// Screen pixels of one byte on one line, for every byte value: 8 cells of Z pixels.
template <int Z>
struct BytePatterns {
    static constexpr int BYTES = 24 * Z;
    std::array<std::array<uint8_t, BYTES>, 256> cell{};  // the block lines of a data byte
    std::array<uint8_t, BYTES> black{};                  // the gap line of zoom 8
    std::array<uint8_t, BYTES> blue{};                   // at or past the end, every line

    BytePatterns() {
        const int lit = Z == 8 ? 7 : Z;
        for (int v = 0; v < 256; ++v) {
            for (int k = 0; k < 8; ++k) {
                const bool set = (v & (0x80 >> k)) != 0;
                for (int p = 0; p < Z; ++p) {
                    putColour(&cell[v][3 * (k * Z + p)], set && p < lit ? COLOUR_SET_BIT : COLOUR_CLEAR_BIT);
                }
            }
        }
        for (int p = 0; p < 8 * Z; ++p) {
            putColour(&black[3 * p], COLOUR_CLEAR_BIT);
            putColour(&blue[3 * p], COLOUR_PAST_END);
        }
    }
};

template <int Z>
const BytePatterns<Z>& patterns() {
    static const BytePatterns<Z> table;
    return table;
}

struct Walk {
    const uint8_t* data = nullptr;
    int64_t len = 0;
    int64_t offset = 0;
    int64_t width = 1;
    bool multi = false;
    uint8_t shown[256] = {};  // data byte to the value drawn: mask, then reverse, then swap
    uint8_t before = 0;       // value drawn for positions before the data: 0, never masked
};

template <int Z>
void drawRows(PixelSurface& surface, const Walk& walk, int visibleWidth, int visibleHeight) {
    constexpr int CELL = 8 * Z;
    constexpr int BYTES = 24 * Z;
    constexpr int ROWS = VIEW_HEIGHT / Z;
    const BytePatterns<Z>& pat = patterns<Z>();
    const int64_t width = walk.width;
    const int64_t columnBytes = ROWS * width;
    const uint64_t len = static_cast<uint64_t>(walk.len);
    const size_t lineBytes = 3 * static_cast<size_t>(visibleWidth);

    // Columns start at byte columns 0, W, 2W ... below 75; only those starting on the surface
    // leave a mark.
    int64_t columns = 0;
    while (columns * width < VIEW_BYTE_COLUMNS && columns * width * CELL < visibleWidth) {
        ++columns;
        if (!walk.multi) {
            break;
        }
    }

    auto cellLine = [&](int64_t i) -> const uint8_t* {
        if (static_cast<uint64_t>(i) < len) {
            return pat.cell[walk.shown[walk.data[i]]].data();
        }
        return i < 0 ? pat.cell[walk.before].data() : pat.blue.data();
    };
    auto gapLine = [&](int64_t i) -> const uint8_t* {
        return i >= walk.len ? pat.blue.data() : pat.black.data();
    };

    for (int row = 0; row < ROWS && row * Z < visibleHeight; ++row) {
        const int top = row * Z;
        uint8_t* line = surface.rowAt(top);
        uint8_t* gap = Z == 8 && top + 7 < visibleHeight ? surface.rowAt(top + 7) : nullptr;
        int64_t drawn = 0;  // pixels of the line written so far
        for (int64_t column = 0; column < columns; ++column) {
            const int64_t x0 = column * width * CELL;
            const int64_t room = visibleWidth - x0;
            const int64_t whole = std::min(width, room / CELL);
            const int64_t tail = whole < width ? room - whole * CELL : 0;  // pixels of a cut byte
            int64_t i = walk.offset + column * columnBytes + row * width;
            uint8_t* out = line + 3 * x0;
            for (int64_t j = 0; j < whole; ++j, ++i, out += BYTES) {
                std::memcpy(out, cellLine(i), BYTES);
            }
            if (tail > 0) {
                std::memcpy(out, cellLine(i), static_cast<size_t>(3 * tail));
            }
            if constexpr (Z == 8) {
                if (gap != nullptr) {
                    int64_t g = walk.offset + column * columnBytes + row * width;
                    uint8_t* gapOut = gap + 3 * x0;
                    for (int64_t j = 0; j < whole; ++j, ++g, gapOut += BYTES) {
                        std::memcpy(gapOut, gapLine(g), BYTES);
                    }
                    if (tail > 0) {
                        std::memcpy(gapOut, gapLine(g), static_cast<size_t>(3 * tail));
                    }
                }
            }
            drawn = x0 + whole * CELL + tail;
        }
        std::memset(line + 3 * drawn, 0, lineBytes - 3 * static_cast<size_t>(drawn));
        if (gap != nullptr) {
            std::memset(gap + 3 * drawn, 0, lineBytes - 3 * static_cast<size_t>(drawn));
        }
        const int repeats = Z == 8 ? 7 : Z;
        for (int y = top + 1; y < top + repeats && y < visibleHeight; ++y) {
            std::memcpy(surface.rowAt(y), line, lineBytes);
        }
    }

    // The blue blocks' extra pixel right of a lone column, where nothing later covers it.
    const int64_t edge = width * CELL;
    if (Z != 8 && !walk.multi && edge < visibleWidth) {
        const int64_t pastEnd = walk.len - (walk.offset + width - 1);  // rows needed to reach it
        const int64_t firstRow = pastEnd <= 0 ? 0 : (pastEnd + width - 1) / width;
        for (int64_t y = firstRow * Z; y < visibleHeight; ++y) {
            putColour(surface.rowAt(static_cast<int>(y)) + 3 * edge, COLOUR_PAST_END);
        }
    }
}

}  // namespace

void draw_sprite_layout(const SpriteLayoutInput& in) {
    PixelSurface* surface = currentSurface();
    // Only the view's own area is worked out directly; on a larger target the blocks that fall
    // outside it would show too, so such a target takes the literal walk.
    if (surface == nullptr || surface->width > VIEW_WIDTH || surface->height > VIEW_HEIGHT) {
        draw_sprite_layout_per_pixel(in);
        return;
    }
    const int visibleWidth = surface->width;
    const int visibleHeight = surface->height;

    Walk walk;
    walk.data = in.data;
    walk.len = in.data != nullptr && in.len > 0 ? in.len : 0;
    walk.offset = in.display_offset;
    walk.width = in.row_width;
    walk.multi = in.multi;
    auto reorder = [&](uint8_t v) {
        if (in.reverse) {
            v = reverse_table[v];
        }
        if (in.nibble_swap) {
            v = nibble_table[v];
        }
        return v;
    };
    const uint8_t mask = in.inverse ? 0xFF : 0x00;
    for (int b = 0; b < 256; ++b) {
        walk.shown[b] = reorder(static_cast<uint8_t>(b ^ mask));
    }
    walk.before = reorder(0);

    if (walk.width < 1) {
        fillBox(0, 0, VIEW_WIDTH, VIEW_HEIGHT, COLOUR_CLEAR_BIT);
        return;
    }
    switch (in.zoom) {
        case 1:
            drawRows<1>(*surface, walk, visibleWidth, visibleHeight);
            break;
        case 2:
            drawRows<2>(*surface, walk, visibleWidth, visibleHeight);
            break;
        case 4:
            drawRows<4>(*surface, walk, visibleWidth, visibleHeight);
            break;
        case 8:
            drawRows<8>(*surface, walk, visibleWidth, visibleHeight);
            break;
        default:
            fillBox(0, 0, VIEW_WIDTH, VIEW_HEIGHT, COLOUR_CLEAR_BIT);
            break;
    }
}
