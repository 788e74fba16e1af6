// Pattern search against the pixel-by-pixel reference, at every bit shift and in every form.
#include "analysis/find_pattern.h"

#include <gtest/gtest.h>

#include "corpus.h"
#include "reference.h"
#include "tests/support/required_package.h"

namespace {

Pattern random_pattern(int w, int h, CorpusRandom& random) {
    Pattern p{w, h, {}};
    for (int i = 0; i < w * h; ++i) p.pixels.push_back(static_cast<uint8_t>(random.next() & 1));
    return p;
}

// Writes the pattern into `bytes` at (offset, bit) as it would show in `form`.
void draw(std::vector<uint8_t>& bytes, const Pattern& p, uint64_t offset, int bit, int row, int form) {
    for (int r = 0; r < p.height; ++r)
        for (int c = 0; c < p.width; ++c) {
            const uint64_t linear =
                (offset + static_cast<uint64_t>(r * row)) * 8 + static_cast<uint64_t>(bit + c);
            uint8_t& b = bytes[linear / 8];
            int index = static_cast<int>(linear % 8);
            // Undo the form: the stored bit is where the shown bit comes from.
            int value = p.pixels[static_cast<size_t>(r * p.width + c)];
            if (form & 1) value ^= 1;
            if (form & 2) index = 7 - index;
            if (form & 4) index = (index + 4) % 8;
            const uint8_t mask = static_cast<uint8_t>(0x80 >> index);
            b = value ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
        }
}

}  // namespace

TEST(FindPattern, EveryShiftAndFormIsFoundWhereDrawn) {
    CorpusRandom random(11);
    for (int form = 0; form < PATTERN_FORM_COUNT; ++form)
        for (int bit = 0; bit < 8; ++bit) {
            const int row = 3;
            const Pattern p = random_pattern(13, 5, random);
            std::vector<uint8_t> bytes(200, 0);
            for (auto& b : bytes) b = static_cast<uint8_t>(random.next());
            const uint64_t offset = 40 + static_cast<uint64_t>(form * 8 + bit);
            draw(bytes, p, offset, bit, row, form);
            FindOptions options;
            options.row_width = row;
            options.all_forms = true;
            const auto hits = find_pattern(bytes, p, options);
            EXPECT_NE(std::find(hits.begin(), hits.end(),
                                PatternHit{offset, bit, 0, static_cast<PatternForm>(form)}),
                      hits.end())
                << "form " << pattern_form_name(static_cast<PatternForm>(form)) << " bit " << bit;
            EXPECT_EQ(hits, reference_find(bytes, p, options));
        }
}

TEST(FindPattern, MatchesTheReferenceWithErrorsWidePatternsAndLimits) {
    CorpusRandom random(5);
    struct Case {
        int w, h, row, max_errors;
        bool all_forms;
    };
    for (const Case c :
         {Case{1, 1, 1, 0, false}, Case{8, 2, 1, 0, true}, Case{5, 3, 2, 1, true}, Case{9, 4, 2, 2, false},
          Case{70, 2, 10, 3, true}, Case{130, 2, 17, 5, false}, Case{16, 16, 2, 40, false}}) {
        const Pattern p = random_pattern(c.w, c.h, random);
        // Low-entropy data, so that near-misses are common.
        std::vector<uint8_t> bytes(300);
        for (auto& b : bytes) b = static_cast<uint8_t>(random.next() % 3 == 0 ? random.next() : 0);
        draw(bytes, p, 17, 3 % (8 * c.row - c.w + 1), c.row, 0);
        FindOptions options;
        options.row_width = c.row;
        options.max_errors = c.max_errors;
        options.all_forms = c.all_forms;
        options.max_hits = 1000000;
        const auto want = reference_find(bytes, p, options);
        EXPECT_EQ(find_pattern(bytes, p, options), want) << c.w << "x" << c.h << " at width " << c.row;
        // A part: hits start in [begin, end), patterns may run past end.
        options.begin = 10;
        options.end = 120;
        std::vector<PatternHit> inside;
        for (const auto& hit : want)
            if (hit.offset >= 10 && hit.offset < 120) inside.push_back(hit);
        EXPECT_EQ(find_pattern(bytes, p, options), inside);
        // The first max_hits in order.
        options.begin = 0;
        options.end = UINT64_MAX;
        options.max_hits = 3;
        const auto few = find_pattern(bytes, p, options);
        EXPECT_EQ(few,
                  std::vector<PatternHit>(want.begin(), want.begin() + std::min<size_t>(3, want.size())));
    }
}

