#include "analysis/bit_count.h"

#include <algorithm>
#include <cstring>

#include "common/instruction_sets.h"

#if PIXELSIEVE_HAS_LEVELS
#include <immintrin.h>
#endif

namespace {

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The bodies, compiled into one function per level below: __builtin_popcountll becomes the
// processor's instruction where the level has it and a library call elsewhere.
PIXELSIEVE_KERNEL_BODY uint64_t count_bits_body(const uint8_t* bytes, size_t n) {
    uint64_t total = 0;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        total += static_cast<uint64_t>(__builtin_popcountll(load64(bytes + i))) +
                 static_cast<uint64_t>(__builtin_popcountll(load64(bytes + i + 8))) +
                 static_cast<uint64_t>(__builtin_popcountll(load64(bytes + i + 16))) +
                 static_cast<uint64_t>(__builtin_popcountll(load64(bytes + i + 24)));
    }
    for (; i + 8 <= n; i += 8) total += static_cast<uint64_t>(__builtin_popcountll(load64(bytes + i)));
    for (; i < n; ++i) total += static_cast<uint64_t>(__builtin_popcount(bytes[i]));
    return total;
}

PIXELSIEVE_KERNEL_BODY uint64_t count_differing_body(const uint8_t* a, const uint8_t* b, size_t n) {
    uint64_t total = 0;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        total += static_cast<uint64_t>(__builtin_popcountll(load64(a + i) ^ load64(b + i))) +
                 static_cast<uint64_t>(__builtin_popcountll(load64(a + i + 8) ^ load64(b + i + 8))) +
                 static_cast<uint64_t>(__builtin_popcountll(load64(a + i + 16) ^ load64(b + i + 16))) +
                 static_cast<uint64_t>(__builtin_popcountll(load64(a + i + 24) ^ load64(b + i + 24)));
    }
    for (; i + 8 <= n; i += 8)
        total += static_cast<uint64_t>(__builtin_popcountll(load64(a + i) ^ load64(b + i)));
    for (; i < n; ++i) total += static_cast<uint64_t>(__builtin_popcount(static_cast<unsigned>(a[i] ^ b[i])));
    return total;
}

PIXELSIEVE_KERNEL_BODY void shifted_differences_body(const uint8_t* cell, size_t n, int max_width,
                                                     const uint32_t* base, uint32_t* out) {
    if (n == 64) {
        uint64_t own[8];
        for (int k = 0; k < 8; ++k) own[k] = load64(cell + 8 * k);
        for (int w = 1; w <= max_width; ++w) {
            const uint8_t* other = cell + w;
            uint32_t d = 0;
            const int words = w > SAMPLED_FROM_WIDTH ? 2 : 8;
            for (int k = 0; k < words; ++k)
                d += static_cast<uint32_t>(__builtin_popcountll(own[k] ^ load64(other + 8 * k)));
            if (words == 2) d *= 4;
            out[w - 1] = base[w - 1] + d;
        }
        return;
    }
    for (int w = 1; w <= max_width; ++w)
        out[w - 1] = base[w - 1] + static_cast<uint32_t>(count_differing_body(cell, cell + w, n));
}

uint64_t count_bits_baseline(const uint8_t* bytes, size_t n) { return count_bits_body(bytes, n); }
PIXELSIEVE_TARGET_POPCNT uint64_t count_bits_popcnt(const uint8_t* bytes, size_t n) {
    return count_bits_body(bytes, n);
}
uint64_t count_differing_baseline(const uint8_t* a, const uint8_t* b, size_t n) {
    return count_differing_body(a, b, n);
}
PIXELSIEVE_TARGET_POPCNT uint64_t count_differing_popcnt(const uint8_t* a, const uint8_t* b, size_t n) {
    return count_differing_body(a, b, n);
}
void shifted_differences_baseline(const uint8_t* cell, size_t n, int max_width, const uint32_t* base,
                                  uint32_t* out) {
    shifted_differences_body(cell, n, max_width, base, out);
}
PIXELSIEVE_TARGET_POPCNT void shifted_differences_popcnt(const uint8_t* cell, size_t n, int max_width,
                                                         const uint32_t* base, uint32_t* out) {
    shifted_differences_body(cell, n, max_width, base, out);
}

