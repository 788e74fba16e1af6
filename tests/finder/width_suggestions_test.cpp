// Which widths are offered for real pictures inside real code, and how the offers are stepped
// through.
#include "app/finder/width_suggestions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "tests/support/embedded_pictures.h"

namespace {

TEST(SuggestedWidthsTest, RealFontsInCodeGetTheirWidthFirst) {
    const embedded::Builder file = embedded::two_fonts_in_code();
    ASSERT_EQ(file.pictures().size(), 2u) << "the test data comes from bash and console-setup-linux";
    for (const embedded::Picture& font : file.pictures()) {
        const std::vector<int> widths = suggested_widths(file.bytes(), static_cast<int64_t>(font.start), 255);
        ASSERT_FALSE(widths.empty());
        EXPECT_EQ(widths.front(), font.width) << "font at " << font.start;
        EXPECT_LE(widths.size(), SUGGESTED_WIDTHS);
        EXPECT_EQ(std::set<int>(widths.begin(), widths.end()).size(), widths.size()) << "no width twice";
    }
    // From the start of the file the first 64 KiB hold code and the wide font only.
    const std::vector<int> from_start = suggested_widths(file.bytes(), 0, 255);
    ASSERT_FALSE(from_start.empty());
    EXPECT_EQ(from_start.front(), file.pictures().front().width);
}

TEST(SuggestedWidthsTest, FirmwareFontAndTheLimits) {
    const std::vector<uint8_t> bios = read_bytes(embedded::VGA_BIOS).value_or(std::vector<uint8_t>{});
    ASSERT_FALSE(bios.empty()) << embedded::VGA_BIOS << " comes with the seabios package";
    // The 8 x 16 font's "A": its glyph number times 16 before it lies the font's start.
    const uint8_t letter_a[] = {0x00, 0x00, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE,
                                0xC6, 0xC6, 0xC6, 0xC6, 0x00, 0x00, 0x00, 0x00};
    const auto found = std::search(bios.begin(), bios.end(), std::begin(letter_a), std::end(letter_a));
    ASSERT_NE(found, bios.end());
    const int64_t font = (found - bios.begin()) - 0x41 * 16;
    const std::vector<int> widths = suggested_widths(bios, font, 255);
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(widths.front(), 1);

    // Every width offered stays within the largest width allowed.
    for (int w : suggested_widths(bios, font, 3)) {
        EXPECT_LE(w, 3);
    }
    EXPECT_TRUE(suggested_widths(bios, static_cast<int64_t>(bios.size()), 255).empty()) << "past the end";
    EXPECT_TRUE(suggested_widths({}, 0, 255).empty());
    EXPECT_TRUE(suggested_widths(std::vector<uint8_t>(70000, 0x00), 0, 255).empty()) << "one value: nothing";
    EXPECT_TRUE(suggested_widths(std::vector<uint8_t>(70000, 0xFF), 100, 255).empty());
}

TEST(WidthSuggestionsTest, StepsThroughTheOffersAndWrapsWhileTheViewStays) {
    WidthSuggestions s;
    const ViewMark start{40, 1, 1, 0, 7};
    EXPECT_FALSE(s.continues(start));
    s.begin({2, 4, 16}, 40);
    std::vector<WidthSuggestions::Offer> offers;
    for (int i = 0; i < 4; ++i) {
        offers.push_back(s.step());
        const ViewMark left{40, offers.back().width, 1, 0, 7};
        s.shown(left);
        EXPECT_TRUE(s.continues(left));
        EXPECT_EQ(s.current(left).width, offers.back().width);
    }
    const int widths[] = {2, 4, 16, 2};
    const size_t ranks[] = {1, 2, 3, 1};
    for (size_t i = 0; i < offers.size(); ++i) {
        EXPECT_EQ(offers[i].width, widths[i]);
        EXPECT_EQ(offers[i].rank, ranks[i]);
        EXPECT_EQ(offers[i].count, 3u);
        EXPECT_EQ(offers[i].first_byte, 40);
    }
    EXPECT_EQ(offer_title_note(offers[1]), " \u2014 width 4 (2/3)");
}

TEST(WidthSuggestionsTest, AnyChangeOfTheViewEndsTheOffer) {
    const ViewMark left{40, 2, 1, 0, 7};
    const ViewMark changes[] = {
        {41, 2, 1, 0, 7}, {40, 3, 1, 0, 7}, {40, 2, 2, 0, 7}, {40, 2, 1, 4, 7}, {40, 2, 1, 0, 8},
    };
    for (const ViewMark& now : changes) {
        WidthSuggestions s;
        s.begin({2, 4}, 40);
        EXPECT_EQ(s.step().width, 2);
        s.shown(left);
        EXPECT_FALSE(s.continues(now));
        EXPECT_EQ(s.current(now).width, 0);
        EXPECT_EQ(s.current(left).width, 2);
    }
    WidthSuggestions s;
    s.begin({2, 4}, 40);
    (void)s.step();
    s.shown(left);
    s.forget();
    EXPECT_FALSE(s.active());
    EXPECT_FALSE(s.continues(left));

    // Nothing to offer: no offer, and nothing holds.
    s.begin({}, 0);
    EXPECT_EQ(s.step().width, 0);
    s.shown(left);
    EXPECT_FALSE(s.active());
}

}  // namespace
