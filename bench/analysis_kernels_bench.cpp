// The two analysis kernels the scan calls most, on the part sizes and widths it uses, over real
// library bytes, each beside the previous implementation kept here as the baseline (same bytes,
// same parts, same run).
//
// Usage: analysis_kernels_bench [--benchmark_filter=...] (bytes from PIXELSIEVE_BENCH_LIBRARY,
// default /usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6). Compare the Baseline* and Current*
// lines of one shape: the ratio of their times is the speedup.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "analysis/bit_count.h"
#include "analysis/column_agreement.h"
#include "analysis/row_prediction.h"

namespace baseline {

const std::array<uint64_t, 256>& spread_table() {
    static const std::array<uint64_t, 256> table = [] {
        std::array<uint64_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k)
                if (b & (1 << k)) t[static_cast<size_t>(b)] |= uint64_t{1} << (8 * k);
        return t;
    }();
    return table;
}

PIXELSIEVE_BIT_CLONES ColumnAgreement column_agreement_detail(std::span<const uint8_t> bytes, uint64_t begin,
                                                              uint64_t length, int width) {
    if (width < 1 || begin >= bytes.size()) return {};
    length = std::min<uint64_t>(length, bytes.size() - begin);
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t rows = length / w;
    if (rows < 2) return {};
    const uint8_t* data = bytes.data() + begin;
    const auto& spread = spread_table();
    std::vector<uint64_t> ones(w * 8, 0);
    std::vector<uint64_t> lanes(w, 0);
    uint64_t since_flush = 0;
    auto flush = [&] {
        for (uint64_t j = 0; j < w; ++j) {
            for (int k = 0; k < 8; ++k)
                ones[j * 8 + static_cast<uint64_t>(k)] += (lanes[j] >> (8 * k)) & 0xFF;
            lanes[j] = 0;
        }
        since_flush = 0;
    };
    for (uint64_t r = 0; r < rows; ++r) {
        const uint8_t* row = data + r * w;
        for (uint64_t j = 0; j < w; ++j) lanes[j] += spread[row[j]];
        if (++since_flush == 255) flush();
    }
    flush();
    const uint64_t pair_rows = rows - 1;
    std::vector<uint64_t> column_differing(w, 0);
    for (uint64_t r = 0; r < pair_rows; ++r) {
        const uint8_t* upper = data + r * w;
        for (uint64_t j = 0; j < w; ++j)
            column_differing[j] +=
                static_cast<uint64_t>(__builtin_popcount(static_cast<unsigned>(upper[j] ^ upper[j + w])));
    }
    const double m = static_cast<double>(pair_rows);
    const uint8_t* first_row = data;
    const uint8_t* last_row = data + (rows - 1) * w;
    double pairs_all = 0, agreeing_all = 0, expected_all = 0;
    double weakest = 1;
    bool any_column = false;
    for (uint64_t j = 0; j < w; ++j) {
        double expected = 0, ink = 0;
        for (int k = 0; k < 8; ++k) {
            const uint64_t all = ones[j * 8 + static_cast<uint64_t>(k)];
            ink += static_cast<double>(all);
            const double upper = static_cast<double>(all - ((last_row[j] >> k) & 1)) / m;
            const double lower = static_cast<double>(all - ((first_row[j] >> k) & 1)) / m;
            expected += upper * lower + (1 - upper) * (1 - lower);
        }
        expected *= m;
        const double pairs = 8.0 * m;
        const double agreeing = pairs - static_cast<double>(column_differing[j]);
        pairs_all += pairs;
        agreeing_all += agreeing;
        expected_all += expected;
        if (ink * 20 >= static_cast<double>(rows) && pairs - expected >= 1e-9) {
            weakest = std::min(weakest, (agreeing - expected) / (pairs - expected));
            any_column = true;
        }
    }
    ColumnAgreement result;
    if (pairs_all - expected_all >= 1e-9)
        result.score = std::max(0.0, (agreeing_all - expected_all) / (pairs_all - expected_all));
    result.weakest_byte_column = any_column ? weakest : 0;
    return result;
}

constexpr int PLANES = 5;
constexpr int SUBSETS = 1 << PLANES;

