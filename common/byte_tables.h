#pragma once
// The two byte tables: a byte with its bit order reversed (bit n of an entry is bit 7 - n of
// its index), and a byte with its two halves exchanged. Both are fixed at compile time, so
// nothing has to build them before the first use, and the view and the slice writer read the
// same ones.
#include <array>
#include <cstdint>

namespace byte_table_detail {

constexpr std::array<uint8_t, 256> reversed() {
    std::array<uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        unsigned out = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            out |= ((v >> bit) & 1u) << (7 - bit);
        }
        table[v] = static_cast<uint8_t>(out);
    }
    return table;
}

constexpr std::array<uint8_t, 256> swapped() {
    std::array<uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        table[v] = static_cast<uint8_t>((v & 0x0F) << 4 | (v & 0xF0) >> 4);
    }
    return table;
}

}  // namespace byte_table_detail

inline constexpr std::array<uint8_t, 256> reverse_table = byte_table_detail::reversed();
inline constexpr std::array<uint8_t, 256> nibble_table = byte_table_detail::swapped();

static_assert(reverse_table[0x01] == 0x80 && reverse_table[0x12] == 0x48 && reverse_table[0xF0] == 0x0F);
static_assert(nibble_table[0x12] == 0x21);
