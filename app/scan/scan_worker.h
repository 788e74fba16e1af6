#pragma once
// The window's picture scan on a thread of its own. Toolkit-free: the thread reports through
// callbacks, which the shell turns into events posted to the user-interface thread, so the
// thread logic is tested (also under ThreadSanitizer) without a display.
//
// Ownership: the bytes belong to the caller, who must keep them unchanged until stop() or
// take() has returned (or the worker is destroyed). Everything else the thread touches is owned
// by the worker and guarded by the join: the thread writes the result, sets `done` and then calls
// `finished`; the caller reads the result only after joining.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "analysis/pictures/found_pictures.h"
#include "analysis/scan/scan_regions.h"

class ScanWorker {
public:
    // Both run on the worker thread and must be safe there: they may only hand the news on
    // (post an event), never call back into the worker. `ticket` names the scan they belong to,
    // so news of a scan that was stopped meanwhile can be told apart and dropped.
    using Finished = std::function<void(uint32_t ticket)>;
    using Progress = std::function<void(uint32_t ticket, int thousandths)>;

    ScanWorker(Finished finished, Progress progress);
    ~ScanWorker();
    ScanWorker(const ScanWorker&) = delete;
    ScanWorker& operator=(const ScanWorker&) = delete;

    // Stops any scan still running, then scans `bytes` with the options on `threads` threads
    // (see run_scan_job). Returns the new scan's ticket; tickets count up from 1 and stay below
    // 2^31, so they fit an event's object number.
    //
    // With a `nice_increment` above 0 the scan's thread first raises its own nice value by that
    // much (Linux keeps one per thread), and the threads it starts inherit it: the scan then
    // yields the processor to the caller's threads. A value the system refuses leaves it as it
    // was.
    uint32_t start(std::span<const uint8_t> bytes, const ScanOptions& options, int threads,
                   int nice_increment = 0);

    // Raises the cancel flag and joins the thread: afterwards nothing of the scan runs, and the
    // bytes may be released. Its result is dropped, and `finished` is not called for it unless
    // the scan had already ended. Does nothing while no scan is held.
    void stop();

    // A scan was started and neither stopped nor taken.
    [[nodiscard]] bool busy() const { return thread_.joinable(); }
    // The scan held has ended and its result waits for take().
    [[nodiscard]] bool done() const { return busy() && done_.load(std::memory_order_acquire); }
    // The ticket of the scan held; 0 when none.
    [[nodiscard]] uint32_t ticket() const { return busy() ? ticket_ : 0; }
    // How far the scan held has come, in thousandths of its bytes.
    [[nodiscard]] int progress() const { return progress_.load(std::memory_order_relaxed); }

    // Whether `progress` is called: only while someone watches, so that no news piles up
    // unread. Any thread may switch it.
    void report_progress(bool on) { report_progress_.store(on, std::memory_order_relaxed); }

    // Once the scan held has ended: joins it and hands out its pictures (the regions described,
    // found_pictures.h), leaving the worker idle. Before that (or without a scan): nothing, and
    // the scan goes on.
    [[nodiscard]] std::optional<std::vector<FoundPicture>> take();

    // While the scan runs: the pictures described so far from the `first`-th on, in file order,
    // at most `limit` of them (all of them make up take()'s result). Any thread may ask.
    [[nodiscard]] std::vector<FoundPicture> found_since(size_t first, size_t limit = SIZE_MAX) const;

private:
    void run(std::span<const uint8_t> bytes, ScanOptions options, int threads, uint32_t ticket,
             int nice_increment);

    Finished finished_;
    Progress progress_callback_;
    std::thread thread_;
    uint32_t ticket_ = 0;
    uint32_t last_ticket_ = 0;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> report_progress_{false};
    std::atomic<int> progress_{0};
    std::vector<FoundPicture> result_;  // written by the thread, read after the join
    mutable std::mutex found_lock_;
    std::vector<FoundPicture> found_;  // described so far, under found_lock_
};
