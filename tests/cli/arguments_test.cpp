// The shared readers of typed arguments.
#include "cli/options/arguments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace {

TEST(Arguments, OffsetsInDecimalAndBothHexadecimalForms) {
    const std::pair<const char*, uint64_t> good[] = {
        {"0", 0},
        {"31", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"$1f", 31},
        {"007", 7},
        {"0x0", 0},
        {"4294967296", uint64_t{1} << 32},
        {"0x140000000", uint64_t{5} << 30},
        {"18446744073709551615", UINT64_MAX},
        {"$FFFFFFFFFFFFFFFF", UINT64_MAX},
    };
    for (const auto& [text, value] : good) {
        EXPECT_EQ(parse_offset(text), value) << text;
    }
    for (const char* bad : {"", "0x", "$", "-1", "+1", " 1", "1 ", "1_000", "12z", "0x1G", "1e3", "0b101",
                            "$-1", "18446744073709551616", "0x10000000000000000", "0x0x1"}) {
        std::string error;
        EXPECT_FALSE(parse_offset(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(Arguments, ViewOffsetsReachUpTo255BytesBeforeTheFile) {
    const std::pair<const char*, ViewOffset> good[] = {
        {"7", {7, 0}},     {"$FFFFFFFFFFFFFFFF", {UINT64_MAX, 0}},
        {"-5", {0, 5}},    {"-0xFF", {0, 255}},
        {"-$10", {0, 16}}, {"-0", {0, 0}},
    };
    for (const auto& [text, value] : good) EXPECT_EQ(parse_view_offset(text), value) << text;
    for (const char* bad : {"-256", "-0x100", "-", "--5", "- 5", "-+5", "+5", "-18446744073709551616"}) {
        std::string error;
        EXPECT_FALSE(parse_view_offset(bad, &error)) << bad;
        EXPECT_NE(error.find(std::string("\"") + bad + "\""), std::string::npos) << error;
    }
}

TEST(Arguments, BoundedNumbersSizesRangesAndZooms) {
    EXPECT_EQ(parse_number_in("$FF", 1, 255), 255);
    EXPECT_FALSE(parse_number_in("256", 1, 255));
    EXPECT_FALSE(parse_number_in("0", 1, 255));
    EXPECT_FALSE(parse_number_in("18446744073709551615", 0, INT64_MAX))
        << "must not wrap to a negative value";

    EXPECT_EQ(parse_picture_size("600x512"), (PictureSize{600, 512}));
    EXPECT_EQ(parse_picture_size("1X16384"), (PictureSize{1, 16384}));
    for (const char* bad : {"600", "600x", "x512", "0x512", "600x0", "16385x1", "60 0x512", "600x512x2",
                            "0x10x5", "-600x512", "999999999999x1"}) {
        EXPECT_FALSE(parse_picture_size(bad)) << bad;
    }

    EXPECT_EQ(parse_width_range("1-255"), (WidthRange{1, 255}));
    EXPECT_EQ(parse_width_range("8"), (WidthRange{8, 8}));
    EXPECT_EQ(parse_width_range("0x10-$20"), (WidthRange{16, 32}));
    for (const char* bad : {"", "-", "0-4", "4-256", "8-2", "1-", "-5", "1-2-3", "a-b"}) {
        EXPECT_FALSE(parse_width_range(bad)) << bad;
    }

    for (const int zoom : {1, 2, 4, 8}) EXPECT_EQ(parse_zoom(std::to_string(zoom)), zoom);
    for (const char* bad : {"0", "3", "16", "01", "", "x2"}) EXPECT_FALSE(parse_zoom(bad)) << bad;
}

TEST(Arguments, TransformsInTheViewsOrder) {
    // 0x12 inverted is 0xED; reversed 0xB7; its halves swapped 0x7B.
    EXPECT_EQ(transformed_byte(0x12, {.inverse = true}), 0xED);
    EXPECT_EQ(transformed_byte(0x12, {.inverse = true, .reverse = true}), 0xB7);
    EXPECT_EQ(transformed_byte(0x12, {.inverse = true, .reverse = true, .nibble_swap = true}), 0x7B);
    EXPECT_EQ(transformed_byte(0x12, {.nibble_swap = true}), 0x21);
}

}  // namespace
