#include "analysis/scan_regions.h"

#include <algorithm>
#include <cmath>

#include "analysis/bit_count.h"
#include "analysis/column_agreement.h"
#include "analysis/row_prediction.h"

// How a cell comes to belong to a picture, in four steps, each a function of the bytes around
// the cell alone (so that any split of the file into pieces gives the same cells):
//  1. Cell statistics: set bits, and for every width the bits that differ from the bytes that
//     width further on.
//  2. Windows of 2, 4, 8 and 32 cells propose their best widths by agreement (cheap, from the
//     cell statistics); a proposal that passes the gate is checked with the column agreement, the
//     measure that tells pictures from tables and padding, and accepted above a threshold that
//     rises as the rows per column fall.
//  3. A cell takes the width of the best accepted window covering it, and keeps it when its own
//     bytes agree with the rows below at that width, or when it lies between such cells (blank
//     glyphs inside a font, a quiet stretch of an icon).
//  4. Runs of kept cells with one width become regions; their ends are moved to the byte where
//     the rows start and stop agreeing, at most one cell outwards.

namespace {

constexpr uint64_t CELL = SCAN_CELL;
constexpr uint64_t BLOCK_CELLS = 4096;

struct WindowKind {
    uint64_t cells;
    uint64_t step;
    int max_width;
    double gate;  // agreement a proposal needs before its columns are checked
};
constexpr WindowKind WINDOW_KINDS[] = {
    {2, 1, 16, 0.45}, {4, 2, 32, 0.35}, {8, 4, 64, 0.30}, {32, 16, 255, 0.25}};
constexpr uint64_t LARGEST_WINDOW = 32;
// A cell between kept cells of its width, this many cells away at most, keeps the width.
constexpr uint64_t BRIDGE_CELLS = 32;
// Context each block computes around its own cells so that every answer inside is complete.
constexpr uint64_t MARGIN_CELLS = LARGEST_WINDOW + BRIDGE_CELLS + 4;

// The column agreement a window needs: ACCEPT_BASE for tall windows, more when each column has
// few rows to judge by (noise reaches higher there).
constexpr double ACCEPT_BASE = 0.2;
constexpr double ACCEPT_SPREAD = 1.2;
// The agreement of a cell's own bytes (kappa against the window's density) that makes it strong.
constexpr double CELL_MIN = 0.12;
// Per byte, the differing bits (of 8) below which a byte looks like part of the picture.
constexpr double EDGE_TOLERANCE = 3.0;

double acceptance(uint64_t length, int width) {
    const double rows = static_cast<double>(length / static_cast<uint64_t>(width));
    return ACCEPT_BASE + ACCEPT_SPREAD / std::sqrt(rows);
}

struct Label {
    int width = 0;  // 0: no picture
    double score = 0;
    double density = 0;  // of the window that gave the label
};

// Everything about the cells [first, first + count), absolute cell indices.
class CellView {
public:
    CellView(std::span<const uint8_t> bytes, uint64_t first, uint64_t count, int max_width)
        : bytes_(bytes), first_(first), count_(count), max_width_(max_width) {
        const size_t w = static_cast<size_t>(max_width);
        diff_prefix_.assign((count_ + 1) * w, 0);
        ones_prefix_.assign(count_ + 1, 0);
        blank_.assign(count_, false);
        std::vector<uint32_t> diffs(w);
        for (uint64_t k = 0; k < count_; ++k) {
            const uint64_t start = (first_ + k) * CELL;
            const uint64_t n = cell_length(first_ + k);
            const uint8_t* cell = bytes_.data() + start;
            ones_prefix_[k + 1] = ones_prefix_[k] + (n ? count_bits(cell, n) : 0);
            blank_[k] = n == 0 || std::all_of(cell, cell + n, [&](uint8_t b) { return b == cell[0]; });
            if (n == 0) {
                std::fill(diffs.begin(), diffs.end(), 0);
            } else if (start + n + w + 16 <= bytes_.size()) {
                count_shifted_differences(cell, n, max_width_, diffs.data());
            } else {
                for (size_t i = 0; i < w; ++i) {
                    const uint64_t shift = i + 1;
                    const uint64_t pairs =
                        start + shift >= bytes_.size() ? 0 : std::min(n, bytes_.size() - start - shift);
                    diffs[i] =
                        static_cast<uint32_t>(pairs ? count_differing_bits(cell, cell + shift, pairs) : 0);
                }
            }
            uint32_t* row = &diff_prefix_[(k + 1) * w];
            const uint32_t* before = &diff_prefix_[k * w];
            for (size_t i = 0; i < w; ++i) row[i] = before[i] + diffs[i];
        }
    }

