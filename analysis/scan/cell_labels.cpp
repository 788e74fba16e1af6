#include "analysis/scan/cell_labels.h"

#include <algorithm>
#include <array>
#include <iterator>

using namespace scan_tuning;

namespace {

uint64_t below(uint64_t cell, uint64_t distance) { return cell > distance ? cell - distance : 0; }

// The lowest score among the labels of [from, to): a window scoring no more changes none of them.
double settled_score(const CellRange<Label>& labels, uint64_t from, uint64_t to) {
    double settled = labels[from].score;
    for (uint64_t c = from + 1; c < to; ++c) settled = std::min(settled, labels[c].score);
    return settled;
}

// The divisor of the cell's width that labels at least as many cells within SMOOTH_CELLS as the
// width itself, and more than any other such divisor; the width itself where none does.
int commonest_divisor(const CellRange<Label>& labels, uint64_t c, int w) {
    std::array<int, MAX_ROW_WIDTH + 1> count;  // read at 0 and the divisors of w only
    count[0] = 0;
    for (int d = 1; d <= w; ++d)
        if (w % d == 0) count[static_cast<size_t>(d)] = 0;
    for (uint64_t k = c - SMOOTH_CELLS; k <= c + SMOOTH_CELLS; ++k) {
        const int other = labels[k].width;
        if (other >= 1 && other <= w && w % other == 0) ++count[static_cast<size_t>(other)];
    }
    int pick = w;
    for (int d = 1; d < w; ++d)
        if (w % d == 0 && count[static_cast<size_t>(d)] >= count[static_cast<size_t>(w)] &&
            count[static_cast<size_t>(d)] > count[static_cast<size_t>(pick == w ? 0 : pick)])
            pick = d;
    return pick;
}

// The smallest divisor of w below it among the widths of [from, to); 0 where there is none.
int smallest_divisor(const CellRange<int>& widths, uint64_t from, uint64_t to, int w) {
    int divisor = 0;
    for (uint64_t k = from; k < to; ++k) {
        const int d = widths[k];
        if (d >= 1 && d < w && w % d == 0 && (divisor == 0 || d < divisor)) divisor = d;
    }
    return divisor;
}

}  // namespace

CellRange<Label> label_cells(CellView& view, uint64_t lo, uint64_t hi, uint64_t total_cells, int max_width,
                             double min_score) {
    CellRange<Label> labels(below(lo, LABEL_REACH), std::min(total_cells, hi + LABEL_REACH));
    PredictionCache predictions;
    for (auto kind = std::rbegin(WINDOW_KINDS); kind != std::rend(WINDOW_KINDS); ++kind) {
        // Window starts are multiples of the kind's step, so that every block sees the same windows.
        uint64_t first = labels.lo() >= kind->cells ? labels.lo() - kind->cells + 1 : 0;
        first -= first % kind->step;
        for (uint64_t cell = first; cell < labels.hi(); cell += kind->step) {
            if (!view.holds(cell, kind->cells)) continue;
            const uint64_t from = std::max(cell, labels.lo()), to = std::min(cell + kind->cells, labels.hi());
            const double settled = settled_score(labels, from, to);
            const Label verdict = judge_window(view, cell, *kind, max_width, min_score, settled, predictions);
            if (verdict.width == 0) continue;
            for (uint64_t c = from; c < to; ++c)
                if (verdict.score > labels[c].score) labels[c] = verdict;
        }
    }
    return labels;
}

void smooth_to_divisors(CellView& view, CellRange<Label>& labels) {
    CellRange<Label> smoothed = labels;
    for (uint64_t c = labels.lo() + SMOOTH_CELLS; c + SMOOTH_CELLS < labels.hi(); ++c) {
        const int w = labels[c].width;
        if (w < 2) continue;
        int pick = commonest_divisor(labels, c, w);
        // Only where the cell's own rows bear the divisor out: an icon's cells beside glyph-like
        // neighbours keep the icon's width.
        if (pick != w && w <= view.small_widths()) {
            const double density = labels[c].density;
            if (view.own_agreement(c, pick, density) < SMOOTH_OWN_RATIO * view.own_agreement(c, w, density))
                pick = w;
        }
        smoothed[c].width = pick;
    }
    labels = std::move(smoothed);
}

CellRange<int> bridge_strong_cells(CellView& view, const CellRange<Label>& labels, uint64_t lo, uint64_t hi,
                                   uint64_t total_cells) {
    CellRange<bool> strong(labels.lo(), labels.hi());
    for (uint64_t c = labels.lo(); c < labels.hi(); ++c) {
        const Label& l = labels[c];
        strong[c] = l.width != 0 && !view.blank(c) && view.own_agreement(c, l.width, l.density) >= CELL_MIN;
    }
    auto strong_with = [&](uint64_t c, int width) {
        return strong.at_or(c, false) && labels[c].width == width;
    };
    CellRange<int> bridged(below(lo, 2 + ABSORB_CELLS), std::min(total_cells, hi + 2 + ABSORB_CELLS));
    for (uint64_t c = bridged.lo(); c < bridged.hi(); ++c) {
        const int width = labels[c].width;
        if (width == 0) continue;
        bool keep = strong[c];
        if (!keep) {
            bool before = false, after = false;
            for (uint64_t k = 1; k <= BRIDGE_CELLS && !before; ++k)
                before = c >= k && strong_with(c - k, width);
            for (uint64_t k = 1; k <= BRIDGE_CELLS && !after; ++k) after = strong_with(c + k, width);
            keep = before && after;
        }
        if (keep) bridged[c] = width;
    }
    return bridged;
}

CellRange<int> absorb_multiples(CellView& view, const CellRange<Label>& labels, const CellRange<int>& bridged,
                                uint64_t lo, uint64_t hi, uint64_t total_cells) {
    CellRange<int> kept(below(lo, 2), std::min(total_cells, hi + 2));
    for (uint64_t c = kept.lo(); c < kept.hi(); ++c) {
        const int w = bridged[c];
        kept[c] = w;
        if (w < 2) continue;
        // The smallest divisor kept before the cell and after it, within reach.
        const uint64_t from = c > bridged.lo() + ABSORB_CELLS ? c - ABSORB_CELLS : bridged.lo();
        const uint64_t to = std::min(bridged.hi(), c + ABSORB_CELLS + 1);
        const int before = smallest_divisor(bridged, from, c, w);
        const int after = smallest_divisor(bridged, c + 1, to, w);
        const int divisor = before == 0 ? after : after == 0 ? before : std::min(before, after);
        if (divisor == 0) continue;
        // A wide icon whose halves look alike shows its divisor in places: there the multiple
        // holds most of the cells around, and stays.
        if (bridged.count(from, to, divisor) < bridged.count(from, to, w)) continue;
        // Enclosed on both sides: a short stretch of glyphs such as shading, drawn at the
        // multiple by nature, inside the font.
        if (before == divisor && after == divisor) {
            kept[c] = divisor;
            continue;
        }
        const double density = labels[c].density;
        const double at_width = view.own_agreement(c, w, density);
        if (view.blank(c) || at_width <= 0 ||
            view.own_agreement(c, divisor, density) >= ABSORB_OWN_RATIO * at_width)
            kept[c] = divisor;
    }
    return kept;
}
