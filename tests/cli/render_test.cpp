// render against the window's own export of the same view, decoded pixel for pixel.
#include "cli/formats/bit_picture.h"
#include "tests/cli/cli_fixture.h"
#include "tests/cli/decoded_picture.h"
#include "tests/cli/window_export.h"

namespace {

struct RenderCase {
    const char* name;
    size_t file_size;
    WindowView view;
};

// File sizes below the 38,400 bytes a full view shows put the end of the data inside the
// view, so the past-the-end blue (and its one-pixel edge right of a lone column) is compared too.
const RenderCase RENDER_CASES[] = {
    {"w1_multi_full_view", 60000, {.row_width = 1, .multi = true}},
    {"w75_one_column", 38400, {.row_width = 75}},
    {"w2_zoom2_multi_inverse",
     60000,
     {.display_offset = 1000, .row_width = 2, .zoom = 2, .multi = true, .inverse = true}},
    {"w8_zoom8_multi_reverse_swap",
     60000,
     {.display_offset = 37, .row_width = 8, .zoom = 8, .multi = true, .reverse = true, .nibble_swap = true}},
    {"w3_zoom4_all_flags",
     60000,
     {.row_width = 3, .zoom = 4, .multi = true, .inverse = true, .reverse = true, .nibble_swap = true}},
    {"w100_rows_cut_at_the_edge", 60000, {.display_offset = 5, .row_width = 100}},
    {"w255", 200000, {.row_width = 255}},
    {"end_inside_multi_view", 5000, {.row_width = 1, .multi = true}},
    {"end_inside_lone_column", 5000, {.display_offset = 3, .row_width = 7, .inverse = true}},
    {"end_inside_zoom8", 3000, {.row_width = 13, .zoom = 8, .multi = true}},
    {"end_inside_zoom2_lone_column", 900, {.row_width = 5, .zoom = 2}},
    {"offset_past_the_end", 5000, {.display_offset = 6000, .row_width = 4, .multi = true}},
    // Positions before the file's first byte stay black, inverse or not.
    {"offset_before_the_file", 60000, {.display_offset = -5, .row_width = 3, .multi = true, .inverse = true}},
    {"empty_file", 0, {.row_width = 4, .multi = true}},
    // Other sizes: columns as tall as the picture, as many as its width takes.
    {"size_1200x1000_multi",
     60000,
     {.display_offset = 7, .row_width = 3, .multi = true, .width = 1200, .height = 1000}},
    {"size_333x77_zoom2_multi_end_inside",
     2000,
     {.row_width = 5, .zoom = 2, .multi = true, .inverse = true, .width = 333, .height = 77}},
    {"size_2040x40_w255", 60000, {.row_width = 255, .width = 2040, .height = 40}},
    {"size_1x1", 100, {.row_width = 1, .inverse = true, .width = 1, .height = 1}},
    {"size_97x3000_zoom8_lone_column_end_inside",
     1000,
     {.row_width = 1, .zoom = 8, .width = 97, .height = 3000}},
};

void PrintTo(const RenderCase& c, std::ostream* os) { *os << c.name; }

class RenderMatchesWindow : public CliTest, public ::testing::WithParamInterface<RenderCase> {};

TEST_P(RenderMatchesWindow, PngBmpAndPbmHoldTheWindowsPixels) {
    const RenderCase& c = GetParam();
    const std::vector<uint8_t> data = realBytes(c.file_size);
    ASSERT_EQ(data.size(), c.file_size);
    const std::string input = writeInput("input.bin", data);

    ASSERT_TRUE(windowExport(data, c.view, path("window.bmp"), FORMAT_BMP));
    const DecodedPicture window = pictureOf(*imageSurface(WINDOW_VIEW_IMAGE));
    ASSERT_EQ(decodeBmp(contentsOf(path("window.bmp"))), window);

    for (const char* format : {"png", "bmp", "pbm"}) {
        const std::string output = path(std::string("cli.") + format);
        const CliRun run = runCli(renderArguments(input, c.view, output));
        ASSERT_EQ(run.exit_code, 0) << format << ": " << describe(run);
        const std::string bytes = contentsOf(output);
        if (std::string(format) == "png") {
            EXPECT_EQ(firstDifference(decodePng(bytes), window), "") << "PNG";
        } else if (std::string(format) == "bmp") {
            EXPECT_EQ(bytes, contentsOf(path("window.bmp"))) << "BMP files differ";
        } else {
            // Set bits are the window's white; clear bits and the area past the end are 0.
            DecodedPicture expected = window;
            for (uint32_t& p : expected.pixels) p = p == COLOUR_SET_BIT ? 1 : 0;
            EXPECT_EQ(firstDifference(decodePbm(bytes), expected), "") << "PBM";
        }
    }
    releaseImage(WINDOW_VIEW_IMAGE);
}

INSTANTIATE_TEST_SUITE_P(Settings, RenderMatchesWindow, ::testing::ValuesIn(RENDER_CASES),
                         [](const auto& p) { return std::string(p.param.name); });

// The window's PNG writer is slow on busy pictures (deflate level 9), so its own PNG is
// compared on two views only; elsewhere its BMP stands for it.
TEST_F(CliTest, RenderPngDecodesToTheWindowsPng) {
    const std::vector<uint8_t> data = realBytes(3000);
    const std::string input = writeInput("input.bin", data);
    for (const WindowView& view : {WindowView{.row_width = 9, .zoom = 2, .inverse = true},
                                   WindowView{.display_offset = 100, .row_width = 1, .multi = true}}) {
        ASSERT_TRUE(windowExport(data, view, path("window.png"), FORMAT_PNG));
        ASSERT_EQ(runCli(renderArguments(input, view, path("cli.png"))).exit_code, 0);
        EXPECT_EQ(firstDifference(decodePng(contentsOf(path("cli.png"))),
                                  decodePng(contentsOf(path("window.png")))),
                  "");
    }
    releaseImage(WINDOW_VIEW_IMAGE);
}

TEST_F(CliTest, GridIsTheCanvasGridOverTheView) {
    const std::vector<uint8_t> data = realBytes(20000);
    const std::string input = writeInput("input.bin", data);
    const WindowView view{.display_offset = 17, .row_width = 3, .zoom = 2, .multi = true, .grid = true};
    ASSERT_TRUE(windowExport(data, view, path("window.bmp"), FORMAT_BMP));
    const DecodedPicture canvas = pictureOf(*imageSurface(WINDOW_VIEW_IMAGE));
    for (const char* output : {"cli.png", "cli.bmp"}) {
        const CliRun run = runCli(renderArguments(input, view, path(output)));
        ASSERT_EQ(run.exit_code, 0) << describe(run);
        const std::string bytes = contentsOf(path(output));
        const DecodedPicture got = std::string(output).ends_with("png") ? decodePng(bytes) : decodeBmp(bytes);
        EXPECT_EQ(firstDifference(got, canvas), "") << output;
    }
    EXPECT_EQ(canvas.at(64, 100), 0x00FF00u);
    EXPECT_EQ(canvas.at(8, 100), 0x007F00u);
    releaseImage(WINDOW_VIEW_IMAGE);
}

TEST_F(CliTest, FormatFromTheNameInAnyCaseOrFromTheOption) {
    const std::string input = writeInput("input.bin", realBytes(4000));
    ASSERT_EQ(runCli({"render", input, "-w", "2", "-o", path("upper.PNG")}).exit_code, 0);
    EXPECT_EQ(contentsOf(path("upper.PNG")).substr(1, 3), "PNG");
    const CliRun piped = runCli({"render", input, "-w", "2", "--format", "bmp", "-o", "-"});
    ASSERT_EQ(piped.exit_code, 0) << describe(piped);
    EXPECT_EQ(piped.out.substr(0, 2), "BM");
    EXPECT_EQ(piped.out.size(), 921654u);
}

}  // namespace
