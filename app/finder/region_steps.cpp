#include "app/finder/region_steps.h"

#include <algorithm>

ViewPlace view_place_for(int64_t offset, int32_t width) {
    const int32_t w = std::max<int32_t>(width, 1);
    const int64_t at = std::max<int64_t>(offset, 0);
    return ViewPlace{w, static_cast<int32_t>(at / w), static_cast<int32_t>(at % w)};
}

const FoundPicture* next_picture(const std::vector<FoundPicture>& pictures, int64_t offset,
                                 int32_t shown_width) {
    const auto after = std::find_if(pictures.begin(), pictures.end(), [=](const FoundPicture& p) {
        const auto start = static_cast<int64_t>(p.start);
        return p.score >= SHOWN_SCORE && (start > offset || (start == offset && p.width != shown_width));
    });
    return after == pictures.end() ? nullptr : &*after;
}

const FoundPicture* previous_picture(const std::vector<FoundPicture>& pictures, int64_t offset) {
    const auto before = std::find_if(pictures.rbegin(), pictures.rend(), [offset](const FoundPicture& p) {
        return p.score >= SHOWN_SCORE && static_cast<int64_t>(p.start) < offset;
    });
    return before == pictures.rend() ? nullptr : &*before;
}
