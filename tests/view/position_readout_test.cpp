// The readout's arithmetic and its line.
#include "view/position_readout.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    int32_t px, py, zoom, width;
    PointerReadout want;
};

TEST(PositionReadout, PointerValues) {
    const Case cases[] = {
        // Width above 1: the byte of the column the source pixel lies in (byte column 6 at width
        // 3 starts the third column), the row's bytes side by side.
        {100, 37, 2, 3, {50, 18, 2 * 256 * 3 + 18 * 3}},
        {40, 30, 2, 4, {20, 15, 15 * 4 + 2}},
        {17, 5, 1, 1, {17, 5, 2 * 512 + 5}},  // width 1: the index of the pointed byte
        {17, 100, 1, 1, {17, 100, 1124}},
        {0, 0, 8, 255, {0, 0, 0}},
        {599, 511, 8, 255, {74, 63, 63 * 255 + 9}},
        // Right of a lone column the count goes on as the multi-column layout places bytes.
        {40, 3, 1, 4, {40, 3, 512 * 4 + 3 * 4 + 1}},
        // While a button is held the pointer may leave the canvas: truncation toward zero.
        {-9, -3, 2, 5, {-4, -1, -5}},
        {-9, -3, 2, 1, {-4, -1, -1}},
        {0, 3, 4, 3, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const PointerReadout got = pointer_readout(c.px, c.py, c.zoom, c.width);
        EXPECT_EQ(got.x, c.want.x) << c.px << "," << c.py;
        EXPECT_EQ(got.y, c.want.y) << c.px << "," << c.py;
        EXPECT_EQ(got.size, c.want.size) << c.px << "," << c.py;
    }
}

TEST(PositionReadout, HugeCoordinatesWrapInsteadOfOverflowing) {
    const PointerReadout got = pointer_readout(INT32_MAX, INT32_MAX, 1, 255);
    EXPECT_EQ(got.x, INT32_MAX);
    const int64_t column = INT32_MAX / 8;
    const int64_t wide = column / 255 * 512 * 255 + int64_t{INT32_MAX} * 255 + column % 255;
    EXPECT_EQ(got.size, static_cast<int32_t>(wide));
}

TEST(PositionReadout, Line) {
    EXPECT_EQ(position_readout_text(96, 3, pointer_readout(100, 37, 2, 3)),
              "Disp:96,w:3,x:50,y:18,size:1590");
    EXPECT_EQ(position_readout_text(-2, 1, {}), "Disp:-2,w:1,x:0,y:0,size:0");
    EXPECT_EQ(position_readout_text(INT32_MIN, 255, {-1, -2, -3}),
              "Disp:-2147483648,w:255,x:-1,y:-2,size:-3");
}

}  // namespace
