// The column agreement and row prediction kernels against their pixel-by-pixel references, on the
// part sizes and widths the scan uses, odd lengths, parts cut off by the end of the data, and
// long parts whose counts outgrow the kernels' small counters.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "analysis/column_agreement.h"
#include "analysis/row_prediction.h"
#include "reference.h"

namespace {

// Noise, a slowly changing picture, a constant run and this program's own machine code: every
// kind of part the scan meets, and both low and high scores.
std::vector<uint8_t> mixed_bytes(uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<uint8_t> bytes(6000);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    for (size_t i = 1500; i < 3000; ++i)
        bytes[i] = static_cast<uint8_t>(bytes[i - 9] ^ (random() % 17 == 0 ? 1u << (random() % 8) : 0u));
    std::fill(bytes.begin() + 3000, bytes.begin() + 3600, uint8_t{0xFF});
    std::ifstream self("/proc/self/exe", std::ios::binary);
    std::vector<uint8_t> code((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
    if (code.size() > 8192) std::copy(code.begin() + 4096, code.begin() + 4096 + 2400, bytes.begin() + 3600);
    return bytes;
}

void expect_same_column_agreement(const std::vector<uint8_t>& bytes, uint64_t begin, uint64_t length,
                                  int width) {
    const ColumnAgreement got = column_agreement_detail(bytes, begin, length, width);
    const ColumnAgreement want = reference_column_agreement(bytes, begin, length, width);
    // Equal to the last bit: the scan compares these with fixed thresholds.
    EXPECT_EQ(got.score, want.score) << "begin " << begin << " length " << length << " width " << width;
    EXPECT_EQ(got.weakest_byte_column, want.weakest_byte_column)
        << "begin " << begin << " length " << length << " width " << width;
}

}  // namespace

TEST(AnalysisKernels, ColumnAgreementEqualsItsReferenceOnScanShapes) {
    for (uint64_t seed = 1; seed <= 2; ++seed) {
        const auto bytes = mixed_bytes(seed);
        for (uint64_t length : {128, 256, 512, 2048, 127, 129, 1001})
            for (int width :
                 {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 24, 31, 32, 33, 48, 63, 64, 65, 100, 255, 256, 300})
                for (uint64_t begin : {uint64_t{0}, 1400 + seed, 2990 + seed, 3550 + seed,
                                       bytes.size() - length, bytes.size() - length / 2})
                    expect_same_column_agreement(bytes, begin, length, width);
    }
}

TEST(AnalysisKernels, ColumnAgreementCountsOutgrowingSmallCounters) {
    // Thousands of rows: every counter lane fills many times over. Full bytes, rows that flip
    // every bit, and mixed content.
    std::vector<uint8_t> full(20000, 0xFF), flipping(20000);
    for (size_t i = 0; i < flipping.size(); ++i) flipping[i] = (i / 16) % 2 ? 0xFF : 0x00;
    for (int width : {1, 2, 8, 16, 33})
        for (const auto* bytes : {&full, &flipping}) expect_same_column_agreement(*bytes, 3, 19990, width);
    const auto bytes = mixed_bytes(3);
    for (int width : {1, 3, 16, 40, 255, 400}) expect_same_column_agreement(bytes, 5, 5990, width);
    // Rows that each differ from the next in every bit fill the differing-bit lanes fastest.
    std::vector<uint8_t> alternating(4096);
    for (size_t i = 0; i < alternating.size(); ++i) alternating[i] = (i / 4) % 2 ? 0xFF : 0x00;
    for (int width : {1, 2, 4}) expect_same_column_agreement(alternating, 0, alternating.size(), width);
}

TEST(AnalysisKernels, ColumnAgreementOfDegenerateParts) {
    const auto bytes = mixed_bytes(4);
    for (int width : {0, -3}) EXPECT_EQ(column_agreement(bytes, 0, 512, width), 0.0);
    EXPECT_EQ(column_agreement(bytes, bytes.size(), 512, 4), 0.0);
    EXPECT_EQ(column_agreement(bytes, bytes.size() + 100, 512, 4), 0.0);
    EXPECT_EQ(column_agreement(bytes, bytes.size() - 7, 512, 4), 0.0);  // one row left
    expect_same_column_agreement(bytes, bytes.size() - 8, 512, 4);      // two rows left
}

TEST(AnalysisKernels, RowPredictionMatchesItsReferenceOnScanShapes) {
    for (uint64_t seed = 1; seed <= 2; ++seed) {
        const auto bytes = mixed_bytes(seed);
        for (uint64_t length : {384, 128, 129, 383, 77, 1100})
            for (int width : {1, 2, 3, 7, 8, 9, 16, 17, 31, 33, 64, 191, 192, 193})
                for (uint64_t begin : {uint64_t{0}, 1450 + seed, 2995 + seed, 3500 + seed,
                                       bytes.size() - length, bytes.size() - length / 2 - 1}) {
                    const double got = row_prediction_score(bytes, begin, length, width);
                    const uint64_t clamped = std::min<uint64_t>(length, bytes.size() - begin);
                    EXPECT_NEAR(got, reference_row_prediction(bytes, begin, clamped, width), 1e-12)
                        << "begin " << begin << " length " << length << " width " << width;
                }
    }
    const auto bytes = mixed_bytes(5);
    EXPECT_EQ(row_prediction_score(bytes, bytes.size(), 384, 4), 0.0);
    EXPECT_EQ(row_prediction_score(bytes, 0, 384, 0), 0.0);
    EXPECT_EQ(row_prediction_score(bytes, bytes.size() - 7, 384, 4), 0.0);  // one row left
}
