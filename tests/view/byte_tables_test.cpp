#include <gtest/gtest.h>

#include "view/layout/sprite_layout.h"

TEST(ByteTables, ReverseMirrorsTheBitsAndNibbleSwapsTheHalves) {
    build_byte_tables();
    EXPECT_EQ(reverse_table[0x01], 0x80);
    EXPECT_EQ(reverse_table[0x12], 0x48);
    EXPECT_EQ(reverse_table[0xF0], 0x0F);
    EXPECT_EQ(nibble_table[0x12], 0x21);
    for (int i = 0; i < 256; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            ASSERT_EQ((reverse_table[i] >> bit) & 1, (i >> (7 - bit)) & 1) << i;
        }
        ASSERT_EQ(nibble_table[i] >> 4, i & 0x0F) << i;
        ASSERT_EQ(nibble_table[i] & 0x0F, i >> 4) << i;
    }
}
