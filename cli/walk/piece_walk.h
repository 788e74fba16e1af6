#pragma once
// Walking a mapped file in pieces, so that a file far larger than the memory can be searched:
// each piece is handed to the caller, and the pages the walk has left behind are given back.
#include <atomic>
#include <cstdint>
#include <functional>

#include "cli/files/mapped_file.h"

// Pieces start at multiples of this (counted from the start of the file), which the region
// scan needs to join pieces into exactly the regions of one whole call.
constexpr uint64_t WALK_PIECE = uint64_t{32} << 20;
// Bytes kept behind a finished piece: the context the next piece's judgement still reads.
constexpr uint64_t WALK_KEPT_BEHIND = uint64_t{1} << 20;

// How a search over the pieces is driven and watched.
struct WalkControl {
    uint64_t piece = WALK_PIECE;                                  // a multiple of SCAN_PIECE_ALIGN
    std::function<void(uint64_t done, uint64_t total)> progress;  // bytes of the part; may be empty
    const std::atomic<bool>* cancel = nullptr;                    // may be null
};

struct WalkResult {
    bool cancelled = false;
    // The file lost bytes during the walk (MappedFile::lost_bytes): the results handed out are
    // those of the pieces before, and the walk stopped.
    bool lost_bytes = false;
    uint64_t reached = 0;  // bytes of the part looked at, about, when cancelled
};

// Calls visit(piece_begin, piece_end) for the pieces of [begin, end) (clamped to the file) in
// order, each ending at a multiple of `piece`; a visit returning false ends the walk. Returns
// false when a visit did.
bool walk_pieces(const MappedFile& file, uint64_t begin, uint64_t end, uint64_t piece,
                 const std::function<bool(uint64_t, uint64_t)>& visit);
