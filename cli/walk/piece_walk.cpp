#include "cli/walk/piece_walk.h"

#include <algorithm>

bool walk_pieces(const MappedFile& file, uint64_t begin, uint64_t end, uint64_t piece,
                 const std::function<bool(uint64_t, uint64_t)>& visit) {
    end = std::min(end, file.size());
    file.expectSequentialReads();
    uint64_t released = 0;
    for (uint64_t from = begin; from < end;) {
        const uint64_t to = std::min(end, (from / piece + 1) * piece);
        if (!visit(from, to)) return false;
        if (to > WALK_KEPT_BEHIND && to - WALK_KEPT_BEHIND > released) {
            file.releasePages(released, to - WALK_KEPT_BEHIND);
            released = to - WALK_KEPT_BEHIND;
        }
        from = to;
    }
    return true;
}
