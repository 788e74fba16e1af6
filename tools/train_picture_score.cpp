// Learns the picture score (analysis/pictures/picture_model.h) from labelled regions and writes
// its coefficients; reports how well it does on files held out from training. Run by
// scripts/train_score, which prepares the real files it also reads.
//
//   train_picture_score [--packages DIR] [--out HEADER] [--review TSV]
//
// The held-out figures come from five folds split by file (planted hosts, and every real file on
// its own), never by region: a fold's files, and the font faces, bitmaps and icons planted into
// them, are never seen by the model that scores them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/boosted_trees.h"
#include "tools/score_dataset.h"

namespace {

constexpr size_t FOLDS = 5;
constexpr int ROUNDS = 300;
constexpr double RATE = 0.1, LAMBDA = 1.0;
using Model = BoostedModel<REGION_FEATURE_COUNT>;

struct Options {
    std::string packages, out, review;
};

Model fit(const std::vector<Example>& examples, const std::function<bool(const Example&)>& use) {
    std::vector<RegionFeatures> xs;
    std::vector<int> ys;
    for (const Example& e : examples)
        if (use(e)) {
            xs.push_back(e.features);
            ys.push_back(e.label);
        }
    return fit_boosted<REGION_FEATURE_COUNT>(xs, ys, ROUNDS, RATE, LAMBDA);
}

// The area under the ROC curve: the chance that a drawing scores above a piece of data.
double roc_area(const std::vector<std::pair<double, int>>& scored) {
    std::vector<std::pair<double, int>> sorted = scored;
    std::sort(sorted.begin(), sorted.end());
    double rank_sum = 0, positives = 0;
    for (size_t i = 0; i < sorted.size(); ++i)
        if (sorted[i].second == 1) {
            rank_sum += static_cast<double>(i + 1);
            ++positives;
        }
    const double negatives = static_cast<double>(sorted.size()) - positives;
    if (positives == 0 || negatives == 0) return 0;
    return (rank_sum - positives * (positives + 1) / 2) / (positives * negatives);
}

struct Report {
    std::string text;
    void line(const char* format, auto... values) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, format, values...);
        text += buffer;
        text += '\n';
        std::printf("%s\n", buffer);
    }
};

// Held-out scores for every example, each from the model fitted without its fold.
std::vector<double> held_out_scores(const std::vector<Example>& examples,
                                    const std::vector<size_t>& fold_of_file) {
    std::vector<double> scores(examples.size());
    for (size_t k = 0; k < FOLDS; ++k) {
        const Model m = fit(examples, [&](const Example& e) { return fold_of_file[e.file] != k; });
        for (size_t i = 0; i < examples.size(); ++i)
            if (fold_of_file[examples[i].file] == k) scores[i] = m.probability(examples[i].features);
    }
    return scores;
}

void report_held_out(const std::vector<Example>& examples, const std::vector<double>& scores,
                     const std::vector<LabelledFile>& files, Report& report) {
    size_t tp = 0, fp = 0, tn = 0, fn = 0;
    std::vector<std::pair<double, int>> scored;
    for (size_t i = 0; i < examples.size(); ++i) {
        const bool shown = scores[i] >= 0.5, drawn = examples[i].label == 1;
        (shown ? (drawn ? tp : fp) : (drawn ? fn : tn)) += 1;
        scored.push_back({scores[i], examples[i].label});
    }
    report.line("held out (5 folds by file): %zu drawings, %zu data", tp + fn, tn + fp);
    report.line("  at 0.5: %.1f%% of drawings kept, %.1f%% of data dropped, accuracy %.1f%%",
                100.0 * static_cast<double>(tp) / static_cast<double>(std::max<size_t>(tp + fn, 1)),
                100.0 * static_cast<double>(tn) / static_cast<double>(std::max<size_t>(tn + fp, 1)),
                100.0 * static_cast<double>(tp + tn) / static_cast<double>(examples.size()));
    report.line("  area under the ROC curve %.4f", roc_area(scored));
    // The real files with real pictures: where their first picture ranks among what they hold.
    for (size_t f = 0; f < files.size(); ++f) {
        if (files[f].group.rfind("file:", 0) != 0 || files[f].pictures.empty()) continue;
        std::vector<std::pair<double, int>> own;
        for (size_t i = 0; i < examples.size(); ++i)
            if (examples[i].file == f) own.push_back({scores[i], examples[i].label});
        std::sort(own.begin(), own.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        size_t first = 0;
        while (first < own.size() && own[first].second != 1) ++first;
        size_t shown = 0;
        for (const auto& o : own) shown += o.first >= 0.5;
        report.line("  %s: first drawing ranks %zu of %zu, %zu score 0.5 or more", files[f].name.c_str(),
                    first + 1, own.size(), shown);
    }
}

void write_review(const std::string& path, const std::vector<Example>& examples,
                  const std::vector<double>& scores, const std::vector<LabelledFile>& files) {
    std::vector<size_t> order(examples.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return scores[a] > scores[b]; });
    std::ofstream out(path);
    for (size_t i : order)
        out << files[examples[i].file].name << '\t' << examples[i].start << '\t' << examples[i].end << '\t'
            << examples[i].width << '\t' << scores[i] << '\t' << examples[i].label << '\n';
}

