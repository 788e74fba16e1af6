#pragma once
// The chance that a region is a drawing (a font, an icon, a sprite, a picture) rather than
// structured data (pointer and offset tables, records, runs of one value, padding, sparse
// tables), from its features by boosted shallow trees learned from labelled regions. The coefficients
// are written by scripts/train_score, which also reports the model's accuracy on files held out
// from its training (picture_model_coefficients.h says where and how they were made).
#include "analysis/pictures/region_features.h"

// 0..1.
[[nodiscard]] double drawn_probability(const RegionFeatures& features);
