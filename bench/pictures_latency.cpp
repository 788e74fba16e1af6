// The user interface's responsiveness while the picture scan runs: the program's own loop
// (loop_step over waitEvent, as run_program runs it) on a large file, the Pictures window open
// with its filter off so that every region found is listed, while bench/pictures_latency.sh
// drives the keyboard and the pointer under Xvfb. Two figures:
// - handlers: the time of every loop_step, the key polling and the event's handling, on the
//   clock and in the processor time of the user-interface thread;
// - the loop's latency: a thread posts an event every 5 ms with the time it was posted; the
//   time until the loop has it, which takes in whatever Qt does in between (painting the list's
//   thumbnails, the map, the canvas).
// Prints their count, median, 99th percentile and maximum while the scan runs and for
// AFTER_SECONDS after its end (default 1), the same work on an idle processor to compare with;
// or after LIMIT_SECONDS (default 600).
//
//   pictures_latency FILE [LIMIT_SECONDS [AFTER_SECONDS]]
#include <time.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/commands.h"
#include "app/event_loop.h"
#include "app/main_window.h"
#include "app/picture_finder.h"
#include "app/pictures_window.h"
#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "data/load_data_file.h"
#include "runtime/image/image.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/posted_events.h"
#include "runtime/ui/ui.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int PROBE = EventCode::Timer;
constexpr int PROBE_SLOTS = 1 << 16;
std::array<std::atomic<int64_t>, PROBE_SLOTS> probe_sent{};

// The processor time this thread has used: a handler's own work, apart from the time other
// processes of a busy machine took the processor from it.
int64_t thread_cpu_us() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

void report(const char* what, std::vector<int64_t> us) {
    if (us.empty()) {
        std::printf("%s: none\n", what);
        return;
    }
    std::sort(us.begin(), us.end());
    const auto at = [&](double share) {
        return us[std::min(us.size() - 1, static_cast<size_t>(share * us.size()))];
    };
    const auto over = std::count_if(us.begin(), us.end(), [](int64_t t) { return t > 16000; });
    std::printf("%s: %zu, median %.2f ms, 99%% %.2f ms, max %.2f ms, over 16 ms: %td\n", what, us.size(),
                at(0.5) / 1000.0, at(0.99) / 1000.0, us.back() / 1000.0, over);
}

// What one phase (while the scan runs, after it) measured.
struct Samples {
    std::vector<int64_t> handlers, processor, latencies;
    void print(const char* phase) const {
        std::printf("-- %s\n", phase);
        report("handlers", handlers);
        report("handlers' processor time", processor);
        report("loop latency", latencies);
    }
};

// One turn of the loop, timed into `into`.
LoopAction timed_step(Samples& into) {
    const int32_t code = waitEvent();
    const int object = eventObject();
    const int64_t began = now_us();
    const int64_t began_cpu = thread_cpu_us();
    if (code == PROBE) into.latencies.push_back(began - probe_sent[object % PROBE_SLOTS].load());
    const LoopAction action = loop_step(code);
    if (code != PROBE) {
        into.handlers.push_back(now_us() - began);
        into.processor.push_back(thread_cpu_us() - began_cpu);
        if (into.handlers.back() > 16000)
            std::printf("over 16 ms: event %d, object %d, %.2f ms (processor %.2f ms)\n", code, object,
                        into.handlers.back() / 1000.0, into.processor.back() / 1000.0);
    }
    return action;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || startUi(argc, argv) == 0) {
        std::fprintf(stderr,
                     "usage: pictures_latency FILE [LIMIT_SECONDS [AFTER_SECONDS]] (with a display)\n");
        return 2;
    }
    const auto limit = std::chrono::seconds(argc > 2 ? std::atoi(argv[2]) : 600);
    const auto after = std::chrono::seconds(argc > 3 ? std::atoi(argv[3]) : 1);
    reset_shell_state();
    newImage(VIEW_IMAGE, VIEW_WIDTH, VIEW_HEIGHT);
    if (!build_main_window() || !load_and_show(argv[1])) return 1;
    (void)handle_command(CmdPictures);
    setControlState(PicturesFilterBox, 0);
    handle_control(PicturesFilterBox, ControlEventKind::Click);
    std::printf("loaded %s: %d bytes; the scan runs\n", argv[1], loaded_data.len);
    std::fflush(stdout);

    std::atomic<bool> stop{false};
    std::thread prober([&] {
        for (int seq = 0; !stop.load(); ++seq) {
            probe_sent[seq % PROBE_SLOTS].store(now_us());
            postEventFromAnyThread(PROBE, MainWindow, seq % PROBE_SLOTS, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    Samples scanning, idle;
    const auto start = Clock::now();
    auto ended = Clock::time_point::max();
    ignore_escape_until_released();
    while (Clock::now() - start < limit && Clock::now() - ended < after) {
        const bool done = ended != Clock::time_point::max();
        if (timed_step(done ? idle : scanning) != LoopAction::Continue) break;
        if (!done && picture_scan_news(0, 0).finished) {
            ended = Clock::now();
            std::printf("scan done after %.1f s\n", std::chrono::duration<double>(ended - start).count());
        }
    }
    stop.store(true);
    prober.join();
    std::printf("regions found: %zu\n", picture_scan_news(0).pictures.size());
    scanning.print("while the scan runs");
    idle.print("after the scan");
    close_pictures_window();
    stop_picture_scan();
    loaded_data.release();
    releaseAllImages();
    stopUi();
    return 0;
}
