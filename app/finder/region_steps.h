#pragma once
// Where the picture commands put the view, as arithmetic over offsets apart from the controls:
// the row and fine offset that show a byte first, and which region is next or previous.
#include <cstdint>
#include <vector>

#include "analysis/pictures/found_pictures.h"

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

// Pictures in file order, as the scan describes them; only those scoring SHOWN_SCORE or more
// count. The next one is the first that starts after `offset`, or at it while the view shows
// another width than the picture's (`shown_width`): a file opens at its first byte, and a picture
// that starts there must be reachable too. The previous one is the last that starts before
// `offset`, so from inside a picture "previous" goes back to its start. Null when there is none.
[[nodiscard]] const FoundPicture* next_picture(const std::vector<FoundPicture>& pictures, int64_t offset,
                                               int32_t shown_width);
[[nodiscard]] const FoundPicture* previous_picture(const std::vector<FoundPicture>& pictures, int64_t offset);
