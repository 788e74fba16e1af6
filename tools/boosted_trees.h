#pragma once
// Gradient-boosted trees of depth two for a yes/no label, fitted by Newton steps on the logistic
// loss with the two classes weighted to count alike. Small enough to read: a few hundred trees of
// three comparisons each.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

struct StumpTree {
    int feature[3] = {0, 0, 0};  // root, its left child, its right child
    double threshold[3] = {0, 0, 0};
    double leaf[4] = {0, 0, 0, 0};  // left-left, left-right, right-left, right-right

    template <size_t N>
    [[nodiscard]] double value(const std::array<double, N>& x) const {
        const int left = x[static_cast<size_t>(feature[0])] < threshold[0] ? 1 : 2;
        const int side = x[static_cast<size_t>(feature[left])] < threshold[left] ? 0 : 1;
        return leaf[2 * (left - 1) + side];
    }
};

template <size_t N>
struct BoostedModel {
    double bias = 0;
    std::vector<StumpTree> trees;
    [[nodiscard]] double probability(const std::array<double, N>& x) const {
        double z = bias;
        for (const StumpTree& t : trees) z += t.value(x);
        return 1 / (1 + std::exp(-z));
    }
};

namespace boosting_detail {

struct Split {
    int feature = -1;
    double threshold = 0, gain = 0;
};

// The best split of the rows `rows` by one feature among its quantile thresholds: the one that
// lowers the second-order loss most.
template <size_t N>
Split best_split(const std::vector<std::array<double, N>>& xs, const std::vector<double>& g,
                 const std::vector<double>& h, const std::vector<size_t>& rows,
                 const std::vector<std::vector<double>>& cuts, double lambda) {
    Split best;
    double g_all = 0, h_all = 0;
    for (size_t r : rows) {
        g_all += g[r];
        h_all += h[r];
    }
    const double base = g_all * g_all / (h_all + lambda);
    for (size_t f = 0; f < N; ++f)
        for (double t : cuts[f]) {
            double gl = 0, hl = 0;
            for (size_t r : rows)
                if (xs[r][f] < t) {
                    gl += g[r];
                    hl += h[r];
                }
            const double gr = g_all - gl, hr = h_all - hl;
            if (hl < 1 || hr < 1) continue;
            const double gain = gl * gl / (hl + lambda) + gr * gr / (hr + lambda) - base;
            if (gain > best.gain) best = {static_cast<int>(f), t, gain};
        }
    return best;
}

}  // namespace boosting_detail

template <size_t N>
BoostedModel<N> fit_boosted(const std::vector<std::array<double, N>>& xs, const std::vector<int>& ys,
                            int rounds, double rate, double lambda) {
    using namespace boosting_detail;
    BoostedModel<N> m;
    const size_t n = xs.size();
    size_t positives = 0;
    for (int y : ys) positives += y == 1;
    const double w_pos = 0.5 * static_cast<double>(n) / static_cast<double>(std::max<size_t>(positives, 1));
    const double w_neg =
        0.5 * static_cast<double>(n) / static_cast<double>(std::max<size_t>(n - positives, 1));
    // Thresholds: midpoints between 32 quantiles of each feature.
    std::vector<std::vector<double>> cuts(N);
    for (size_t f = 0; f < N; ++f) {
        std::vector<double> v;
        for (const auto& x : xs) v.push_back(x[f]);
        std::sort(v.begin(), v.end());
        for (int q = 1; q < 32; ++q) {
            const double t = v[v.size() * static_cast<size_t>(q) / 32];
            if (cuts[f].empty() || t > cuts[f].back()) cuts[f].push_back(t);
        }
    }
    std::vector<double> z(n, 0), g(n), h(n);
    std::vector<size_t> all(n);
    for (size_t i = 0; i < n; ++i) all[i] = i;
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < n; ++i) {
            const double p = 1 / (1 + std::exp(-z[i]));
            const double w = ys[i] == 1 ? w_pos : w_neg;
            g[i] = w * (ys[i] - p);
            h[i] = w * p * (1 - p);
        }
        StumpTree tree;
        const Split root = best_split(xs, g, h, all, cuts, lambda);
        if (root.feature < 0) break;
        tree.feature[0] = root.feature;
        tree.threshold[0] = root.threshold;
        std::vector<size_t> sides[2];
        for (size_t i : all)
            sides[xs[i][static_cast<size_t>(root.feature)] < root.threshold ? 0 : 1].push_back(i);
        for (int s = 0; s < 2; ++s) {
            const Split child = best_split(xs, g, h, sides[s], cuts, lambda);
            tree.feature[s + 1] = child.feature < 0 ? root.feature : child.feature;
            tree.threshold[s + 1] = child.feature < 0 ? -1e300 : child.threshold;
            double gs[2] = {0, 0}, hs[2] = {0, 0};
            for (size_t i : sides[s]) {
                const int leaf =
                    xs[i][static_cast<size_t>(tree.feature[s + 1])] < tree.threshold[s + 1] ? 0 : 1;
                gs[leaf] += g[i];
                hs[leaf] += h[i];
            }
            for (int l = 0; l < 2; ++l) tree.leaf[2 * s + l] = rate * gs[l] / (hs[l] + lambda);
        }
        for (size_t i = 0; i < n; ++i) z[i] += tree.value(xs[i]);
        m.trees.push_back(tree);
    }
    return m;
}
