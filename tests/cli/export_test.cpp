// export read back by independent readers: the system compiler for C, FreeType for BDF, and
// small parsers here for PSF2, PBM and the assembler lines. The cells are real console fonts.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <regex>
#include <sstream>

#include "tests/cli/cli_fixture.h"
#include "tests/cli/decoded_picture.h"
#include "tests/support/package_files.h"

namespace {

uint32_t le32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

class ExportFont : public CliTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        CliTest::SetUp();
        font_ = read_psf(std::string(CONSOLE_FONT_DIR) + GetParam());
        ASSERT_TRUE(font_.ok()) << "the console font " << GetParam()
                                << " is missing: scripts/setup installs console-setup-linux";
        input_ = writeInput("font.bin", font_.file);
    }
    // The glyph bytes as the font file holds them.
    std::string glyphs(int first, int count) const {
        const std::vector<uint8_t> run = font_.glyph_run(first, count);
        return {run.begin(), run.end()};
    }
    std::vector<std::string> exportArgs(const std::string& format, int first, int count) const {
        return {"export",   input_,
                "--offset", std::to_string(font_.glyphs_at + font_.glyph_size() * static_cast<size_t>(first)),
                "--width",  std::to_string(font_.row_bytes),
                "--height", std::to_string(font_.height),
                "--count",  std::to_string(count),
                "--format", format};
    }

    PsfFont font_;
    std::string input_;
};

TEST_P(ExportFont, PsfHeaderAndGlyphsReadBack) {
    const CliRun run = runCli(exportArgs("psf", 0, 256));
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const std::string& psf = run.out;
    ASSERT_GE(psf.size(), 32u);
    EXPECT_EQ(le32(psf, 0), 0x864AB572u);
    EXPECT_EQ(le32(psf, 4), 0u);   // version
    EXPECT_EQ(le32(psf, 8), 32u);  // header size
    EXPECT_EQ(le32(psf, 12), 0u);  // no Unicode table
    EXPECT_EQ(le32(psf, 16), 256u);
    EXPECT_EQ(le32(psf, 20), static_cast<uint32_t>(font_.row_bytes * font_.height));
    EXPECT_EQ(le32(psf, 24), static_cast<uint32_t>(font_.height));
    EXPECT_EQ(le32(psf, 28), static_cast<uint32_t>(8 * font_.row_bytes));
    EXPECT_EQ(psf.size(), 32 + static_cast<size_t>(256 * font_.row_bytes * font_.height));
    EXPECT_TRUE(psf.substr(32) == glyphs(0, 256)) << "glyph bits differ";
}

TEST_P(ExportFont, BdfGlyphsAsFreeTypeReadsThem) {
    const int first = 0x20;
    auto args = exportArgs("bdf", first, 95);
    args.insert(args.end(), {"--first", "0x20", "-o", path("font.bdf")});
    const CliRun run = runCli(args);
    ASSERT_EQ(run.exit_code, 0) << describe(run);

    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, path("font.bdf").c_str(), 0, &face), 0) << "FreeType refuses the BDF";
    EXPECT_EQ(face->num_glyphs, 95 + 1);  // FreeType adds a .notdef glyph of its own
    EXPECT_TRUE(FT_IS_FIXED_WIDTH(face));
    ASSERT_EQ(face->num_fixed_sizes, 1);
    EXPECT_EQ(face->available_sizes[0].height, font_.height);
    ASSERT_EQ(FT_Select_Charmap(face, FT_ENCODING_UNICODE), 0);
    const int rowBytes = font_.row_bytes;
    for (int n = 0; n < 95; ++n) {
        ASSERT_EQ(FT_Load_Char(face, static_cast<FT_ULong>(first + n), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO),
                  0)
            << "code " << first + n;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        ASSERT_EQ(static_cast<int>(bitmap.rows), font_.height);
        ASSERT_EQ(static_cast<int>(bitmap.width), 8 * font_.row_bytes);
        ASSERT_EQ(bitmap.pixel_mode, FT_PIXEL_MODE_MONO);
        const std::string want = glyphs(first + n, 1);
        for (int y = 0; y < font_.height; ++y) {
            const std::string row(reinterpret_cast<const char*>(bitmap.buffer + y * bitmap.pitch),
                                  static_cast<size_t>(rowBytes));
            ASSERT_EQ(row, want.substr(static_cast<size_t>(y * rowBytes), static_cast<size_t>(rowBytes)))
                << "code " << first + n << " row " << y;
        }
    }
    EXPECT_EQ(FT_Get_Char_Index(face, first - 1), 0u) << "no glyph below --first";
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

TEST_P(ExportFont, CArrayCompilesToTheSameBytes) {
    auto args = exportArgs("c", 1, 40);
    args.insert(args.end(), {"--name", "glyphs", "-o", path("glyphs.c")});
    const CliRun run = runCli(args);
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    writeFile(
        path("main.c"),
        "#include <stdio.h>\n#include \"glyphs.c\"\n"
        "int main(void) { return fwrite(glyphs, 1, sizeof glyphs, stdout) == sizeof glyphs ? 0 : 1; }\n");
    const std::string build = "cc -std=c99 -Wall -Wextra -Werror -pedantic -o " + path("dump") + " " +
                              path("main.c") + " 2>" + path("cc.log");
    ASSERT_EQ(std::system(build.c_str()), 0) << contentsOf(path("cc.log"));
    ASSERT_EQ(std::system((path("dump") + " >" + path("dumped.bin")).c_str()), 0);
    EXPECT_TRUE(contentsOf(path("dumped.bin")) == glyphs(1, 40)) << "compiled bytes differ";

    // One line per row, drawn in its comment.
    const std::string source = contentsOf(path("glyphs.c"));
    const std::string first = glyphs(1, 1);
    std::string art;
    for (int j = 0; j < font_.row_bytes; ++j) {
        for (int k = 7; k >= 0; --k)
            art += (static_cast<uint8_t>(first[static_cast<size_t>(j)]) >> k & 1) ? '#' : '.';
    }
    EXPECT_NE(source.find(" /* " + art + " */\n"), std::string::npos) << source.substr(0, 400);
}