struct SubsetCounts {
    std::array<uint64_t, SUBSETS> n{};
    void add(const uint64_t (&plane)[PLANES], uint64_t lanes, int lane_count) {
        uint64_t conj[SUBSETS];
        conj[0] = lanes;
        n[0] += static_cast<uint64_t>(lane_count);
        for (int s = 1; s < SUBSETS; ++s) {
            const int top = 31 - __builtin_clz(static_cast<unsigned>(s));
            conj[s] = conj[s & ~(1 << top)] & plane[top];
            n[static_cast<size_t>(s)] += static_cast<uint64_t>(__builtin_popcountll(conj[s]));
        }
    }
    [[nodiscard]] std::array<int64_t, SUBSETS> exact() const {
        std::array<int64_t, SUBSETS> f{};
        for (size_t s = 0; s < SUBSETS; ++s) f[s] = static_cast<int64_t>(n[s]);
        for (size_t bit = 1; bit < SUBSETS; bit <<= 1)
            for (size_t s = 0; s < SUBSETS; ++s)
                if (!(s & bit)) f[s] -= f[s | bit];
        return f;
    }
};

double log_gamma(double x) {
    int sign = 0;
    return lgamma_r(x, &sign);
}

constexpr uint64_t TABLED_COUNTS = 4096;
struct LogGammaTable {
    std::array<double, TABLED_COUNTS> whole, half;
    LogGammaTable() {
        for (uint64_t k = 0; k < TABLED_COUNTS; ++k) {
            whole[k] = log_gamma(static_cast<double>(k) + 1);
            half[k] = log_gamma(static_cast<double>(k) + 0.5);
        }
    }
};
const LogGammaTable& log_gamma_table() {
    static const LogGammaTable table;
    return table;
}

double kt_bits(uint64_t zeros, uint64_t ones) {
    static const double LOG_PI = std::log(3.14159265358979323846);
    const auto& t = log_gamma_table();
    auto whole = [&](uint64_t k) {
        return k < TABLED_COUNTS ? t.whole[k] : log_gamma(static_cast<double>(k) + 1);
    };
    auto half = [&](uint64_t k) {
        return k < TABLED_COUNTS ? t.half[k] : log_gamma(static_cast<double>(k) + 0.5);
    };
    return (whole(zeros + ones) + LOG_PI - half(zeros) - half(ones)) / std::log(2.0);
}

uint64_t load_be64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_bswap64(v);
}

PIXELSIEVE_BIT_CLONES double row_prediction_score(std::span<const uint8_t> bytes, uint64_t begin,
                                                  uint64_t length, int width) {
    if (width < 1 || begin >= bytes.size()) return 0;
    length = std::min<uint64_t>(length, bytes.size() - begin);
    const uint64_t w = static_cast<uint64_t>(width);
    if (length < 2 * w) return 0;
    const uint8_t* part = bytes.data() + begin;
    auto at = [&](int64_t i) -> uint64_t {
        return i >= 0 && static_cast<uint64_t>(i) < length ? part[i] : 0;
    };
    auto be64_at = [&](int64_t i) -> uint64_t {
        if (i >= 0 && static_cast<uint64_t>(i) + 8 <= length) return load_be64(part + i);
        uint64_t v = 0;
        for (int k = 0; k < 8; ++k) v = v << 8 | at(i + k);
        return v;
    };
    SubsetCounts counts;
    const int64_t ww = static_cast<int64_t>(w);
    const int64_t end = static_cast<int64_t>(length);
    for (int64_t i = ww; i < end; i += 8) {
        const int64_t take = std::min<int64_t>(8, end - i);
        const int lanes = static_cast<int>(take * 8);
        const uint64_t mask = lanes == 64 ? ~uint64_t{0} : ~(~uint64_t{0} >> lanes);
        const uint64_t pixel = be64_at(i);
        const uint64_t above = be64_at(i - ww);
        uint64_t plane[PLANES];
        plane[0] = pixel & mask;
        plane[1] = ((pixel >> 1) | (at(i - 1) & 1) << 63) & mask;
        plane[2] = ((above >> 1) | (at(i - ww - 1) & 1) << 63) & mask;
        plane[3] = above & mask;
        plane[4] = ((above << 1) | at(i - ww + 8) >> 7) & mask;
        counts.add(plane, mask, lanes);
    }
    uint64_t left_only[2][2] = {};
    double full_bits = 0;
    const auto exact = counts.exact();
    for (size_t context = 0; context < SUBSETS / 2; ++context) {
        const uint64_t zeros = static_cast<uint64_t>(exact[context << 1]);
        const uint64_t ones = static_cast<uint64_t>(exact[context << 1 | 1]);
        full_bits += kt_bits(zeros, ones);
        left_only[context & 1][0] += zeros;
        left_only[context & 1][1] += ones;
    }
    const double base_bits =
        kt_bits(left_only[0][0], left_only[0][1]) + kt_bits(left_only[1][0], left_only[1][1]);
    if (base_bits < 1) return 0;
    return std::clamp(1 - full_bits / base_bits, 0.0, 1.0);
}

}  // namespace baseline

