// Where the layout puts each byte, checked pixel by pixel on both drawings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/image/image.h"
#include "tests/view/layout_drawing.h"
#include "view/layout/sprite_layout.h"
#include "view/position_readout.h"

namespace {

constexpr ColourValue WHITE = COLOUR_SET_BIT;
constexpr ColourValue BLACK = COLOUR_CLEAR_BIT;
constexpr ColourValue BLUE = COLOUR_PAST_END;

uint8_t valueAt(int64_t i) { return static_cast<uint8_t>(i * 37 + 11 + (i >> 8)); }

std::vector<uint8_t> numberedData(int32_t len) {
    std::vector<uint8_t> data(static_cast<size_t>(len) + 16, 0);
    for (int32_t i = 0; i < len; ++i) {
        data[static_cast<size_t>(i)] = valueAt(i);
    }
    return data;
}

// The first pixel of the w x h area at (x, y) that is not `colour`, or "" when all are.
std::string area(const PixelSurface& s, int x, int y, int w, int h, ColourValue colour) {
    for (int j = y; j < y + h && j < s.height; ++j) {
        for (int i = x; i < x + w && i < s.width; ++i) {
            if (s.pixel(i, j) != colour) {
                std::ostringstream out;
                out << "(" << i << "," << j << ") is " << std::hex << s.pixel(i, j) << " not " << colour;
                return out.str();
            }
        }
    }
    return "";
}

// The byte value `shown` drawn at (x, y) in cells of `zoom` pixels; at zoom 8 each cell is a
// 7 x 7 block with its last column and line black.
std::string byteAt(const PixelSurface& s, int x, int y, int zoom, uint8_t shown) {
    const int lit = zoom == 8 ? 7 : zoom;
    for (int k = 0; k < 8; ++k) {
        const ColourValue colour = (shown & (0x80 >> k)) != 0 ? WHITE : BLACK;
        std::string bad = area(s, x + k * zoom, y, lit, lit, colour);
        if (bad.empty() && zoom == 8) {
            bad = area(s, x + k * 8 + 7, y, 1, 8, BLACK) + area(s, x + k * 8, y + 7, 8, 1, BLACK);
        }
        if (!bad.empty()) {
            return "bit " + std::to_string(k) + ": " + bad;
        }
    }
    return "";
}

class LayoutGeometry : public ::testing::TestWithParam<LayoutDrawer> {
protected:
    void SetUp() override { ASSERT_NE(newImage(0, VIEW_WIDTH, VIEW_HEIGHT), 0); }
    void TearDown() override { releaseAllImages(); }

    // On a surface of the view's size.
    const PixelSurface& draw(const SpriteLayoutInput& in) {
        const PixelSurface* s = imageSurface(0);
        if (s->width != in.view_width || s->height != in.view_height) {
            EXPECT_NE(newImage(0, in.view_width, in.view_height), 0);
        }
        // Something other than black first, so that every pixel has to be drawn.
        EXPECT_NE(beginDrawing(imageTarget(0)), 0);
        fillBox(0, 0, in.view_width, in.view_height, 0x123456);
        endDrawing();
        drawLayout(0, in, GetParam());
        return *imageSurface(0);
    }

