#include "cli/walk/find_in_pieces.h"

#include <algorithm>

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
        const std::vector<PatternHit> hits = find_pattern(file.bytes(), pattern, part);
        // Hits from a piece whose bytes were lost meanwhile may be hits in zeros: dropped.
        walk.lost_bytes = file.lost_bytes();
        if (walk.lost_bytes) return false;
        for (const PatternHit& hit : hits) {
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
