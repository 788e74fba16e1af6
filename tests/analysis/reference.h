#pragma once
// Brute-force references for the analysis kernels: plain loops over single pixels, written from
// the contracts in the headers, slow and obviously right.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/column_agreement.h"
#include "analysis/find_pattern.h"

inline int reference_pixel(const std::vector<uint8_t>& bytes, uint64_t byte, int bit) {
    return (bytes[byte] >> (7 - bit)) & 1;
}

// The row prediction score, pixel by pixel: contexts counted directly, code lengths from KT.
// Column agreement from counts taken pixel by pixel. The closing arithmetic follows the header's
// formula term by term in the kernel's order, so its doubles must match the kernel's exactly.
inline ColumnAgreement reference_column_agreement(const std::vector<uint8_t>& bytes, uint64_t begin,
                                                  uint64_t length, int width) {
    if (width < 1 || begin >= bytes.size()) return {};
    length = std::min<uint64_t>(length, bytes.size() - begin);
    const uint64_t w = static_cast<uint64_t>(width), rows = length / w;
    if (rows < 2) return {};
    const double m = static_cast<double>(rows - 1);
    double pairs_all = 0, agreeing_all = 0, expected_all = 0, weakest = 1;
    bool any_column = false;
    for (uint64_t j = 0; j < w; ++j) {
        double expected = 0, ink = 0;
        uint64_t differing = 0;
        for (int bit = 7; bit >= 0; --bit) {  // lowest bit first
            uint64_t in_upper = 0, in_lower = 0, all = 0;
            for (uint64_t r = 0; r < rows; ++r) {
                const int p = reference_pixel(bytes, begin + r * w + j, bit);
                all += static_cast<uint64_t>(p);
                if (r + 1 < rows) {
                    in_upper += static_cast<uint64_t>(p);
                    differing +=
                        static_cast<uint64_t>(p != reference_pixel(bytes, begin + (r + 1) * w + j, bit));
                }
                if (r > 0) in_lower += static_cast<uint64_t>(p);
            }
            ink += static_cast<double>(all);
            const double upper = static_cast<double>(in_upper) / m, lower = static_cast<double>(in_lower) / m;
            expected += upper * lower + (1 - upper) * (1 - lower);
        }
        expected *= m;
        const double pairs = 8.0 * m, agreeing = pairs - static_cast<double>(differing);
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

inline double reference_row_prediction(const std::vector<uint8_t>& bytes, uint64_t begin, uint64_t length,
                                       int width) {
    const int64_t w = width, n = static_cast<int64_t>(length);
    if (n < 2 * w) return 0;
    auto pixel = [&](int64_t linear_bit) -> int {
        if (linear_bit < 0 || linear_bit >= 8 * n) return 0;
        return reference_pixel(bytes, begin + static_cast<uint64_t>(linear_bit / 8),
                               static_cast<int>(linear_bit % 8));
    };
    double full[16][2] = {}, left_only[2][2] = {};
    for (int64_t bit = 8 * w; bit < 8 * n; ++bit) {
        const int p = pixel(bit), left = pixel(bit - 1);
        const int above = static_cast<int>(8 * w);
        const int context =
            left | pixel(bit - above - 1) << 1 | pixel(bit - above) << 2 | pixel(bit - above + 1) << 3;
        full[context][p] += 1;
        left_only[left][p] += 1;
    }
    auto kt = [](double zeros, double ones) {
        return (std::lgamma(zeros + ones + 1) + std::log(M_PI) - std::lgamma(zeros + 0.5) -
                std::lgamma(ones + 0.5)) /
               std::log(2.0);
    };
    double full_bits = 0;
    for (auto& c : full) full_bits += kt(c[0], c[1]);
    const double base_bits = kt(left_only[0][0], left_only[0][1]) + kt(left_only[1][0], left_only[1][1]);
    if (base_bits < 1) return 0;
    return std::clamp(1 - full_bits / base_bits, 0.0, 1.0);
}

// Every placement of the pattern, pixel by pixel, in the order find_pattern promises.
inline std::vector<PatternHit> reference_find(const std::vector<uint8_t>& bytes, const Pattern& pattern,
                                              const FindOptions& options) {
    std::vector<PatternHit> hits;
    const int w = pattern.width, h = pattern.height, row = options.row_width;
    auto shown_bit = [&](uint64_t byte, int bit, int form) {
        uint8_t b = bytes[byte];
        if (form & 4) b = static_cast<uint8_t>((b << 4) | (b >> 4));
        int index = bit;
        if (form & 2) index = 7 - bit;
        int value = (b >> (7 - index)) & 1;
        if (form & 1) value ^= 1;
        return value;
    };
    const uint64_t end = std::min<uint64_t>(options.end, bytes.size());
    for (uint64_t offset = options.begin; offset < end; ++offset)
        for (int bit = 0; bit < 8 && bit + w <= 8 * row; ++bit)
            for (int form = 0; form < (options.all_forms ? PATTERN_FORM_COUNT : 1); ++form) {
                int errors = 0;
                bool fits = true;
                for (int r = 0; r < h && fits; ++r)
                    for (int c = 0; c < w && fits; ++c) {
                        const uint64_t linear =
                            (offset + static_cast<uint64_t>(r) * static_cast<uint64_t>(row)) * 8 +
                            static_cast<uint64_t>(bit + c);
                        if (linear / 8 >= bytes.size()) {
                            fits = false;
                            break;
                        }
                        errors += shown_bit(linear / 8, static_cast<int>(linear % 8), form) !=
                                  pattern.pixels[static_cast<size_t>(r * w + c)];
                    }
                if (fits && errors <= std::max(0, options.max_errors))
                    hits.push_back({offset, bit, errors, static_cast<PatternForm>(form)});
            }
    return hits;
}
