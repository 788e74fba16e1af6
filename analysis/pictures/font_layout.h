#pragma once
// Fonts inside a region: where each font stored at the region's width begins and ends, its glyph
// cell and glyph count. Fonts of different cell heights stored back to back become separate
// fonts, and each font's ends move to glyph boundaries.
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/pictures/cell_structure.h"

struct FontSpan {
    uint64_t start = 0, end = 0;  // bytes; whole glyphs
    int height = 0;               // rows per glyph
    int pixel_width = 0;          // columns in use, 8 x width at most
    uint64_t glyphs = 0;
};

// The fonts in [start, end) at `width` bytes per row (1..MAX_FONT_WIDTH), in order; the parts
// between them belong to no font. Empty where the rows show no glyph cell. The bytes around the
// range, within [lower_limit, upper_limit), may be read: a font whose first or last glyphs the
// scan left out is extended over them. No font starts before lower_limit or ends after
// upper_limit.
[[nodiscard]] std::vector<FontSpan> find_fonts(std::span<const uint8_t> bytes, uint64_t start, uint64_t end,
                                               int width, uint64_t lower_limit, uint64_t upper_limit);
