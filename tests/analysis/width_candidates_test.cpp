// Width suggestions: accuracy on the labelled corpus of real pictures, the rule for multiples,
// the kernels against their brute-force references, and the edges of the examined part.
#include "analysis/width_candidates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "analysis/row_prediction.h"
#include "corpus.h"
#include "reference.h"
#include "tests/support/required_package.h"

namespace {

int rank_of(const std::vector<WidthCandidate>& list, int width) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].width == width) return static_cast<int>(i) + 1;
    return 0;
}

std::vector<uint8_t> random_bytes(size_t n, uint64_t seed) {
    CorpusRandom random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<uint8_t>(random.next());
    return bytes;
}

}  // namespace

TEST(WidthCandidates, RealPicturesRankTheirTrueWidthFirst) {
    std::vector<std::string> missing;
    const auto corpus = width_corpus(&missing);
    for (const auto& m : missing) std::printf("  (not installed: %s)\n", m.c_str());
    REQUIRE_PACKAGE(corpus.size() >= 50, "console-setup-linux, xbitmaps, seabios and adwaita-icon-theme",
                    first_missing(missing));

    int first = 0, top3 = 0;
    for (const auto& picture : corpus) {
        const auto list = width_candidates(picture.bytes, 0, picture.bytes.size());
        const int rank = rank_of(list, picture.width);
        first += rank == 1;
        top3 += rank >= 1 && rank <= 3;
        EXPECT_TRUE(rank >= 1 && rank <= 3) << picture.name << ": true width " << picture.width << " ranked "
                                            << rank << ", first " << list[0].width;
    }
    const double share_first = 100.0 * first / static_cast<double>(corpus.size());
    std::printf("  width corpus: %zu pictures, true width first in %d (%.1f%%), in the top 3 in %d\n",
                corpus.size(), first, share_first, top3);
    EXPECT_GE(share_first, 92.0);
}

TEST(WidthCandidates, MultiplesNeverRankAboveTheFundamental) {
    std::vector<std::string> missing;
    const auto corpus = width_corpus(&missing);
    REQUIRE_PACKAGE(!corpus.empty(), "console-setup-linux, xbitmaps, seabios and adwaita-icon-theme",
                    first_missing(missing));
    for (const auto& picture : corpus) {
        const auto list = width_candidates(picture.bytes, 0, picture.bytes.size());
        const int fundamental = rank_of(list, picture.width);
        for (int m = 2 * picture.width; m <= MAX_ROW_WIDTH; m += picture.width)
            EXPECT_GT(rank_of(list, m), fundamental) << picture.name << ": multiple " << m;
    }
}

TEST(WidthCandidates, FontInsideCodeGivesWidthOne) {
    // An 8x16 font followed by real code: the next 64 KiB from its first byte, as the window
    // takes them.
    const auto image = read_bytes("/usr/share/seabios/vgabios-stdvga.bin");
    REQUIRE_PACKAGE(image, "seabios", "no vgabios-stdvga.bin");
    const auto fonts = vga_bios_fonts(*image, "vgabios");
    ASSERT_FALSE(fonts.empty());
    std::vector<std::string> missing;
    std::vector<uint8_t> data = machine_code(64 * 1024, &missing);
    REQUIRE_PACKAGE(data.size() >= 64 * 1024,
                    "the programs and libraries of scripts/setup (cmake, qt6-base-dev, python3)",
                    first_missing(missing));
    for (const auto& font : fonts) {
        std::vector<uint8_t> host = data;
        std::copy(font.picture.bytes.begin(), font.picture.bytes.end(), host.begin() + 3000);
        const auto list = width_candidates(host, 3000, 64 * 1024);
        EXPECT_EQ(list[0].width, 1) << font.picture.name;
        EXPECT_LT(rank_of(list, 1), rank_of(list, 8));
        EXPECT_LT(rank_of(list, 1), rank_of(list, 16));
    }
}

TEST(WidthCandidates, EveryWidthOnceSortedWithScoresInRange) {
    const auto bytes = random_bytes(5000, 7);
    for (int max_width : {1, 17, 255}) {
        const auto list = width_candidates(bytes, 100, 4000, max_width);
        ASSERT_EQ(list.size(), static_cast<size_t>(max_width));
        std::vector<bool> seen(static_cast<size_t>(max_width) + 1, false);
        for (size_t i = 0; i < list.size(); ++i) {
            ASSERT_GE(list[i].width, 1);
            ASSERT_LE(list[i].width, max_width);
            EXPECT_FALSE(seen[static_cast<size_t>(list[i].width)]);
            seen[static_cast<size_t>(list[i].width)] = true;
            EXPECT_GE(list[i].score, 0.0);
            EXPECT_LE(list[i].score, 1.0);
            if (i > 0) {
                EXPECT_GE(list[i - 1].score, list[i].score);
            }
        }
    }
    EXPECT_EQ(width_candidates(bytes, 0, bytes.size(), 0).size(), 1u);
    EXPECT_EQ(width_candidates(bytes, 0, bytes.size(), 1000).size(), 255u);
    // Noise has no width worth suggesting.
    EXPECT_LT(width_candidates(bytes, 0, bytes.size())[0].score, 0.05);
}

TEST(WidthCandidates, EmptyTinyAndEndOfDataParts) {
    const auto bytes = random_bytes(300, 3);
    EXPECT_TRUE(width_candidates({}, 0, 100).empty());
    EXPECT_TRUE(width_candidates(bytes, 0, 0).empty());
    EXPECT_TRUE(width_candidates(bytes, 300, 10).empty());
    EXPECT_TRUE(width_candidates(bytes, UINT64_MAX, UINT64_MAX).empty());
    // One byte: no width has two rows, every score is 0, the order is by width.
    const auto one = width_candidates(bytes, 299, 1);
    ASSERT_EQ(one.size(), 255u);
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i].width, static_cast<int>(i) + 1);
        EXPECT_EQ(one[i].score, 0.0);
    }
    // A part running past the end is cut at the end.
    const auto cut = width_candidates(bytes, 200, UINT64_MAX);
    const auto exact = width_candidates(bytes, 200, 100);
    ASSERT_EQ(cut.size(), exact.size());
    for (size_t i = 0; i < cut.size(); ++i) {
        EXPECT_EQ(cut[i].width, exact[i].width);
        EXPECT_EQ(cut[i].score, exact[i].score);
    }
    // A picture that ends the data is still found.
    std::vector<uint8_t> tail = random_bytes(1000, 5);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 3; ++c)
            tail.push_back(static_cast<uint8_t>(c == 1 && r % 10 < 6 ? 0x3C : r % 7 == 0 ? 0xFF : 0x81));
    EXPECT_EQ(width_candidates(tail, 1000, 120)[0].width, 3);
}

TEST(WidthCandidates, KernelsMatchTheirReferences) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        // Half noise, half a smooth picture, so both low and high values are checked.
        std::vector<uint8_t> bytes = random_bytes(700, seed);
        for (size_t i = 350; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(bytes[i - 5] ^ (seed * i % 13 == 0 ? 0x10 : 0));
        for (int width : {1, 2, 5, 8, 13, 64, 255, 349, 350}) {
            const uint64_t begin = seed * 7, length = 700 - seed * 11;
            EXPECT_NEAR(row_prediction_score(bytes, begin, length, width),
                        reference_row_prediction(bytes, begin, length, width), 1e-9)
                << "width " << width << " seed " << seed;
        }
    }
}
