#pragma once
// The scan in pieces (scan_in_pieces.h) with its regions described as they come: each region
// scored by the chance that it is a drawing, the fonts in it told apart (found_pictures.h).
#include <functional>

#include "analysis/pictures/found_pictures.h"
#include "cli/walk/piece_walk.h"

// `emit` gets the pictures in file order. A file that loses bytes meanwhile ends the walk as
// scan_in_pieces does, after the pictures of the regions found before.
WalkResult pictures_in_pieces(const MappedFile& file, const ScanOptions& options, int threads,
                              const std::function<void(const FoundPicture&)>& emit,
                              const WalkControl& control);
