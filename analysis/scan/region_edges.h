#pragma once
// From the widths cells keep to regions: runs of kept cells with one width, their first and last
// bytes moved to where the rows start and stop agreeing (at most one cell outwards, half a cell
// where another run lies beyond).
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/scan/cell_range.h"
#include "analysis/scan/scan_regions.h"
#include "analysis/scan/window_verdict.h"

// The regions of the runs in `kept` (widths per cell, 0 for none), each scored by the best label
// among its cells in [lo, hi), cut to those cells and to the bytes [begin, end), appended to
// `out` in file order. `kept` reaches two cells beyond [lo, hi) where the data goes on.
void regions_from_runs(std::span<const uint8_t> bytes, const CellRange<int>& kept,
                       const CellRange<Label>& labels, uint64_t lo, uint64_t hi, uint64_t begin, uint64_t end,
                       std::vector<PictureRegion>& out);

// The first byte of the picture: in [lo, hi), the start after which bytes agree with the row below
// best, summed up to `horizon`.
[[nodiscard]] uint64_t refine_start(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi,
                                    uint64_t horizon, int width);
// The end (exclusive) of the picture: in (lo, hi], the end before which bytes agree with the row
// above best, summed from `horizon`.
[[nodiscard]] uint64_t refine_end(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t horizon,
                                  int width);
