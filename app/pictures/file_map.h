#pragma once
// The map of the file in the Pictures window, as arithmetic: a strip of pixel rows for the whole
// file, first byte at the top, where every picture leaves a mark and the main view a marker.
#include <cstdint>
#include <vector>

#include "analysis/pictures/found_pictures.h"

struct FileMap {
    uint64_t file_size = 0;
    int height = 1;  // pixel rows, at least 1

    // The pixel row that holds byte `offset`: offset x height / file_size, rounded down, kept
    // inside the strip (also for offsets at or past the end, and for an empty file).
    [[nodiscard]] int row_of(uint64_t offset) const;
    // The first byte of pixel row `row` (kept inside the strip), the place a click there goes
    // to: the smallest offset whose row_of is `row` or later, at most file_size - 1. In a file of
    // at least `height` bytes every row holds bytes, and row_of(first_byte_of(r)) == r.
    [[nodiscard]] uint64_t first_byte_of(int row) const;
};

// One mark per pixel row, `map.height` of them, -1 where no picture reaches: marking a picture
// gives the rows from that of its first byte to that of its last the best score they have been
// given so far.
[[nodiscard]] std::vector<double> unmarked_rows(const FileMap& map);
void mark_picture(const FileMap& map, const FoundPicture& picture, std::vector<double>& marks);

// The rows the main view covers, from the row of its first byte to that of its last: `shown`
// bytes from `first` (a first byte before the file counts from 0).
struct MapSpan {
    int top = 0, bottom = 0;
    bool operator==(const MapSpan&) const = default;
};
[[nodiscard]] MapSpan map_view_span(const FileMap& map, int64_t first, int64_t shown);
