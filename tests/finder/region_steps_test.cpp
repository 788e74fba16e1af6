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

TEST(RegionStepTest, NextStartsAfterAndPreviousBeforeTheFirstByteShown) {
    const std::vector<PictureRegion> regions = {{100, 200, 2, 0.9}, {500, 600, 1, 0.8}, {900, 1000, 3, 0.7}};
    const auto start_of = [](const PictureRegion* r) {
        return r == nullptr ? -1 : static_cast<int64_t>(r->start);
    };
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
    const std::vector<PictureRegion> from_zero = {{0, 64, 2, 0.9}, {64, 128, 1, 0.8}};
    EXPECT_EQ(start_of(next_region(from_zero, 0, 1)), 0);
    EXPECT_EQ(start_of(next_region(from_zero, 0, 2)), 64);
    EXPECT_EQ(start_of(previous_region(regions, 5000)), 900);
    EXPECT_EQ(start_of(previous_region(regions, 900)), 500);
    EXPECT_EQ(start_of(previous_region(regions, 150)), 100) << "from inside a region: its start";
    EXPECT_EQ(start_of(previous_region(regions, 100)), -1);
    EXPECT_EQ(start_of(previous_region(regions, -3)), -1);
    EXPECT_EQ(next_region({}, 0, 1), nullptr);
    EXPECT_EQ(previous_region({}, 0), nullptr);
}

}  // namespace
