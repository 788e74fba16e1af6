#pragma once
// How well the row above predicts each pixel of a run of bytes shown at a given width.
//
// Every pixel is coded with an adaptive binary model (Krichevsky-Trofimov) in two ways: knowing
// only its left neighbour, and knowing its left neighbour and the three pixels above it
// (above-left, above, above-right). The score is the share of the first code length that the
// second saves:
//
//     score = 1 - bits(left + above) / bits(left)
//
// so 0 means the row above tells nothing (noise, code, a wrong width) and 1 means every pixel
// follows from its neighbours. Because the code lengths include the cost of learning the model,
// small samples are not flattered, and the pixels above-left and above-right let dithered fills
// and one-pixel slants count as structure. This is slower than the agreement statistic of
// width_candidates.h, so it is used to rank the few widths that statistic proposes.
#include <cstdint>
#include <span>

// The score of `width` over bytes [begin, begin + length) of `bytes` (clamped to the span); the
// pixels of the first row of the part have no row above and are not coded. 0 for parts shorter
// than two rows or a width below 1.
[[nodiscard]] double row_prediction_score(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length,
                                          int width);