    uint64_t first() const { return first_; }
    uint64_t count() const { return count_; }
    bool holds(uint64_t cell, uint64_t cells) const {
        return cell >= first_ && cell + cells <= first_ + count_;
    }

    uint64_t cell_length(uint64_t cell) const {
        const uint64_t start = cell * CELL;
        return start >= bytes_.size() ? 0 : std::min<uint64_t>(CELL, bytes_.size() - start);
    }
    uint64_t ones(uint64_t cell, uint64_t cells) const {
        return ones_prefix_[cell - first_ + cells] - ones_prefix_[cell - first_];
    }
    uint64_t differing(uint64_t cell, uint64_t cells, int width) const {
        const size_t w = static_cast<size_t>(max_width_);
        const size_t i = static_cast<size_t>(width - 1);
        return diff_prefix_[(cell - first_ + cells) * w + i] - diff_prefix_[(cell - first_) * w + i];
    }
    // Byte pairs (i, i + width) with i in [start, start + n) and i + width inside the data.
    uint64_t pairs(uint64_t start, uint64_t n, int width) const {
        const uint64_t w = static_cast<uint64_t>(width);
        if (start + w >= bytes_.size()) return 0;
        return std::min(n, bytes_.size() - w - start);
    }
    bool blank(uint64_t cell) const { return blank_[cell - first_]; }
    uint64_t data_size() const { return bytes_.size(); }
    // The running sums of differing bits before `cell`, one entry per width.
    const uint32_t* differing_row(uint64_t cell) const {
        return &diff_prefix_[(cell - first_) * static_cast<size_t>(max_width_)];
    }

private:
    std::span<const uint8_t> bytes_;
    uint64_t first_, count_;
    int max_width_;
    std::vector<uint32_t> diff_prefix_;
    std::vector<uint64_t> ones_prefix_;
    std::vector<bool> blank_;
};

// The window's verdict: the width of its accepted proposal, or width 0.
Label judge_window(std::span<const uint8_t> bytes, const CellView& view, uint64_t cell,
                   const WindowKind& kind, int max_width, double min_score) {
    const uint64_t start = cell * CELL;
    uint64_t n = 0;
    for (uint64_t k = 0; k < kind.cells; ++k) n += view.cell_length(cell + k);
    if (n < kind.cells * CELL / 2 + 1) return {};
    const double density = static_cast<double>(view.ones(cell, kind.cells)) / (8.0 * static_cast<double>(n));
    const double spread = 2 * density * (1 - density);
    if (spread < 1e-3) return {};

    // The two widths with the fewest differing bits, i.e. the best agreement (kappa against the
    // window's density), if they pass the gate.
    const int top = std::min<int>({kind.max_width, max_width, static_cast<int>(n / 8)});
    const bool inside = start + n + static_cast<uint64_t>(top) <= view.data_size();
    const double limit = (1 - kind.gate) * 8.0 * static_cast<double>(n) * spread;
    int best[2] = {0, 0};
    double fewest[2] = {limit, limit};
    const uint32_t* lo = view.differing_row(cell);
    const uint32_t* hi = view.differing_row(cell + kind.cells);
    for (int w = 1; w <= top; ++w) {
        double d = static_cast<double>(hi[w - 1] - lo[w - 1]);
        if (!inside) {
            const uint64_t pairs = view.pairs(start, n, w);
            if (pairs == 0) continue;
            d *= static_cast<double>(n) / static_cast<double>(pairs);
        }
        if (d < fewest[0]) {
            best[1] = best[0];
            fewest[1] = fewest[0];
            best[0] = w;
            fewest[0] = d;
        } else if (d < fewest[1]) {
            best[1] = w;
            fewest[1] = d;
        }
    }
    if (best[0] == 0) return {};

    // The proposals must pass the column check; a passing proposal's divisors that pass too are
    // weighed against it by row prediction, the measure that ranks a picture's own width first.
    std::vector<std::pair<int, double>> accepted;
    for (int proposal : best) {
        if (proposal == 0) continue;
        const double score = column_agreement(bytes, start, n, proposal);
        if (score >= acceptance(n, proposal) && score >= min_score) accepted.push_back({proposal, score});
    }
    if (accepted.empty()) return {};
    std::sort(accepted.begin(), accepted.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
    const int leader = accepted.front().first;
    for (int d = 1; d < leader; ++d) {
        if (leader % d != 0 ||
            std::any_of(accepted.begin(), accepted.end(), [&](const auto& a) { return a.first == d; }))
            continue;
        const double score = column_agreement(bytes, start, n, d);
        if (score >= acceptance(n, d) && score >= min_score) accepted.push_back({d, score});
    }
    if (accepted.size() == 1) return {leader, accepted.front().second, density};
    std::vector<double> predicted(accepted.size());
    for (size_t i = 0; i < accepted.size(); ++i)
        predicted[i] = row_prediction_score(bytes, start, n, accepted[i].first);
    size_t pick = 0;
    for (size_t i = 1; i < accepted.size(); ++i)
        if (predicted[i] > predicted[pick]) pick = i;
    // A divisor that predicts nearly as well as the pick wins.
    for (size_t i = 0; i < accepted.size(); ++i) {
        const int d = accepted[i].first, w = accepted[pick].first;
        if (d >= w || w % d != 0) continue;
        const double ratio = d == 1 ? WIDTH_ONE_RATIO : WIDTH_MULTIPLE_RATIO;
        if (predicted[i] >= ratio * predicted[pick] && (accepted[pick].first > accepted[i].first)) pick = i;
    }
    return {accepted[pick].first, accepted[pick].second, density};
}

// Differing bits between byte i and the byte `width` further on (backwards: before); 8 when the
// other byte lies outside the data.
int differing_below(std::span<const uint8_t> bytes, uint64_t i, int width) {
    const uint64_t j = i + static_cast<uint64_t>(width);
    if (j >= bytes.size()) return 8;
    return __builtin_popcount(static_cast<unsigned>(bytes[i] ^ bytes[j]));
}
int differing_above(std::span<const uint8_t> bytes, uint64_t i, int width) {
    const uint64_t w = static_cast<uint64_t>(width);
    if (i < w) return 8;
    return __builtin_popcount(static_cast<unsigned>(bytes[i] ^ bytes[i - w]));
}

// The first byte of the picture: in [lo, hi), the start after which bytes agree with the row below
// best, summed up to `horizon`.
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

// The end (exclusive) of the picture: in (lo, hi], the end before which bytes agree with the
// row above best, summed from `horizon`.
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

// The regions of the cells [lo, hi) (absolute), cut to [begin, end).
void scan_block(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t begin, uint64_t end,
                int max_width, double min_score, std::vector<PictureRegion>& out) {
    const uint64_t total_cells = (bytes.size() + CELL - 1) / CELL;
    const uint64_t view_lo = lo > MARGIN_CELLS ? lo - MARGIN_CELLS : 0;
    const uint64_t view_hi = std::min(total_cells, hi + MARGIN_CELLS);
    const CellView view(bytes, view_lo, view_hi - view_lo, max_width);

    // Labels for the cells within reach of [lo, hi): from every window covering them.
    const uint64_t label_lo = lo > BRIDGE_CELLS + 2 ? lo - BRIDGE_CELLS - 2 : 0;
    const uint64_t label_hi = std::min(total_cells, hi + BRIDGE_CELLS + 2);
    std::vector<Label> label(label_hi - label_lo);
    for (const WindowKind& kind : WINDOW_KINDS) {
        // Window starts are multiples of the kind's step, so that every block sees the same windows.
        uint64_t first = label_lo >= kind.cells ? label_lo - kind.cells + 1 : 0;
        first -= first % kind.step;
        for (uint64_t cell = first; cell < label_hi; cell += kind.step) {
            if (!view.holds(cell, kind.cells)) continue;
            const Label verdict = judge_window(bytes, view, cell, kind, max_width, min_score);
            if (verdict.width == 0) continue;
            for (uint64_t c = std::max(cell, label_lo); c < std::min(cell + kind.cells, label_hi); ++c)
                if (verdict.score > label[c - label_lo].score) label[c - label_lo] = verdict;
        }
    }

    // Strong cells: their own bytes agree at the label's width.
    auto strong = [&](uint64_t c) {
        const Label& l = label[c - label_lo];
        if (l.width == 0 || view.blank(c)) return false;
        const uint64_t n = view.cell_length(c);
        const uint64_t pairs = view.pairs(c * CELL, n, l.width);
        if (pairs == 0) return false;
        const double spread = 2 * l.density * (1 - l.density);
        const double own = 1 - static_cast<double>(view.differing(c, 1, l.width)) /
                                   (8.0 * static_cast<double>(pairs) * spread);
        return own >= CELL_MIN;
    };
    std::vector<bool> is_strong(label.size());
    for (uint64_t c = label_lo; c < label_hi; ++c) is_strong[c - label_lo] = strong(c);
    auto strong_with = [&](uint64_t c, int width) {
        return c >= label_lo && c < label_hi && is_strong[c - label_lo] && label[c - label_lo].width == width;
    };
    const uint64_t keep_lo = lo > 2 ? lo - 2 : 0;
    const uint64_t keep_hi = std::min(total_cells, hi + 2);
    std::vector<int> kept(keep_hi - keep_lo, 0);  // width kept, or 0
    for (uint64_t c = keep_lo; c < keep_hi; ++c) {
        const Label& l = label[c - label_lo];
        if (l.width == 0) continue;
        bool keep = is_strong[c - label_lo];
        if (!keep) {
            bool before = false, after = false;
            for (uint64_t k = 1; k <= BRIDGE_CELLS && !before; ++k)
                before = c >= k && strong_with(c - k, l.width);
            for (uint64_t k = 1; k <= BRIDGE_CELLS && !after; ++k) after = strong_with(c + k, l.width);
            keep = before && after;
        }
        if (keep) kept[c - keep_lo] = l.width;
    }
    auto kept_width = [&](uint64_t c) -> int { return c >= keep_lo && c < keep_hi ? kept[c - keep_lo] : 0; };

    // Runs of kept cells with one width, their ends refined; the run's part in [lo, hi) is ours.
    for (uint64_t c = keep_lo; c < keep_hi;) {
        const int width = kept_width(c);
        if (width == 0) {
            ++c;
            continue;
        }
        uint64_t run_end = c;
        double score = 0;
        while (run_end < keep_hi && kept_width(run_end) == width) {
            if (run_end >= lo && run_end < hi) score = std::max(score, label[run_end - label_lo].score);
            ++run_end;
        }
        const uint64_t run_start = c;
        c = run_end;
        if (score == 0) score = label[(run_start >= lo ? run_start : run_end - 1) - label_lo].score;

        const uint64_t first_byte = run_start * CELL;
        const uint64_t end_byte = std::min<uint64_t>(run_end * CELL, bytes.size());
        uint64_t start = first_byte, stop = end_byte;
        if (run_start > keep_lo) {  // otherwise the run began before our reach and is cut anyway
            // Reach back into the free cell before; only half of it when another run lies beyond.
            uint64_t reach = run_start >= 1 ? first_byte - CELL : 0;
            if (kept_width(run_start - 1) != 0)
                reach = first_byte;
            else if (run_start >= 2 && kept_width(run_start - 2) != 0)
                reach += CELL / 2;
            const uint64_t horizon = std::min(end_byte, first_byte + 2 * CELL);
            start = refine_start(bytes, reach, std::min(end_byte, first_byte + CELL), horizon, width);
        }
        if (run_end < keep_hi) {
            uint64_t reach = std::min<uint64_t>(bytes.size(), end_byte + CELL);
            if (kept_width(run_end) != 0)
                reach = end_byte;
            else if (kept_width(run_end + 1) != 0)
                reach = std::min<uint64_t>(reach, end_byte + CELL / 2);
            const uint64_t last_cell = (run_end - 1) * CELL;
            const uint64_t horizon = run_end - run_start >= 2 ? last_cell - CELL : first_byte;
            stop = refine_end(bytes, std::max(first_byte, last_cell), reach, horizon, width);
        }
        // Our share: the bytes of [lo, hi) cells, within [begin, end).
        const uint64_t own_lo = std::max(begin, lo * CELL);
        const uint64_t own_hi = std::min(end, hi * CELL);
        const uint64_t s = std::max(start, own_lo), e = std::min(stop, own_hi);
        if (s < e) out.push_back({s, e, width, score});
    }
}

}  // namespace

std::vector<PictureRegion> scan_regions(std::span<const uint8_t> bytes, const ScanOptions& options) {
    const uint64_t begin = std::min<uint64_t>(options.begin, bytes.size());
    const uint64_t end = std::min<uint64_t>(options.end, bytes.size());
    if (begin >= end) return {};
    const int max_width = std::clamp(options.max_width, 1, MAX_ROW_WIDTH);

    std::vector<PictureRegion> found;
    const uint64_t first_cell = begin / CELL;
    const uint64_t last_cell = (end + CELL - 1) / CELL;
    for (uint64_t lo = first_cell - first_cell % BLOCK_CELLS; lo < last_cell; lo += BLOCK_CELLS)
        scan_block(bytes, std::max(lo, first_cell), std::min(lo + BLOCK_CELLS, last_cell), begin, end,
                   max_width, options.min_score, found);
    return merge_regions(std::move(found));
}

std::vector<PictureRegion> merge_regions(std::vector<PictureRegion> pieces) {
    std::vector<PictureRegion> merged;
    for (const auto& r : pieces) {
        if (!merged.empty() && merged.back().end == r.start && merged.back().width == r.width) {
            merged.back().end = r.end;
            merged.back().score = std::max(merged.back().score, r.score);
        } else {
            merged.push_back(r);
        }
    }
    return merged;
}
