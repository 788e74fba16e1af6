// fonts and gallery: the pictures of a file as fonts written out, and as a contact sheet whose
// tiles are the views the render command draws.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>

#include "cli/pictures/gallery_layout.h"
#include "tests/cli/cli_fixture.h"
#include "tests/cli/decoded_picture.h"
#include "tests/support/package_files.h"
#include "tests/support/required_package.h"

namespace {

class Pictures : public CliTest {};

std::vector<std::vector<std::string>> rowsOf(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string f; std::getline(cells, f, '\t');) fields.push_back(f);
        rows.push_back(fields);
    }
    return rows;
}

// The VGA BIOS holds three fonts back to back at one width (8x16, 8x14, 8x8): listed as three
// fonts, each written out as a console font whose glyphs are the file's bytes where the list says.
TEST_F(Pictures, FontsListsTheBiosFontsAndWritesThemOut) {
    const std::string bios = "/usr/share/seabios/vgabios-stdvga.bin";
    const std::optional<std::vector<uint8_t>> image = read_bytes(bios);
    REQUIRE_PACKAGE(image.has_value(), "seabios", bios);
    const CliRun run = runCli({"fonts", bios, "--extract", path("fonts")});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const auto rows = rowsOf(run.out);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    for (size_t i = 0; i < 3; ++i) {
        const char* const cells[] = {"8x16", "8x14", "8x8"};
        EXPECT_EQ(rows[i][1], cells[i]) << run.out;
        EXPECT_EQ(rows[i][2], "256") << run.out;
        EXPECT_GE(std::stod(rows[i][3]), 0.5) << run.out;
        const uint64_t start = std::stoull(rows[i][0]);
        char name[64];
        std::snprintf(name, sizeof name, "font-0x%llx-%s.psf", static_cast<unsigned long long>(start),
                      rows[i][1].c_str());
        const PsfFont font = read_psf(path("fonts/") + name);
        ASSERT_TRUE(font.ok()) << name;
        EXPECT_EQ(font.glyphs, std::stoi(rows[i][2]));
        EXPECT_EQ(font.height, std::stoi(rows[i][1].substr(2)));
        const std::vector<uint8_t> glyphs = font.glyph_run(0, font.glyphs);
        EXPECT_TRUE(
            std::equal(glyphs.begin(), glyphs.end(), image->begin() + static_cast<std::ptrdiff_t>(start)))
            << name;
    }
    // As BDF, each font opens in FreeType at its cell's height, whatever name its offset and cell
    // make for it.
    ASSERT_EQ(runCli({"fonts", bios, "--extract", path("bdf"), "--format", "bdf"}).exit_code, 0);
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    size_t opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path("bdf"))) {
        const std::string stem = entry.path().stem().string();
        FT_Face face = nullptr;
        ASSERT_EQ(FT_New_Face(library, entry.path().c_str(), 0, &face), 0) << stem;
        EXPECT_EQ(face->num_glyphs, 256 + 1) << stem;  // FreeType adds a .notdef glyph
        EXPECT_EQ(face->available_sizes[0].height, std::stoi(stem.substr(stem.rfind('x') + 1))) << stem;
        FT_Done_Face(face);
        ++opened;
    }
    FT_Done_FreeType(library);
    EXPECT_EQ(opened, 3u);
}

// Each tile of a gallery is the render of its picture (at its width, from its first byte, in
// columns, at the tile's zoom); the best picture of a file of code with a console font in it is
// the font, and it comes first.
TEST_F(Pictures, GalleryTilesAreTheRendersOfTheBestPictures) {
    const std::string font_path = std::string(CONSOLE_FONT_DIR) + "Lat15-Terminus16.psf.gz";
    const PsfFont font = read_psf(font_path);
    REQUIRE_PACKAGE(font.ok(), "console-setup-linux", font_path);
    std::vector<uint8_t> data = realBytes(300000);
    const size_t at = data.size();
    const std::vector<uint8_t> glyphs = font.glyph_run(0, 256);
    data.insert(data.end(), glyphs.begin(), glyphs.end());
    const std::vector<uint8_t> more = realBytes(300000, 400000);
    data.insert(data.end(), more.begin(), more.end());
    const std::string input = writeInput("code.bin", data);

    const CliRun ranked = runCli({"scan", input, "--rank"});
    ASSERT_EQ(ranked.exit_code, 0) << describe(ranked);
    const auto best = rowsOf(ranked.out);
    ASSERT_FALSE(best.empty());
    EXPECT_EQ(best[0][4], "font") << ranked.out;
    EXPECT_LE(std::stoull(best[0][0]), at + font.glyph_size()) << ranked.out;
    EXPECT_GE(std::stoull(best[0][1]), at + 255 * font.glyph_size()) << ranked.out;

    ASSERT_EQ(
        runCli({"gallery", input, "-o", path("gallery.png"), "--top", "3", "--min-score", "0"}).exit_code, 0);
    const DecodedPicture gallery = decodePng(readAll(path("gallery.png")));
    std::vector<int> widths;
    for (size_t i = 0; i < 3 && i < best.size(); ++i) widths.push_back(std::stoi(best[i][2]));
    const GalleryLayout layout = gallery_layout(widths);
    ASSERT_EQ(gallery.width, layout.width);
    ASSERT_EQ(gallery.height, layout.height);
    for (size_t i = 0; i < widths.size(); ++i) {
        const GalleryTile& tile = layout.tiles[i];
        const std::string tile_path = path("tile" + std::to_string(i) + ".png");
        const CliRun render =
            runCli({"render", input, "--offset", best[i][0], "--width", best[i][2], "--zoom",
                    std::to_string(tile.zoom), "--multi", "--size",
                    std::to_string(GALLERY_TILE) + "x" + std::to_string(GALLERY_TILE), "-o", tile_path});
        ASSERT_EQ(render.exit_code, 0) << describe(render);
        EXPECT_EQ(firstDifference(cropped(gallery, tile.x, tile.y, GALLERY_TILE, GALLERY_TILE),
                                  decodePng(readAll(tile_path))),
                  "")
            << "tile " << i;
    }
}

}  // namespace

// What a gallery's captions say: the offset, width and score, then the kind with a font's cell
// and glyph count.
TEST(GalleryCaption, OffsetWidthScoreAndKind) {
    FoundPicture font;
    font.start = 0x7220;
    font.end = 0x8220;
    font.width = 1;
    font.score = 0.9815;
    font.kind = PictureKind::Font;
    font.cell_width = 8;
    font.cell_height = 16;
    font.glyphs = 256;
    EXPECT_EQ(gallery_caption(font), (std::vector<std::string>{"0X7220 W1 0.98", "FONT 8x16 256"}));
    FoundPicture icon;
    icon.start = 5;
    icon.width = 6;
    icon.score = 0.5;
    EXPECT_EQ(gallery_caption(icon), (std::vector<std::string>{"0X5 W6 0.50", "PICTURE"}));
    // Every character of a caption has a glyph in the pixel font.
    for (const auto& line : {gallery_caption(font), gallery_caption(icon)})
        for (const std::string& text : line)
            for (const char c : text) {
                bool lit = c == ' ';
                for (int x = 0; x < GLYPH_WIDTH; ++x)
                    for (int y = 0; y < GLYPH_HEIGHT; ++y) lit = lit || glyph_pixel(c, x, y);
                EXPECT_TRUE(lit) << "no glyph for '" << c << "' in " << text;
            }
}
