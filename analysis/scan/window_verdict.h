#pragma once
// The verdict of one window of cells: the width at which its bytes look like a drawn picture, or
// none. In four steps, each its own function: proposing the widths whose rows agree best (cheap,
// from the cell statistics; most windows end at the first gate), bounding what the window could
// still change, the column check (agreement against each bit column's own density, which tables
// and padding fail), and the choice between a width and its divisors by row prediction.
#include <cstdint>
#include <unordered_map>

#include "analysis/scan/cell_view.h"
#include "analysis/scan/tuning.h"

struct Label {
    int width = 0;  // 0: no picture
    double score = 0;
    double density = 0;  // of the window that gave the label
};

// Row prediction scores already computed in a block, by window start, sample and width: windows
// of several sizes start at the same cell and ask the same question.
using PredictionCache = std::unordered_map<uint64_t, double>;

// The column agreement a window of `length` bytes needs at `width`: ACCEPT_BASE +
// ACCEPT_SPREAD / sqrt(rows).
[[nodiscard]] double acceptance(uint64_t length, int width);

// The verdict of the window of kind.cells cells from `cell` (widths up to max_width; accepted
// scores at least min_score). A verdict scoring `settled` or less would change no cell's label,
// so the costly steps are skipped for it and width 0 returned.
[[nodiscard]] Label judge_window(CellView& view, uint64_t cell, const scan_tuning::WindowKind& kind,
                                 int max_width, double min_score, double settled,
                                 PredictionCache& predictions);
