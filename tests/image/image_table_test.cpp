#include <gtest/gtest.h>

#include "runtime/image/image.h"
#include "tests/image/drawing_pass.h"

namespace {

constexpr int KEEP = -65535;

class ImageTable : public ::testing::Test {
protected:
    void TearDown() override { releaseAllImages(); }
};

// Image `number` gets a distinct colour in every pixel, derived from its position.
ColourValue tag(int x, int y) {
    return static_cast<ColourValue>(0x010000 * (x + 1) + 0x000100 * (y + 1) + 0x40);
}

void paintTags(int number) {
    const PixelSurface* s = imageSurface(number);
    DrawingPass pass(number);
    for (int y = 0; y < s->height; ++y) {
        for (int x = 0; x < s->width; ++x) {
            fillBox(x, y, 1, 1, tag(x, y));
        }
    }
}

TEST_F(ImageTable, NumbersHoldBlackImagesUntilReplacedOrReleased) {
    ASSERT_NE(newImage(0, 600, 512), 0);
    const BitmapHandle first = imageBitmap(0);
    EXPECT_NE(first, 0u);
    EXPECT_TRUE(pixelsOf(0, 0).size() == 600u * 512u);

    ASSERT_NE(newImage(70, 3, 2), 0);  // a number far beyond the ones used so far
    EXPECT_EQ(imageSurface(70)->width, 3);

    ASSERT_NE(newImage(0, 8, 8), 0);  // replaces: the old handle finds nothing any more
    EXPECT_NE(imageBitmap(0), first);
    ASSERT_NE(newImage(5, 4, 4), 0);
    {
        DrawingPass pass(5);
        fillBox(0, 0, 4, 4, 0xFFFFFF);
        blitImage(first, 0, 0);
    }
    EXPECT_EQ(pixelsOf(5, 0xFFFFFF).size(), 16u);

    // A failed creation still empties the number.
    EXPECT_EQ(newImage(0, 0, 10), 0);
    EXPECT_EQ(imageBitmap(0), 0u);
    EXPECT_EQ(imageSurface(0), nullptr);
    EXPECT_EQ(newImage(1, 10, -1), 0);
    EXPECT_EQ(newImage(1, 40000, 1), 0);  // sizes are held in 16 bits
    EXPECT_EQ(newImage(-1, 4, 4), 0);

    releaseImage(70);
    EXPECT_EQ(imageTarget(70), nullptr);
    releaseImage(71);  // never held anything
    releaseAllImages();
    EXPECT_EQ(imageSurface(5), nullptr);
}

TEST_F(ImageTable, RegionCopiesKeepOutsidePartsBlack) {
    ASSERT_NE(newImage(0, 20, 10), 0);
    paintTags(0);
    // 8 x 8 from (16, 4): columns 16..19 and rows 4..9 exist in the source.
    ASSERT_NE(copyImageRegion(0, 2, 16, 4, 8, 8), 0);
    const PixelSurface* copy = imageSurface(2);
    ASSERT_EQ(copy->width, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const ColourValue expected = x < 4 && y < 6 ? tag(16 + x, 4 + y) : 0;
            ASSERT_EQ(copy->pixel(x, y), expected) << x << "," << y;
        }
    }
    // From above and left of the source.
    ASSERT_NE(copyImageRegion(0, 2, -3, -2, 5, 4), 0);
    EXPECT_EQ(imageSurface(2)->pixel(3, 2), tag(0, 0));
    EXPECT_EQ(imageSurface(2)->pixel(2, 2), 0u);
    // Entirely outside: black, but still a success.
    ASSERT_NE(copyImageRegion(0, 2, 100, 100, 2, 2), 0);
    EXPECT_EQ(pixelsOf(2, 0).size(), 4u);

    // Failures leave the number as it was.
    const BitmapHandle kept = imageBitmap(2);
    EXPECT_EQ(copyImageRegion(9, 2, 0, 0, 4, 4), 0);
    EXPECT_EQ(copyImageRegion(0, 2, 0, 0, 0, 4), 0);
    EXPECT_EQ(imageBitmap(2), kept);

    // A region copied onto its own number.
    ASSERT_NE(copyImageRegion(0, 0, 1, 1, 2, 2), 0);
    EXPECT_EQ(imageSurface(0)->pixel(1, 1), tag(2, 2));
}

TEST_F(ImageTable, RawRescaleReplicatesWholeBlocks) {
    ASSERT_NE(newImage(2, 8, 8), 0);
    paintTags(2);
    const BitmapHandle grown = rescaleImage(2, 64, 64, 1);
    ASSERT_NE(grown, 0u);
    EXPECT_EQ(grown, imageBitmap(2));
    const PixelSurface* s = imageSurface(2);
    ASSERT_EQ(s->width, 64);
    ASSERT_EQ(s->height, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(s->pixel(x, y), tag(x / 8, y / 8)) << x << "," << y;
        }
    }
    // Shrinking by a whole factor keeps one pixel of each block; unchanged sizes keep the image.
    ASSERT_NE(rescaleImage(2, 8, KEEP, 1), 0u);
    EXPECT_EQ(imageSurface(2)->width, 8);
    EXPECT_EQ(imageSurface(2)->height, 64);
    EXPECT_EQ(imageSurface(2)->pixel(3, 17), tag(3, 2));
    const BitmapHandle now = imageBitmap(2);
    EXPECT_EQ(rescaleImage(2, KEEP, KEEP, 1), now);
    EXPECT_EQ(rescaleImage(2, 8, 64, 0), now);
}

TEST_F(ImageTable, SmoothRescaleAveragesAndFailureEmptiesTheNumber) {
    ASSERT_NE(newImage(3, 2, 2), 0);
    {
        DrawingPass pass(3);
        fillBox(0, 0, 1, 2, 0x0000C8);  // red 200 on the left
        fillBox(1, 0, 1, 2, 0x000064);  // red 100 on the right
    }
    ASSERT_NE(rescaleImage(3, 1, 1, 0), 0u);
    EXPECT_EQ(imageSurface(3)->pixel(0, 0), 0x000096u);  // 150

    EXPECT_EQ(rescaleImage(3, 0, 4, 1), 0u);
    EXPECT_EQ(imageBitmap(3), 0u);
    EXPECT_EQ(rescaleImage(3, 4, 4, 1), 0u);  // nothing left to rescale
}

}  // namespace
