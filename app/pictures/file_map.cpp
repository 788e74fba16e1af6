#include "app/pictures/file_map.h"

#include <algorithm>

namespace {

using Wide = unsigned __int128;  // offset x height overflows 64 bits above 2^54-byte files

}  // namespace

int FileMap::row_of(uint64_t offset) const {
    const int rows = std::max(height, 1);
    if (file_size == 0) return 0;
    const Wide row = static_cast<Wide>(offset) * static_cast<Wide>(rows) / file_size;
    return static_cast<int>(std::min<Wide>(row, static_cast<Wide>(rows - 1)));
}

uint64_t FileMap::first_byte_of(int row) const {
    const int rows = std::max(height, 1);
    if (file_size == 0) return 0;
    const auto r = static_cast<Wide>(std::clamp(row, 0, rows - 1));
    // The smallest offset with offset x rows >= r x file_size.
    const Wide first = (r * file_size + static_cast<Wide>(rows) - 1) / static_cast<Wide>(rows);
    return static_cast<uint64_t>(std::min<Wide>(first, file_size - 1));
}

std::vector<double> unmarked_rows(const FileMap& map) {
    return std::vector<double>(static_cast<size_t>(std::max(map.height, 1)), -1.0);
}

void mark_picture(const FileMap& map, const FoundPicture& picture, std::vector<double>& marks) {
    const int top = map.row_of(picture.start);
    const int bottom = map.row_of(picture.end > picture.start ? picture.end - 1 : picture.start);
    for (int row = top; row <= bottom && static_cast<size_t>(row) < marks.size(); ++row)
        marks[static_cast<size_t>(row)] = std::max(marks[static_cast<size_t>(row)], picture.score);
}

MapSpan map_view_span(const FileMap& map, int64_t first, int64_t shown) {
    const auto from = static_cast<uint64_t>(std::max<int64_t>(first, 0));
    const int64_t last = std::max<int64_t>(first + std::max<int64_t>(shown, 1) - 1, 0);
    return {map.row_of(from), map.row_of(static_cast<uint64_t>(last))};
}
