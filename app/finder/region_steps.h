#pragma once
// Where the picture commands put the view, as arithmetic over offsets apart from the controls:
// the row and fine offset that show a byte first, and which region is next or previous.
#include <cstdint>
#include <vector>

#include "analysis/scan/scan_regions.h"

// A place for the view, as a user sets it: the view puts byte `row * width + fine` at its top
// left.
struct ViewPlace {
    int32_t width = 1;
    int32_t row = 0;
    int32_t fine = 0;
};

// The place that shows byte `offset` (>= 0) first at the width (>= 1): the row that holds the
// byte and the byte's place in it, 0 .. width - 1, which lies inside the fine offset's range of
// -width .. +width.
[[nodiscard]] ViewPlace view_place_for(int64_t offset, int32_t width);

// Regions in file order, as the scan gives them. The next region is the first that starts after
// `offset`, or at it while the view shows another width than the region's (`shown_width`): a
// file opens at its first byte, and a picture that starts there must be reachable too. The
// previous one is the last that starts before `offset`, so from inside a region "previous" goes
// back to its start. Null when there is none.
[[nodiscard]] const PictureRegion* next_region(const std::vector<PictureRegion>& regions, int64_t offset,
                                               int32_t shown_width);
[[nodiscard]] const PictureRegion* previous_region(const std::vector<PictureRegion>& regions, int64_t offset);
