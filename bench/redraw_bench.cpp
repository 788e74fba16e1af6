// Pointer following: with the zoomed preview on at zoom 1, every pointer move over the canvas
// is a full redraw_view (layout into view_image, readout into the status bar, the preview
// patch, the copy to the canvas with the preview and the grid on top, the repaint, the title).
// Runs headless on the offscreen platform; each iteration is one synthetic move to the next
// position of a walk over the canvas. The median of the repetitions is the figure to read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <vector>

#include "runtime/image/image.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/statusbar.h"
#include "runtime/ui/ui.h"
#include "view/redraw_view.h"

namespace {

struct Scene {
    std::vector<uint8_t> data;
    bool ready = false;
    int pointer_inside = 0;

    Scene() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static char name[] = "redraw_bench";
        static char* argv[] = {name, nullptr};
        if (startUi(1, argv) == 0) {
            return;
        }
        // At the screen's top left, where the offscreen pointer rests, so the patch is drawn.
        openWindow(0, 0, 0, 620, 602, "Pixelsieve 2c", 0);
        createCanvas(0, 0, 0, VIEW_WIDTH, VIEW_HEIGHT);
        if (createStatusBar(0, windowHandle(0)) != 0) {
            addStatusField(VIEW_WIDTH);
        }
        newImage(0, VIEW_WIDTH, VIEW_HEIGHT);
        data.resize((1u << 20) + 16);
        std::mt19937 random(7);
        for (auto& byte : data) byte = static_cast<uint8_t>(random());
        pointer_inside = windowMouseX(0) >= 0 ? 1 : 0;
        ready = true;
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void pointer_following(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) {
        state.SkipWithError("the windowing runtime could not start");
        return;
    }
    RedrawInput in;
    in.layout.data = s.data.data();
    in.layout.len = static_cast<int32_t>(s.data.size() - 16);
    in.layout.row_width = static_cast<int32_t>(state.range(0));
    in.layout.multi = state.range(1) != 0;
    in.layout.zoom = 1;
    in.layout.display_offset = 12345;
    in.zoomed_preview = true;
    in.grid = true;
    int step = 0;
    std::vector<double> per_move;
    per_move.reserve(1 << 16);
    for (auto _ : state) {
        // A walk over the canvas: a new pointer position every move.
        in.pointer_x = (step * 37) % VIEW_WIDTH;
        in.pointer_y = (step * 23) % VIEW_HEIGHT;
        ++step;
        const auto start = std::chrono::steady_clock::now();
        redraw_view(in);
        per_move.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    // The median of the single moves, besides the library's mean over all of them.
    std::nth_element(per_move.begin(), per_move.begin() + per_move.size() / 2, per_move.end());
    state.counters["median_move_us"] = per_move[per_move.size() / 2];
    state.counters["pointer_inside"] = s.pointer_inside;
    state.counters["moves_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Width 1 with multi columns is the heaviest picture: 75 columns of 512 rows, 307,200 pixels.
BENCHMARK(pointer_following)
    ->Args({1, 1})
    ->Args({8, 1})
    ->Args({1, 0})
    ->Args({75, 0})
    ->ArgNames({"width", "multi"})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
