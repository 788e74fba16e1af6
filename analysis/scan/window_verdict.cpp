#include "analysis/scan/window_verdict.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "analysis/column_agreement.h"
#include "analysis/kappa.h"
#include "analysis/row_prediction.h"
#include "analysis/scan/drawn_checks.h"
#include "analysis/width_candidates.h"

using namespace scan_tuning;

namespace {

// What the steps share about one window.
struct Window {
    const WindowKind* kind = nullptr;
    std::span<const uint8_t> bytes;  // the whole data
    uint64_t cell = 0, start = 0, n = 0;
    const uint8_t* data = nullptr;  // the window's first byte
    double density = 0, spread = 0;
    int top = 0;          // the widest width measured
    int small = 0;        // widths up to this come from the running sums
    bool inside = false;  // every width's pairs lie inside the data
    double limit = 0;     // the differing bits a proposal must stay under (the gate)
    ByteTraits traits;
    double horizontal = 0;
    double expected_differing = 0;  // per byte pair, against each bit position's density
    // Differing bits per width, scaled to the window's length where pairs run past the data;
    // negative where not measured.
    std::array<double, MAX_ROW_WIDTH + 1> measured;

    [[nodiscard]] double at(int w) const { return measured[static_cast<size_t>(w)]; }

    // Records of a fixed size seen at a divisor of that size: bytes agree with the same byte of
    // the next record far better than with the row below. And the opposite: shapes span more
    // than two rows, so the row after next still agrees; rows that merely come in identical pairs
    // (a table with doubled entries) do not.
    [[nodiscard]] bool periodic_beyond(int w) const {
        const double own = at(w);
        for (int m = 2 * w; m <= top; m += w)
            if (at(m) >= 0 && at(m) < PERIOD_RATIO * own) return true;
        const double twice = 2 * w <= top ? at(2 * w) : -1;
        if (twice < 0) return false;
        const double all = 8.0 * static_cast<double>(n) * spread;
        return kappa_from_disagreement(twice, all) < DECAY_MIN * kappa_from_disagreement(own, all);
    }
};

// The window's measures, and whether any width can pass the gate: most of a file (code,
// compressed data, noise) fails it at every small width and ends here.
bool open_window(const CellView& view, uint64_t cell, const WindowKind& kind, int max_width, Window& w) {
    w.kind = &kind;
    w.cell = cell;
    w.start = cell * SCAN_CELL;
    w.n = w.start >= view.data_size() ? 0 : std::min(kind.cells * SCAN_CELL, view.data_size() - w.start);
    if (w.n < kind.cells * SCAN_CELL / 2 + 1) return false;
    w.bytes = view.bytes();
    w.data = w.bytes.data() + w.start;
    w.density = static_cast<double>(view.ones(cell, kind.cells)) / (8.0 * static_cast<double>(w.n));
    w.spread = 2 * w.density * (1 - w.density);
    if (w.spread < 1e-3) return false;
    w.top = std::min<int>({kind.max_width, max_width, static_cast<int>(w.n / 8)});
    w.inside = w.start + w.n + static_cast<uint64_t>(w.top) <= view.data_size();
    w.limit = (1 - kind.gate) * 8.0 * static_cast<double>(w.n) * w.spread;
    w.small = std::min(w.top, view.small_widths());
    bool small_pass = !w.inside;
    if (w.inside) {
        // For whole counts d, d < limit exactly when d < ceil(limit); compared as 32-bit signed
        // numbers the loop runs on vectors.
        const uint32_t* lo = view.differing_row(cell);
        const uint32_t* hi = view.differing_row(cell + kind.cells);
        const int32_t bound = static_cast<int32_t>(std::min(std::ceil(w.limit), 2147483647.0));
        int passing = 0;
        for (int k = 1; k <= w.small; ++k) passing |= static_cast<int32_t>(hi[k - 1] - lo[k - 1]) < bound;
        small_pass = passing != 0;
        if (!small_pass && w.top <= w.small) return false;
    }
    w.traits = view.traits(cell, kind.cells);
    if (w.traits.text()) return false;
    w.horizontal = w.traits.horizontal_agreement(w.n);
    if (!small_pass && w.horizontal < WIDE_TRIGGER) return false;
    for (int k = 0; k < 8; ++k) {
        const double p = w.traits.ones[k] / static_cast<double>(w.n);
        w.expected_differing += 2 * p * (1 - p);
    }
    return true;
}

// The three widths with the fewest differing bits (the best agreement) that pass the gate, best
// first; 0 where fewer pass. Every width measured is kept in w.measured.
std::array<int, 3> propose_widths(CellView& view, Window& w, int max_width) {
    std::array<int, 3> best{0, 0, 0};
    double fewest[3] = {w.limit, w.limit, w.limit};
    std::fill(w.measured.begin(), w.measured.begin() + w.top + 1, -1.0);
    const double n = static_cast<double>(w.n);
    auto offer = [&](int width, uint32_t count) {
        double d = static_cast<double>(count);
        if (!w.inside) {
            const uint64_t pairs = view.pairs(w.start, w.n, width);
            if (pairs == 0) return;
            d = d * n / static_cast<double>(pairs);
        }
        w.measured[static_cast<size_t>(width)] = d;
        if (d >= fewest[2]) return;
        // The column check measures against each column's density, which can only lower the
        // score: already against each bit position's density a width must reach nearly its bar.
        if (d >= (1 - BIT_POSITION_SHARE * acceptance(w.n, width)) * w.expected_differing * n) return;
        int k = 2;
        while (k > 0 && d < fewest[k - 1]) {
            best[static_cast<size_t>(k)] = best[static_cast<size_t>(k - 1)];
            fewest[k] = fewest[k - 1];
            --k;
        }
        best[static_cast<size_t>(k)] = width;
        fewest[k] = d;
    };
    const uint32_t* lo = view.differing_row(w.cell);
    const uint32_t* hi = view.differing_row(w.cell + w.kind->cells);
    for (int width = 1; width <= w.small; ++width) offer(width, hi[width - 1] - lo[width - 1]);
    // Wider widths only where neighbouring pixels agree as in shapes: pictures that wide are icons
    // and drawings, never thin glyphs. Elsewhere this is the bulk of the work and is skipped.
    if (w.top > w.small && w.horizontal >= WIDE_TRIGGER) {
        const size_t slot = static_cast<size_t>(w.kind - WINDOW_KINDS);
        // Always the kind's widest widths, so that every group of a slot has one layout.
        const int widths = std::min(w.kind->max_width, max_width);
        const uint32_t* first_half = view.group_widths(w.cell, w.kind->step, widths, slot);
        const uint32_t* second_half = view.group_widths(w.cell + w.kind->step, w.kind->step, widths, slot);
        for (int width = w.small + 1; width <= w.top; ++width)
            offer(width, first_half[width - 1] + second_half[width - 1]);
    }
    return best;
}

// Against each column's density a width scores no more than against each bit position's (finer
// densities only raise the agreement expected): whether any proposal or divisor of one could
// beat the labels the window's cells already have.
bool could_change_labels(const Window& w, const std::array<int, 3>& best, double settled) {
    double fewest = -1;
    auto consider = [&](int d) {
        if (w.at(d) >= 0 && (fewest < 0 || w.at(d) < fewest)) fewest = w.at(d);
    };
    for (int proposal : best)
        for (int d = 1; proposal != 0 && d * d <= proposal; ++d)
            if (proposal % d == 0) {
                consider(d);
                consider(proposal / d);
            }
    const double reach =
        fewest < 0 ? 0 : kappa_from_disagreement(fewest, w.expected_differing * static_cast<double>(w.n));
    return reach > settled;
}

using Scored = std::vector<std::pair<int, double>>;  // width, column agreement

// The column agreement of a width when it passes every check, or a negative value.
double passes_column_check(const Window& w, int width, double min_score, bool* far_below = nullptr) {
    if (w.periodic_beyond(width) || !window_looks_drawn(w.data, w.n, width, w.traits, w.horizontal))
        return -1;
    const ColumnAgreement check = column_agreement_detail(w.bytes, w.start, w.n, width);
    if (far_below) *far_below = check.score < REJECT_SHARE * acceptance(w.n, width);
    const bool passes = check.score >= acceptance(w.n, width) && check.score >= min_score &&
                        check.weakest_byte_column >= BYTE_COLUMN_MIN;
    return passes ? check.score : -1;
}

// The first proposal (in order of agreement) that passes the column check leads, followed by its
// divisors that pass too, smallest first (the order the choice by prediction breaks ties in);
// empty when none passes. Checking the weaker
// proposals once one passed found no further picture of the corpus and cost an eighth of the
// scan's time in libraries.
Scored check_columns(const Window& w, const std::array<int, 3>& best, double min_score) {
    Scored accepted;
    for (int proposal : best) {
        if (proposal == 0) continue;
        bool far_below = false;
        const double score = passes_column_check(w, proposal, min_score, &far_below);
        // Tables and padding agree by their columns alone: when the best proposal checks far
        // below the bar, the weaker ones are not worth checking.
        if (proposal == best[0] && far_below) return {};
        if (score >= 0) {
            accepted.push_back({proposal, score});
            break;
        }
    }
    if (accepted.empty()) return {};
    const int leader = accepted.front().first;
    for (int d = 1; d < leader; ++d) {
        if (leader % d != 0) continue;
        const double score = passes_column_check(w, d, min_score);
        if (score >= 0) accepted.push_back({d, score});
    }
    return accepted;
}

// Row prediction decides between the accepted widths: the case where the column check cannot
// tell a picture's width from its multiples. A divisor that predicts nearly as well as the pick
// wins.
Label choose_by_prediction(const Window& w, const Scored& accepted, double settled,
                           PredictionCache& predictions) {
    if (accepted.size() == 1) return {accepted.front().first, accepted.front().second, w.density};
    if (std::all_of(accepted.begin(), accepted.end(), [&](const auto& a) { return a.second <= settled; }))
        return {};
    std::vector<double> predicted(accepted.size());
    const uint64_t sample = std::min<uint64_t>(w.n, PREDICTION_SAMPLE);
    for (size_t i = 0; i < accepted.size(); ++i) {
        const uint64_t key =
            (w.start * (PREDICTION_SAMPLE + 1) + sample) * 256 + static_cast<uint64_t>(accepted[i].first);
        const auto known = predictions.find(key);
        predicted[i] = known != predictions.end() ? known->second
                                                  : predictions[key] = row_prediction_score(
                                                        w.bytes, w.start, sample, accepted[i].first);
    }
    size_t pick = 0;
    for (size_t i = 1; i < accepted.size(); ++i)
        if (predicted[i] > predicted[pick]) pick = i;
    for (size_t i = 0; i < accepted.size(); ++i) {
        const int d = accepted[i].first, width = accepted[pick].first;
        if (d >= width || width % d != 0) continue;
        const double ratio = d == 1 ? WIDTH_ONE_RATIO : WIDTH_MULTIPLE_RATIO;
        if (predicted[i] >= ratio * predicted[pick]) pick = i;
    }
    return {accepted[pick].first, accepted[pick].second, w.density};
}

}  // namespace

