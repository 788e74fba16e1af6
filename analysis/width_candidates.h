#pragma once
// Row-width suggestions for a run of bytes shown one bit per pixel.
//
// The score of a width W is the agreement between every bit and the bit W bytes further on,
// measured above what the bit density alone predicts, as a kappa statistic:
//
//     score = (agree - expected) / (1 - expected)
//
// where `agree` is the fraction of the examined bit pairs (byte i, byte i + W, both inside the
// examined part) whose bits are equal, and `expected = p1*p2 + (1-p1)*(1-p2)` is that fraction
// for unrelated bits of the same densities (p1 over the first bytes of the pairs, p2 over the
// second). 0 means no structure at that width (noise, compressed data, or too few bytes to
// judge: fewer than two rows, or a part that is all one bit value); 1 means every row equals
// the row above it. Negative agreement is reported as 0. Being a ratio, the score is comparable
// across widths and across regions of any size.
//
// A picture's multiples (2W, 3W, ...) score almost as well as W itself, since row r also
// resembles row r + 2. So the ranking never puts a multiple ahead of a width that divides it
// and scores nearly as well (at least WIDTH_MULTIPLE_RATIO of the multiple's score): such a
// multiple's reported score is lowered to just below its divisor's.
#include <cstdint>
#include <span>
#include <vector>

constexpr int MAX_ROW_WIDTH = 255;
// A divisor scoring at least this share of its multiple's score ranks ahead of it.
constexpr double WIDTH_MULTIPLE_RATIO = 0.75;

struct WidthCandidate {
    int width = 0;
    double score = 0;
};

// Every width 1..max_width (max_width is clamped to 1..MAX_ROW_WIDTH), best first; equal scores
// rank the smaller width first. `bytes` is the whole file; [begin, begin + length) is the part
// examined, clamped to the span (so a part running past the end is cut at the end). An empty
// part (after clamping) gives an empty result; a part too short for a width gives that width
// score 0. Pure: no threads, no I/O.
[[nodiscard]] std::vector<WidthCandidate> width_candidates(std::span<const uint8_t> bytes, uint64_t begin,
                                                           uint64_t length, int max_width = MAX_ROW_WIDTH);

// The unadjusted score of one width over the part, as defined above (no ranking rule applied).
[[nodiscard]] double width_score(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length, int width);
