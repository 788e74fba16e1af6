#include "analysis/scan_job.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// Pieces large enough that the context each reads around itself costs little, small enough for
// frequent progress and a quick stop.
constexpr uint64_t JOB_PIECE = 16 * SCAN_PIECE_ALIGN;

}  // namespace

ScanJobResult run_scan_job(std::span<const uint8_t> bytes, const ScanOptions& options, int threads,
                           const std::function<void(uint64_t, uint64_t)>& progress,
                           const std::atomic<bool>& cancel) {
    const uint64_t begin = std::min<uint64_t>(options.begin, bytes.size());
    const uint64_t end = std::max(begin, std::min<uint64_t>(options.end, bytes.size()));
    const uint64_t total = end - begin;

    // Piece k covers [bounds[k], bounds[k + 1]); inner bounds are multiples of JOB_PIECE.
    std::vector<uint64_t> bounds{begin};
    for (uint64_t at = (begin / JOB_PIECE + 1) * JOB_PIECE; at < end; at += JOB_PIECE) bounds.push_back(at);
    bounds.push_back(end);
    const size_t pieces = total == 0 ? 0 : bounds.size() - 1;

    std::vector<std::optional<std::vector<PictureRegion>>> results(pieces);
    std::mutex lock;
    std::condition_variable changed;
    size_t next = 0;
    uint64_t done_bytes = 0;
    bool stop = false;

    auto work = [&] {
        for (;;) {
            size_t mine;
            {
                std::lock_guard<std::mutex> hold(lock);
                if (stop || cancel.load() || next >= pieces) return;
                mine = next++;
            }
            ScanOptions piece = options;
            piece.judge_whole_regions = false;
            piece.begin = bounds[mine];
            piece.end = bounds[mine + 1];
            std::vector<PictureRegion> found = scan_regions(bytes, piece);
            {
                std::lock_guard<std::mutex> hold(lock);
                results[mine] = std::move(found);
                done_bytes += bounds[mine + 1] - bounds[mine];
            }
            changed.notify_all();
        }
    };

    if (cancel.load()) return {{}, total > 0};
    if (progress) progress(0, total);
    const int workers = std::clamp(threads, 1, 64);
    std::vector<std::thread> pool;
    if (workers > 1)
        for (int i = 0; i < workers && static_cast<size_t>(i) < pieces; ++i) pool.emplace_back(work);

    bool cancelled = false;
    if (pool.empty()) {
        // No thread: the caller's thread scans, piece by piece.
        for (size_t k = 0; k < pieces; ++k) {
            if (cancel.load()) {
                cancelled = true;
                break;
            }
            ScanOptions piece = options;
            piece.judge_whole_regions = false;
            piece.begin = bounds[k];
            piece.end = bounds[k + 1];
            results[k] = scan_regions(bytes, piece);
            done_bytes += bounds[k + 1] - bounds[k];
            if (progress && !cancel.load() && done_bytes < total) progress(done_bytes, total);
        }
    } else {
        std::unique_lock<std::mutex> hold(lock);
        uint64_t reported = 0;
        for (;;) {
            const bool finished = done_bytes == total;
            if (cancel.load()) {
                cancelled = !finished;
                stop = true;
                break;
            }
            if (finished) break;
            if (done_bytes != reported && progress) {
                reported = done_bytes;
                hold.unlock();
                progress(reported, total);
                hold.lock();
                continue;
            }
            // Woken by finished pieces; the timeout notices a cancel without one.
            changed.wait_for(hold, std::chrono::milliseconds(20));
        }
        hold.unlock();
        for (auto& t : pool) t.join();
    }
    if (cancelled) cancelled = std::any_of(results.begin(), results.end(), [](const auto& r) { return !r; });

    ScanJobResult result;
    result.cancelled = cancelled;
    std::vector<PictureRegion> joined;
    for (auto& r : results) {
        if (!r) break;  // after a cancel: only the unbroken run from the start
        joined.insert(joined.end(), r->begin(), r->end());
    }
    result.regions = merge_regions(std::move(joined));
    if (options.judge_whole_regions)
        std::erase_if(result.regions, [&](const PictureRegion& r) { return !region_looks_drawn(bytes, r); });
    if (!cancelled && progress) progress(total, total);
    return result;
}