    static SpriteLayoutInput input(const std::vector<uint8_t>& data, int32_t len, int32_t offset,
                                   int32_t width, int32_t zoom, bool multi) {
        SpriteLayoutInput in;
        in.data = data.data();
        in.len = len;
        in.display_offset = offset;
        in.row_width = width;
        in.zoom = zoom;
        in.multi = multi;
        return in;
    }
};

TEST_P(LayoutGeometry, OneColumnOfTwoByteRows) {
    const auto data = numberedData(2000);
    const PixelSurface& s = draw(input(data, 2000, 0, 2, 1, false));
    for (int y = 0; y < 512; ++y) {
        ASSERT_EQ(byteAt(s, 0, y, 1, valueAt(2 * y)), "") << "line " << y;
        ASSERT_EQ(byteAt(s, 8, y, 1, valueAt(2 * y + 1)), "") << "line " << y;
    }
    EXPECT_EQ(area(s, 16, 0, 584, 512, BLACK), "");
}

TEST_P(LayoutGeometry, ZoomTwoColumnsStandSideBySide) {
    const auto data = numberedData(30000);
    const PixelSurface& s = draw(input(data, 30000, 0, 2, 2, true));
    // Columns of 256 rows of 2 bytes at x = 32 k; the last one is cut at 600 halfway through
    // its second byte.
    for (int n = 0; n < 19 * 512; ++n) {
        const int x = n / 512 * 32 + n % 2 * 16;
        const int y = n % 512 / 2 * 2;
        if (x + 16 <= 600) {
            ASSERT_EQ(byteAt(s, x, y, 2, valueAt(n)), "") << "byte " << n;
        }
    }
    EXPECT_EQ(byteAt(s, 32, 0, 2, valueAt(512)), "");
}

TEST_P(LayoutGeometry, OneByteColumnsFillTheView) {
    const auto data = numberedData(40000);
    const PixelSurface& s = draw(input(data, 40000, 5, 1, 1, true));
    for (int n = 0; n < 75 * 512; ++n) {
        ASSERT_EQ(byteAt(s, n / 512 * 8, n % 512, 1, valueAt(5 + n)), "") << "byte " << n;
    }
}

TEST_P(LayoutGeometry, EightByteColumnsEndWithAPartialTenth) {
    const auto data = numberedData(45000);
    const PixelSurface& s = draw(input(data, 45000, 0, 8, 1, true));
    for (int column = 0; column < 10; ++column) {
        for (int row = 0; row < 512; ++row) {
            for (int j = 0; j < (column == 9 ? 3 : 8); ++j) {
                const int n = column * 4096 + row * 8 + j;
                ASSERT_EQ(byteAt(s, (column * 8 + j) * 8, row, 1, valueAt(n)), "") << column << " " << row;
            }
        }
    }
}

TEST_P(LayoutGeometry, RowsWiderThanTheViewAreCutAndAddNoColumn) {
    const auto data = numberedData(60000);
    for (const bool multi : {false, true}) {
        const PixelSurface& s = draw(input(data, 60000, 0, 100, 1, multi));
        for (int row : {0, 1, 300, 511}) {
            for (int j = 0; j < 75; ++j) {
                ASSERT_EQ(byteAt(s, 8 * j, row, 1, valueAt(row * 100 + j)), "") << row << " " << j;
            }
        }
    }
}

TEST_P(LayoutGeometry, ALargerViewHoldsLongerColumnsAndMoreOfThem) {
    const auto data = numberedData(80000);
    SpriteLayoutInput in = input(data, 80000, 3, 1, 2, true);
    in.view_width = 1200;
    in.view_height = 1029;
    const PixelSurface& s = draw(in);
    // 1029 / 2 rounded up: 515 rows a column, the last one cut to its first line; 75 columns of
    // 16 pixels fill the 1200 pixels.
    for (int n = 0; n < 75 * 515; ++n) {
        ASSERT_EQ(byteAt(s, n / 515 * 16, n % 515 * 2, 2, valueAt(3 + n)), "") << "byte " << n;
    }
}

TEST_P(LayoutGeometry, ANarrowViewStartsColumnsWhereverTheyBeginInsideIt) {
    const auto data = numberedData(5000);
    SpriteLayoutInput in = input(data, 5000, 0, 3, 1, true);
    in.view_width = 49;  // byte columns 0, 3 and 6 start inside it; 6 shows one pixel
    in.view_height = 10;
    const PixelSurface& s = draw(in);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 2; ++column) {
            for (int j = 0; j < 3; ++j) {
                const int n = column * 30 + row * 3 + j;
                ASSERT_EQ(byteAt(s, (column * 3 + j) * 8, row, 1, valueAt(n)), "") << row << " " << n;
            }
        }
        ASSERT_EQ(area(s, 48, row, 1, 1, (valueAt(60 + 3 * row) & 0x80) != 0 ? WHITE : BLACK), "") << row;
    }
}

// The status line's count names the byte drawn under the pointer, wherever the pointer is, at
// every zoom and in one column or several.
TEST_P(LayoutGeometry, ThePointerReadoutNamesTheByteDrawnUnderThePointer) {
    const auto data = numberedData(60000);
    for (const bool multi : {false, true}) {
        for (const int32_t width : {1, 3, 4, 8, 100}) {
            for (const int32_t zoom : {1, 2, 4, 8}) {
                const PixelSurface& s = draw(input(data, 60000, 5, width, zoom, multi));
                const int shown = multi ? VIEW_WIDTH : std::min(VIEW_WIDTH, 8 * width * zoom);
                for (int px = 0; px < shown; px += 13) {
                    for (int py = 0; py < VIEW_HEIGHT; py += 29) {
                        const int32_t size = pointer_readout(px, py, zoom, width).size;
                        ASSERT_EQ(
                            byteAt(s, px / (8 * zoom) * 8 * zoom, py / zoom * zoom, zoom, valueAt(5 + size)),
                            "")
                            << "width " << width << ", zoom " << zoom << (multi ? ", multi" : "")
                            << ", pointer " << px << "," << py << ", size " << size;
                    }
                }
            }
        }
    }
}

TEST_P(LayoutGeometry, PositionsPastTheEndAreBlue) {
    const auto data = numberedData(10);
    // A lone column: blue blocks, and their extra pixel right of the column stays as a line.
    const PixelSurface& s = draw(input(data, 10, 10, 3, 1, false));
    EXPECT_EQ(area(s, 0, 0, 25, 512, BLUE), "");
    EXPECT_EQ(area(s, 25, 0, 575, 512, BLACK), "");

    // Zoom 8: blue cells are whole 8 x 8 squares, so the area past the end is solid.
    const PixelSurface& z = draw(input(data, 10, 400, 1, 8, true));
    EXPECT_EQ(area(z, 0, 0, 600, 512, BLUE), "");
}

