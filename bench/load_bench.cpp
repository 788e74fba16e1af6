// Loading a large file: load_data_file against `cat FILE > /dev/null` on the same file from a
// warm page cache, in the same run, and the peak resident memory of the loading process.
//
// Usage: load_bench [FILE]   (default: a 1 GiB file of pseudo-random bytes, made once next to
// the binary as load_bench.data and kept for later runs). Run it under /usr/bin/time -v for an outside view
// of the peak memory as well. Each side is timed five times after one warming pass; the medians are compared.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/cat_baseline.h"
#include "data/load_data_file.h"
#include "runtime/files/files.h"
#include "runtime/ui/ui.h"

namespace {

constexpr int64_t DEFAULT_SIZE = int64_t{1} << 30;
constexpr int RUNS = 5;

using Clock = std::chrono::steady_clock;

bool make_file(const std::string& path, int64_t size) {
    if (fileSizeOf(path) == size) {
        return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<uint32_t> chunk(1 << 18);
    std::mt19937 random(1);
    for (int64_t done = 0; done < size && out; done += static_cast<int64_t>(chunk.size() * 4)) {
        for (auto& word : chunk) word = random();
        out.write(reinterpret_cast<const char*>(chunk.data()),
                  static_cast<std::streamsize>(chunk.size() * 4));
    }
    return static_cast<bool>(out);
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double time_load(const std::string& path, DataBuffer& data) {
    const auto start = Clock::now();
    const bool ok = load_data_file(path, data).loaded;
    const double took = seconds_since(start);
    return ok ? took : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') path = argv[i];
    }
    if (path.empty()) {
        path = std::string(argc > 0 ? argv[0] : "load_bench") + ".data";
        if (!make_file(path, DEFAULT_SIZE)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    // The program loads with its toolkit running; its memory belongs in the peak.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (startUi(argc, argv) == 0) {
        std::fprintf(stderr, "the windowing runtime could not start\n");
        return 1;
    }
    const int64_t size = fileSizeOf(path);
    DataBuffer data;
    time_cat(path);  // warm the page cache
    std::vector<double> cat_times, load_times;
    for (int run = 0; run < RUNS; ++run) {
        cat_times.push_back(time_cat(path));
        data.release();
        load_times.push_back(time_load(path, data));
        if (cat_times.back() < 0 || load_times.back() < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
    const double size_mib = static_cast<double>(size) / (1024.0 * 1024.0);
    const double ratio = median(load_times) / median(cat_times);
    std::printf("file            %s (%.0f MiB)\n", path.c_str(), size_mib);
    std::printf("cat > /dev/null median %.3f s (%d runs, warm cache)\n", median(cat_times), RUNS);
    std::printf("load_data_file  median %.3f s\n", median(load_times));
    std::printf("ratio           %.2f (target at most 1.5: %s)\n", ratio, ratio <= 1.5 ? "met" : "missed");
    std::printf("peak RSS        %.0f MiB = file + %.0f MiB (target under file + 100 MiB: %s)\n", peak_mib,
                peak_mib - size_mib, peak_mib - size_mib < 100 ? "met" : "missed");
    data.release();
    stopUi();
    // A missed target is a figure to read, not a failure: scripts/bench goes on with the others.
    return 0;
}