double acceptance(uint64_t length, int width) {
    // Whole windows ask for these thousands of times per megabyte: from a table.
    struct Table {
        std::array<std::array<double, MAX_ROW_WIDTH + 1>, WINDOW_KIND_COUNT> bar{};
        Table() {
            for (size_t k = 0; k < WINDOW_KIND_COUNT; ++k)
                for (int w = 1; w <= MAX_ROW_WIDTH; ++w)
                    bar[k][static_cast<size_t>(w)] = computed(WINDOW_KINDS[k].cells * SCAN_CELL, w);
        }
        static double computed(uint64_t n, int w) {
            const double rows = static_cast<double>(n / static_cast<uint64_t>(w));
            return ACCEPT_BASE + ACCEPT_SPREAD / std::sqrt(rows);
        }
    };
    static const Table table;
    if (width >= 1 && width <= MAX_ROW_WIDTH)
        for (size_t k = 0; k < WINDOW_KIND_COUNT; ++k)
            if (length == WINDOW_KINDS[k].cells * SCAN_CELL) return table.bar[k][static_cast<size_t>(width)];
    return Table::computed(length, width);
}

Label judge_window(CellView& view, uint64_t cell, const WindowKind& kind, int max_width, double min_score,
                   double settled, PredictionCache& predictions) {
    Window w;
    if (!open_window(view, cell, kind, max_width, w)) return {};
    const std::array<int, 3> best = propose_widths(view, w, max_width);
    if (best[0] == 0 || !could_change_labels(w, best, settled)) return {};
    return choose_by_prediction(w, check_columns(w, best, min_score), settled, predictions);
}
