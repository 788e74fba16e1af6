#include "analysis/bit_count.h"

#include <cstring>

namespace {

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

// The loader runs the clones' resolver before a sanitizer's runtime is up; an instrumented
// resolver then crashes at start.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define PIXELSIEVE_BIT_CLONES __attribute__((target_clones("popcnt", "default")))
#else
#define PIXELSIEVE_BIT_CLONES
#endif

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