void write_header(const std::string& path, const Model& m, const std::string& summary) {
    std::ofstream out(path);
    out << "#pragma once\n// Written by tools/train_picture_score (scripts/train_score); do not edit.\n//\n";
    size_t from = 0;
    while (from < summary.size()) {
        const size_t to = summary.find('\n', from);
        out << "// " << summary.substr(from, to - from) << '\n';
        from = to + 1;
    }
    char number[64];
    auto text = [&](double v) {
        std::snprintf(number, sizeof number, "%.17g", v);
        return std::string(v <= -1e299 ? "-1e300" : number);
    };
    out << "#include \"analysis/pictures/picture_trees.h\"\n\nnamespace picture_model {\n";
    out << "constexpr double BIAS = " << text(m.bias) << ";\n";
    out << "// Each tree: the features and thresholds of its root, left and right comparisons (a value "
           "below\n"
           "// the threshold goes left), and its four leaves.\n";
    // One tree to a line: generated data, kept out of the formatter's way.
    out << "// clang-format off\nconstexpr PictureTree TREES[] = {\n";
    for (const StumpTree& t : m.trees) {
        out << "    {{" << t.feature[0] << ", " << t.feature[1] << ", " << t.feature[2] << "}, {"
            << text(t.threshold[0]) << ", " << text(t.threshold[1]) << ", " << text(t.threshold[2]) << "}, {"
            << text(t.leaf[0]) << ", " << text(t.leaf[1]) << ", " << text(t.leaf[2]) << ", "
            << text(t.leaf[3]) << "}},\n";
    }
    out << "};\n// clang-format on\n}  // namespace picture_model\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        (flag == "--packages" ? options.packages
         : flag == "--out"    ? options.out
                              : options.review) = argv[i + 1];
    }
    const std::vector<LabelledFile> files = training_files(options.packages);
    std::vector<Example> examples;
    std::vector<size_t> fold_of_file;
    for (size_t f = 0; f < files.size(); ++f) {
        const auto found = file_examples(files[f], f);
        size_t drawings = 0;
        for (const auto& e : found) drawings += e.label == 1;
        std::printf("%-40s %8zu KiB  %4zu known pictures  %5zu examples, %4zu drawings\n",
                    files[f].name.c_str(), files[f].bytes.size() / 1024, files[f].pictures.size(),
                    found.size(), drawings);
        examples.insert(examples.end(), found.begin(), found.end());
        fold_of_file.push_back(std::hash<std::string>{}(files[f].group) % FOLDS);
    }
    Report report;
    size_t drawings = 0;
    for (const auto& e : examples) drawings += e.label == 1;
    report.line("%zu files, %zu labelled regions: %zu drawings, %zu data", files.size(), examples.size(),
                drawings, examples.size() - drawings);
    const std::vector<double> scores = held_out_scores(examples, fold_of_file);
    report_held_out(examples, scores, files, report);
    if (!options.review.empty()) write_review(options.review, examples, scores, files);
    const Model final_model = fit(examples, [](const Example&) { return true; });
    if (!options.out.empty()) write_header(options.out, final_model, report.text);
    return 0;
}
