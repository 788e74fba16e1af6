// The readers of typed and drawn patterns.
#include "analysis/pattern_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

namespace {

std::span<const uint8_t> as_bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace

TEST(PatternRows, ReadsRowsInEverySpelling) {
    std::string error;
    const auto p = parse_pattern_rows("..##..,.####.", &error);
    ASSERT_TRUE(p) << error;
    EXPECT_EQ(p->width, 6);
    EXPECT_EQ(p->height, 2);
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 0}));
    const auto same = parse_pattern_rows("\n  __XX__\r\n_1111_\n", &error);
    ASSERT_TRUE(same) << error;
    EXPECT_EQ(same->pixels, p->pixels);
    const auto digits = parse_pattern_rows("001100,011110", &error);
    ASSERT_TRUE(digits);
    EXPECT_EQ(digits->pixels, p->pixels);
}

TEST(PatternRows, RejectsWithAMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no rows"},
        {" , \n ", "no rows"},
        {"##,#", "row 2 has 1 pixels, row 1 has 2"},
        {"##,,##", "row 2 is empty"},
        {"#a#", "'a' is not a pixel"},
        {"# #", "a space is not a pixel"},
        {"#\x01#", "byte 0x01 is not a pixel"},
    };
    for (const auto& [text, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse_pattern_rows(text, &error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << text << " gave: " << error;
    }
    EXPECT_FALSE(parse_pattern_rows(std::string(MAX_PATTERN_WIDTH + 1, '#'), nullptr));
    EXPECT_TRUE(parse_pattern_rows(std::string(MAX_PATTERN_WIDTH, '#'), nullptr));
    std::string tall;
    for (int i = 0; i <= MAX_PATTERN_HEIGHT; ++i) tall += "#,";
    EXPECT_FALSE(parse_pattern_rows(tall, nullptr));
}

TEST(PatternPbm, ReadsPlainAndRawWithComments) {
    std::string error;
    const auto plain = parse_pattern_pbm(as_bytes("P1\n# a comment\n3 2\n1 0 1\n0#x\n10\n"), &error);
    ASSERT_TRUE(plain) << error;
    EXPECT_EQ(plain->width, 3);
    EXPECT_EQ(plain->height, 2);
    EXPECT_EQ(plain->pixels, (std::vector<uint8_t>{1, 0, 1, 0, 1, 0}));
    // Raw rows are padded to whole bytes; a second image after the first is ignored.
    const std::string raw = std::string("P4 #c\n10 2\n") + std::string("\xA5\xC0\x00\x40", 4) + "P4 1 1\n";
    const auto p4 = parse_pattern_pbm(as_bytes(raw), &error);
    ASSERT_TRUE(p4) << error;
    EXPECT_EQ(p4->width, 10);
    EXPECT_EQ(p4->pixels, (std::vector<uint8_t>{1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(PatternPbm, RejectsWithAMessage) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "not a PBM"},
        {"P2 1 1 1", "not a PBM"},
        {"P1", "without a width"},
        {"P1 3", "without a height"},
        {"P1 0 5", "no pixels"},
        {"P1 3 1 1 0", "ends after 2 of 3 pixels"},
        {"P1 2 1 1 2", "'2' is not 0 or 1"},
        {"P4 8 2\n\xFF", "ends after 1 of 2 bytes"},
        {"P4 8 1", "does not end in whitespace"},
        {"P1 99999999999999999999999 1", "wider than"},
        {"P4 8 5000\n", "taller than"},
    };
    for (const auto& [text, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse_pattern_pbm(as_bytes(text), &error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << text << " gave: " << error;
    }
}
