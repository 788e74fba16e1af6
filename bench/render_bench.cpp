// Rendering and image files: the sprite layout against one memset of the view's pixel memory
// and against the box-per-bit walk, all in one run; and the time to encode the view as BMP and
// as PNG. The layout's figures carry two ratios, added when the run is reported:
//   x_memset  layout time / time of one memset of the 921,600-byte surface (aim: at most 5)
//   speedup   box-per-bit walk time / layout time, same settings (aim: at least 50)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/instruction_sets.h"
#include "runtime/image/encoders.h"
#include "runtime/image/image.h"
#include "tests/support/sprite_layout_reference.h"
#include "view/layout/sprite_layout.h"

namespace {

constexpr int BENCH_IMAGE = 0;

struct Case {
    const char* name;
    int zoom;
    int width;
    bool multi;
    bool allFlags;      // inverse, reverse and nibble swap together
    int32_t lenInView;  // where the data ends, counted from the first byte shown; 0: past the view
};

const Case CASES[] = {
    {"zoom1_multi_W1_all_flags", 1, 1, true, true, 0},
    {"zoom2_multi_W1_all_flags", 2, 1, true, true, 0},
    {"zoom4_multi_W1_all_flags", 4, 1, true, true, 0},
    {"zoom8_multi_W1_all_flags", 8, 1, true, true, 0},
    {"zoom1_multi_W8_plain", 1, 8, true, false, 0},
    {"zoom1_single_W2_plain", 1, 2, false, false, 0},
    {"zoom1_multi_W1_ends_mid_view", 1, 1, true, true, 19200 + 77},
    {"zoom8_multi_W3_ends_mid_view", 8, 3, true, false, 5000},
};

struct Fixture {
    std::vector<uint8_t> random;
    Fixture() {
        random.resize((1u << 20) + 16);
        std::mt19937 generator(2026);
        for (auto& b : random) {
            b = static_cast<uint8_t>(generator());
        }
        registerPngEncoder();
        if (newImage(BENCH_IMAGE, VIEW_WIDTH, VIEW_HEIGHT) == 0) {
            std::abort();
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

SpriteLayoutInput inputFor(const Case& c) {
    SpriteLayoutInput in;
    const int32_t offset = 1000;
    in.data = fixture().random.data();
    in.len = c.lenInView > 0 ? offset + c.lenInView : static_cast<int32_t>(fixture().random.size() - 16);
    in.display_offset = offset;
    in.row_width = c.width;
    in.zoom = c.zoom;
    in.multi = c.multi;
    in.inverse = in.reverse = in.nibble_swap = c.allFlags;
    return in;
}

void memsetView(benchmark::State& state) {
    PixelSurface* s = imageSurface(BENCH_IMAGE);
    int value = 0;
    for (auto _ : state) {
        std::memset(s->pixels.data(), value++ & 0xFF, s->pixels.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(s->pixels.size()));
}

void layout(benchmark::State& state, const Case& c, bool perPixel, bool wideStores = true) {
    const SpriteLayoutInput in = inputFor(c);
    if (!wideStores) use_instruction_set(InstructionSet::Popcnt);
    if (beginDrawing(imageTarget(BENCH_IMAGE)) == 0) {
        state.SkipWithError("no drawing pass");
        return;
    }
    for (auto _ : state) {
        if (perPixel) {
            draw_sprite_layout_per_pixel(in);
        } else {
            draw_sprite_layout(in);
        }
        benchmark::ClobberMemory();
    }
    endDrawing();
    use_instruction_set(std::nullopt);
}

// The view as the program saves it: the layout of random bytes (dense), or of data that is
// zero but for one byte in 500 (mostly black).
void encode(benchmark::State& state, int32_t format, bool dense) {
    std::vector<uint8_t> sparse(fixture().random.size(), 0);
    for (size_t i = 0; i < sparse.size(); i += 500) {
        sparse[i] = fixture().random[i] | 1;
    }
    SpriteLayoutInput in;
    in.data = dense ? fixture().random.data() : sparse.data();
    in.len = static_cast<int32_t>(sparse.size() - 16);
    in.multi = true;
    if (beginDrawing(imageTarget(BENCH_IMAGE)) == 0) {
        state.SkipWithError("no drawing pass");
        return;
    }
    draw_sprite_layout(in);
    endDrawing();

    char dir[] = "/tmp/render_bench_XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(dir) + (format == FORMAT_BMP ? "/view.bmp" : "/view.png");
    long size = 0;
    for (auto _ : state) {
        if (saveImageFile(BENCH_IMAGE, path, format) != 1) {
            state.SkipWithError("save failed");
            break;
        }
        state.PauseTiming();
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            std::fseek(f, 0, SEEK_END);
            size = std::ftell(f);
            std::fclose(f);
        }
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = static_cast<double>(size);
    std::remove(path.c_str());
    rmdir(dir);
}

// The same number of bytes copied from a second block: the floor for any drawing that writes
// the whole view with ordinary stores, for comparison.
void memcpyView(benchmark::State& state) {
    PixelSurface* s = imageSurface(BENCH_IMAGE);
    std::vector<uint8_t> source(s->pixels.size(), 0x5A);
    for (auto _ : state) {
        source[0]++;
        std::memcpy(s->pixels.data(), source.data(), s->pixels.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(s->pixels.size()));
}

// Adds the ratios to each layout figure from the memset and box-walk figures of this run, and
// sums them up at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown = runs;
        for (Run& run : shown) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const std::string name = run.benchmark_name();
            const double iterations = static_cast<double>(run.iterations);
            const Time t{run.real_accumulated_time * 1e9 / iterations,
                         run.cpu_accumulated_time * 1e9 / iterations};
            if (name == "memset_view") {
                memset_ = t;
            } else if (name.rfind("per_pixel/", 0) == 0) {
                perPixel_[name.substr(10)] = t;
            } else if (name.rfind("layout/", 0) == 0) {
                const std::string key = name.substr(7);
                const Time walk = perPixel_.count(key) != 0 ? perPixel_[key] : Time{};
                if (memset_.real > 0) {
                    run.counters["x_memset"] = t.real / memset_.real;
                }
                if (walk.real > 0) {
                    run.counters["speedup"] = walk.real / t.real;
                }
                lines_.push_back({key, t, walk});
            }
        }
        ConsoleReporter::ReportRuns(shown);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (lines_.empty() || memset_.real <= 0) {
            return;
        }
        std::printf("\nmemset of the 921,600-byte view: %.2f us (cpu %.2f us)\n", memset_.real / 1000,
                    memset_.cpu / 1000);
        std::printf("%-30s %9s %9s %13s %8s %11s %10s\n", "layout", "us", "x_memset", "per-pixel us",
                    "speedup", "x_memset cpu", "speedup cpu");
        for (const Line& l : lines_) {
            const double ratio = l.layout.real / memset_.real;
            const double speedup = l.walk.real / l.layout.real;
            std::printf("%-30s %9.2f %9.2f %13.1f %8.1f %11.2f %10.1f  %s\n", l.key.c_str(),
                        l.layout.real / 1000, ratio, l.walk.real / 1000, speedup, l.layout.cpu / memset_.cpu,
                        l.walk.cpu / l.layout.cpu,
                        ratio <= 5 && speedup >= 50 ? "within aim" : "outside aim");
        }
    }

private:
    struct Time {
        double real = 0;  // ns per iteration
        double cpu = 0;
    };
    struct Line {
        std::string key;
        Time layout;
        Time walk;
    };
    Time memset_;
    std::map<std::string, Time> perPixel_;
    std::vector<Line> lines_;
};

void registerAll() {
    fixture();
    benchmark::RegisterBenchmark("memset_view", memsetView)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("memcpy_view", memcpyView)->Unit(benchmark::kMicrosecond);
    for (const Case& c : CASES) {
        benchmark::RegisterBenchmark((std::string("per_pixel/") + c.name).c_str(), [&c](benchmark::State& s) {
            layout(s, c, true);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("layout/") + c.name).c_str(), [&c](benchmark::State& s) {
            layout(s, c, false);
        })->Unit(benchmark::kMicrosecond);
        if (c.zoom == 1 && active_instruction_set() == InstructionSet::Avx512) {
            benchmark::RegisterBenchmark((std::string("layout_portable/") + c.name).c_str(),
                                         [&c](benchmark::State& s) { layout(s, c, false, false); })
                ->Unit(benchmark::kMicrosecond);
        }
    }
    for (const bool dense : {true, false}) {
        const std::string picture = dense ? "dense_random" : "mostly_black";
        benchmark::RegisterBenchmark(("encode_bmp/" + picture).c_str(), [dense](benchmark::State& s) {
            encode(s, FORMAT_BMP, dense);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode_png/" + picture).c_str(), [dense](benchmark::State& s) {
            encode(s, FORMAT_PNG, dense);
        })->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
