#include "analysis/scan/scan_regions.h"

#include <algorithm>

#include "analysis/scan/cell_labels.h"
#include "analysis/scan/cell_view.h"
#include "analysis/scan/region_edges.h"
#include "analysis/scan/region_stream.h"
#include "analysis/scan/tuning.h"

using namespace scan_tuning;

namespace {

// The regions of the cells [lo, hi) (absolute), cut to the bytes [begin, end): every stage reads
// the bytes within MARGIN_CELLS of the block, so the answer does not depend on where blocks or
// pieces are cut.
std::vector<PictureRegion> scan_block(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi,
                                      uint64_t begin, uint64_t end, int max_width, double min_score) {
    const uint64_t total_cells = (bytes.size() + SCAN_CELL - 1) / SCAN_CELL;
    const uint64_t view_lo = lo > MARGIN_CELLS ? lo - MARGIN_CELLS : 0;
    const uint64_t view_hi = std::min(total_cells, hi + MARGIN_CELLS);
    CellView view(bytes, view_lo, view_hi - view_lo, max_width);
    CellRange<Label> labels = label_cells(view, lo, hi, total_cells, max_width, min_score);
    smooth_to_divisors(view, labels);
    const CellRange<int> bridged = bridge_strong_cells(view, labels, lo, hi, total_cells);
    const CellRange<int> kept = absorb_multiples(view, labels, bridged, lo, hi, total_cells);
    std::vector<PictureRegion> found;
    regions_from_runs(bytes, kept, labels, lo, hi, begin, end, found);
    return found;
}

}  // namespace

std::vector<PictureRegion> scan_regions(std::span<const uint8_t> bytes, const ScanOptions& options) {
    const uint64_t begin = std::min<uint64_t>(options.begin, bytes.size());
    const uint64_t end = std::min<uint64_t>(options.end, bytes.size());
    if (begin >= end) return {};
    const int max_width = std::clamp(options.max_width, 1, MAX_ROW_WIDTH);

    RegionStream stream(bytes, options.judge_whole_regions);
    std::vector<PictureRegion> regions;
    const uint64_t first_cell = begin / SCAN_CELL;
    const uint64_t last_cell = (end + SCAN_CELL - 1) / SCAN_CELL;
    for (uint64_t lo = first_cell - first_cell % BLOCK_CELLS; lo < last_cell; lo += BLOCK_CELLS) {
        const uint64_t block_hi = std::min(lo + BLOCK_CELLS, last_cell);
        const auto found =
            scan_block(bytes, std::max(lo, first_cell), block_hi, begin, end, max_width, options.min_score);
        const auto finished = stream.feed(found, std::min(end, block_hi * SCAN_CELL));
        regions.insert(regions.end(), finished.begin(), finished.end());
    }
    const auto last = stream.finish();
    regions.insert(regions.end(), last.begin(), last.end());
    return regions;
}
