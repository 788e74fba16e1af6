// The layout written straight into the pass's pixel memory, one screen line per source row.
//
// Why this gives the same pixels as the box-per-bit walk: bytes are visited in index order and
// every position at or past the end is blue, so once blue starts everything drawn later is blue.
// A blue block's extra pixel to the right and below therefore lands on a block drawn later in
// blue, except the pixel just right of a column's rows when no column follows there, and the
// line below the last row, which lies below the view. With multi columns the pixel right of the
// last column lies at or beyond the view's right edge (no column follows only when the next one
// would start there); without them it is a one-pixel blue line at x = 8 x W x zoom from the
// first row whose last byte is blue down to the bottom. At zoom 8 the blocks are 7 x 7 (8 x 8
// when blue) in 8 x 8 cells, which leaves the last line and column of each cell black unless
// the cell is blue.
#include "view/layout/sprite_layout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

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

template <int Z>
const BytePatterns<Z>& patterns() {
    static const BytePatterns<Z> table;
    return table;
}

// What one call draws: the data with its transform, and the view area as far as it lies on the
// surface.
struct Walk {
    const uint8_t* data = nullptr;
    int64_t len = 0;
    int64_t offset = 0;
    int64_t width = 1;
    bool multi = false;
    int64_t viewWidth = 0;
    int64_t viewHeight = 0;
    int visibleWidth = 0;  // the view area cut to the surface
    int visibleHeight = 0;
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

// Draws one zoom's layout line by line. Byte indices grow along a line, so on every line the
// columns fall into three runs: those reaching before the data, those wholly inside it, and
// those reaching past its end, where all but the first are wholly past it. Further down the
// view both boundaries can only move left, so they are followed rather than searched for.
template <int Z>
class ZoomPainter {
public:
    ZoomPainter(PixelSurface& surface, const Walk& walk)
        : surface_(surface), walk_(walk), pat_(patterns<Z>()) {
        for (int b = 0; b < 256; ++b) {
            look_[b] = pat_.cell[walk.shown[b]].data();
        }
        lineBytes_ = 3 * static_cast<size_t>(walk.visibleWidth);
        columnSegments();
        const Segment& last = segments_.back();
        drawn_ = last.x + last.whole * CELL + last.tail;
        blueLine_.resize(3 * static_cast<size_t>(drawn_));
        for (int64_t x = 0; x < drawn_; ++x) {
            putColour(&blueLine_[3 * static_cast<size_t>(x)], COLOUR_PAST_END);
        }
        // At zoom 1 a byte is cut only where the surface or the view ends inside it; otherwise a
        // line's data is a plain run of bytes, turned into pixels in one go.
        if (Z == 1 && last.tail == 0) {
            bitLine_.emplace(walk.shown);
            gathered_.resize(static_cast<size_t>(drawn_ / CELL) + 1);
        }
    }

    void draw() {
        const int count = static_cast<int>(segments_.size());
        int beforeEnd = count;  // columns [0, beforeEnd) reach before the data
        int pastStart = count;  // columns [pastStart, count) reach past its end
        const int64_t rows = std::min<int64_t>(rowsPerColumn(), (walk_.visibleHeight + Z - 1) / Z);
        for (int row = 0; row < rows; ++row) {
            const int top = row * Z;
            uint8_t* const line = surface_.rowAt(top);
            const int64_t step = row * walk_.width;
            while (beforeEnd > 0 && segments_[beforeEnd - 1].first + step >= 0) {
                --beforeEnd;
            }
            while (pastStart > 0 && lastIndex(segments_[pastStart - 1], step) >= walk_.len) {
                --pastStart;
            }
            const int dataEnd = std::max(beforeEnd, pastStart);  // columns [beforeEnd, dataEnd) are data

            for (int k = 0; k < beforeEnd; ++k) {
                checkedColumn(line, segments_[k], step);
            }
            dataRunToLine(line, beforeEnd, dataEnd, step);
            pastEndToLine(line, dataEnd, step);
            std::memset(line + 3 * drawn_, 0, lineBytes_ - 3 * static_cast<size_t>(drawn_));
            if constexpr (Z == 8) {
                zoomEightGaps(top, step);
            }
            repeatLine(top);
        }
        loneColumnEdge();
    }

private:
    static constexpr int CELL = 8 * Z;  // pixels of one byte on a line
    static constexpr int BYTES = 3 * CELL;
    static constexpr int LIT = Z == 8 ? 7 : Z;  // lines of a cell a data block covers

