#include "analysis/column_agreement.h"

#include <algorithm>
#include <array>
#include <vector>

#include "analysis/bit_count.h"

namespace {

// Each bit of a byte moved to its own byte lane, so that adding spreads counts eight columns at
// once (lane 7 - k counts bit k, i.e. the leftmost pixel lands in the highest lane).
const std::array<uint64_t, 256>& spread_table() {
    static const std::array<uint64_t, 256> table = [] {
        std::array<uint64_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k)
                if (b & (1 << k)) t[static_cast<size_t>(b)] |= uint64_t{1} << (8 * k);
        return t;
    }();
    return table;
}

}  // namespace

double column_agreement(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length, int width) {
    return column_agreement_detail(bytes, begin, length, width).score;
}

PIXELSIEVE_BIT_CLONES ColumnAgreement column_agreement_detail(std::span<const uint8_t> bytes, uint64_t begin,
                                                              uint64_t length, int width) {
    if (width < 1 || begin >= bytes.size()) return {};
    length = std::min<uint64_t>(length, bytes.size() - begin);
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t rows = length / w;
    if (rows < 2) return {};
    const uint8_t* data = bytes.data() + begin;
    const auto& spread = spread_table();

    // Ones per column over all rows, in byte lanes flushed before they can overflow.
    std::vector<uint64_t> ones(w * 8, 0);
    std::vector<uint64_t> lanes(w, 0);
    uint64_t since_flush = 0;
    auto flush = [&] {
        for (uint64_t j = 0; j < w; ++j) {
            for (int k = 0; k < 8; ++k)
                ones[j * 8 + static_cast<uint64_t>(k)] += (lanes[j] >> (8 * k)) & 0xFF;
            lanes[j] = 0;
        }
        since_flush = 0;
    };
    for (uint64_t r = 0; r < rows; ++r) {
        const uint8_t* row = data + r * w;
        for (uint64_t j = 0; j < w; ++j) lanes[j] += spread[row[j]];
        if (++since_flush == 255) flush();
    }
    flush();

    const uint64_t pair_rows = rows - 1;
    // Differing bits per byte column, in one pass over the pairs.
    std::vector<uint64_t> column_differing(w, 0);
    for (uint64_t r = 0; r < pair_rows; ++r) {
        const uint8_t* upper = data + r * w;
        for (uint64_t j = 0; j < w; ++j)
            column_differing[j] +=
                static_cast<uint64_t>(__builtin_popcount(static_cast<unsigned>(upper[j] ^ upper[j + w])));
    }
    const double m = static_cast<double>(pair_rows);
    const uint8_t* first_row = data;
    const uint8_t* last_row = data + (rows - 1) * w;
    double pairs_all = 0, agreeing_all = 0, expected_all = 0;
    double weakest = 1;
    bool any_column = false;
    for (uint64_t j = 0; j < w; ++j) {
        double expected = 0, ink = 0;
        for (int k = 0; k < 8; ++k) {
            const uint64_t all = ones[j * 8 + static_cast<uint64_t>(k)];
            ink += static_cast<double>(all);
            const double upper = static_cast<double>(all - ((last_row[j] >> k) & 1)) / m;
            const double lower = static_cast<double>(all - ((first_row[j] >> k) & 1)) / m;
            expected += upper * lower + (1 - upper) * (1 - lower);
        }
        expected *= m;
        const double pairs = 8.0 * m;
        const double agreeing = pairs - static_cast<double>(column_differing[j]);
        pairs_all += pairs;
        agreeing_all += agreeing;
        expected_all += expected;
        if (ink * 20 >= static_cast<double>(rows) && pairs - expected >= 1e-9) {
            weakest = std::min(weakest, (agreeing - expected) / (pairs - expected));
            any_column = true;
        }
    }
    ColumnAgreement result;
    if (pairs_all - expected_all >= 1e-9)
        result.score = std::max(0.0, (agreeing_all - expected_all) / (pairs_all - expected_all));
    result.weakest_byte_column = any_column ? weakest : 0;
    return result;
}
