// The compiled-in byte tables against tables built the long way, through the text routines:
// the bits of each value written out, the text reversed and read back as a binary number.
#include "common/byte_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "runtime/text/text.h"

namespace {

struct TextBuiltTables {
    std::array<uint8_t, 256> reverse{};
    std::array<uint8_t, 256> nibble{};
};

TextBuiltTables buildThroughText() {
    TextBuiltTables t;
    for (int i = 0; i < 256; ++i) {
        const std::string bits = padLeft(binaryText(i), 8, "0");
        t.reverse[i] = static_cast<uint8_t>(parseNumber("%" + reverseText(bits)));
        t.nibble[i] = static_cast<uint8_t>(parseNumber("%" + substring(bits, 5, 4) + substring(bits, 1, 4)));
    }
    return t;
}

TEST(ByteTables, EqualTheTablesBuiltThroughTheTextRoutines) {
    const TextBuiltTables built = buildThroughText();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(reverse_table[i], built.reverse[i]) << "reverse " << i;
        ASSERT_EQ(nibble_table[i], built.nibble[i]) << "nibble " << i;
    }
}

}  // namespace
