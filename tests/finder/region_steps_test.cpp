// Where the picture commands put the view, and which region is next or previous.
#include "app/finder/region_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(ViewPlaceTest, PutsTheByteFirstWithTheFineOffsetInsideItsRange) {
    struct Case {
        int64_t offset;
        int32_t width;
        ViewPlace want;
    };
    const Case cases[] = {
        {0, 1, {1, 0, 0}},
        {6000, 2, {2, 3000, 0}},
        {6001, 2, {2, 3000, 1}},
        {1000, 255, {255, 3, 235}},
        {254, 255, {255, 0, 254}},
        {-7, 3, {3, 0, 0}},  // before the data: its first byte
        {5, 0, {1, 5, 0}},   // a width below 1 counts as 1
        {int64_t{INT32_MAX} - 16, 1, {1, INT32_MAX - 16, 0}},
    };
    for (const Case& c : cases) {
        const ViewPlace at = view_place_for(c.offset, c.width);
        EXPECT_EQ(at.width, c.want.width) << c.offset << " at " << c.width;
        EXPECT_EQ(at.row, c.want.row) << c.offset << " at " << c.width;
        EXPECT_EQ(at.fine, c.want.fine) << c.offset << " at " << c.width;
        const int32_t w = std::max(c.width, 1);
        EXPECT_LE(std::abs(at.fine), w);
        EXPECT_EQ(int64_t{at.row} * w + at.fine, std::max<int64_t>(c.offset, 0));
    }
}

FoundPicture picture(uint64_t start, int width, double score) {
    FoundPicture p;
    p.start = start;
    p.end = start + 100;
    p.width = width;
    p.score = score;
    return p;
}

TEST(RegionStepTest, NextStartsAfterAndPreviousBeforeTheFirstByteShown) {
    // The pictures scoring under SHOWN_SCORE (at 300 and 700) are passed over both ways.
    const std::vector<FoundPicture> regions = {picture(100, 2, 0.9), picture(300, 1, SHOWN_SCORE - 0.01),
                                               picture(500, 1, SHOWN_SCORE), picture(700, 2, 0.1),
                                               picture(900, 3, 0.7)};
    const auto start_of = [](const FoundPicture* r) {
        return r == nullptr ? -1 : static_cast<int64_t>(r->start);
    };
    const auto next_region = next_picture;
    const auto previous_region = previous_picture;
    EXPECT_EQ(start_of(next_region(regions, -5, 1)), 100);
    EXPECT_EQ(start_of(next_region(regions, 99, 2)), 100);
    EXPECT_EQ(start_of(next_region(regions, 100, 2)), 500) << "from a region's start: the one after";
    EXPECT_EQ(start_of(next_region(regions, 150, 1)), 500);
    EXPECT_EQ(start_of(next_region(regions, 900, 3)), -1);
    EXPECT_EQ(start_of(next_region(regions, 5000, 1)), -1);
    // At a region's first byte but not at its width (a file opens at byte 0, width 1): that
    // region is the next one; once shown at its width, the one after.
    EXPECT_EQ(start_of(next_region(regions, 100, 1)), 100);
    EXPECT_EQ(start_of(next_region(regions, 900, 1)), 900);
    const std::vector<FoundPicture> from_zero = {picture(0, 2, 0.9), picture(64, 1, 0.8)};
    EXPECT_EQ(start_of(next_region(from_zero, 0, 1)), 0);
    EXPECT_EQ(start_of(next_region(from_zero, 0, 2)), 64);
    EXPECT_EQ(start_of(previous_region(regions, 5000)), 900);
    EXPECT_EQ(start_of(previous_region(regions, 900)), 500);
    EXPECT_EQ(start_of(next_region(regions, 150, 1)), 500) << "skips the low score at 300";
    EXPECT_EQ(start_of(previous_region(regions, 150)), 100) << "from inside a region: its start";
    EXPECT_EQ(start_of(previous_region(regions, 100)), -1);
    EXPECT_EQ(start_of(previous_region(regions, -3)), -1);
    EXPECT_EQ(next_region({}, 0, 1), nullptr);
    EXPECT_EQ(previous_region({}, 0), nullptr);
}

}  // namespace
