// The bit counting, column agreement and row prediction kernels against their pixel-by-pixel
// references, on the part sizes and widths the scan uses, odd lengths, parts cut off by the end of
// the data, and long parts whose counts outgrow the kernels' small counters: on every instruction
// set level the processor has.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <fstream>
#include <random>
#include <vector>

#include "analysis/bit_count.h"
#include "analysis/column_agreement.h"
#include "analysis/row_prediction.h"
#include "analysis/scan/byte_traits.h"
#include "reference.h"
#include "tests/support/instruction_levels.h"

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
    std::vector<char> code(4096 + 2400);
    if (self.read(code.data(), static_cast<std::streamsize>(code.size())))
        std::copy(code.begin() + 4096, code.end(), bytes.begin() + 3600);
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

class AnalysisKernels : public OnEachInstructionSet {};
PIXELSIEVE_ON_EACH_INSTRUCTION_SET(AnalysisKernels);

}  // namespace

TEST_P(AnalysisKernels, BitCountsEqualByteByByteCounts) {
    const auto bytes = mixed_bytes(6);
    auto bits = [](uint8_t b) { return static_cast<uint64_t>(std::bitset<8>(b).count()); };
    for (size_t n : {0, 1, 7, 8, 31, 32, 33, 64, 100, 1000}) {
        uint64_t ones = 0, differing = 0;
        for (size_t i = 0; i < n; ++i) {
            ones += bits(bytes[i]);
            differing += bits(static_cast<uint8_t>(bytes[i] ^ bytes[i + 9]));
        }
        EXPECT_EQ(count_bits(bytes.data(), n), ones) << n;
        EXPECT_EQ(count_differing_bits(bytes.data(), bytes.data() + 9, n), differing) << n;
    }
    // Shifted differences of whole and short cells; widths above SAMPLED_FROM_WIDTH of a whole
    // cell count its first 16 bytes, four times over.
    for (size_t start : {size_t{1500}, size_t{3000}, size_t{3700}})
        for (size_t n : {size_t{64}, size_t{40}}) {
            std::vector<uint32_t> base(255, 7), out(255);
            count_shifted_differences(bytes.data() + start, n, 255, base.data(), out.data());
            for (int w = 1; w <= 255; ++w) {
                const size_t counted = n == 64 && w > SAMPLED_FROM_WIDTH ? 16 : n;
                uint64_t want = 0;
                for (size_t i = 0; i < counted; ++i)
                    want += bits(
                        static_cast<uint8_t>(bytes[start + i] ^ bytes[start + i + static_cast<size_t>(w)]));
                EXPECT_EQ(out[static_cast<size_t>(w - 1)], 7 + want * (n / counted))
                    << start << " " << n << " " << w;
            }
        }
}

TEST_P(AnalysisKernels, ByteTraitsOfCellsAndShortRuns) {
    const auto bytes = mixed_bytes(7);
    for (size_t start : {size_t{0}, size_t{1500}, size_t{3000}, size_t{3700}})
        for (uint64_t n : {64, 63, 17, 1}) {
            ByteTraits got;
            got.add(bytes.data() + start, n);
            ByteTraits want;
            for (size_t i = start; i < start + n; ++i) {
                const unsigned b = bytes[i];
                want.nonzero += b != 0;
                want.printable += b >= 0x20 && b < 0x7F;
                for (int k = 0; k < 8; ++k) want.ones[k] += (b >> k) & 1;
                for (int k = 0; k < 7; ++k) want.equal[k] += ((b >> k) & 1) == ((b >> (k + 1)) & 1);
            }
            EXPECT_EQ(got.nonzero, want.nonzero) << start << " " << n;
            EXPECT_EQ(got.printable, want.printable) << start << " " << n;
            EXPECT_TRUE(std::equal(got.ones, got.ones + 8, want.ones)) << start << " " << n;
            EXPECT_TRUE(std::equal(got.equal, got.equal + 7, want.equal)) << start << " " << n;
        }
}

TEST_P(AnalysisKernels, ColumnAgreementEqualsItsReferenceOnScanShapes) {
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

TEST_P(AnalysisKernels, ColumnAgreementCountsOutgrowingSmallCounters) {
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

TEST_P(AnalysisKernels, ColumnAgreementOfDegenerateParts) {
    const auto bytes = mixed_bytes(4);
    for (int width : {0, -3}) EXPECT_EQ(column_agreement_detail(bytes, 0, 512, width).score, 0.0);
    EXPECT_EQ(column_agreement_detail(bytes, bytes.size(), 512, 4).score, 0.0);
    EXPECT_EQ(column_agreement_detail(bytes, bytes.size() + 100, 512, 4).score, 0.0);
    EXPECT_EQ(column_agreement_detail(bytes, bytes.size() - 7, 512, 4).score, 0.0);  // one row left
    expect_same_column_agreement(bytes, bytes.size() - 8, 512, 4);                   // two rows left
}

TEST_P(AnalysisKernels, RowPredictionMatchesItsReferenceOnScanShapes) {
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
