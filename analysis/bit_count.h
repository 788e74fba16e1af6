#pragma once
// Counting set bits and differing bits over byte runs, the inner loops of the analysis. Each is
// built for every instruction set level (common/instruction_sets.h) and runs on the active one.
#include <cstddef>
#include <cstdint>

// Set bits in n bytes.
[[nodiscard]] uint64_t count_bits(const uint8_t* bytes, size_t n);
// Bits that differ between a[0..n) and b[0..n).
[[nodiscard]] uint64_t count_differing_bits(const uint8_t* a, const uint8_t* b, size_t n);
// For each width w in 1..max_width, the bits that differ between cell[0..n) and cell[w..w+n);
// out[w - 1] receives base[w - 1] plus the count (running sums over cells). Widths above
// SAMPLED_FROM_WIDTH are counted on the first 16 bytes only and scaled by n / 16: they serve wide
// windows, where a quarter of the bytes proposes a width as well as all of them (the proposal is
// then checked on every byte). The caller guarantees cell[0 .. n + max_width + 16) is readable.
constexpr int SAMPLED_FROM_WIDTH = 64;
void count_shifted_differences(const uint8_t* cell, size_t n, int max_width, const uint32_t* base,
                               uint32_t* out);
