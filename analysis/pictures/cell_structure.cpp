#include "analysis/pictures/cell_structure.h"

#include <algorithm>
#include <array>
#include <bit>

std::vector<uint8_t> row_ink(std::span<const uint8_t> bytes, uint64_t start, uint64_t end, int width) {
    const uint64_t w = static_cast<uint64_t>(std::clamp(width, 1, MAX_FONT_WIDTH));
    start = std::min<uint64_t>(start, bytes.size());
    end = std::clamp<uint64_t>(end, start, bytes.size());
    const uint64_t rows = (end - start) / w;
    std::vector<uint8_t> ink(rows);
    static constexpr auto BITS = [] {
        std::array<uint8_t, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[static_cast<size_t>(v)] = static_cast<uint8_t>(std::popcount(static_cast<unsigned>(v)));
        return t;
    }();
    for (uint64_t r = 0; r < rows; ++r) {
        int bits = 0;
        for (uint64_t j = 0; j < w; ++j) bits += BITS[bytes[start + r * w + j]];
        ink[r] = static_cast<uint8_t>(bits);
    }
    return ink;
}

double cell_structure(std::span<const uint8_t> ink, int height) {
    if (height < 1) return 0;
    const uint64_t h = static_cast<uint64_t>(height);
    const uint64_t n = ink.size() / h * h;
    if (n < 2 * h) return 0;
    std::array<uint64_t, MAX_CELL_HEIGHT + 1> group{};
    std::vector<uint64_t> wide_group;
    uint64_t* sums = group.data();
    if (h > group.size()) {
        wide_group.assign(h, 0);
        sums = wide_group.data();
    }
    uint64_t sum = 0, squares = 0;
    for (uint64_t i = 0, place = 0; i < n; ++i, place = place + 1 == h ? 0 : place + 1) {
        sum += ink[i];
        squares += static_cast<uint64_t>(ink[i]) * ink[i];
        sums[place] += ink[i];
    }
    const double count = static_cast<double>(n), per_group = static_cast<double>(n / h);
    const double shared = static_cast<double>(sum) * static_cast<double>(sum) / count;
    const double total = static_cast<double>(squares) - shared;
    if (total <= 1e-9) return 0;
    double between = -shared;
    for (uint64_t g = 0; g < h; ++g)
        between += static_cast<double>(sums[g]) * static_cast<double>(sums[g]) / per_group;
    const double eta = between / total;
    return 1 - (1 - eta) * (count - 1) / (count - static_cast<double>(h));
}

CellFit best_cell_height(std::span<const uint8_t> ink) {
    std::array<double, MAX_CELL_HEIGHT + 1> explained{};
    CellFit best;
    for (int h = MIN_CELL_HEIGHT; h <= MAX_CELL_HEIGHT; ++h) {
        if (ink.size() < 2 * static_cast<size_t>(h)) break;
        explained[static_cast<size_t>(h)] = cell_structure(ink, h);
        if (best.height == 0 || explained[static_cast<size_t>(h)] > best.structure)
            best = {h, explained[static_cast<size_t>(h)]};
    }
    for (int d = MIN_CELL_HEIGHT; d < best.height; ++d)
        if (best.height % d == 0 && explained[static_cast<size_t>(d)] >= CELL_DIVISOR_SHARE * best.structure)
            return {d, explained[static_cast<size_t>(d)]};
    return best;
}
