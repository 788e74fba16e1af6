#include "analysis/width_candidates.h"

#include <algorithm>
#include <cmath>

#include "analysis/bit_count.h"
#include "analysis/kappa.h"
#include "analysis/row_prediction.h"

namespace {

constexpr uint64_t PREDICTION_SAMPLE = 8192;
constexpr uint64_t SAMPLE_STEP = 512;

struct Part {
    const uint8_t* data = nullptr;
    uint64_t length = 0;
};

Part clamp_part(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length) {
    if (begin >= bytes.size()) return {};
    return {bytes.data() + begin, std::min(length, bytes.size() - begin)};
}

double agreement(const Part& part, uint64_t total_bits, uint64_t width) {
    if (part.length < 2 * width) return 0;
    const uint64_t pairs = part.length - width;
    const uint64_t differing = count_differing_bits(part.data, part.data + width, pairs);
    // The first members are all but the last `width` bytes; the second all but the first.
    const uint64_t ones_first = total_bits - count_bits(part.data + pairs, width);
    const uint64_t ones_second = total_bits - count_bits(part.data, width);
    return kappa_score(8 * pairs, 8 * pairs - differing, ones_first, ones_second);
}

bool divides(int d, int w) { return w % d == 0; }

// The stretch of at most PREDICTION_SAMPLE bytes, starting at a multiple of SAMPLE_STEP inside the
// part, whose bits agree best with the bits `width` bytes on: where the picture is, when the part
// holds one among other data.
Part prediction_sample(const Part& part, uint64_t width) {
    if (part.length <= PREDICTION_SAMPLE) return part;
    const uint64_t blocks = (part.length - width) / SAMPLE_STEP;
    std::vector<uint64_t> agreeing(blocks);
    for (uint64_t b = 0; b < blocks; ++b)
        agreeing[b] =
            8 * SAMPLE_STEP - count_differing_bits(part.data + b * SAMPLE_STEP,
                                                   part.data + b * SAMPLE_STEP + width, SAMPLE_STEP);
    const uint64_t span = PREDICTION_SAMPLE / SAMPLE_STEP;
    uint64_t best_at = 0, best = 0, sum = 0;
    for (uint64_t b = 0; b < blocks; ++b) {
        sum += agreeing[b];
        if (b >= span) sum -= agreeing[b - span];
        if (b + 1 >= span && sum > best) {
            best = sum;
            best_at = b + 1 - span;
        }
    }
    return {part.data + best_at * SAMPLE_STEP, PREDICTION_SAMPLE};
}

}  // namespace

std::vector<WidthCandidate> width_candidates(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length,
                                             int max_width) {
    const Part part = clamp_part(bytes, begin, length);
    if (part.length == 0) return {};
    max_width = std::clamp(max_width, 1, MAX_ROW_WIDTH);
    const size_t count = static_cast<size_t>(max_width) + 1;

    const uint64_t total_bits = count_bits(part.data, part.length);
    std::vector<double> agree(count, 0.0);
    for (int w = 1; w <= max_width; ++w)
        agree[static_cast<size_t>(w)] = agreement(part, total_bits, static_cast<uint64_t>(w));

    // The shortlist: the best agreements and all their divisors.
    std::vector<int> by_agreement;
    for (int w = 1; w <= max_width; ++w) by_agreement.push_back(w);
    std::stable_sort(by_agreement.begin(), by_agreement.end(), [&](int a, int b) {
        return agree[static_cast<size_t>(a)] > agree[static_cast<size_t>(b)];
    });
    std::vector<bool> listed(count, false);
    for (size_t i = 0; i < by_agreement.size() && i < static_cast<size_t>(WIDTH_SHORTLIST); ++i) {
        const int w = by_agreement[i];
        for (int d = 1; d <= w; ++d)
            if (divides(d, w)) listed[static_cast<size_t>(d)] = true;
    }

    const Part sample = prediction_sample(part, static_cast<uint64_t>(by_agreement.front()));
    std::vector<double> score(count, 0.0);
    for (int w = 1; w <= max_width; ++w)
        if (listed[static_cast<size_t>(w)])
            score[static_cast<size_t>(w)] = row_prediction_score(
                bytes, static_cast<uint64_t>(sample.data - bytes.data()), sample.length, w);

    // Multiples give way to divisors that score nearly as well.
    std::vector<double> ranked(score);
    for (int w = 2; w <= max_width; ++w) {
        const double own = score[static_cast<size_t>(w)];
        if (!listed[static_cast<size_t>(w)] || own <= 0) continue;
        for (int d = 1; d <= w / 2; ++d) {
            if (!divides(d, w) || !listed[static_cast<size_t>(d)]) continue;
            const double ratio = d == 1 ? WIDTH_ONE_RATIO : WIDTH_MULTIPLE_RATIO;
            if (score[static_cast<size_t>(d)] >= ratio * own) {
                double& mine = ranked[static_cast<size_t>(w)];
                mine = std::min(mine, std::nextafter(ranked[static_cast<size_t>(d)], 0.0));
            }
        }
    }

    double lowest_listed = 1.0;
    for (int w = 1; w <= max_width; ++w)
        if (listed[static_cast<size_t>(w)])
            lowest_listed = std::min(lowest_listed, ranked[static_cast<size_t>(w)]);
    const double cap = std::nextafter(lowest_listed, 0.0);

    std::vector<WidthCandidate> result;
    result.reserve(static_cast<size_t>(max_width));
    for (int w = 1; w <= max_width; ++w) {
        const size_t i = static_cast<size_t>(w);
        result.push_back({w, listed[i] ? ranked[i] : std::min(agree[i], cap)});
    }
    // Listed widths first; then the rest by agreement.
    std::stable_sort(result.begin(), result.end(), [&](const WidthCandidate& a, const WidthCandidate& b) {
        const bool la = listed[static_cast<size_t>(a.width)], lb = listed[static_cast<size_t>(b.width)];
        if (la != lb) return la;
        if (la) return a.score > b.score;
        return agree[static_cast<size_t>(a.width)] > agree[static_cast<size_t>(b.width)];
    });
    return result;
}
