#pragma once
// The glyph cell of a font stored one glyph after another, rows of 1 to 4 bytes: glyphs share a
// height, and the rows at the same place in every glyph look alike (blank above and below the
// letters, ink in the middle), so a row's place in its cell explains much of how much ink it holds.
#include <cstdint>
#include <span>
#include <vector>

constexpr int MIN_CELL_HEIGHT = 6;
constexpr int MAX_CELL_HEIGHT = 32;
constexpr int MAX_FONT_WIDTH = 4;  // bytes per glyph row

// Set bits per row of `width` bytes (1..MAX_FONT_WIDTH) over the whole rows of [start, end),
// clamped to the data.
[[nodiscard]] std::vector<uint8_t> row_ink(std::span<const uint8_t> bytes, uint64_t start, uint64_t end,
                                           int width);

// How much of the variance of the row ink the row's place in a cell of `height` rows explains,
// over the whole cells of `ink`: eta squared, adjusted so that chance gives about 0 whatever the
// height (and so may fall below 0). 0 with fewer than two cells or no variance.
[[nodiscard]] double cell_structure(std::span<const uint8_t> ink, int height);

// A divisor of the best height is taken when it explains at least this share as much: tried on
// the installed console fonts, whose heights (8 to 32) all come out right.
constexpr double CELL_DIVISOR_SHARE = 0.85;

struct CellFit {
    int height = 0;  // 0: fewer than two cells of any height
    double structure = 0;
};

// The height MIN_CELL_HEIGHT..MAX_CELL_HEIGHT that explains most; a divisor explaining nearly as
// much is preferred, since a multiple of the cell height explains at least as much as the height.
[[nodiscard]] CellFit best_cell_height(std::span<const uint8_t> ink);
