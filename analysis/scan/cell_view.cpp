#include "analysis/scan/cell_view.h"

#include <algorithm>
#include <cstring>

#include "analysis/bit_count.h"
#include "analysis/kappa.h"

using namespace scan_tuning;

CellView::CellView(std::span<const uint8_t> bytes, uint64_t first, uint64_t count, int max_width)
    : bytes_(bytes),
      first_(first),
      count_(count),
      max_width_(max_width),
      small_(std::min(max_width, SMALL_WIDTHS)) {
    const size_t w = static_cast<size_t>(small_);
    diff_prefix_.assign((count_ + 1) * w, 0);
    ones_prefix_.assign(count_ + 1, 0);
    blank_.assign(count_, false);
    traits_.assign(count_ + 1, {});
    // Filled on demand, so not cleared here: most cells never need it.
    if (scratch().all_widths.size() < count_ * static_cast<size_t>(max_width_))
        scratch().all_widths.resize(count_ * static_cast<size_t>(max_width_));
    all_widths_done_.assign(count_, 0);
    for (uint64_t k = 0; k < count_; ++k) {
        const uint64_t n = cell_length(first_ + k);
        const uint8_t* cell = bytes_.data() + (first_ + k) * SCAN_CELL;
        blank_[k] = n == 0 || std::memcmp(cell, cell + 1, n - 1) == 0;
        traits_[k + 1] = traits_[k];
        traits_[k + 1].add(cell, n);
        uint64_t ones = 0;
        for (int j = 0; j < 8; ++j) ones += traits_[k + 1].ones[j] - traits_[k].ones[j];
        ones_prefix_[k + 1] = ones_prefix_[k] + ones;
        differences(first_ + k, small_, &diff_prefix_[k * w], &diff_prefix_[(k + 1) * w]);
    }
}

CellView::Scratch& CellView::scratch() {
    thread_local Scratch buffers;
    return buffers;
}

const uint32_t* CellView::all_widths(uint64_t cell, int up_to) {
    const uint64_t k = cell - first_;
    uint32_t* out = &scratch().all_widths[k * static_cast<size_t>(max_width_)];
    if (all_widths_done_[k] < up_to) {
        static const std::vector<uint32_t> zeros(MAX_ROW_WIDTH, 0);
        const int widths = up_to <= MIDDLE_WIDTHS ? std::min(MIDDLE_WIDTHS, max_width_) : max_width_;
        differences(cell, widths, zeros.data(), out);
        all_widths_done_[k] = widths;
    }
    return out;
}

const uint32_t* CellView::group_widths(uint64_t cell, uint64_t cells, int widths, size_t slot) {
    Groups& g = groups_[slot];
    const size_t w = static_cast<size_t>(widths);
    const uint64_t index = cell / cells - first_ / cells;
    if (g.cells != cells) {
        g.cells = cells;
        g.done.assign(count_ / cells + 2, false);
        if (scratch().groups[slot].size() < g.done.size() * w)
            scratch().groups[slot].resize(g.done.size() * w);
    }
    uint32_t* out = &scratch().groups[slot][index * w];
    if (!g.done[index]) {
        const uint32_t* first = all_widths(cell, widths);
        std::copy(first, first + w, out);
        for (uint64_t k = 1; k < cells; ++k) {
            const uint32_t* d = all_widths(cell + k, widths);
            for (size_t i = 0; i < w; ++i) out[i] += d[i];
        }
        g.done[index] = true;
    }
    return out;
}

double CellView::own_agreement(uint64_t cell, int width, double density) {
    const uint64_t pairs = this->pairs(cell * SCAN_CELL, cell_length(cell), width);
    const double spread = 2 * density * (1 - density);
    if (pairs == 0 || spread <= 0) return 0;
    // The running sums hold the small widths only; the wide ones are per cell.
    const uint32_t differing = width <= small_ ? static_cast<uint32_t>(this->differing(cell, 1, width))
                                               : all_widths(cell, width)[width - 1];
    return kappa_from_disagreement(static_cast<double>(differing), 8.0 * static_cast<double>(pairs) * spread);
}

void CellView::differences(uint64_t cell_index, int widths, const uint32_t* before, uint32_t* row) const {
    const uint64_t start = cell_index * SCAN_CELL;
    const uint64_t n = cell_length(cell_index);
    const uint8_t* cell = bytes_.data() + start;
    const size_t w = static_cast<size_t>(widths);
    if (n == 0) {
        std::copy(before, before + w, row);
    } else if (start + n + w + 16 <= bytes_.size()) {
        count_shifted_differences(cell, n, widths, before, row);
    } else {
        for (size_t i = 0; i < w; ++i) {
            const uint64_t shift = i + 1;
            const uint64_t pairs =
                start + shift >= bytes_.size() ? 0 : std::min(n, bytes_.size() - start - shift);
            row[i] = before[i] +
                     static_cast<uint32_t>(pairs ? count_differing_bits(cell, cell + shift, pairs) : 0);
        }
    }
}
