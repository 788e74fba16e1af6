#include "analysis/scan/region_edges.h"

#include <algorithm>
#include <array>

#include "analysis/scan/tuning.h"

using namespace scan_tuning;

namespace {

// Set bits of a byte by table: these run byte by byte, where a call per byte costs more than the
// count on processors the build does not assume to have a population-count instruction.
int byte_bits(unsigned b) {
    static const auto table = [] {
        std::array<uint8_t, 256> t{};
        for (unsigned v = 0; v < 256; ++v) t[v] = static_cast<uint8_t>(__builtin_popcount(v));
        return t;
    }();
    return table[b & 0xFF];
}

// Differing bits between byte i and the byte `width` further on (backwards: before); 8 when the
// other byte lies outside the data.
int differing_below(std::span<const uint8_t> bytes, uint64_t i, int width) {
    const uint64_t j = i + static_cast<uint64_t>(width);
    if (j >= bytes.size()) return 8;
    return byte_bits(static_cast<unsigned>(bytes[i] ^ bytes[j]));
}
int differing_above(std::span<const uint8_t> bytes, uint64_t i, int width) {
    const uint64_t w = static_cast<uint64_t>(width);
    if (i < w) return 8;
    return byte_bits(static_cast<unsigned>(bytes[i] ^ bytes[i - w]));
}

struct Run {
    uint64_t start, end;  // cells
    int width;
    double score;
};

// The run's first byte: reaching back into the free cell before it, only half of it when another
// run lies beyond.
uint64_t run_first_byte(std::span<const uint8_t> bytes, const CellRange<int>& kept, const Run& run) {
    const uint64_t first_byte = run.start * SCAN_CELL;
    const uint64_t end_byte = std::min<uint64_t>(run.end * SCAN_CELL, bytes.size());
    uint64_t reach = run.start >= 1 ? first_byte - SCAN_CELL : 0;
    if (kept.at_or(run.start - 1, 0) != 0)
        reach = first_byte;
    else if (run.start >= 2 && kept.at_or(run.start - 2, 0) != 0)
        reach += SCAN_CELL / 2;
    const uint64_t horizon = std::min(end_byte, first_byte + 2 * SCAN_CELL);
    return refine_start(bytes, reach, std::min(end_byte, first_byte + SCAN_CELL), horizon, run.width);
}

// The run's end (exclusive): reaching into the free cell after it, only half of it when another
// run lies beyond.
uint64_t run_end_byte(std::span<const uint8_t> bytes, const CellRange<int>& kept, const Run& run) {
    const uint64_t first_byte = run.start * SCAN_CELL;
    const uint64_t end_byte = std::min<uint64_t>(run.end * SCAN_CELL, bytes.size());
    uint64_t reach = std::min<uint64_t>(bytes.size(), end_byte + SCAN_CELL);
    if (kept.at_or(run.end, 0) != 0)
        reach = end_byte;
    else if (kept.at_or(run.end + 1, 0) != 0)
        reach = std::min<uint64_t>(reach, end_byte + SCAN_CELL / 2);
    const uint64_t last_cell = (run.end - 1) * SCAN_CELL;
    const uint64_t horizon = run.end - run.start >= 2 ? last_cell - SCAN_CELL : first_byte;
    return refine_end(bytes, std::max(first_byte, last_cell), reach, horizon, run.width);
}

}  // namespace

uint64_t refine_start(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t horizon, int width) {
    double sum = 0, best = -1e300;
    uint64_t best_at = hi;
    for (uint64_t i = horizon; i > lo; --i) {
        sum += EDGE_TOLERANCE - differing_below(bytes, i - 1, width);
        if (i - 1 < hi && sum >= best) {
            best = sum;
            best_at = i - 1;
        }
    }
    return best_at;
}

uint64_t refine_end(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t horizon, int width) {
    double sum = 0, best = -1e300;
    uint64_t best_at = lo;
    for (uint64_t i = horizon; i < hi; ++i) {
        sum += EDGE_TOLERANCE - differing_above(bytes, i, width);
        if (i + 1 > lo && sum >= best) {
            best = sum;
            best_at = i + 1;
        }
    }
    return best_at;
}

void regions_from_runs(std::span<const uint8_t> bytes, const CellRange<int>& kept,
                       const CellRange<Label>& labels, uint64_t lo, uint64_t hi, uint64_t begin, uint64_t end,
                       std::vector<PictureRegion>& out) {
    const uint64_t total_cells = (bytes.size() + SCAN_CELL - 1) / SCAN_CELL;
    for (uint64_t c = kept.lo(); c < kept.hi();) {
        Run run{c, c, kept[c], 0};
        if (run.width == 0) {
            ++c;
            continue;
        }
        for (; run.end < kept.hi() && kept[run.end] == run.width; ++run.end)
            if (run.end >= lo && run.end < hi) run.score = std::max(run.score, labels[run.end].score);
        c = run.end;
        if (run.score == 0) run.score = labels[run.start >= lo ? run.start : run.end - 1].score;
        // A run cut by the reach of the kept cells is cut anyway; one at the data's edge is not.
        const uint64_t start = run.start > kept.lo() || run.start == 0 ? run_first_byte(bytes, kept, run)
                                                                       : run.start * SCAN_CELL;
        const uint64_t stop = run.end < kept.hi() || run.end == total_cells
                                  ? run_end_byte(bytes, kept, run)
                                  : std::min<uint64_t>(run.end * SCAN_CELL, bytes.size());
        // Our share: the bytes of [lo, hi) cells, within [begin, end).
        const uint64_t s = std::max(start, std::max(begin, lo * SCAN_CELL));
        const uint64_t e = std::min(stop, std::min(end, hi * SCAN_CELL));
        if (s < e) out.push_back({s, e, run.width, run.score});
    }
}