TEST_P(ExportFont, AssemblerBytesAndArt) {
    const CliRun run = runCli(exportArgs("asm", 65, 3));
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const std::regex line(R"(^\s+\.byte ((?:%[01]{8},?)+) ; ([#.]+)$)");
    std::istringstream text(run.out);
    std::string got;
    int rows = 0;
    for (std::string l; std::getline(text, l);) {
        std::smatch m;
        if (!std::regex_match(l, m, line)) {
            EXPECT_TRUE(l.starts_with(";") || l.ends_with(":")) << "unexpected line: " << l;
            continue;
        }
        ++rows;
        std::string bits;
        for (const char c : m[1].str()) {
            if (c == '0' || c == '1') bits += c;
        }
        std::string art = m[2].str();
        std::replace(art.begin(), art.end(), '#', '1');
        std::replace(art.begin(), art.end(), '.', '0');
        EXPECT_EQ(bits, art) << l;
        for (size_t i = 0; i + 8 <= bits.size(); i += 8) {
            got += static_cast<char>(std::stoi(bits.substr(i, 8), nullptr, 2));
        }
    }
    EXPECT_EQ(rows, 3 * font_.height);
    EXPECT_TRUE(got == glyphs(65, 3));
}

TEST_P(ExportFont, PbmHasTheCellsSideBySide) {
    const CliRun run = runCli(exportArgs("pbm", 48, 10));
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const DecodedPicture picture = decodePbm(run.out);
    const int cellWidth = 8 * font_.row_bytes;
    ASSERT_EQ(picture.width, 10 * cellWidth);
    ASSERT_EQ(picture.height, font_.height);
    for (int n = 0; n < 10; ++n) {
        const std::string glyph = glyphs(48 + n, 1);
        for (int y = 0; y < font_.height; ++y) {
            for (int x = 0; x < cellWidth; ++x) {
                const auto byte =
                    static_cast<uint8_t>(glyph[static_cast<size_t>(y * font_.row_bytes + x / 8)]);
                ASSERT_EQ(picture.at(n * cellWidth + x, y), static_cast<uint32_t>(byte >> (7 - x % 8) & 1))
                    << "cell " << n << " (" << x << ", " << y << ")";
            }
        }
    }
}

// An 8-pixel font (PSF1) and a 16-pixel one (PSF2, two bytes per row).
INSTANTIATE_TEST_SUITE_P(ConsoleFonts, ExportFont,
                         ::testing::Values("Lat15-Fixed16.psf.gz", "Lat15-Terminus32x16.psf.gz"),
                         [](const auto& p) {
                             std::string name = p.param;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The transforms apply as the view shows them: inverse, then reverse, then nibble swap.
TEST_F(CliTest, ExportTransformsAndOutputs) {
    const std::vector<uint8_t> data = realBytes(64);
    const std::string input = writeInput("data.bin", data);
    auto reference = [](uint8_t v, bool inverse, bool reverse, bool swap) {
        if (inverse) v = static_cast<uint8_t>(~v);
        if (reverse) {
            uint8_t r = 0;
            for (int k = 0; k < 8; ++k) r = static_cast<uint8_t>(r | ((v >> k & 1) << (7 - k)));
            v = r;
        }
        if (swap) v = static_cast<uint8_t>(v << 4 | v >> 4);
        return v;
    };
    for (int flags = 0; flags < 8; ++flags) {
        std::vector<std::string> args = {"export", input, "-d", "8", "-w", "2",
                                         "-H",     "4",   "-n", "3", "-f", "pbm"};
        if (flags & 1) args.push_back("--inverse");
        if (flags & 2) args.push_back("--reverse");
        if (flags & 4) args.push_back("--nibble-swap");
        const CliRun run = runCli(args);
        ASSERT_EQ(run.exit_code, 0) << describe(run);
        std::string want = "P4\n48 4\n";
        for (int y = 0; y < 4; ++y) {
            for (int n = 0; n < 3; ++n) {
                for (int j = 0; j < 2; ++j) {
                    want += static_cast<char>(reference(data[8 + static_cast<size_t>(n * 8 + y * 2 + j)],
                                                        flags & 1, flags & 2, flags & 4));
                }
            }
        }
        EXPECT_TRUE(run.out == want) << "flags " << flags;
    }
    // -o - and no -o both mean standard output; a named output holds the same bytes.
    const std::vector<std::string> base = {"export", input, "-d", "0", "-w", "1", "-H", "8", "-f", "asm"};
    const std::string plain = runCli(base).out;
    auto withOutput = base;
    withOutput.insert(withOutput.end(), {"-o", "-"});
    EXPECT_EQ(runCli(withOutput).out, plain);
    withOutput.back() = path("out.s");
    EXPECT_EQ(runCli(withOutput).out, "");
    EXPECT_EQ(contentsOf(path("out.s")), plain);
    EXPECT_NE(plain.find("data:"), std::string::npos) << "the label comes from the input's name";
}

}  // namespace
