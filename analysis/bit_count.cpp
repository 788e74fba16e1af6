#include "analysis/bit_count.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define PIXELSIEVE_HAVE_AVX512_KERNEL 1
#endif

namespace {

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

PIXELSIEVE_BIT_CLONES uint64_t count_bits(const uint8_t* bytes, size_t n) {
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

PIXELSIEVE_BIT_CLONES uint64_t count_differing_bits(const uint8_t* a, const uint8_t* b, size_t n) {
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

#ifdef PIXELSIEVE_HAVE_AVX512_KERNEL
namespace {

// Eight widths at a time: lane j of a vector compares with the bytes w0 + j further on. The eight
// overlapping 8-byte loads for one word come from one 16-byte load, shuffled into the lanes.
__attribute__((target("avx512f,avx512bw,avx512vpopcntdq"))) void shifted_differences_avx512(
    const uint8_t* cell, int max_width, const uint32_t* base, uint32_t* out) {
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

bool avx512_kernel_usable() {
    static const bool usable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                               __builtin_cpu_supports("avx512vpopcntdq");
    return usable;
}

}  // namespace
#endif

PIXELSIEVE_BIT_CLONES void count_shifted_differences(const uint8_t* cell, size_t n, int max_width,
                                                     const uint32_t* base, uint32_t* out) {
#ifdef PIXELSIEVE_HAVE_AVX512_KERNEL
    if (n == 64 && avx512_kernel_usable()) {
        shifted_differences_avx512(cell, max_width, base, out);
        return;
    }
#endif
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
        out[w - 1] = base[w - 1] + static_cast<uint32_t>(count_differing_bits(cell, cell + w, n));
}
