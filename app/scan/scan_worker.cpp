#include "app/scan/scan_worker.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "analysis/scan/scan_job.h"

namespace {

constexpr uint32_t TICKET_LIMIT = 0x7FFFFFFF;

// The calling thread's nice value, raised by `increment` (Linux: PRIO_PROCESS with a thread id
// acts on that thread alone).
void lower_own_priority(int increment) {
    const auto self = static_cast<id_t>(gettid());
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, self);
    if (errno == 0) {
        (void)setpriority(PRIO_PROCESS, self, now + increment);
    }
}

int thousandths_of(uint64_t done, uint64_t total) {
    if (total == 0 || done >= total) {
        return 1000;
    }
    return static_cast<int>(done * 1000 / total);
}

}  // namespace

ScanWorker::ScanWorker(Finished finished, Progress progress)
    : finished_(std::move(finished)), progress_callback_(std::move(progress)) {}

ScanWorker::~ScanWorker() { stop(); }

uint32_t ScanWorker::start(std::span<const uint8_t> bytes, const ScanOptions& options, int threads,
                           int nice_increment) {
    stop();
    last_ticket_ = last_ticket_ >= TICKET_LIMIT ? 1 : last_ticket_ + 1;
    ticket_ = last_ticket_;
    cancel_.store(false);
    done_.store(false);
    progress_.store(0);
    result_.clear();
    {
        std::lock_guard<std::mutex> hold(found_lock_);
        found_.clear();
    }
    thread_ = std::thread(&ScanWorker::run, this, bytes, options, threads, ticket_, nice_increment);
    return ticket_;
}

void ScanWorker::stop() {
    if (!thread_.joinable()) {
        return;
    }
    cancel_.store(true);
    thread_.join();
    result_.clear();
    result_.shrink_to_fit();
}

std::vector<FoundPicture> ScanWorker::found_since(size_t first, size_t limit) const {
    std::lock_guard<std::mutex> hold(found_lock_);
    if (first >= found_.size()) return {};
    const size_t count = std::min(found_.size() - first, limit);
    const auto from = found_.begin() + static_cast<std::ptrdiff_t>(first);
    return {from, from + static_cast<std::ptrdiff_t>(count)};
}

std::optional<std::vector<FoundPicture>> ScanWorker::take() {
    if (!done()) {
        return std::nullopt;
    }
    thread_.join();
    return std::exchange(result_, {});
}

void ScanWorker::run(std::span<const uint8_t> bytes, ScanOptions options, int threads, uint32_t ticket,
                     int nice_increment) {
    if (nice_increment > 0) {
        lower_own_priority(nice_increment);
    }
    int reported = -1;
    const auto on_progress = [&](uint64_t done, uint64_t total) {
        const int now = thousandths_of(done, total);
        progress_.store(now, std::memory_order_relaxed);
        if (now != reported && report_progress_.load(std::memory_order_relaxed) && progress_callback_) {
            reported = now;
            progress_callback_(ticket, now);
        }
    };
    // Regions are described as the scan finishes them, so that what is found shows while it runs.
    PictureStream pictures(bytes);
    auto keep = [&](const std::vector<FoundPicture>& described) {
        if (described.empty()) return;
        std::lock_guard<std::mutex> hold(found_lock_);
        found_.insert(found_.end(), described.begin(), described.end());
    };
    const ScanJobResult job = run_scan_job(bytes, options, threads, on_progress, cancel_,
                                           [&](const std::vector<PictureRegion>& regions) {
                                               for (const PictureRegion& region : regions) {
                                                   if (cancel_.load()) return;
                                                   keep(pictures.feed(region));
                                               }
                                           });
    if (job.cancelled || cancel_.load()) {
        return;
    }
    keep(pictures.finish());
    {
        std::lock_guard<std::mutex> hold(found_lock_);
        result_ = found_;
    }
    progress_.store(1000, std::memory_order_relaxed);
    done_.store(true, std::memory_order_release);
    if (finished_) {
        finished_(ticket);
    }
}
