#include "analysis/scan/region_stream.h"

#include <algorithm>

RegionStream::RegionStream(std::span<const uint8_t> bytes, bool judge_whole_regions)
    : bytes_(bytes), judge_(judge_whole_regions) {}

std::vector<PictureRegion> RegionStream::feed(std::span<const PictureRegion> found, uint64_t piece_end) {
    std::vector<PictureRegion> finished;
    for (const PictureRegion& region : found) {
        if (open_ && open_->end == region.start && open_->width == region.width) {
            open_->end = region.end;
            open_->score = std::max(open_->score, region.score);
            continue;
        }
        if (open_) hand_out(*open_, finished);
        open_ = region;
    }
    if (open_ && open_->end != piece_end) {
        hand_out(*open_, finished);
        open_.reset();
    }
    return finished;
}

std::vector<PictureRegion> RegionStream::finish() {
    std::vector<PictureRegion> finished;
    if (open_) hand_out(*open_, finished);
    open_.reset();
    return finished;
}

void RegionStream::hand_out(const PictureRegion& region, std::vector<PictureRegion>& out) const {
    if (!judge_ || region_looks_drawn(bytes_, region)) out.push_back(region);
}
