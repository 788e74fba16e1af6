#include "analysis/row_prediction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "common/instruction_sets.h"

namespace {

// Planes of 64 pixels, bit 63 = leftmost.
enum Plane { PIXEL = 0, LEFT = 1, ABOVE_LEFT = 2, ABOVE = 3, ABOVE_RIGHT = 4 };
constexpr int PLANES = 5;
constexpr int SUBSETS = 1 << PLANES;

// Counts of every non-empty AND-combination of the five planes, plus the number of pixels.
struct SubsetCounts {
    std::array<uint64_t, SUBSETS> n{};

    // Pixels whose five plane bits are exactly each pattern (Moebius inversion over supersets,
    // one plane at a time).
    [[nodiscard]] std::array<int64_t, SUBSETS> exact() const {
        std::array<int64_t, SUBSETS> f{};
        for (size_t s = 0; s < SUBSETS; ++s) f[s] = static_cast<int64_t>(n[s]);
            // Unrolled into straight subtractions between registers.
#pragma GCC unroll 8
        for (size_t bit = 1; bit < SUBSETS; bit <<= 1)
#pragma GCC unroll 32
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

// Plane words are made and counted in blocks, so any part length needs no heap and the counting
// loop runs over plain arrays that vector units can take eight words at a time.
constexpr size_t BLOCK_WORDS = 64;
struct PlaneBlock {
    alignas(64) uint64_t word[PLANES][BLOCK_WORDS];
};

// Adds the counts of every non-empty AND-combination of the planes over words [0, words) of the
// block to n[1..31].
PIXELSIEVE_KERNEL_BODY void count_subsets_body(const PlaneBlock& block, size_t words,
                                               std::array<uint64_t, SUBSETS>& n) {
    uint64_t sum[SUBSETS] = {};
    for (size_t i = 0; i < words; ++i) {
        uint64_t conj[SUBSETS];
        conj[0] = ~uint64_t{0};
        // Unrolled, every combination is a register and every sum its own chain.
#pragma GCC unroll 32
        for (int s = 1; s < SUBSETS; ++s) {
            const int top = 31 - __builtin_clz(static_cast<unsigned>(s));
            conj[s] = conj[s & ~(1 << top)] & block.word[top][i];
            sum[s] += static_cast<uint64_t>(__builtin_popcountll(conj[s]));
        }
    }
    for (int s = 1; s < SUBSETS; ++s) n[static_cast<size_t>(s)] += sum[s];
}

void count_subsets_baseline(const PlaneBlock& block, size_t words, std::array<uint64_t, SUBSETS>& n) {
    count_subsets_body(block, words, n);
}
PIXELSIEVE_TARGET_POPCNT void count_subsets_popcnt(const PlaneBlock& block, size_t words,
                                                   std::array<uint64_t, SUBSETS>& n) {
    count_subsets_body(block, words, n);
}

#if PIXELSIEVE_HAS_LEVELS
// Eight words per step, one vector population count per combination; the words from `words` up
// to the next multiple of eight must be clear.
PIXELSIEVE_TARGET_AVX512 void count_subsets_avx512(const PlaneBlock& block, size_t words,
                                                   std::array<uint64_t, SUBSETS>& n) {
    __m512i sum[SUBSETS];
    for (auto& v : sum) v = _mm512_setzero_si512();
    for (size_t i = 0; i < words; i += 8) {
        __m512i plane[PLANES];
        for (int p = 0; p < PLANES; ++p) plane[p] = _mm512_load_si512(&block.word[p][i]);
        __m512i conj[SUBSETS];
        conj[0] = _mm512_set1_epi64(-1);
#pragma GCC unroll 32
        for (int s = 1; s < SUBSETS; ++s) {
            const int top = 31 - __builtin_clz(static_cast<unsigned>(s));
            conj[s] = _mm512_and_si512(conj[s & ~(1 << top)], plane[top]);
            sum[s] = _mm512_add_epi64(sum[s], _mm512_popcnt_epi64(conj[s]));
        }
    }
    for (int s = 1; s < SUBSETS; ++s) {
        alignas(64) uint64_t lanes[8];
        _mm512_store_si512(lanes, sum[s]);
        for (uint64_t lane : lanes) n[static_cast<size_t>(s)] += lane;
    }
}
#endif

void count_subsets(const PlaneBlock& block, size_t words, std::array<uint64_t, SUBSETS>& n) {
    const InstructionSet level = active_instruction_set();
#if PIXELSIEVE_HAS_LEVELS
    if (level == InstructionSet::Avx512) return count_subsets_avx512(block, words, n);
#endif
    if (level == InstructionSet::Baseline)
        count_subsets_baseline(block, words, n);
    else
        count_subsets_popcnt(block, words, n);
}

}  // namespace

double row_prediction_score(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length, int width) {
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
    PlaneBlock block;
    size_t filled = 0;
    auto count_block = [&] {
        for (int p = 0; p < PLANES; ++p)
            std::fill(block.word[p] + filled, block.word[p] + ((filled + 7) & ~size_t{7}), 0);
        count_subsets(block, filled, counts.n);
        filled = 0;
    };
    const int64_t ww = static_cast<int64_t>(w);
    const int64_t end = static_cast<int64_t>(length);
    counts.n[0] = static_cast<uint64_t>(end - ww) * 8;
    for (int64_t i = ww; i < end; i += 8) {
        const int64_t take = std::min<int64_t>(8, end - i);
        const int lanes = static_cast<int>(take * 8);
        const uint64_t mask = lanes == 64 ? ~uint64_t{0} : ~(~uint64_t{0} >> lanes);
        uint64_t pixel, above, before, above_before, above_after;
        if (i >= ww + 1 && i + 8 <= end) {
            pixel = load_be64(part + i);
            above = load_be64(part + i - ww);
            before = part[i - 1];
            above_before = part[i - ww - 1];
            above_after = part[i - ww + 8];
        } else {
            pixel = be64_at(i);
            above = be64_at(i - ww);
            before = at(i - 1);
            above_before = at(i - ww - 1);
            above_after = at(i - ww + 8);
        }
        block.word[PIXEL][filled] = pixel & mask;
        block.word[LEFT][filled] = ((pixel >> 1) | (before & 1) << 63) & mask;
        block.word[ABOVE_LEFT][filled] = ((above >> 1) | (above_before & 1) << 63) & mask;
        block.word[ABOVE][filled] = above & mask;
        block.word[ABOVE_RIGHT][filled] = ((above << 1) | above_after >> 7) & mask;
        if (++filled == BLOCK_WORDS) count_block();
    }
    if (filled > 0) count_block();

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
