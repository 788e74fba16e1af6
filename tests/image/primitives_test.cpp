#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <utility>
#include <vector>

#include "runtime/image/image.h"
#include "tests/image/drawing_pass.h"

namespace {

constexpr ColourValue RED = 0x0000FF;
constexpr ColourValue GREEN = 0x00FF00;
constexpr ColourValue WHITE = 0xFFFFFF;

using Points = std::vector<std::pair<int, int>>;

class Primitives : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(newImage(1, 600, 512), 0); }
    void TearDown() override { releaseAllImages(); }
};

Points box(int x0, int y0, int x1, int y1) {
    Points p;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            p.emplace_back(x, y);
        }
    }
    return p;
}

TEST(PixelSurfaceLayout, RowsAreBottomUpBlueGreenRedWithPaddedStride) {
    EXPECT_EQ(surfaceStride(600), 1800);
    EXPECT_EQ(surfaceStride(64), 192);
    EXPECT_EQ(surfaceStride(8), 24);
    EXPECT_EQ(surfaceStride(5), 16);

    ASSERT_NE(newImage(3, 5, 4), 0);
    {
        DrawingPass pass(3);
        fillBox(0, 0, 1, 1, 0x332211);  // red 0x11, green 0x22, blue 0x33
        fillBox(4, 3, 1, 1, 0x665544);
    }
    const PixelSurface* s = imageSurface(3);
    ASSERT_EQ(s->pixels.size(), 16u * 4u);
    // Pixel (0, 0) opens the last row in memory; pixel (4, 3) ends the first row's pixels.
    EXPECT_EQ(s->pixels[3 * 16 + 0], 0x33);
    EXPECT_EQ(s->pixels[3 * 16 + 1], 0x22);
    EXPECT_EQ(s->pixels[3 * 16 + 2], 0x11);
    EXPECT_EQ(s->pixels[12], 0x66);
    EXPECT_EQ(s->pixels[14], 0x44);
    EXPECT_EQ(s->pixel(0, 0), 0x332211u);
    EXPECT_EQ(s->pixel(4, 3), 0x665544u);
    releaseImage(3);
}

TEST_F(Primitives, FullBoxOnTheViewCoversEveryByte) {
    DrawingPass pass(1);
    fillBox(0, 0, 600, 512, WHITE);
    const PixelSurface* s = imageSurface(1);
    EXPECT_EQ(s->pixels.size(), 921600u);
    for (uint8_t b : s->pixels) {
        ASSERT_EQ(b, 0xFF);
    }
    fillBox(0, 0, 600, 512, 0);
    for (uint8_t b : s->pixels) {
        ASSERT_EQ(b, 0);
    }
}

