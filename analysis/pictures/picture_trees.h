#pragma once
// One tree of the picture score: three comparisons of features (RegionFeature order) and four
// leaves, summed over the trees into the log-odds that a region is a drawing.
struct PictureTree {
    int feature[3];       // root, its left child, its right child
    double threshold[3];  // a feature below the threshold goes left
    double leaf[4];       // left-left, left-right, right-left, right-right
};
