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
#include "view/layout/sprite_layout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "runtime/image/image.h"
#include "view/layout/bit_line.h"

namespace {

static_assert(COLOUR_CLEAR_BIT == 0, "black lines and line ends are cleared with memset");

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
            putColour(&blue[3 * p], COLOUR_PAST_END);
        }
    }
};

// A whole view line of the past-the-end colour.
const std::array<uint8_t, 3 * VIEW_WIDTH>& blueLine() {
    static const std::array<uint8_t, 3 * VIEW_WIDTH> line = [] {
        std::array<uint8_t, 3 * VIEW_WIDTH> l{};
        for (int x = 0; x < VIEW_WIDTH; ++x) {
            putColour(&l[3 * static_cast<size_t>(x)], COLOUR_PAST_END);
        }
        return l;
    }();
    return line;
}

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

// The part of one column's rows that lies on the surface: where the column starts in the data
// and on the line, how many of a row's bytes show whole, and how many pixels of the next one.
struct Segment {
    int64_t first = 0;
    int64_t x = 0;
    int64_t whole = 0;
    int64_t tail = 0;
};

template <int Z>
void drawRows(PixelSurface& surface, const Walk& walk, int visibleWidth, int visibleHeight) {
    constexpr int CELL = 8 * Z;
    constexpr int BYTES = 24 * Z;
    constexpr int ROWS = VIEW_HEIGHT / Z;
    const BytePatterns<Z>& pat = patterns<Z>();
    // Locals, not reads through `walk`: the pixel stores could alias those and force reloads.
    const uint8_t* const data = walk.data;
    const int64_t len = walk.len;
    const int64_t width = walk.width;
    const size_t lineBytes = 3 * static_cast<size_t>(visibleWidth);
    const uint8_t* look[256];
    for (int b = 0; b < 256; ++b) {
        look[b] = pat.cell[walk.shown[b]].data();
    }
    const uint8_t* const before = pat.cell[walk.before].data();
    const uint8_t* const blue = pat.blue.data();
    const std::array<uint8_t, 3 * VIEW_WIDTH>& blueLine = ::blueLine();
    auto cellLine = [&](int64_t i) -> const uint8_t* {
        if (i >= 0 && i < len) {
            return look[data[i]];
        }
        return i < 0 ? before : blue;
    };

    // Columns start at byte columns 0, W, 2W ... below 75; only those starting on the surface
    // leave a mark.
    Segment segments[VIEW_BYTE_COLUMNS];
    int count = 0;
    for (int64_t c = 0; c < VIEW_BYTE_COLUMNS && c * CELL < visibleWidth; c += width) {
        Segment& seg = segments[count++];
        seg.first = walk.offset + (c / width) * ROWS * width;
        seg.x = c * CELL;
        const int64_t room = visibleWidth - seg.x;
        seg.whole = std::min(width, room / CELL);
        seg.tail = seg.whole < width ? room - seg.whole * CELL : 0;
        if (!walk.multi) {
            break;
        }
    }
    const Segment& last = segments[count - 1];
    const int64_t drawn = last.x + last.whole * CELL + last.tail;  // pixels of each line

    // At zoom 1 a byte is cut only on a target narrower than the view; otherwise a line is a
    // plain run of bytes, turned into pixels in one go.
    const bool plainRun = Z == 1 && last.tail == 0;
    uint8_t gathered[VIEW_BYTE_COLUMNS];
    std::optional<BitLine> bitLine;
    if (plainRun) {
        bitLine.emplace(walk.shown);
    }

    // Byte indices grow along a line, so on every line the columns fall into three runs: those
    // reaching before the data, those wholly inside it, and those reaching past its end, where
    // all but the first are wholly past it. Further down the view both boundaries can only move
    // left, so they are followed rather than searched for.
    auto lastIndex = [&](int k, int64_t step) {
        const Segment& seg = segments[k];
        return seg.first + step + seg.whole + (seg.tail > 0 ? 1 : 0) - 1;
    };
    int beforeEnd = count;  // columns [0, beforeEnd) reach before the data
    int pastStart = count;  // columns [pastStart, count) reach past its end

    const int rows = std::min(ROWS, (visibleHeight + Z - 1) / Z);
    for (int row = 0; row < rows; ++row) {
        const int top = row * Z;
        uint8_t* const line = surface.rowAt(top);
        const int64_t step = row * width;
        while (beforeEnd > 0 && segments[beforeEnd - 1].first + step >= 0) {
            --beforeEnd;
        }
        while (pastStart > 0 && lastIndex(pastStart - 1, step) >= len) {
            --pastStart;
        }
        const int dataEnd = std::max(beforeEnd, pastStart);  // columns [beforeEnd, dataEnd) are data

        auto checked = [&](int k) {
            const Segment& seg = segments[k];
            const int64_t i = seg.first + step;
            uint8_t* out = line + 3 * seg.x;
            for (int64_t j = 0; j < seg.whole; ++j, out += BYTES) {
                std::memcpy(out, cellLine(i + j), BYTES);
            }
            if (seg.tail > 0) {
                std::memcpy(out, cellLine(i + seg.whole), static_cast<size_t>(3 * seg.tail));
            }
        };
        for (int k = 0; k < beforeEnd; ++k) {
            checked(k);
        }
        if (plainRun && beforeEnd < dataEnd) {
            uint8_t* out = line + 3 * segments[beforeEnd].x;
            if (width == 1) {
                // One byte per column, the columns a column's length apart in the data.
                const int64_t stride = count > 1 ? segments[1].first - segments[0].first : 1;
                bitLine->expand(out, data + segments[beforeEnd].first + step, stride, dataEnd - beforeEnd);
            } else {
                // The columns' runs side by side, then one expansion; the runs are copied in
                // fixed 8-byte pieces, which the compiler turns into single moves.
                int n = 0;
                for (int k = beforeEnd; k < dataEnd; ++k) {
                    const uint8_t* from = data + segments[k].first + step;
                    const int run = static_cast<int>(segments[k].whole);
                    int j = 0;
                    for (; j + 8 <= run; j += 8) {
                        std::memcpy(gathered + n + j, from + j, 8);
                    }
                    for (; j < run; ++j) {
                        gathered[n + j] = from[j];
                    }
                    n += run;
                }
                bitLine->expand(out, gathered, 1, n);
            }
        } else {
            for (int k = beforeEnd; k < dataEnd; ++k) {
                const Segment& seg = segments[k];
                const uint8_t* from = data + seg.first + step;
                uint8_t* out = line + 3 * seg.x;
                for (int64_t j = 0; j < seg.whole; ++j, out += BYTES) {
                    std::memcpy(out, look[from[j]], BYTES);
                }
                if (seg.tail > 0) {
                    std::memcpy(out, look[from[seg.whole]], static_cast<size_t>(3 * seg.tail));
                }
            }
        }
        if (dataEnd < count) {
            checked(dataEnd);
            if (dataEnd + 1 < count) {
                const int64_t from = segments[dataEnd + 1].x;
                std::memcpy(line + 3 * from, blueLine.data(), static_cast<size_t>(3 * (drawn - from)));
            }
        }
        std::memset(line + 3 * drawn, 0, lineBytes - 3 * static_cast<size_t>(drawn));

        if constexpr (Z == 8) {
            // The last line of each cell is black but under blue cells.
            if (top + 7 < visibleHeight) {
                uint8_t* const gap = surface.rowAt(top + 7);
                std::memset(gap, 0, lineBytes);
                for (int k = 0; k < count; ++k) {
                    const Segment& seg = segments[k];
                    const int64_t shown = seg.whole + (seg.tail > 0 ? 1 : 0);
                    const int64_t i = seg.first + step;
                    for (int64_t j = std::clamp<int64_t>(len - i, 0, shown); j < shown; ++j) {
                        const int64_t pixels = j < seg.whole ? CELL : seg.tail;
                        std::memcpy(gap + 3 * seg.x + j * BYTES, blue, static_cast<size_t>(3 * pixels));
                    }
                }
            }
        }
        const int repeats = Z == 8 ? 7 : Z;
        for (int y = top + 1; y < top + repeats && y < visibleHeight; ++y) {
            std::memcpy(surface.rowAt(y), line, lineBytes);
        }
    }

    // The blue blocks' extra pixel right of a lone column, where nothing later covers it.
    const int64_t edge = width * CELL;
    if (Z != 8 && !walk.multi && edge < visibleWidth) {
        const int64_t pastEnd = len - (walk.offset + width - 1);  // rows needed to reach it
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
