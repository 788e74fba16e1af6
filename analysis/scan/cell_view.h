#pragma once
// What the scan knows about the cells [first, first + count) of a block and the margin around it,
// addressed by absolute cell index: running sums of set bits, byte traits and differing bits at
// the small widths, and on demand each cell's differing bits at every width.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/scan/byte_traits.h"
#include "analysis/scan/tuning.h"

class CellView {
public:
    CellView(std::span<const uint8_t> bytes, uint64_t first, uint64_t count, int max_width);

    // The differing bits of one cell for every width 1..up_to (no running sum), computed on first
    // use: only windows that look promising at the small widths ask for them. Most requests stop
    // at MIDDLE_WIDTHS (the windows of 512 bytes); the widths above cost three times as much again.
    const uint32_t* all_widths(uint64_t cell, int up_to);
    // all_widths summed over the `cells` cells from `cell` (a multiple of `cells`), widths up to
    // `widths`: every window of 4 cells and more is two such groups at its half size, and each
    // group serves two windows. One size of group per `slot`.
    const uint32_t* group_widths(uint64_t cell, uint64_t cells, int widths, size_t slot);

    [[nodiscard]] bool holds(uint64_t cell, uint64_t cells) const {
        return cell >= first_ && cell + cells <= first_ + count_;
    }
    [[nodiscard]] uint64_t cell_length(uint64_t cell) const {
        const uint64_t start = cell * SCAN_CELL;
        return start >= bytes_.size() ? 0 : std::min<uint64_t>(SCAN_CELL, bytes_.size() - start);
    }
    [[nodiscard]] uint64_t ones(uint64_t cell, uint64_t cells) const {
        return ones_prefix_[cell - first_ + cells] - ones_prefix_[cell - first_];
    }
    // Over `cells` cells from `cell`, for widths up to small_widths().
    [[nodiscard]] uint64_t differing(uint64_t cell, uint64_t cells, int width) const {
        const size_t w = static_cast<size_t>(small_);
        const size_t i = static_cast<size_t>(width - 1);
        return diff_prefix_[(cell - first_ + cells) * w + i] - diff_prefix_[(cell - first_) * w + i];
    }
    // Byte pairs (i, i + width) with i in [start, start + n) and i + width inside the data.
    [[nodiscard]] uint64_t pairs(uint64_t start, uint64_t n, int width) const {
        const uint64_t w = static_cast<uint64_t>(width);
        if (start + w >= bytes_.size()) return 0;
        return std::min(n, bytes_.size() - w - start);
    }
    // The cell's own rows at `width`, kappa against `density` (of the window that labelled it): how
    // well its bytes agree with those a row below. 0 where nothing can be measured.
    [[nodiscard]] double own_agreement(uint64_t cell, int width, double density);
    [[nodiscard]] bool blank(uint64_t cell) const { return blank_[cell - first_]; }
    [[nodiscard]] ByteTraits traits(uint64_t cell, uint64_t cells) const {
        return traits_[cell - first_ + cells].minus(traits_[cell - first_]);
    }
    [[nodiscard]] std::span<const uint8_t> bytes() const { return bytes_; }
    [[nodiscard]] uint64_t data_size() const { return bytes_.size(); }
    // The running sums of differing bits before `cell`, one entry per width up to small_widths().
    [[nodiscard]] const uint32_t* differing_row(uint64_t cell) const {
        return &diff_prefix_[(cell - first_) * static_cast<size_t>(small_)];
    }
    [[nodiscard]] int small_widths() const { return small_; }

private:
    void differences(uint64_t cell_index, int widths, const uint32_t* before, uint32_t* row) const;

    std::span<const uint8_t> bytes_;
    uint64_t first_, count_;
    int max_width_;
    int small_;
    std::vector<uint32_t> diff_prefix_;  // running sums, widths 1..small_
    // Buffers of a few megabytes kept by each thread from block to block: fresh ones for every
    // block cost more in page faults than the counting that fills them.
    struct Scratch {
        std::vector<uint32_t> all_widths;  // per cell, widths 1..max_width_, filled on demand
        std::array<std::vector<uint32_t>, scan_tuning::WINDOW_KIND_COUNT> groups;
    };
    static Scratch& scratch();
    std::vector<int> all_widths_done_;  // per cell, the widths filled
    struct Groups {
        uint64_t cells = 0;
        std::vector<bool> done;
    };
    std::array<Groups, scan_tuning::WINDOW_KIND_COUNT> groups_;
    std::vector<uint64_t> ones_prefix_;
    std::vector<bool> blank_;
    std::vector<ByteTraits> traits_;  // running sums before each cell
};
