#pragma once
// Brute-force references for the analysis kernels: plain loops over single pixels, written from
// the contracts in the headers, slow and obviously right.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/find_pattern.h"

inline int reference_pixel(const std::vector<uint8_t>& bytes, uint64_t byte, int bit) {
    return (bytes[byte] >> (7 - bit)) & 1;
}

// Kappa of bits against the bits `width` bytes on, over bytes [begin, begin + length).
inline double reference_agreement(const std::vector<uint8_t>& bytes, uint64_t begin, uint64_t length,
                                  int width) {
    const uint64_t w = static_cast<uint64_t>(width);
    if (length < 2 * w) return 0;
    double pairs = 0, agree = 0, ones1 = 0, ones2 = 0;
    for (uint64_t i = begin; i + w < begin + length; ++i)
        for (int b = 0; b < 8; ++b) {
            const int x = reference_pixel(bytes, i, b), y = reference_pixel(bytes, i + w, b);
            pairs += 1;
            agree += x == y;
            ones1 += x;
            ones2 += y;
        }
    const double p1 = ones1 / pairs, p2 = ones2 / pairs;
    const double expected = p1 * p2 + (1 - p1) * (1 - p2);
    if (expected >= 1 - 1e-12) return 0;
    return std::max(0.0, (agree / pairs - expected) / (1 - expected));
}

// The row prediction score, pixel by pixel: contexts counted directly, code lengths from KT.
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
