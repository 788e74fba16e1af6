// sheet: every strip is render's picture at that width, under its label, between separators.
#include "cli/pictures/pixel_font.h"
#include "cli/pictures/sheet_layout.h"
#include "tests/cli/cli_fixture.h"
#include "tests/cli/decoded_picture.h"

namespace {

struct SheetCase {
    const char* name;
    WidthRange widths;
    int rows;
    int zoom;
    std::vector<std::string> flags;
};

void PrintTo(const SheetCase& c, std::ostream* os) { *os << c.name; }

const SheetCase SHEET_CASES[] = {
    {"narrow_widths_labels_wider_than_strips", {1, 12}, 64, 1, {}},
    {"zoom2_inverse", {3, 9}, 100, 2, {"--inverse"}},
    {"zoom8_reverse_swap", {1, 4}, 30, 8, {"--reverse", "--nibble-swap"}},
    {"one_width", {75, 75}, 512, 1, {}},
    {"strips_wider_and_taller_than_the_view", {80, 82}, 700, 1, {}},
};

class SheetStrips : public CliTest, public ::testing::WithParamInterface<SheetCase> {};

TEST_P(SheetStrips, EachStripIsTheRenderAtItsWidth) {
    const SheetCase& c = GetParam();
    // Ends inside the taller strips, so the past-the-end blue is part of the comparison.
    const std::string input = writeInput("input.bin", realBytes(2500));
    std::vector<std::string> args = {
        "sheet",    input,
        "--widths", std::to_string(c.widths.first) + "-" + std::to_string(c.widths.last),
        "--offset", "0x11",
        "--rows",   std::to_string(c.rows),
        "--zoom",   std::to_string(c.zoom),
        "-o",       path("sheet.png")};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const CliRun run = runCli(args);
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const DecodedPicture sheet = decodePng(contentsOf(path("sheet.png")));
    const SheetLayout layout = sheet_layout(c.widths, c.rows, c.zoom);
    ASSERT_EQ(sheet.width, layout.width);
    ASSERT_EQ(sheet.height, layout.height);
    ASSERT_EQ(layout.strips.size(), static_cast<size_t>(c.widths.last - c.widths.first + 1));

    for (const StripPlace& strip : layout.strips) {
        // The strip's own size: the layout fills it as a view of that size.
        const std::string size = std::to_string(strip.width) + "x" + std::to_string(strip.height);
        std::vector<std::string> render = {"render",   input, "--width", std::to_string(strip.row_width),
                                           "--offset", "17",  "--zoom",  std::to_string(c.zoom),
                                           "--size",   size,  "-o",      path("strip.png")};
        render.insert(render.end(), c.flags.begin(), c.flags.end());
        ASSERT_EQ(runCli(render).exit_code, 0);
        const DecodedPicture view = decodePng(contentsOf(path("strip.png")));
        EXPECT_EQ(firstDifference(cropped(sheet, strip.x, strip.y, strip.width, strip.height), view), "")
            << "width " << strip.row_width;

        // The label: the width's digits in the band above, nothing else lit there.
        const std::string label = std::to_string(strip.row_width);
        for (int y = 0; y < SHEET_LABEL_BAND; ++y) {
            for (int x = 0; x < strip.slot_width; ++x) {
                const int gx = x - 1;
                const int gy = y - 1;
                const size_t glyph = static_cast<size_t>(gx >= 0 ? gx / GLYPH_ADVANCE : 0);
                const bool lit =
                    gx >= 0 && glyph < label.size() && glyph_pixel(label[glyph], gx % GLYPH_ADVANCE, gy);
                ASSERT_EQ(sheet.at(strip.slot_x + x, y), lit ? SHEET_LABEL_COLOUR : 0u)
                    << "label of width " << label << " at (" << x << ", " << y << ")";
            }
        }
        // Padding right of a strip narrower than its label; a separator after every slot but the last.
        for (int x = strip.width; x < strip.slot_width; ++x) {
            EXPECT_EQ(sheet.at(strip.x + x, strip.y), SHEET_PADDING_COLOUR);
        }
        if (strip.slot_x + strip.slot_width < sheet.width) {
            for (const int y : {0, sheet.height / 2, sheet.height - 1}) {
                EXPECT_EQ(sheet.at(strip.slot_x + strip.slot_width, y), SHEET_SEPARATOR_COLOUR);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, SheetStrips, ::testing::ValuesIn(SHEET_CASES),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SheetLayout, SlotsFitLabelsAndStripsWithOneSeparatorBetween) {
    const SheetLayout layout = sheet_layout({1, 3}, 10, 1);
    ASSERT_EQ(layout.strips.size(), 3u);
    EXPECT_EQ(layout.strips[0].width, 8);
    EXPECT_EQ(layout.strips[0].slot_width, 8);
    EXPECT_EQ(layout.strips[1].slot_x, 9);
    EXPECT_EQ(layout.strips[2].slot_x, 9 + 16 + 1);
    EXPECT_EQ(layout.width, 26 + 24);
    EXPECT_EQ(layout.height, SHEET_LABEL_BAND + 10);
    // "100" is 11 pixels and a strip of width 1 at zoom 1 only 8: the slot takes the label.
    EXPECT_EQ(sheet_layout({100, 100}, 1, 1).strips[0].slot_width, 800);
    EXPECT_EQ(label_width("100"), 11);
    // The largest request is measured in 64 bits before anything is made.
    const SheetLayout huge = sheet_layout({1, 255}, 2048, 8);
    EXPECT_EQ(huge.width, int64_t{64} * 32640 + 254);
    EXPECT_GT(huge.width * huge.height, MAX_SHEET_PIXELS);
}

}  // namespace
