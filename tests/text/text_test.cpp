#include "runtime/text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace {

TEST(DecimalText, WritesExtremesInFull) {
    EXPECT_EQ(decimalText(0), "0");
    EXPECT_EQ(decimalText(-7), "-7");
    EXPECT_EQ(decimalText(INT32_MIN), "-2147483648");
    EXPECT_EQ(decimalText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(decimalText(std::numeric_limits<int64_t>::max()), "9223372036854775807");
}

TEST(BinaryText, TakesTheValueAsUnsigned64Bits) {
    EXPECT_EQ(binaryText(0), "0");
    EXPECT_EQ(binaryText(1), "1");
    EXPECT_EQ(binaryText(255), "11111111");
    EXPECT_EQ(binaryText(-1), std::string(64, '1'));
    EXPECT_EQ(binaryText(std::numeric_limits<int64_t>::min()), "1" + std::string(63, '0'));
}

TEST(PadLeft, FillsOrCutsToExactlyTheWidthKeepingTheStart) {
    EXPECT_EQ(padLeft("101", 8, "0"), "00000101");
    EXPECT_EQ(padLeft("123456789", 8), "12345678");
    EXPECT_EQ(padLeft("ab", 4), "  ab");
    EXPECT_EQ(padLeft("ab", 4, ""), "  ab");
    EXPECT_EQ(padLeft("ab", 4, "xyz"), "xxab");
    EXPECT_EQ(padLeft("ab", 0, "0"), "");
    EXPECT_EQ(padLeft("ab", -5, "0"), "");
    EXPECT_EQ(padLeft("", 3, "0"), "000");
}

TEST(ReverseText, ReversesCharactersAndKeepsUtf8SequencesWhole) {
    EXPECT_EQ(reverseText(""), "");
    EXPECT_EQ(reverseText("10000000"), "00000001");
    EXPECT_EQ(reverseText("a\xC3\xA9z"),
              "z\xC3\xA9"
              "a");                                            // aéz
    EXPECT_EQ(reverseText("\xE2\x82\xAC!"), "!\xE2\x82\xAC");  // €!
    // A stray continuation byte or a cut sequence is just a byte.
    EXPECT_EQ(reverseText("a\x80\xC3"),
              "\xC3\x80"
              "a");
}

struct ParseCase {
    const char* text;
    int64_t expected;
};

std::ostream& operator<<(std::ostream& out, const ParseCase& c) { return out << '"' << c.text << '"'; }

class ParseNumber : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumber, ReadsPrefixSignAndDigitsUpToTheFirstForeignCharacter) {
    EXPECT_EQ(parseNumber(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseNumber,
    testing::Values(ParseCase{"%00000001", 1}, ParseCase{"%10000000", 128}, ParseCase{"  -$ff", -255},
                    ParseCase{"\t+42", 42}, ParseCase{"12ab", 12}, ParseCase{"1 2", 1}, ParseCase{"$", 0},
                    ParseCase{"", 0}, ParseCase{"- 1", 0}, ParseCase{"--1", 0}, ParseCase{"+-1", 0},
                    ParseCase{"$FfFf", 65535}, ParseCase{"$fg", 15}, ParseCase{"%102", 2}, ParseCase{"%2", 0},
                    ParseCase{"x1", 0}, ParseCase{"-%11", -3},
                    // Seventeen hex digits: only the low 64 bits survive.
                    ParseCase{"$123456789ABCDEF01", 0x23456789ABCDEF01}, ParseCase{"$FFFFFFFFFFFFFFFF", -1},
                    ParseCase{"18446744073709551615", -1}, ParseCase{"18446744073709551616", 0},
                    ParseCase{"-9223372036854775808", std::numeric_limits<int64_t>::min()},
                    ParseCase{"9223372036854775808", std::numeric_limits<int64_t>::min()}));

// The program derives its bit-reversal table by formatting and re-parsing; every byte must
// come out mirrored.
TEST(TextRoutines, BuildTheBitReversalTable) {
    for (int b = 0; b < 256; ++b) {
        int mirrored = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if ((b >> bit) & 1) {
                mirrored |= 0x80 >> bit;
            }
        }
        EXPECT_EQ(parseNumber("%" + reverseText(padLeft(binaryText(b), 8, "0"))), mirrored) << b;
    }
}

TEST(FieldOf, SplitsAtEachOccurrenceOfTheSeparator) {
    EXPECT_EQ(fieldOf("a,b,,c", 1, ","), "a");
    EXPECT_EQ(fieldOf("a,b,,c", 3, ","), "");
    EXPECT_EQ(fieldOf("a,b,,c", 4, ","), "c");
    EXPECT_EQ(fieldOf("a,b,,c", 5, ","), "");
    EXPECT_EQ(fieldOf("a,b", 0, ","), "");
    EXPECT_EQ(fieldOf("a,b", -1, ","), "");
    EXPECT_EQ(fieldOf("line", 1, "\n"), "line");
    EXPECT_EQ(fieldOf("", 1, "\n"), "");
    EXPECT_EQ(fieldOf("a,", 2, ","), "");
    // A longer separator splits at the whole text only.
    EXPECT_EQ(fieldOf("x::y:z::w", 2, "::"), "y:z");
    EXPECT_EQ(fieldOf("x::y:z::w", 3, "::"), "w");
    EXPECT_EQ(fieldOf("a,b", 1, ""), "a,b");
    EXPECT_EQ(fieldOf("a,b", 2, ""), "");
}

TEST(Substring, CountsFromOneAndClampsWithoutOverflow) {
    EXPECT_EQ(substring("abc", 2, 5), "bc");
    EXPECT_EQ(substring("abc", 4, 1), "");
    EXPECT_EQ(substring("abc", 1, 0), "");
    EXPECT_EQ(substring("abc", 2, -1), "");
    EXPECT_EQ(substring("abc", 0, 2), "ab");
    EXPECT_EQ(substring("abc", INT_MIN, INT_MAX), "abc");
    EXPECT_EQ(substring("abc", INT_MAX, INT_MAX), "");
    EXPECT_EQ(substringFrom("ab", -1), "ab");
    EXPECT_EQ(substringFrom("ab", INT_MIN), "ab");
    EXPECT_EQ(substringFrom("abcd", 3), "cd");
    EXPECT_EQ(substringFrom("abcd", 5), "");
    EXPECT_EQ(substringFrom("abcd", INT_MAX), "");
    EXPECT_EQ(textLength(""), 0);
    EXPECT_EQ(textLength("a\xC3\xA9"), 3);
}

TEST(CaseConversion, ChangesAsciiLettersOnly) {
    EXPECT_EQ(toLowerCase("AbC-Z@[`{"), "abc-z@[`{");
    EXPECT_EQ(toUpperCase("aBc-z@[`{"), "ABC-Z@[`{");
    // Ä and é stay as they are, byte for byte.
    EXPECT_EQ(toLowerCase("\xC3\x84X\xC3\xA9"), "\xC3\x84x\xC3\xA9");
    EXPECT_EQ(toUpperCase("\xC3\xA4x\xC3\xA9"), "\xC3\xA4X\xC3\xA9");
}

TEST(FindText, GivesTheFirstOneBasedPositionOrZero) {
    EXPECT_EQ(findText("abcabc", "ca"), 3);
    EXPECT_EQ(findText("abcabc", "abc"), 1);
    EXPECT_EQ(findText("abcabc", ""), 0);
    EXPECT_EQ(findText("", "a"), 0);
    EXPECT_EQ(findText("abc", "abcd"), 0);
    EXPECT_EQ(findText("abc", "B"), 0);
}

}  // namespace
