#pragma once
// The traits that tell drawn pictures from data at a given width: in a window of a few hundred
// bytes (the window verdict asks), and over a whole finished region (region_looks_drawn, public in
// scan_regions.h).
#include <cstdint>

#include "analysis/scan/byte_traits.h"

// The share of rows that repeat the row above exactly: strokes, fills, blank lines.
[[nodiscard]] double repeated_rows(const uint8_t* data, uint64_t n, int width);

// The share of the rows with ink (a non-zero byte) that have blank rows above and below: high in
// tables of small numbers among zeros, low in glyphs and icons, whose strokes span rows. At most
// LARGEST_WINDOW cells of rows.
[[nodiscard]] double isolated_rows(const uint8_t* data, uint64_t n, int width);

// Whether more than half of the byte columns never change: little-endian numbers, whose high
// bytes stay put, and not a picture. Rows of up to 8 bytes only (where such tables are common and
// the test is cheap); wider rows are left to the whole region's judgement.
[[nodiscard]] bool mostly_constant_columns(const uint8_t* data, uint64_t n, int width);

// Whether the n bytes of a window (with `traits`, and `horizontal` its horizontal agreement) look
// drawn at the width: rows that repeat or pixels that agree with their neighbours in the row
// (together at least DRAWN_MIN), byte columns that change, and few lone rows of ink.
[[nodiscard]] bool window_looks_drawn(const uint8_t* data, uint64_t n, int width, const ByteTraits& traits,
                                      double horizontal);
