// The two analysis kernels the scan calls most, on the part sizes and widths it uses, over real
// library bytes, each beside the per-pixel reference of the tests as the baseline (same bytes,
// same parts, same run).
//
// Usage: analysis_kernels_bench [--benchmark_filter=...] (bytes from PIXELSIEVE_BENCH_LIBRARY,
// default /usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6). Compare the Reference* and Current*
// lines of one shape: the ratio of their times is how much the kernel gains over plain loops.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "../tests/analysis/reference.h"
#include "analysis/bit_count.h"
#include "analysis/column_agreement.h"
#include "analysis/row_prediction.h"

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

void ReferenceColumnAgreement(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t>, uint64_t s, uint64_t n, int w) {
        const auto r = reference_column_agreement(library_bytes(), s, n, w);
        return r.score + r.weakest_byte_column;
    });
}
void CurrentColumnAgreement(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t> b, uint64_t s, uint64_t n, int w) {
        const auto r = column_agreement_detail(b, s, n, w);
        return r.score + r.weakest_byte_column;
    });
}
void ReferenceRowPrediction(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t>, uint64_t s, uint64_t n, int w) {
        return reference_row_prediction(library_bytes(), s, n, w);
    });
}
void CurrentRowPrediction(benchmark::State& state) {
    run_parts(state, [](std::span<const uint8_t> b, uint64_t s, uint64_t n, int w) {
        return row_prediction_score(b, s, n, w);
    });
}

BENCHMARK(ReferenceColumnAgreement)->Apply(column_shapes);
BENCHMARK(CurrentColumnAgreement)->Apply(column_shapes);
BENCHMARK(ReferenceRowPrediction)->Apply(row_shapes);
BENCHMARK(CurrentRowPrediction)->Apply(row_shapes);

}  // namespace

BENCHMARK_MAIN();
