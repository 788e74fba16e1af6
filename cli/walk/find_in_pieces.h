#pragma once
// The pattern search over a mapped file in pieces (piece_walk.h), with the hits handed out as
// they are found and the same answer as one call over the whole part.
#include <functional>

#include "analysis/find_pattern.h"
#include "cli/walk/piece_walk.h"

// find_pattern over [options.begin, options.end), piece by piece, at most options.max_hits
// hits: `emit` gets each in the order of one whole call, which it equals. `stopped_at_limit`
// says whether the limit was reached, so that more hits may follow.
WalkResult find_in_pieces(const MappedFile& file, const Pattern& pattern, const FindOptions& options,
                          const std::function<void(const PatternHit&)>& emit, const WalkControl& control,
                          bool* stopped_at_limit);
