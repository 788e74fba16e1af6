#pragma once
// The region scan and the pattern search over a mapped file in pieces (file_walk.h), with the
// results handed out as they are found and the same answer as one call over the whole part.
#include <atomic>
#include <cstdint>
#include <functional>

#include "analysis/find_pattern.h"
#include "analysis/scan/scan_regions.h"
#include "cli/file_walk.h"

struct WalkControl {
    uint64_t piece = WALK_PIECE;                                  // a multiple of SCAN_PIECE_ALIGN
    std::function<void(uint64_t done, uint64_t total)> progress;  // bytes of the part; may be empty
    const std::atomic<bool>* cancel = nullptr;                    // may be null
};

struct WalkResult {
    bool cancelled = false;
    uint64_t reached = 0;  // bytes of the part looked at, about, when cancelled
};

// scan_regions over [options.begin, options.end) on `threads` threads, piece by piece: `emit`
// gets each region in file order once no later piece can extend it. Uncancelled, the regions
// are exactly scan_regions(file.bytes(), options)'s.
WalkResult scan_in_pieces(const MappedFile& file, const ScanOptions& options, int threads,
                          const std::function<void(const PictureRegion&)>& emit, const WalkControl& control);

// find_pattern over [options.begin, options.end), piece by piece, at most options.max_hits
// hits: `emit` gets each in the order of one whole call, which it equals. `stopped_at_limit`
// says whether the limit was reached, so that more hits may follow.
WalkResult find_in_pieces(const MappedFile& file, const Pattern& pattern, const FindOptions& options,
                          const std::function<void(const PatternHit&)>& emit, const WalkControl& control,
                          bool* stopped_at_limit);
