#include "app/finder/region_steps.h"

#include <algorithm>

ViewPlace view_place_for(int64_t offset, int32_t width) {
    const int32_t w = std::max<int32_t>(width, 1);
    const int64_t at = std::max<int64_t>(offset, 0);
    return ViewPlace{w, static_cast<int32_t>(at / w), static_cast<int32_t>(at % w)};
}

const PictureRegion* next_region(const std::vector<PictureRegion>& regions, int64_t offset,
                                 int32_t shown_width) {
    const auto after = std::find_if(regions.begin(), regions.end(), [=](const PictureRegion& r) {
        const auto start = static_cast<int64_t>(r.start);
        return start > offset || (start == offset && r.width != shown_width);
    });
    return after == regions.end() ? nullptr : &*after;
}

const PictureRegion* previous_region(const std::vector<PictureRegion>& regions, int64_t offset) {
    const auto before = std::find_if(regions.rbegin(), regions.rend(), [offset](const PictureRegion& r) {
        return static_cast<int64_t>(r.start) < offset;
    });
    return before == regions.rend() ? nullptr : &*before;
}
