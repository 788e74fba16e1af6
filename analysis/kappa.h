#pragma once
// The agreement statistic shared by the width ranking and the region scan.
#include <cstdint>

// Agreement between paired bits above what their densities predict, scaled so that 0 is chance
// and 1 is perfect agreement; negative values and undecidable cases (no pairs, or both sides all
// one value) give 0. `pairs` bit pairs of which `agreeing` are equal; `ones_first` and
// `ones_second` are the set bits among the first and among the second members.
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
