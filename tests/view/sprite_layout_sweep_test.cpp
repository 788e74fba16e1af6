// The span drawing against the box-per-bit walk over randomised settings: every pixel equal.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/image/image.h"
#include "tests/support/instruction_levels.h"
#include "tests/view/layout_drawing.h"
#include "view/layout/sprite_layout.h"

namespace {

class LayoutSweep : public ::testing::Test {
protected:
    void TearDown() override { releaseAllImages(); }

    std::mt19937 random{20261208};
    std::vector<uint8_t> bytes = std::vector<uint8_t>(70000 + 16);

    void SetUp() override {
        for (size_t i = 0; i < 70000; ++i) {
            // Runs of equal bytes as well as noise, so that whole rows repeat now and then.
            bytes[i] = i % 5000 < 700 ? static_cast<uint8_t>(i / 64) : static_cast<uint8_t>(random());
        }
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    // Lengths and offsets where the edges of the data fall inside, before and after the view.
    SpriteLayoutInput randomInput(int zoom, unsigned flags, int width, int viewWidth = VIEW_WIDTH,
                                  int viewHeight = VIEW_HEIGHT) {
        SpriteLayoutInput in;
        in.view_width = viewWidth;
        in.view_height = viewHeight;
        in.zoom = zoom;
        in.inverse = (flags & 1) != 0;
        in.reverse = (flags & 2) != 0;
        in.nibble_swap = (flags & 4) != 0;
        in.multi = (flags & 8) != 0;
        in.row_width = width;
        static const int lengths[] = {0, 1, 7, 13, 255, 511, 4097, 38401, 70000};
        in.len = pick(0, 3) == 0 ? pick(0, 70000) : lengths[pick(0, 8)];
        in.data = in.len == 0 && pick(0, 1) == 0 ? nullptr : bytes.data();
        const int shown = (in.multi ? (viewWidth + 7) / 8 : 1) * ((viewHeight + zoom - 1) / zoom) * width;
        switch (pick(0, 3)) {
            case 0:
                in.display_offset = -pick(1, 1 + shown);
                break;
            case 1:
                in.display_offset = pick(0, in.len);
                break;
            case 2:
                in.display_offset = in.len - pick(0, shown);
                break;
            default:
                in.display_offset = in.len + pick(0, 3000);
                break;
        }
        return in;
    }

    static std::string describe(const SpriteLayoutInput& in) {
        std::ostringstream out;
        out << "zoom " << in.zoom << " W " << in.row_width << " D " << in.display_offset << " len " << in.len
            << (in.data == nullptr ? " (no data)" : "") << (in.inverse ? " inverse" : "")
            << (in.reverse ? " reverse" : "") << (in.nibble_swap ? " nibble" : "")
            << (in.multi ? " multi" : "") << " view " << in.view_width << "x" << in.view_height;
        return out.str();
    }

    // Both drawings on targets prefilled with the same noise; the first differing pixel or "".
    std::string compare(const SpriteLayoutInput& in, int width, int height) {
        EXPECT_NE(newImage(1, width, height), 0);
        EXPECT_NE(newImage(2, width, height), 0);
        PixelSurface* a = imageSurface(1);
        PixelSurface* b = imageSurface(2);
        const uint8_t noise = static_cast<uint8_t>(random() | 1);
        for (size_t i = 0; i < a->pixels.size(); ++i) {
            a->pixels[i] = b->pixels[i] = static_cast<uint8_t>(noise * i);
        }
        drawLayout(1, in, LayoutDrawer::Spans);
        drawLayout(2, in, LayoutDrawer::BoxPerBit);
        if (a->pixels == b->pixels) {
            return "";
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (a->pixel(x, y) != b->pixel(x, y)) {
                    std::ostringstream out;
                    out << describe(in) << " on " << width << "x" << height << ": pixel (" << x << "," << y
                        << ") " << std::hex << a->pixel(x, y) << " instead of " << b->pixel(x, y);
                    return out.str();
                }
            }
        }
        return describe(in) + ": the row padding differs";
    }
};

TEST_F(LayoutSweep, EveryZoomAndFlagCombination) {
    for (const int zoom : {1, 2, 4, 8}) {
        for (unsigned flags = 0; flags < 16; ++flags) {
            for (int round = 0; round < 4; ++round) {
                const int width = round == 0 ? pick(1, 9) : round == 1 ? pick(60, 255) : pick(1, 255);
                ASSERT_EQ(compare(randomInput(zoom, flags, width), VIEW_WIDTH, VIEW_HEIGHT), "");
            }
        }
    }
}

TEST_F(LayoutSweep, EveryRowWidth) {
    for (int width = 1; width <= 255; ++width) {
        const int zoom = 1 << pick(0, 3);
        ASSERT_EQ(
            compare(randomInput(zoom, static_cast<unsigned>(pick(0, 15)), width), VIEW_WIDTH, VIEW_HEIGHT),
            "");
    }
}

// Zoom 1 lines are expanded with wide masked stores where the processor has them, and the
// portable way elsewhere; each must give the reference's pixels.
class LineExpansion : public LayoutSweep, public ::testing::WithParamInterface<InstructionSet> {};

TEST_P(LineExpansion, ZoomOneLinesEqualTheReference) {
    const InstructionSetGuard level(GetParam());
    for (int round = 0; round < 48; ++round) {
        const int width = round % 3 == 0 ? 1 : pick(1, round % 3 == 1 ? 9 : 255);
        ASSERT_EQ(compare(randomInput(1, static_cast<unsigned>(round % 16), width), VIEW_WIDTH, VIEW_HEIGHT),
                  "");
    }
}
PIXELSIEVE_ON_EACH_INSTRUCTION_SET(LineExpansion);

TEST_F(LayoutSweep, TargetsSmallerThanTheView) {
    const int sizes[][2] = {{37, 21}, {600, 1}, {1, 512}, {599, 511}, {100, 300}, {5, 3}};
    for (const auto& size : sizes) {
        for (int round = 0; round < 12; ++round) {
            const SpriteLayoutInput in = randomInput(1 << pick(0, 3), static_cast<unsigned>(pick(0, 15)),
                                                     pick(1, round < 6 ? 8 : 255));
            ASSERT_EQ(compare(in, size[0], size[1]), "");
        }
    }
}

TEST_F(LayoutSweep, OtherViewSizesOnSurfacesOfTheirSize) {
    const int sizes[][2] = {{1200, 1024}, {601, 513}, {1023, 77}, {8, 8}, {1, 1}, {333, 999}, {2000, 40}};
    for (const auto& size : sizes) {
        for (int round = 0; round < 8; ++round) {
            const SpriteLayoutInput in = randomInput(1 << (round % 4), static_cast<unsigned>(pick(0, 15)),
                                                     pick(1, round < 4 ? 8 : 255), size[0], size[1]);
            ASSERT_EQ(compare(in, size[0], size[1]), "");
        }
    }
}

// The view area cut by a smaller surface, or lying on a larger one whose rest stays untouched.
TEST_F(LayoutSweep, ViewAreaOnASurfaceOfAnotherSize) {
    const int sizes[][4] = {
        {300, 200, 600, 512}, {600, 512, 1000, 700}, {700, 300, 650, 400}, {64, 900, 80, 50}};
    for (const auto& size : sizes) {
        for (int round = 0; round < 8; ++round) {
            const SpriteLayoutInput in = randomInput(1 << (round % 4), static_cast<unsigned>(pick(0, 15)),
                                                     pick(1, round < 4 ? 8 : 255), size[0], size[1]);
            ASSERT_EQ(compare(in, size[2], size[3]), "");
        }
    }
}

}  // namespace
