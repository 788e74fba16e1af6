#include "cli/walk/scan_in_pieces.h"

#include <algorithm>
#include <span>
#include <vector>

#include "analysis/scan_job.h"

namespace {

const std::atomic<bool> NEVER{false};

}  // namespace

WalkResult scan_in_pieces(const MappedFile& file, const ScanOptions& options, int threads,
                          const std::function<void(const PictureRegion&)>& emit, const WalkControl& control) {
    const uint64_t begin = std::min(options.begin, file.size());
    const uint64_t end = std::max(begin, std::min(options.end, file.size()));
    const std::atomic<bool>& cancel = control.cancel != nullptr ? *control.cancel : NEVER;
    WalkResult walk;
    // A region reaching a piece's end is held back until the next piece says where it ends.
    std::vector<PictureRegion> held;
    // Judges the finished regions and hands them out, unless the file lost bytes meanwhile: then
    // they (and the regions still held) may come from zeros and are dropped.
    auto hand_out = [&](std::span<const PictureRegion> finished) {
        std::vector<PictureRegion> judged;
        for (const PictureRegion& region : finished)
            if (!options.judge_whole_regions || region_looks_drawn(file.bytes(), region))
                judged.push_back(region);
        walk.lost_bytes = file.lost_bytes();
        if (!walk.lost_bytes)
            for (const PictureRegion& region : judged) emit(region);
        return !walk.lost_bytes;
    };
    walk_pieces(file, begin, end, control.piece, [&](uint64_t from, uint64_t to) {
        ScanOptions part = options;
        part.begin = from;
        part.end = to;
        part.judge_whole_regions = false;  // judged below, once joined across the pieces
        const ScanJobResult result = run_scan_job(
            file.bytes(), part, threads,
            [&](uint64_t done, uint64_t) {
                walk.reached = from - begin + done;
                if (control.progress) control.progress(walk.reached, end - begin);
            },
            cancel);
        held.insert(held.end(), result.regions.begin(), result.regions.end());
        held = merge_regions(std::move(held));
        const size_t open = !result.cancelled && !held.empty() && held.back().end == to ? 1 : 0;
        if (!hand_out(std::span(held).first(held.size() - open))) return false;
        held.erase(held.begin(), held.end() - static_cast<std::ptrdiff_t>(open));
        walk.cancelled = result.cancelled;
        return !result.cancelled;
    });
    if (!walk.lost_bytes) hand_out(held);
    return walk;
}
