#pragma once
// Counting set bits and differing bits over byte runs, the inner loops of the analysis. The
// bodies are compiled twice (with and without the processor's population-count instruction)
// and the loader picks the one the machine supports.
#include <cstddef>
#include <cstdint>

// Set bits in n bytes.
[[nodiscard]] uint64_t count_bits(const uint8_t* bytes, size_t n);
// Bits that differ between a[0..n) and b[0..n).
[[nodiscard]] uint64_t count_differing_bits(const uint8_t* a, const uint8_t* b, size_t n);
// For each width w in 1..max_width, the bits that differ between cell[0..n) and cell[w..w+n);
// out[w - 1] receives the count. The caller guarantees cell[0 .. n + max_width + 16) is readable.
void count_shifted_differences(const uint8_t* cell, size_t n, int max_width, uint32_t* out);