    // The rows of a column: the last one may be cut at the bottom of the view.
    int64_t rowsPerColumn() const {
        return layout_rows_per_column(static_cast<int32_t>(walk_.viewHeight), Z);
    }

    // Columns start at byte columns 0, W, 2W ... whose zoom-1 pixel lies inside the view; only
    // those starting on the surface leave a mark.
    void columnSegments() {
        const int64_t width = walk_.width;
        const int64_t visibleWidth = walk_.visibleWidth;
        for (int64_t c = 0; c * 8 < walk_.viewWidth && c * CELL < visibleWidth; c += width) {
            Segment seg;
            seg.first = walk_.offset + layout_byte_at(c, 0, static_cast<int32_t>(width), rowsPerColumn());
            seg.x = c * CELL;
            const int64_t room = visibleWidth - seg.x;
            seg.whole = std::min(width, room / CELL);
            seg.tail = seg.whole < width ? room - seg.whole * CELL : 0;
            segments_.push_back(seg);
            if (!walk_.multi) {
                break;
            }
        }
    }

    // The index of the last byte a column shows on the row `step` bytes down.
    static int64_t lastIndex(const Segment& seg, int64_t step) {
        return seg.first + step + seg.whole + (seg.tail > 0 ? 1 : 0) - 1;
    }

    const uint8_t* cellLine(int64_t i) const {
        if (i >= 0 && i < walk_.len) {
            return look_[walk_.data[i]];
        }
        return i < 0 ? pat_.cell[walk_.before].data() : pat_.blue.data();
    }

    // One column's bytes on a line, each position checked against the ends of the data.
    void checkedColumn(uint8_t* line, const Segment& seg, int64_t step) const {
        const int64_t i = seg.first + step;
        uint8_t* out = line + 3 * seg.x;
        for (int64_t j = 0; j < seg.whole; ++j, out += BYTES) {
            std::memcpy(out, cellLine(i + j), BYTES);
        }
        if (seg.tail > 0) {
            std::memcpy(out, cellLine(i + seg.whole), static_cast<size_t>(3 * seg.tail));
        }
    }

    // Columns [from, to), all of whose bytes on this line are data.
    void dataRunToLine(uint8_t* line, int from, int to, int64_t step) {
        if (from >= to) {
            return;
        }
        // Locals, not reads through members: the pixel stores could alias those and force
        // reloads.
        const uint8_t* const data = walk_.data;
        uint8_t* const start = line + 3 * segments_[from].x;
        if (!bitLine_) {
            const uint8_t* const* const look = look_;
            for (int k = from; k < to; ++k) {
                const Segment& seg = segments_[k];
                const uint8_t* bytes = data + seg.first + step;
                uint8_t* out = line + 3 * seg.x;
                const int64_t whole = seg.whole;
                for (int64_t j = 0; j < whole; ++j, out += BYTES) {
                    std::memcpy(out, look[bytes[j]], BYTES);
                }
                if (seg.tail > 0) {
                    std::memcpy(out, look[bytes[whole]], static_cast<size_t>(3 * seg.tail));
                }
            }
        } else if (walk_.width == 1) {
            // One byte per column, the columns a column's length apart in the data.
            const int64_t stride = segments_.size() > 1 ? segments_[1].first - segments_[0].first : 1;
            bitLine_->expand(start, data + segments_[from].first + step, stride, to - from);
        } else {
            // The columns' runs side by side, then one expansion; the runs are copied in fixed
            // 8-byte pieces, which the compiler turns into single moves.
            uint8_t* const gathered = gathered_.data();
            int n = 0;
            for (int k = from; k < to; ++k) {
                const uint8_t* bytes = data + segments_[k].first + step;
                const int run = static_cast<int>(segments_[k].whole);
                int j = 0;
                for (; j + 8 <= run; j += 8) {
                    std::memcpy(gathered + n + j, bytes + j, 8);
                }
                for (; j < run; ++j) {
                    gathered[n + j] = bytes[j];
                }
                n += run;
            }
            bitLine_->expand(start, gathered, 1, n);
        }
    }

    // The column where the data ends, checked; every column after it is wholly blue.
    void pastEndToLine(uint8_t* line, int first, int64_t step) const {
        if (first >= static_cast<int>(segments_.size())) {
            return;
        }
        checkedColumn(line, segments_[first], step);
        if (first + 1 < static_cast<int>(segments_.size())) {
            const int64_t from = segments_[first + 1].x;
            std::memcpy(line + 3 * from, blueLine_.data() + 3 * from,
                        static_cast<size_t>(3 * (drawn_ - from)));
        }
    }

