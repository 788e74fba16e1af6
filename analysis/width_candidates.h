#pragma once
// Row-width suggestions for a run of bytes shown one bit per pixel.
//
// Two measures are involved; both are 0 for no structure and 1 for fully predictable rows, and
// both are ratios, so they compare across widths and across regions of any size.
//
// The agreement score is a kappa statistic (kappa.h): the share of bits equal to the bit
// W bytes further on, above what the bit densities alone predict:
//     (agree - expected) / (1 - expected),  expected = p1*p2 + (1-p1)*(1-p2)
// with p1, p2 the densities of the first and second members of the pairs; negative values and
// parts of one bit value give 0. It is computed for every width in one fast pass.
//
// The score reported for a candidate is the row prediction score (row_prediction.h): the share of
// a pixel's code length, given its left neighbour, that knowing the three pixels above it saves.
// It tells a picture's width from its multiples and from neighbouring widths better than the
// agreement does (dithered fills and thin slanted strokes agree poorly straight down but are
// predicted well from above-left and above-right), but costs more, so it is computed for the
// WIDTH_SHORTLIST widths of best agreement and every divisor of those, over at most 8 KiB of the
// part (where the agreement at the best width is highest). Every other width is
// ranked after them, by agreement, with its agreement as score but capped just below the lowest
// shortlisted score so that the list stays sorted.
//
// A picture's multiples (2W, 3W, ...) score almost as well as W itself, since row r also
// resembles row r + 2. So a multiple never ranks ahead of a divisor that scores nearly as well:
// at least WIDTH_MULTIPLE_RATIO of the multiple's score (WIDTH_ONE_RATIO for the divisor 1,
// which compares neighbouring bytes of the same row of a wide picture, and those agree nearly as
// well as rows do). Such a multiple's score is lowered to just below its divisor's.
#include <cstdint>
#include <span>
#include <vector>

#include "common/row_width.h"

constexpr int WIDTH_SHORTLIST = 8;
constexpr double WIDTH_MULTIPLE_RATIO = 0.7;
constexpr double WIDTH_ONE_RATIO = 0.98;

struct WidthCandidate {
    int width = 0;
    double score = 0;
};

// Every width 1..max_width (max_width is clamped to 1..MAX_ROW_WIDTH), best first; equal scores
// rank the smaller width first. `bytes` is the whole file; [begin, begin + length) is the part
// examined, clamped to the span (so a part running past the end is cut at the end). An empty
// part (after clamping) gives an empty result; a width with fewer than two rows in the part
// scores 0. Pure: no threads, no I/O.
[[nodiscard]] std::vector<WidthCandidate> width_candidates(std::span<const uint8_t> bytes, uint64_t begin,
                                                           uint64_t length, int max_width = MAX_ROW_WIDTH);
