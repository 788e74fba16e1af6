#pragma once
// Agreement between rows measured against each bit column's own density.
//
// For rows of `width` bytes, every bit is paired with the bit straight below it. The expected
// agreement is summed column by column from the densities of that column (over the upper and
// over the lower members of its pairs), so columns that are constant or that vary at random add
// nothing: tables of fixed-size records, runs of one repeated byte and repeated padding
// instructions score 0, while drawn shapes, whose columns change slowly from row to row, score
// high. The scale is kappa's: (agree - expected) / (pairs - expected), 0 for chance or less and
// for parts where every column is constant, 1 for rows that each equal the row above.
#include <cstdint>
#include <span>

// The score over the whole rows of `width` bytes that fit in [begin, begin + length) (clamped to
// the span), 0 with fewer than two rows or a width below 1; beside it the weakest byte column's
// own score: among the byte columns (bytes j, j + width, j + 2*width, ...) with ink in at least
// one row of twenty, the lowest agreement. In a picture every inked byte column shows the shapes;
// in a table of numbers the low-order bytes vary at random beside the slowly changing high-order
// ones.
struct ColumnAgreement {
    double score = 0;
    double weakest_byte_column = 0;
};
[[nodiscard]] ColumnAgreement column_agreement_detail(std::span<const uint8_t> bytes, uint64_t begin,
                                                      uint64_t length, int width);
