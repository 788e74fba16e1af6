#pragma once
// The region scan over a mapped file in pieces (piece_walk.h), with the regions handed out as
// they are finished and the same answer as one call over the whole part.
#include <functional>

#include "analysis/scan/scan_regions.h"
#include "cli/walk/piece_walk.h"

// scan_regions over [options.begin, options.end) on `threads` threads, piece by piece: `emit`
// gets each region in file order once no later piece can extend it. Uncancelled, the regions
// are exactly scan_regions(file.bytes(), options)'s.
WalkResult scan_in_pieces(const MappedFile& file, const ScanOptions& options, int threads,
                          const std::function<void(const PictureRegion&)>& emit, const WalkControl& control);
