#include "analysis/scan/scan_job.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "analysis/scan/region_stream.h"

namespace {

// Pieces large enough that the context each reads around itself costs little, small enough for
// frequent progress and a quick stop.
constexpr uint64_t JOB_PIECE = 16 * SCAN_PIECE_ALIGN;

// The pieces of one job and what the workers found in them, shared under one lock.
class PieceBoard {
public:
    PieceBoard(std::span<const uint8_t> bytes, const ScanOptions& options)
        : bytes_(bytes), options_(options), stream_(bytes, options.judge_whole_regions) {
        const uint64_t begin = std::min<uint64_t>(options.begin, bytes.size());
        const uint64_t end = std::max(begin, std::min<uint64_t>(options.end, bytes.size()));
        // Piece k covers [bounds[k], bounds[k + 1]); inner bounds are multiples of JOB_PIECE.
        bounds_.push_back(begin);
        for (uint64_t at = (begin / JOB_PIECE + 1) * JOB_PIECE; at < end; at += JOB_PIECE)
            bounds_.push_back(at);
        bounds_.push_back(end);
        results_.resize(end > begin ? bounds_.size() - 1 : 0);
        total_ = end - begin;
    }

    [[nodiscard]] uint64_t total() const { return total_; }
    [[nodiscard]] size_t pieces() const { return results_.size(); }

    // Scans pieces until none is left or `stop` says so; any number of threads at once.
    void work(const std::atomic<bool>& cancel) {
        for (;;) {
            size_t mine;
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (stop_ || cancel.load() || next_ >= pieces()) return;
                mine = next_++;
            }
            scan_piece(mine);
            changed_.notify_all();
        }
    }

    // Waits on the calling thread for the workers, reporting progress, until all pieces are done
    // or `cancel` reads true (then the workers stop after their piece). True when cancelled early.
    bool watch(const std::function<void(uint64_t, uint64_t)>& progress, const std::atomic<bool>& cancel,
               const FoundRegions& found) {
        std::unique_lock<std::mutex> hold(lock_);
        uint64_t reported = 0;
        for (;;) {
            const bool finished = done_ == total_;
            if (cancel.load()) {
                stop_ = true;
                return !finished;
            }
            if (finished) return false;
            if (done_ != reported) {
                reported = done_;
                hold.unlock();
                if (const auto fresh = advance(); !fresh.empty()) found(fresh);
                if (progress) progress(reported, total_);
                hold.lock();
                continue;
            }
            // Woken by finished pieces; the timeout notices a cancel without one.
            changed_.wait_for(hold, std::chrono::milliseconds(20));
        }
    }

    void scan_piece(size_t k) {
        ScanOptions piece = options_;
        piece.judge_whole_regions = false;  // judged once joined
        piece.begin = bounds_[k];
        piece.end = bounds_[k + 1];
        std::vector<PictureRegion> found = scan_regions(bytes_, piece);
        std::lock_guard<std::mutex> hold(lock_);
        results_[k] = std::move(found);
        done_ += bounds_[k + 1] - bounds_[k];
    }
    [[nodiscard]] uint64_t done() const { return done_; }

    // The regions that the pieces finished so far in an unbroken run from the start have
    // completed since the last call, joined and judged. Only the calling thread calls this.
    std::vector<PictureRegion> advance() {
        std::vector<PictureRegion> fresh;
        for (;;) {
            std::vector<PictureRegion> piece;
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (fed_ >= results_.size() || !results_[fed_]) break;
                piece = *results_[fed_];
            }
            const auto finished = stream_.feed(piece, bounds_[fed_ + 1]);
            fresh.insert(fresh.end(), finished.begin(), finished.end());
            ++fed_;
        }
        return fresh;
    }

    // The rest once the workers are done: whether every piece was scanned, and the region still
    // open.
    std::vector<PictureRegion> finish(bool* complete) {
        std::vector<PictureRegion> fresh = advance();
        *complete = fed_ == results_.size();
        const auto last = stream_.finish();
        fresh.insert(fresh.end(), last.begin(), last.end());
        return fresh;
    }

private:
    std::span<const uint8_t> bytes_;
    const ScanOptions& options_;
    std::vector<uint64_t> bounds_;
    std::vector<std::optional<std::vector<PictureRegion>>> results_;
    uint64_t total_ = 0, done_ = 0;
    size_t next_ = 0;
    RegionStream stream_;  // the calling thread's
    size_t fed_ = 0;       // pieces fed to the stream
    bool stop_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
};

}  // namespace

ScanJobResult run_scan_job(std::span<const uint8_t> bytes, const ScanOptions& options, int threads,
                           const std::function<void(uint64_t, uint64_t)>& progress,
                           const std::atomic<bool>& cancel, const FoundRegions& found) {
    PieceBoard board(bytes, options);
    if (cancel.load()) return {{}, board.total() > 0};
    if (progress) progress(0, board.total());
    ScanJobResult result;
    auto take = [&](const std::vector<PictureRegion>& fresh) {
        if (fresh.empty()) return;
        if (found) found(fresh);
        result.regions.insert(result.regions.end(), fresh.begin(), fresh.end());
    };
    const size_t workers = std::min<size_t>(static_cast<size_t>(std::clamp(threads, 1, 64)), board.pieces());
    if (workers > 1) {
        std::vector<std::thread> pool;
        for (size_t i = 0; i < workers; ++i) pool.emplace_back([&] { board.work(cancel); });
        board.watch(progress, cancel, take);
        for (auto& t : pool) t.join();
    } else {
        // No thread: the caller's thread scans, piece by piece.
        for (size_t k = 0; k < board.pieces() && !cancel.load(); ++k) {
            board.scan_piece(k);
            take(board.advance());
            if (progress && !cancel.load() && board.done() < board.total())
                progress(board.done(), board.total());
        }
    }
    bool complete = false;
    take(board.finish(&complete));
    result.cancelled = !complete;
    if (complete && progress) progress(board.total(), board.total());
    return result;
}
