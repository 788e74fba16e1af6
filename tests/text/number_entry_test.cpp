#include "data/entry/number_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

namespace {

struct EntryCase {
    const char* text;
    int32_t value;
    bool ok;
};

std::ostream& operator<<(std::ostream& out, const EntryCase& c) { return out << '"' << c.text << '"'; }

class ParseEnteredNumber : public testing::TestWithParam<EntryCase> {};

TEST_P(ParseEnteredNumber, AcceptsOnlyWholeDecimalOrDollarHex) {
    const EnteredNumber got = parse_entered_number(GetParam().text);
    EXPECT_EQ(got.ok, GetParam().ok) << '"' << GetParam().text << '"';
    EXPECT_EQ(got.value, GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Valid, ParseEnteredNumber,
                         testing::Values(EntryCase{"1234", 1234, true}, EntryCase{"$1234", 4660, true},
                                         EntryCase{"$ff", 255, true}, EntryCase{"$FF", 255, true},
                                         EntryCase{"0000", 0, true}, EntryCase{"", 0, true},
                                         EntryCase{"$", 0, true},
                                         // 32-bit wrap-around, never an error.
                                         EntryCase{"4294967296", 0, true}, EntryCase{"4294967297", 1, true},
                                         EntryCase{"$FFFFFFFF", -1, true}, EntryCase{"$100000010", 16, true},
                                         EntryCase{"2147483648", std::numeric_limits<int32_t>::min(), true},
                                         EntryCase{"99999999999999999999", 1661992959, true}));

INSTANTIATE_TEST_SUITE_P(Rejected, ParseEnteredNumber,
                         testing::Values(EntryCase{"12 ", 0, false}, EntryCase{" 12", 0, false},
                                         EntryCase{"-5", 0, false}, EntryCase{"+5", 0, false},
                                         EntryCase{"0x10", 0, false}, EntryCase{"1$", 0, false},
                                         EntryCase{"FF", 0, false}, EntryCase{"$$1", 0, false},
                                         EntryCase{"$1G", 0, false}, EntryCase{"12a", 0, false},
                                         // Rejection wins even after digits that would have overflowed.
                                         EntryCase{"99999999999x", 0, false}, EntryCase{"%101", 0, false},
                                         EntryCase{"\xC3\xA9"
                                                   "1",
                                                   0, false}));

}  // namespace
