#include "cli/walk/scan_in_pieces.h"

#include <algorithm>
#include <vector>

#include "analysis/scan/region_stream.h"
#include "analysis/scan/scan_job.h"

namespace {

const std::atomic<bool> NEVER{false};

}  // namespace

WalkResult scan_in_pieces(const MappedFile& file, const ScanOptions& options, int threads,
                          const std::function<void(const PictureRegion&)>& emit, const WalkControl& control) {
    const uint64_t begin = std::min(options.begin, file.size());
    const uint64_t end = std::max(begin, std::min(options.end, file.size()));
    const std::atomic<bool>& cancel = control.cancel != nullptr ? *control.cancel : NEVER;
    WalkResult walk;
    RegionStream stream(file.bytes(), options.judge_whole_regions);
    // Hands out the regions the stream finished (and judged), unless the file lost bytes
    // meanwhile: then they (and the region still open) may come from zeros and are dropped.
    auto hand_out = [&](const std::vector<PictureRegion>& finished) {
        walk.lost_bytes = file.lost_bytes();
        if (!walk.lost_bytes)
            for (const PictureRegion& region : finished) emit(region);
        return !walk.lost_bytes;
    };
    walk_pieces(file, begin, end, control.piece, [&](uint64_t from, uint64_t to) {
        ScanOptions part = options;
        part.begin = from;
        part.end = to;
        part.judge_whole_regions = false;  // judged by the stream, once joined across the pieces
        const ScanJobResult result = run_scan_job(
            file.bytes(), part, threads,
            [&](uint64_t done, uint64_t) {
                walk.reached = from - begin + done;
                if (control.progress) control.progress(walk.reached, end - begin);
            },
            cancel);
        if (!hand_out(stream.feed(result.regions, to))) return false;
        walk.cancelled = result.cancelled;
        return !result.cancelled;
    });
    if (!walk.lost_bytes) hand_out(stream.finish());
    return walk;
}