namespace {

const std::vector<uint8_t>& library_bytes() {
    static const std::vector<uint8_t> bytes = [] {
        const char* path = std::getenv("PIXELSIEVE_BENCH_LIBRARY");
        std::ifstream in(path ? path : "/usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6", std::ios::binary);
        std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (b.size() < (1 << 20)) b.clear();
        return b;
    }();
    return bytes;
}

// Parts spread over the library, so that code, tables and strings all take part; 256 per
// iteration, the last one ending at the end of the data as the scan's last part does.
constexpr int PARTS = 256;
std::vector<uint64_t> part_starts(uint64_t size, uint64_t length) {
    std::vector<uint64_t> starts;
    const uint64_t step = (size - length) / PARTS;
    for (int i = 0; i + 1 < PARTS; ++i) starts.push_back(static_cast<uint64_t>(i) * step + (i % 7));
    starts.push_back(size - length);
    return starts;
}

template <typename Kernel>
void run_parts(benchmark::State& state, Kernel kernel) {
    const auto& bytes = library_bytes();
    if (bytes.empty()) {
        state.SkipWithError("library bytes not readable");
        return;
    }
    const uint64_t length = static_cast<uint64_t>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const auto starts = part_starts(bytes.size(), length);
    for (auto _ : state) {
        double sum = 0;
        for (uint64_t start : starts) sum += kernel(std::span<const uint8_t>(bytes), start, length, width);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * PARTS);
    state.SetBytesProcessed(state.iterations() * PARTS * static_cast<int64_t>(length));
}

void column_shapes(benchmark::internal::Benchmark* b) {
    for (int n : {128, 256, 512, 2048})
        for (int w : {1, 2, 3, 7, 8, 16, 24, 33, 64, 255})
            if (2 * w <= n) b->Args({n, w});
}

void row_shapes(benchmark::internal::Benchmark* b) {
    for (int n : {128, 384})
        for (int w : {1, 3, 8, 16, 33, 64}) b->Args({n, w});
}

void BaselineColumnAgreement(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t> b, uint64_t s, uint64_t n, int w) {
        const auto r = baseline::column_agreement_detail(b, s, n, w);
        return r.score + r.weakest_byte_column;
    });
}
void CurrentColumnAgreement(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t> b, uint64_t s, uint64_t n, int w) {
        const auto r = column_agreement_detail(b, s, n, w);
        return r.score + r.weakest_byte_column;
    });
}
void BaselineRowPrediction(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t> b, uint64_t s, uint64_t n, int w) {
        return baseline::row_prediction_score(b, s, n, w);
    });
}
void CurrentRowPrediction(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t> b, uint64_t s, uint64_t n, int w) {
        return row_prediction_score(b, s, n, w);
    });
}

BENCHMARK(BaselineColumnAgreement)->Apply(column_shapes);
BENCHMARK(CurrentColumnAgreement)->Apply(column_shapes);
BENCHMARK(BaselineRowPrediction)->Apply(row_shapes);
BENCHMARK(CurrentRowPrediction)->Apply(row_shapes);

}  // namespace

BENCHMARK_MAIN();