TEST_F(Primitives, BoxesAreFlippedAndClipped) {
    {
        DrawingPass pass(1);
        fillBox(10, 20, -3, -2, RED);  // columns 7..9, rows 18..19
    }
    EXPECT_EQ(pixelsOf(1, RED), box(7, 18, 9, 19));

    {
        DrawingPass pass(1);
        fillBox(-5, -6, 8, 9, GREEN);                        // top-left corner: 3 x 3
        fillBox(598, 510, 100, 100, GREEN);                  // bottom-right corner: 2 x 2
        fillBox(600, 0, 5, 5, WHITE);                        // right of the target
        fillBox(0, 512, 5, 5, WHITE);                        // below it
        fillBox(-5, 0, 5, 5, WHITE);                         // ends just left of column 0
        fillBox(100, 100, 0, 5, WHITE);                      // no width
        fillBox(100, 100, 5, 0, WHITE);                      // no height
        fillBox(INT_MIN, INT_MIN, INT_MAX, INT_MAX, WHITE);  // ends at -1: nothing
    }
    Points expected = box(0, 0, 2, 2);
    for (auto p : box(598, 510, 599, 511)) {
        expected.push_back(p);
    }
    std::sort(expected.begin(), expected.end(),
              [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    EXPECT_EQ(pixelsOf(1, GREEN), expected);
    EXPECT_TRUE(pixelsOf(1, WHITE).empty());

    {
        DrawingPass pass(1);
        // Flipped, this starts at (-1, -1) and is 2^31 wide and high: it covers everything.
        fillBox(INT_MAX, INT_MAX, INT_MIN, INT_MIN, WHITE);
    }
    EXPECT_EQ(pixelsOf(1, WHITE).size(), 600u * 512u);
}

TEST_F(Primitives, StraightLinesAreSingleClippedRuns) {
    {
        DrawingPass pass(1);
        drawLine(600, 0, 600, 512, WHITE);  // column 600 lies outside
        drawLine(0, 512, 599, 512, WHITE);  // so does row 512
    }
    EXPECT_TRUE(pixelsOf(1, WHITE).empty());
    {
        DrawingPass pass(1);
        drawLine(600, 8, 0, 8, WHITE);    // both ends drawn, cut at 599
        drawLine(8, 512, 8, -40, GREEN);  // cut to rows 0..511
        drawLine(3, 3, 3, 3, RED);        // a single point
    }
    EXPECT_EQ(pixelsOf(1, WHITE).size(), 599u);  // row 8 minus the crossing at (8, 8)
    EXPECT_EQ(pixelsOf(1, GREEN), box(8, 0, 8, 511));
    EXPECT_EQ(pixelsOf(1, RED), box(3, 3, 3, 3));
    EXPECT_EQ(imageSurface(1)->pixel(0, 8), WHITE);
    EXPECT_EQ(imageSurface(1)->pixel(599, 8), WHITE);
}

std::set<std::pair<int, int>> lineSet(int x1, int y1, int x2, int y2) {
    EXPECT_NE(newImage(2, 40, 30), 0);
    {
        DrawingPass pass(2);
        drawLine(x1, y1, x2, y2, WHITE);
    }
    const Points p = pixelsOf(2, WHITE);
    return {p.begin(), p.end()};
}

TEST_F(Primitives, SlopedLinesFollowTheMidpointWalkFromEitherEnd) {
    const std::set<std::pair<int, int>> shallow = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
    EXPECT_EQ(lineSet(0, 0, 5, 2), shallow);
    EXPECT_EQ(lineSet(5, 2, 0, 0), shallow);
    std::set<std::pair<int, int>> steep;
    for (auto [x, y] : shallow) {
        steep.emplace(y, x);
    }
    EXPECT_EQ(lineSet(0, 0, 2, 5), steep);
    EXPECT_EQ(lineSet(2, 5, 0, 0), steep);
    // A falling line: one point per major step, ends included.
    const auto falling = lineSet(1, 20, 31, 4);
    EXPECT_EQ(falling.size(), 31u);
    EXPECT_TRUE(falling.count({1, 20}) && falling.count({31, 4}));
    EXPECT_EQ(lineSet(7, 9, 11, 13),
              (std::set<std::pair<int, int>>{{7, 9}, {8, 10}, {9, 11}, {10, 12}, {11, 13}}));
}

TEST_F(Primitives, SlopedLinesAreClippedWithTruncationTowardZero) {
    // The column clip gives (0, 0)-(39, 39), the row clip then (0, 0)-(29, 29).
    std::set<std::pair<int, int>> diagonal;
    for (int i = 0; i < 30; ++i) {
        diagonal.emplace(i, i);
    }
    EXPECT_EQ(lineSet(-10, -10, 100, 100), diagonal);
    // (-1, -1)-(1, 0): the left end moves to x 0 with y -0.5, which truncates to 0 (rounding down
    // would give -1, and the row clip would then leave only (1, 0)).
    EXPECT_EQ(lineSet(-1, -1, 1, 0), (std::set<std::pair<int, int>>{{0, 0}, {1, 0}}));
    // Both ends on one outer side: nothing, also for a steep line far away.
    EXPECT_TRUE(lineSet(-5, 0, -1, 29).empty());
    EXPECT_TRUE(lineSet(3, 30, 20, 90).empty());
    // Extreme coordinates neither overflow nor draw outside.
    EXPECT_FALSE(lineSet(INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 1).empty());
    EXPECT_TRUE(lineSet(INT_MIN, 5, INT_MIN + 1, INT_MAX).empty());
}

TEST_F(Primitives, BlitCopiesTheVisiblePartOnly) {
    ASSERT_NE(newImage(2, 64, 64), 0);
    {
        DrawingPass pass(2);
        fillBox(0, 0, 64, 64, RED);
        fillBox(0, 0, 2, 2, GREEN);
        fillBox(5, 7, 1, 1, WHITE);
    }
    {
        DrawingPass pass(1);
        blitImage(imageBitmap(2), 598, 510);
        blitImage(0, 0, 0);
    }
    EXPECT_EQ(pixelsOf(1, GREEN), box(598, 510, 599, 511));
    EXPECT_TRUE(pixelsOf(1, RED).empty());
    {
        DrawingPass pass(1);
        fillBox(0, 0, 600, 512, 0);
        blitImage(imageBitmap(2), -5, -7);  // source pixel (5, 7) lands on (0, 0)
    }
    EXPECT_EQ(imageSurface(1)->pixel(0, 0), WHITE);
    EXPECT_EQ(pixelsOf(1, RED).size(), 59u * 57u - 1u);
}

TEST(DrawingPasses, OnlyTheCurrentTargetOpensAndFinishesOnce) {
    EXPECT_EQ(beginDrawing(nullptr), 0);
    EXPECT_EQ(imageTarget(42), nullptr);
    EXPECT_EQ(currentSurface(), nullptr);

    PixelSurface canvas;
    ASSERT_TRUE(canvas.allocate(10, 10));
    int finished = 0;
    auto finish = [](void* context) { ++*static_cast<int*>(context); };
    DrawTarget* target = surfaceTarget(&canvas, finish, &finished);
    ASSERT_NE(beginDrawing(target), 0);
    EXPECT_EQ(currentSurface(), &canvas);
    fillBox(0, 0, 1, 1, WHITE);
    endDrawing();
    endDrawing();  // nothing current: no second finish
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(canvas.pixel(0, 0), WHITE);
    EXPECT_EQ(currentSurface(), nullptr);
    fillBox(1, 1, 1, 1, WHITE);  // no pass: nothing drawn
    EXPECT_EQ(canvas.pixel(1, 1), 0u);

    // A target without pixel memory is discarded unfinished.
    PixelSurface empty;
    EXPECT_EQ(beginDrawing(surfaceTarget(&empty, finish, &finished)), 0);
    EXPECT_EQ(currentSurface(), nullptr);
    endDrawing();
    EXPECT_EQ(finished, 1);

    // A new target closes the one before it as endDrawing would.
    ASSERT_NE(beginDrawing(surfaceTarget(&canvas, finish, &finished)), 0);
    DrawTarget* second = surfaceTarget(&canvas, finish, &finished);
    EXPECT_EQ(finished, 2);
    ASSERT_NE(beginDrawing(second), 0);
    endDrawing();
    EXPECT_EQ(finished, 3);
}

TEST(DrawingPasses, ReleasingTheTargetImageMidPassDrawsNothingMore) {
    ASSERT_NE(newImage(4, 16, 16), 0);
    ASSERT_NE(beginDrawing(imageTarget(4)), 0);
    releaseImage(4);
    EXPECT_EQ(currentSurface(), nullptr);
    fillBox(0, 0, 16, 16, WHITE);  // would write into freed memory
    drawLine(0, 0, 15, 9, WHITE);
    endDrawing();
}

}  // namespace
