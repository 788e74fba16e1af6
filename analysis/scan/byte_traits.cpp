#include "analysis/scan/byte_traits.h"

#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "analysis/kappa.h"
#include "analysis/scan/tuning.h"
#include "common/instruction_sets.h"

namespace {

struct TraitTables {
    uint64_t ones[256], equal[256];  // byte lane k: bit k set; bits k and k + 1 equal
};

const TraitTables& trait_tables() {
    static const TraitTables tables = [] {
        TraitTables t{};
        for (unsigned b = 0; b < 256; ++b) {
            const unsigned same = ~(b ^ (b >> 1)) & 0x7F;
            for (int k = 0; k < 8; ++k) t.ones[b] |= static_cast<uint64_t>((b >> k) & 1) << (8 * k);
            for (int k = 0; k < 7; ++k) t.equal[b] |= static_cast<uint64_t>((same >> k) & 1) << (8 * k);
        }
        return t;
    }();
    return tables;
}

// Byte lanes of 64-bit sums: at most 64 bytes per call, so no lane overflows.
void add_by_table(const uint8_t* data, uint64_t n, ByteTraits& traits) {
    const TraitTables& t = trait_tables();
    uint64_t ones_lanes = 0, equal_lanes = 0;
    for (uint64_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        ones_lanes += t.ones[b];
        equal_lanes += t.equal[b];
        traits.nonzero += b != 0;
        traits.printable += b >= 0x20 && b < 0x7F;
    }
    for (int k = 0; k < 8; ++k) traits.ones[k] += static_cast<uint32_t>((ones_lanes >> (8 * k)) & 0xFF);
    for (int k = 0; k < 7; ++k) traits.equal[k] += static_cast<uint32_t>((equal_lanes >> (8 * k)) & 0xFF);
}

#if defined(__SSE2__)
// Sixteen bytes at a time into byte lanes (at most 64 bytes per call: no lane overflows), summed
// across lanes at the end; the bytes after the last multiple of 16 by table. A 16-bit shift right
// by k brings bit k of both bytes of a lane pair to their bit 0.
void add_by_vectors(const uint8_t* data, uint64_t n, ByteTraits& traits) {
    const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1);
    const __m128i below_space = _mm_set1_epi8(0x1F), delete_char = _mm_set1_epi8(0x7F);
    __m128i ones_acc[8], equal_acc[7];
    for (auto& a : ones_acc) a = zero;
    for (auto& a : equal_acc) a = zero;
    __m128i zeros_acc = zero, printable_acc = zero;
    uint64_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        // Bit k of `same` (k < 7) is set where bits k and k + 1 of the byte agree.
        const __m128i same = _mm_xor_si128(_mm_xor_si128(v, _mm_srli_epi16(v, 1)), _mm_set1_epi8(-1));
        // Unrolled with immediate shift counts: the loop with a count in a register runs far slower.
        [&]<int... k>(std::integer_sequence<int, k...>) {
            ((ones_acc[k] = _mm_add_epi8(ones_acc[k], _mm_and_si128(_mm_srli_epi16(v, k), one))), ...);
            ((equal_acc[k] = _mm_add_epi8(equal_acc[k], _mm_and_si128(_mm_srli_epi16(same, k), one))), ...);
        }
        (std::make_integer_sequence<int, 7>{});
        ones_acc[7] = _mm_add_epi8(ones_acc[7], _mm_and_si128(_mm_srli_epi16(v, 7), one));
        zeros_acc = _mm_sub_epi8(zeros_acc, _mm_cmpeq_epi8(v, zero));
        printable_acc = _mm_sub_epi8(
            printable_acc, _mm_and_si128(_mm_cmpgt_epi8(v, below_space), _mm_cmplt_epi8(v, delete_char)));
    }
    auto total = [&](__m128i acc) {
        const __m128i sums = _mm_sad_epu8(acc, zero);
        return static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    };
    for (int k = 0; k < 8; ++k) traits.ones[k] += total(ones_acc[k]);
    for (int k = 0; k < 7; ++k) traits.equal[k] += total(equal_acc[k]);
    traits.nonzero += static_cast<uint32_t>(i) - total(zeros_acc);
    traits.printable += total(printable_acc);
    add_by_table(data + i, n - i, traits);
}
#endif

#if PIXELSIEVE_HAS_LEVELS
// A whole cell in one vector: each count is the population of a 64-bit mask. No lambdas here:
// they would not share this function's instruction set.
PIXELSIEVE_TARGET_AVX512 void add_cell_by_masks(const uint8_t* cell, ByteTraits& traits) {
    const __m512i v = _mm512_loadu_si512(cell);
    const __m512i differ = _mm512_xor_si512(v, _mm512_srli_epi16(v, 1));  // bit k: bits k, k + 1 differ
    for (int k = 0; k < 8; ++k) {
        const __m512i bit = _mm512_set1_epi8(static_cast<char>(1 << k));
        traits.ones[k] += static_cast<uint32_t>(__builtin_popcountll(_mm512_test_epi8_mask(v, bit)));
        if (k < 7)
            traits.equal[k] +=
                static_cast<uint32_t>(__builtin_popcountll(_mm512_testn_epi8_mask(differ, bit)));
    }
    traits.nonzero += static_cast<uint32_t>(__builtin_popcountll(_mm512_test_epi8_mask(v, v)));
    traits.printable +=
        static_cast<uint32_t>(__builtin_popcountll(_mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(0x20)) &
                                                   _mm512_cmplt_epu8_mask(v, _mm512_set1_epi8(0x7F))));
}
#endif

}  // namespace

void ByteTraits::add(const uint8_t* data, uint64_t n) {
#if PIXELSIEVE_HAS_LEVELS
    if (n == 64 && active_instruction_set() == InstructionSet::Avx512) return add_cell_by_masks(data, *this);
#endif
#if defined(__SSE2__)
    add_by_vectors(data, n, *this);
#else
    add_by_table(data, n, *this);
#endif
}

ByteTraits ByteTraits::minus(const ByteTraits& o) const {
    ByteTraits d;
    d.nonzero = nonzero - o.nonzero;
    d.printable = printable - o.printable;
    for (int k = 0; k < 8; ++k) d.ones[k] = ones[k] - o.ones[k];
    for (int k = 0; k < 7; ++k) d.equal[k] = equal[k] - o.equal[k];
    return d;
}

bool ByteTraits::text() const { return nonzero > 0 && printable >= scan_tuning::TEXT_SHARE * nonzero; }

double ByteTraits::horizontal_agreement(uint64_t n) const {
    // Expected agreement summed as m (p q + (1 - p)(1 - q)) = m - a - b + 2ab / m over the counts
    // a, b of neighbouring positions: whole numbers but for one division (every window that may
    // measure wide widths asks).
    uint64_t agree = 0, single = 0, both = 0;
    for (int k = 0; k < 7; ++k) {
        agree += equal[k];
        single += static_cast<uint64_t>(ones[k]) + ones[k + 1];
        both += static_cast<uint64_t>(ones[k]) * ones[k + 1];
    }
    const double m = static_cast<double>(n);
    const double expected = 7 * m - static_cast<double>(single) + 2 * static_cast<double>(both) / m;
    return kappa_of_sums(7 * m, static_cast<double>(agree), expected);
}