    // The last line of each zoom-8 cell is black, except under blue cells.
    void zoomEightGaps(int top, int64_t step) {
        if (top + LIT >= walk_.visibleHeight) {
            return;
        }
        uint8_t* const gap = surface_.rowAt(top + LIT);
        std::memset(gap, 0, lineBytes_);
        for (const Segment& seg : segments_) {
            const int64_t shown = seg.whole + (seg.tail > 0 ? 1 : 0);
            const int64_t i = seg.first + step;
            for (int64_t j = std::clamp<int64_t>(walk_.len - i, 0, shown); j < shown; ++j) {
                const int64_t pixels = j < seg.whole ? CELL : seg.tail;
                std::memcpy(gap + 3 * seg.x + j * BYTES, pat_.blue.data(), static_cast<size_t>(3 * pixels));
            }
        }
    }

    // The rest of a row's block lines are copies of its first.
    void repeatLine(int top) {
        const uint8_t* const line = surface_.rowAt(top);
        for (int y = top + 1; y < top + LIT && y < walk_.visibleHeight; ++y) {
            std::memcpy(surface_.rowAt(y), line, lineBytes_);
        }
    }

    // The blue blocks' extra pixel right of a lone column, where nothing later covers it.
    void loneColumnEdge() {
        const int64_t edge = walk_.width * CELL;
        if (Z == 8 || walk_.multi || edge >= walk_.visibleWidth) {
            return;
        }
        const int64_t pastEnd = walk_.len - (walk_.offset + walk_.width - 1);  // rows needed to reach it
        const int64_t firstRow = pastEnd <= 0 ? 0 : (pastEnd + walk_.width - 1) / walk_.width;
        for (int64_t y = firstRow * Z; y < walk_.visibleHeight; ++y) {
            putColour(surface_.rowAt(static_cast<int>(y)) + 3 * edge, COLOUR_PAST_END);
        }
    }

    PixelSurface& surface_;
    const Walk& walk_;
    const BytePatterns<Z>& pat_;
    const uint8_t* look_[256];
    size_t lineBytes_ = 0;
    std::vector<Segment> segments_;
    int64_t drawn_ = 0;  // pixels of each line the columns cover
    std::vector<uint8_t> blueLine_;
    std::optional<BitLine> bitLine_;
    std::vector<uint8_t> gathered_;
};

template <int Z>
void drawZoom(PixelSurface& surface, const Walk& walk) {
    ZoomPainter<Z>(surface, walk).draw();
}

}  // namespace

int64_t layout_rows_per_column(int32_t view_height, int32_t zoom) {
    const int64_t z = std::max(zoom, 1);
    return (view_height + z - 1) / z;
}

int64_t layout_byte_at(int64_t column, int64_t row, int32_t row_width, int64_t rows_per_column) {
    const int64_t width = std::max(row_width, 1);
    return (column / width) * rows_per_column * width + row * width + column % width;
}

void draw_sprite_layout(const SpriteLayoutInput& in) {
    PixelSurface* surface = currentSurface();
    if (surface == nullptr || in.view_width < 1 || in.view_height < 1) {
        return;
    }
    Walk walk;
    walk.data = in.data;
    walk.len = in.data != nullptr && in.len > 0 ? in.len : 0;
    walk.offset = in.display_offset;
    walk.width = in.row_width;
    walk.multi = in.multi;
    walk.viewWidth = in.view_width;
    walk.viewHeight = in.view_height;
    walk.visibleWidth = std::min(in.view_width, surface->width);
    walk.visibleHeight = std::min(in.view_height, surface->height);
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

    const bool usable = walk.width >= 1 && walk.visibleWidth > 0 && walk.visibleHeight > 0;
    switch (usable ? in.zoom : 0) {
        case 1:
            drawZoom<1>(*surface, walk);
            break;
        case 2:
            drawZoom<2>(*surface, walk);
            break;
        case 4:
            drawZoom<4>(*surface, walk);
            break;
        case 8:
            drawZoom<8>(*surface, walk);
            break;
        default:
            fillBox(0, 0, in.view_width, in.view_height, COLOUR_CLEAR_BIT);
            break;
    }
}
