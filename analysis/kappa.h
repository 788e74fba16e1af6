#pragma once
// The agreement statistic of the whole analysis (Cohen's kappa): agreement between paired bits
// beyond what their densities predict, 0 for chance and 1 for perfect agreement. The width
// ranking, the column check and every stage of the region scan measure on this scale; the three
// forms below differ only in what the caller has counted.
#include <cstdint>

// From counts: `pairs` bit pairs of which `agreeing` are equal; `ones_first` and `ones_second`
// are the set bits among the first and among the second members. Negative values and
// undecidable cases (no pairs, or both sides all one value) give 0.
[[nodiscard]] inline double kappa_score(uint64_t pairs, uint64_t agreeing, uint64_t ones_first,
                                        uint64_t ones_second) {
    if (pairs == 0) return 0;
    const double n = static_cast<double>(pairs);
    const double p1 = static_cast<double>(ones_first) / n;
    const double p2 = static_cast<double>(ones_second) / n;
    const double expected = p1 * p2 + (1 - p1) * (1 - p2);
    if (expected >= 1.0 - 1e-12) return 0;
    const double observed = static_cast<double>(agreeing) / n;
    const double k = (observed - expected) / (1 - expected);
    return k > 0 ? k : 0;
}

// From the agreeing pairs and the agreement the densities predict (summed over columns of
// different densities, say), all counted in pairs: (agreeing - expected) / (pairs - expected),
// negative values kept; 0 where nearly every pair agrees by chance alone.
[[nodiscard]] inline double kappa_of_sums(double pairs, double agreeing, double expected) {
    return pairs - expected < 1e-9 ? 0 : (agreeing - expected) / (pairs - expected);
}

// From disagreements: 1 - disagreeing / expected_disagreeing, where `expected_disagreeing` is
// what the densities predict (for pairs that share one density p: pairs x 2p(1 - p)). Negative
// values kept: the scan compares such values with each other.
[[nodiscard]] inline double kappa_from_disagreement(double disagreeing, double expected_disagreeing) {
    return 1 - disagreeing / expected_disagreeing;
}