TEST(FindPattern, NothingForBadPatternsWidthsAndTinyData) {
    const Pattern dot{1, 1, {1}};
    const std::vector<uint8_t> ones(10, 0xFF);
    FindOptions options;
    EXPECT_TRUE(find_pattern({}, dot, options).empty());
    EXPECT_TRUE(find_pattern(ones, Pattern{}, options).empty());
    EXPECT_TRUE(find_pattern(ones, Pattern{2, 2, {1, 1, 1}}, options).empty());  // pixel count wrong
    EXPECT_TRUE(
        find_pattern(ones, Pattern{9, 1, std::vector<uint8_t>(9, 1)}, options).empty());  // wider than a row
    options.row_width = 0;
    EXPECT_TRUE(find_pattern(ones, dot, options).empty());
    options.row_width = 256;
    EXPECT_TRUE(find_pattern(ones, dot, options).empty());
    options.row_width = 1;
    options.begin = 10;
    EXPECT_TRUE(find_pattern(ones, dot, options).empty());
    // The last byte of the data: all eight bits, nothing beyond.
    options.begin = 9;
    EXPECT_EQ(find_pattern(ones, dot, options).size(), 8u);
    // A tall pattern needs its last row inside the data.
    options.begin = 0;
    EXPECT_EQ(find_pattern(ones, Pattern{1, 10, std::vector<uint8_t>(10, 1)}, options).size(), 8u);
    EXPECT_TRUE(find_pattern(ones, Pattern{1, 11, std::vector<uint8_t>(11, 1)}, options).empty());
    // Negative errors count as none.
    options.max_errors = -5;
    EXPECT_EQ(find_pattern(std::vector<uint8_t>{0x80}, dot, options).size(), 1u);
    EXPECT_STREQ(pattern_form_name(PatternForm::InvertedReversedNibbleSwapped),
                 "inverted+reversed+nibble-swapped");
    EXPECT_STREQ(pattern_form_name(PatternForm::NibbleSwapped), "nibble-swapped");
}

TEST(FindPattern, FindsARealGlyphInTheBiosImage) {
    const auto image = read_bytes("/usr/share/seabios/vgabios-stdvga.bin");
    REQUIRE_PACKAGE(image, "seabios", "no vgabios-stdvga.bin");
    const auto fonts = vga_bios_fonts(*image, "vgabios");
    ASSERT_FALSE(fonts.empty());
    // The letter 'A' of the 8x16 font drawn as text, found at width 1 where the font has it.
    const auto pattern = Pattern{8, 7, {0, 0, 0, 1, 0, 0, 0, 0,  //
                                        0, 0, 1, 1, 1, 0, 0, 0,  //
                                        0, 1, 1, 0, 1, 1, 0, 0,  //
                                        1, 1, 0, 0, 0, 1, 1, 0,  //
                                        1, 1, 0, 0, 0, 1, 1, 0,  //
                                        1, 1, 1, 1, 1, 1, 1, 0,  //
                                        1, 1, 0, 0, 0, 1, 1, 0}};
    FindOptions options;
    const auto hits = find_pattern(*image, pattern, options);
    int checked = 0;
    for (const auto& f : fonts) {
        const uint64_t height = f.picture.bytes.size() / 256;
        if (height < 14) continue;  // the 8x8 'A' is drawn differently
        // Rows 2 to 8 of glyph 0x41.
        const PatternHit want{f.offset + 0x41 * height + 2, 0, 0, PatternForm::Plain};
        EXPECT_NE(std::find(hits.begin(), hits.end(), want), hits.end()) << f.picture.name;
        ++checked;
    }
    EXPECT_GE(checked, 2);
}