TEST_P(LayoutGeometry, ThePastEndLineStartsAtTheFirstRowEndingInBlue) {
    const auto data = numberedData(7);
    const PixelSurface& s = draw(input(data, 7, 0, 2, 2, false));
    // Rows of 2 bytes: byte 7 is the first blue one and ends row 3 (y 6 and 7).
    EXPECT_EQ(byteAt(s, 16, 4, 2, valueAt(5)), "");
    EXPECT_EQ(area(s, 16, 6, 16, 506, BLUE), "");
    EXPECT_EQ(area(s, 0, 8, 33, 504, BLUE), "");
    EXPECT_EQ(area(s, 32, 0, 1, 6, BLACK), "");
    EXPECT_EQ(area(s, 32, 6, 1, 506, BLUE), "");
    EXPECT_EQ(area(s, 33, 0, 567, 512, BLACK), "");

    // With multi columns the next column covers that line: nothing blue is left beyond them.
    const PixelSurface& m = draw(input(data, 7, 0, 2, 2, true));
    EXPECT_EQ(area(m, 0, 8, 600, 504, BLUE), "");
}

TEST_P(LayoutGeometry, BeforeTheDataIsBlackAlsoWhenInverse) {
    const std::vector<uint8_t> zeros(10 + 16, 0);
    SpriteLayoutInput in = input(zeros, 10, -5, 1, 1, false);
    in.inverse = true;
    const PixelSurface& s = draw(in);
    EXPECT_EQ(area(s, 0, 0, 8, 5, BLACK), "");    // positions -5 .. -1
    EXPECT_EQ(area(s, 0, 5, 8, 10, WHITE), "");   // the data, inverted
    EXPECT_EQ(area(s, 0, 15, 9, 497, BLUE), "");  // past the end, not inverted
    EXPECT_EQ(area(s, 8, 0, 1, 15, BLACK), "");
}

TEST_P(LayoutGeometry, BitOrderUnderReverseAndNibbleSwap) {
    const std::vector<uint8_t> data = {0x80, 0xB2, 0, 0};
    SpriteLayoutInput in = input(data, 2, 0, 1, 1, false);
    const PixelSurface& plain = draw(in);
    EXPECT_EQ(byteAt(plain, 0, 0, 1, 0x80), "");
    EXPECT_EQ(byteAt(plain, 0, 1, 1, 0xB2), "");

    in.reverse = true;
    const PixelSurface& reversed = draw(in);
    EXPECT_EQ(byteAt(reversed, 0, 0, 1, 0x01), "");  // only the rightmost pixel

    // b7..b0 = 1 0 1 1 0 0 1 0 drawn as b4 b5 b6 b7 b0 b1 b2 b3 = 1 1 0 1 0 1 0 0.
    in.nibble_swap = true;
    const PixelSurface& both = draw(in);
    EXPECT_EQ(byteAt(both, 0, 1, 1, 0b11010100), "");

    in.reverse = false;
    const PixelSurface& swapped = draw(in);
    EXPECT_EQ(byteAt(swapped, 0, 1, 1, 0x2B), "");
}

TEST_P(LayoutGeometry, ZoomEightLeavesGapsBetweenBlocks) {
    const std::vector<uint8_t> data(1 + 16, 0xFF);
    const PixelSurface& s = draw(input(data, 1, 0, 1, 8, false));
    EXPECT_EQ(byteAt(s, 0, 0, 8, 0xFF), "");
    EXPECT_EQ(area(s, 0, 8, 64, 504, BLUE), "");
    EXPECT_EQ(area(s, 64, 0, 536, 512, BLACK), "");
}

TEST_P(LayoutGeometry, UnusableSettingsLeaveTheViewBlack) {
    const auto data = numberedData(100);
    for (const SpriteLayoutInput& in : {input(data, 100, 0, 1, 3, true), input(data, 100, 0, 1, 0, true),
                                        input(data, 100, 0, 0, 1, true), input(data, 100, 0, -4, 2, false)}) {
        EXPECT_EQ(area(draw(in), 0, 0, 600, 512, BLACK), "") << in.zoom << " " << in.row_width;
    }
    SpriteLayoutInput none;
    none.data = nullptr;
    none.len = 0;
    none.display_offset = -3;
    const PixelSurface& s = draw(none);
    EXPECT_EQ(area(s, 0, 0, 8, 3, BLACK), "");
    EXPECT_EQ(area(s, 0, 3, 9, 509, BLUE), "");
}

INSTANTIATE_TEST_SUITE_P(BothDrawings, LayoutGeometry,
                         ::testing::Values(LayoutDrawer::Spans, LayoutDrawer::BoxPerBit), drawerName);

}  // namespace
