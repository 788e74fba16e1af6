#include "cli/piecewise.h"

#include <algorithm>

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
        for (const PictureRegion& region : stream.feed(result.regions, to)) emit(region);
        walk.cancelled = result.cancelled;
        return !result.cancelled;
    });
    for (const PictureRegion& region : stream.finish()) emit(region);
    return walk;
}

WalkResult find_in_pieces(const MappedFile& file, const Pattern& pattern, const FindOptions& options,
                          const std::function<void(const PatternHit&)>& emit, const WalkControl& control,
                          bool* stopped_at_limit) {
    const uint64_t begin = std::min(options.begin, file.size());
    const uint64_t end = std::max(begin, std::min(options.end, file.size()));
    WalkResult walk;
    size_t found = 0;
    *stopped_at_limit = false;
    walk_pieces(file, begin, end, control.piece, [&](uint64_t from, uint64_t to) {
        if (control.cancel != nullptr && control.cancel->load()) {
            walk.cancelled = true;
            return false;
        }
        FindOptions part = options;
        part.begin = from;
        part.end = to;
        part.max_hits = options.max_hits - found;
        for (const PatternHit& hit : find_pattern(file.bytes(), pattern, part)) {
            emit(hit);
            ++found;
        }
        walk.reached = to - begin;
        if (control.progress) control.progress(walk.reached, end - begin);
        if (found >= options.max_hits) {
            *stopped_at_limit = true;
            return false;
        }
        return true;
    });
    return walk;
}
