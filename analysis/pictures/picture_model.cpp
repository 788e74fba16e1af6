#include "analysis/pictures/picture_model.h"

#include <cmath>

#include "analysis/pictures/picture_model_coefficients.h"

double drawn_probability(const RegionFeatures& features) {
    double z = picture_model::BIAS;
    for (const PictureTree& tree : picture_model::TREES) {
        const int side = features[static_cast<size_t>(tree.feature[0])] < tree.threshold[0] ? 1 : 2;
        const int leaf = features[static_cast<size_t>(tree.feature[side])] < tree.threshold[side] ? 0 : 1;
        z += tree.leaf[2 * (side - 1) + leaf];
    }
    return 1 / (1 + std::exp(-z));
}