#if PIXELSIEVE_HAS_LEVELS
// A whole cell, eight widths at a time: lane j of a vector compares with the bytes w0 + j further
// on. The eight overlapping 8-byte loads for one word come from one 16-byte load, shuffled into
// the lanes.
PIXELSIEVE_TARGET_AVX512 void shifted_differences_avx512(const uint8_t* cell, int max_width,
                                                         const uint32_t* base, uint32_t* out) {
    alignas(64) static const uint8_t LANE_BYTES[64] = {
        // Qword q takes bytes q..q+7 of the 16 loaded (each 128-bit lane holds all 16).
        0, 1,  2,  3,  4, 5, 6, 7, 1,  2,  3,  4,  5, 6, 7, 8,  2,  3,  4,  5, 6, 7,
        8, 9,  3,  4,  5, 6, 7, 8, 9,  10, 4,  5,  6, 7, 8, 9,  10, 11, 5,  6, 7, 8,
        9, 10, 11, 12, 6, 7, 8, 9, 10, 11, 12, 13, 7, 8, 9, 10, 11, 12, 13, 14};
    const __m512i shuffle = _mm512_load_si512(LANE_BYTES);
    __m512i own[8];
    for (int k = 0; k < 8; ++k) {
        uint64_t word;
        std::memcpy(&word, cell + 8 * k, 8);
        own[k] = _mm512_set1_epi64(static_cast<long long>(word));
    }
    for (int w0 = 1; w0 <= max_width; w0 += 8) {
        __m512i sum = _mm512_setzero_si512();
        const int words = w0 > SAMPLED_FROM_WIDTH ? 2 : 8;  // groups start at 1 + 8j
        for (int k = 0; k < words; ++k) {
            const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell + 8 * k + w0));
            const __m512i lanes = _mm512_shuffle_epi8(_mm512_maskz_broadcast_i32x4(0xFFFF, bytes16), shuffle);
            sum = _mm512_add_epi64(sum, _mm512_popcnt_epi64(_mm512_xor_si512(lanes, own[k])));
        }
        if (words == 2) {
            sum = _mm512_add_epi64(sum, sum);
            sum = _mm512_add_epi64(sum, sum);
        }
        const int take = std::min(8, max_width - w0 + 1);
        alignas(64) uint64_t lane_counts[8];
        _mm512_store_si512(lane_counts, sum);
        for (int j = 0; j < take; ++j)
            out[w0 - 1 + j] = base[w0 - 1 + j] + static_cast<uint32_t>(lane_counts[j]);
    }
}
#endif

}  // namespace

uint64_t count_bits(const uint8_t* bytes, size_t n) {
    return active_instruction_set() == InstructionSet::Baseline ? count_bits_baseline(bytes, n)
                                                                : count_bits_popcnt(bytes, n);
}

uint64_t count_differing_bits(const uint8_t* a, const uint8_t* b, size_t n) {
    return active_instruction_set() == InstructionSet::Baseline ? count_differing_baseline(a, b, n)
                                                                : count_differing_popcnt(a, b, n);
}

void count_shifted_differences(const uint8_t* cell, size_t n, int max_width, const uint32_t* base,
                               uint32_t* out) {
    switch (active_instruction_set()) {
        case InstructionSet::Avx512:
#if PIXELSIEVE_HAS_LEVELS
            if (n == 64) return shifted_differences_avx512(cell, max_width, base, out);
#endif
            [[fallthrough]];
        case InstructionSet::Popcnt:
            return shifted_differences_popcnt(cell, n, max_width, base, out);
        case InstructionSet::Baseline:
            break;
    }
    shifted_differences_baseline(cell, n, max_width, base, out);
}
