#pragma once
// From window verdicts to the width each cell keeps, in four stages over absolutely indexed cell
// ranges, each a function of the bytes around the cell alone (so that any split of the file into
// pieces gives the same cells):
//  1. label_cells: a cell takes the verdict of the best accepted window covering it;
//  2. smooth_to_divisors: a cell whose width is a multiple of one labelling most cells nearby
//     takes that divisor, so that one picture keeps one width;
//  3. bridge_strong_cells: a cell keeps its width when its own bytes agree at it (strong), or when
//     it lies between strong cells of that width (blank glyphs, a quiet stretch of an icon);
//  4. absorb_multiples: a sliver kept at a multiple of the width kept beside it yields to it.
// Each stage reaches fewer cells beyond the block [lo, hi) than the one before, down to the
// two cells on each side that region edges read.
#include <cstdint>

#include "analysis/scan/cell_range.h"
#include "analysis/scan/cell_view.h"
#include "analysis/scan/window_verdict.h"

// Labels of the cells within LABEL_REACH of [lo, hi) (clamped to the data's `total_cells`), from
// every window the view holds, the largest windows first: their labels let most smaller windows
// end early.
[[nodiscard]] CellRange<Label> label_cells(CellView& view, uint64_t lo, uint64_t hi, uint64_t total_cells,
                                           int max_width, double min_score);

// Stage 2 over the labels' inner part (SMOOTH_CELLS from either end); only widths change.
void smooth_to_divisors(CellView& view, CellRange<Label>& labels);

// The width each cell within 2 + ABSORB_CELLS of [lo, hi) keeps after stage 3; 0 for none.
[[nodiscard]] CellRange<int> bridge_strong_cells(CellView& view, const CellRange<Label>& labels, uint64_t lo,
                                                 uint64_t hi, uint64_t total_cells);

// The width each cell within 2 of [lo, hi) keeps after stage 4; 0 for none.
[[nodiscard]] CellRange<int> absorb_multiples(CellView& view, const CellRange<Label>& labels,
                                              const CellRange<int>& bridged, uint64_t lo, uint64_t hi,
                                              uint64_t total_cells);
