#pragma once
// Counts over bytes that judge a window apart from any width: how many bytes are not zero and how
// many of those are printable ASCII (text is not a picture, however regular), and for the
// horizontal agreement the set bits per bit position and the equal neighbouring positions.
// Kept as running sums over cells, so that any window's counts are one subtraction.
#include <cstdint>

struct ByteTraits {
    uint32_t nonzero = 0, printable = 0;
    uint32_t ones[8] = {}, equal[7] = {};  // bit k set; bits k and k + 1 equal

    // Adds n bytes, at most 64 (the counters of one call are bytes wide).
    void add(const uint8_t* data, uint64_t n);
    [[nodiscard]] ByteTraits minus(const ByteTraits& o) const;
    // Text: at least TEXT_SHARE of the non-zero bytes printable.
    [[nodiscard]] bool text() const;
    // Neighbouring pixels within a byte, kappa against their positions' densities, over n bytes.
    [[nodiscard]] double horizontal_agreement(uint64_t n) const;
};
