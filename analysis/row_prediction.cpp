#include "analysis/row_prediction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "analysis/bit_count.h"

namespace {

// Planes of 64 pixels, bit 63 = leftmost.
enum Plane { PIXEL = 0, LEFT = 1, ABOVE_LEFT = 2, ABOVE = 3, ABOVE_RIGHT = 4 };
constexpr int PLANES = 5;
constexpr int SUBSETS = 1 << PLANES;

// Counts of every non-empty AND-combination of the five planes, plus the number of pixels.
struct SubsetCounts {
    std::array<uint64_t, SUBSETS> n{};

    void add(const uint64_t (&plane)[PLANES], uint64_t lanes, int lane_count) {
        uint64_t conj[SUBSETS];
        conj[0] = lanes;
        n[0] += static_cast<uint64_t>(lane_count);
        for (int s = 1; s < SUBSETS; ++s) {
            const int top = 31 - __builtin_clz(static_cast<unsigned>(s));
            conj[s] = conj[s & ~(1 << top)] & plane[top];
            n[static_cast<size_t>(s)] += static_cast<uint64_t>(__builtin_popcountll(conj[s]));
        }
    }

    // Pixels whose five plane bits are exactly each pattern (Moebius inversion over supersets,
    // one plane at a time).
    [[nodiscard]] std::array<int64_t, SUBSETS> exact() const {
        std::array<int64_t, SUBSETS> f{};
        for (size_t s = 0; s < SUBSETS; ++s) f[s] = static_cast<int64_t>(n[s]);
        for (size_t bit = 1; bit < SUBSETS; bit <<= 1)
            for (size_t s = 0; s < SUBSETS; ++s)
                if (!(s & bit)) f[s] -= f[s | bit];
        return f;
    }
};

// lgamma stores the sign of the result in the global `signgam`, a data race once the scan runs
// on several threads; the reentrant form hands the sign back instead.
double log_gamma(double x) {
    int sign = 0;
    return lgamma_r(x, &sign);
}

// log Gamma(k + 1) and log Gamma(k + 1/2) for the counts of short parts, where the scan calls
// this thousands of times per megabyte; longer parts compute them.
constexpr uint64_t TABLED_COUNTS = 4096;
struct LogGammaTable {
    std::array<double, TABLED_COUNTS> whole, half;
    LogGammaTable() {
        for (uint64_t k = 0; k < TABLED_COUNTS; ++k) {
            whole[k] = log_gamma(static_cast<double>(k) + 1);
            half[k] = log_gamma(static_cast<double>(k) + 0.5);
        }
    }
};
const LogGammaTable& log_gamma_table() {
    static const LogGammaTable table;
    return table;
}

// Bits to code `zeros` and `ones` with the Krichevsky-Trofimov estimator.
double kt_bits(uint64_t zeros, uint64_t ones) {
    static const double LOG_PI = std::log(3.14159265358979323846);
    const auto& t = log_gamma_table();
    auto whole = [&](uint64_t k) {
        return k < TABLED_COUNTS ? t.whole[k] : log_gamma(static_cast<double>(k) + 1);
    };
    auto half = [&](uint64_t k) {
        return k < TABLED_COUNTS ? t.half[k] : log_gamma(static_cast<double>(k) + 0.5);
    };
    return (whole(zeros + ones) + LOG_PI - half(zeros) - half(ones)) / std::log(2.0);
}

uint64_t load_be64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_bswap64(v);
}

}  // namespace

PIXELSIEVE_BIT_CLONES double row_prediction_score(std::span<const uint8_t> bytes, uint64_t begin,
                                                  uint64_t length, int width) {
    if (width < 1 || begin >= bytes.size()) return 0;
    length = std::min<uint64_t>(length, bytes.size() - begin);
    const uint64_t w = static_cast<uint64_t>(width);
    if (length < 2 * w) return 0;
    const uint8_t* part = bytes.data() + begin;
    // Bytes outside the part read as clear pixels, so the part alone decides the score.
    auto at = [&](int64_t i) -> uint64_t {
        return i >= 0 && static_cast<uint64_t>(i) < length ? part[i] : 0;
    };
    auto be64_at = [&](int64_t i) -> uint64_t {
        if (i >= 0 && static_cast<uint64_t>(i) + 8 <= length) return load_be64(part + i);
        uint64_t v = 0;
        for (int k = 0; k < 8; ++k) v = v << 8 | at(i + k);
        return v;
    };

    SubsetCounts counts;
    const int64_t ww = static_cast<int64_t>(w);
    const int64_t end = static_cast<int64_t>(length);
    for (int64_t i = ww; i < end; i += 8) {
        const int64_t take = std::min<int64_t>(8, end - i);
        const int lanes = static_cast<int>(take * 8);
        const uint64_t mask = lanes == 64 ? ~uint64_t{0} : ~(~uint64_t{0} >> lanes);
        const uint64_t pixel = be64_at(i);
        const uint64_t above = be64_at(i - ww);
        uint64_t plane[PLANES];
        plane[PIXEL] = pixel & mask;
        plane[LEFT] = ((pixel >> 1) | (at(i - 1) & 1) << 63) & mask;
        plane[ABOVE_LEFT] = ((above >> 1) | (at(i - ww - 1) & 1) << 63) & mask;
        plane[ABOVE] = above & mask;
        plane[ABOVE_RIGHT] = ((above << 1) | at(i - ww + 8) >> 7) & mask;
        counts.add(plane, mask, lanes);
    }

    uint64_t left_only[2][2] = {};  // [left][pixel]
    double full_bits = 0;
    const auto exact = counts.exact();
    for (size_t context = 0; context < SUBSETS / 2; ++context) {
        // context holds the planes LEFT..ABOVE_RIGHT as bits 1..4 of the pattern.
        const uint64_t zeros = static_cast<uint64_t>(exact[context << 1]);
        const uint64_t ones = static_cast<uint64_t>(exact[context << 1 | 1]);
        full_bits += kt_bits(zeros, ones);
        left_only[context & 1][0] += zeros;
        left_only[context & 1][1] += ones;
    }
    const double base_bits =
        kt_bits(left_only[0][0], left_only[0][1]) + kt_bits(left_only[1][0], left_only[1][1]);
    if (base_bits < 1) return 0;
    const double score = 1 - full_bits / base_bits;
    return std::clamp(score, 0.0, 1.0);
}
