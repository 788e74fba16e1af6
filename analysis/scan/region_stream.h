#pragma once
// The one place where the regions of consecutive pieces of a scan become those of one scan over
// the whole: scan_regions joins its blocks with it, run_scan_job its pieces, the command line the
// pieces of its walk over a file.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/scan/scan_regions.h"

class RegionStream {
public:
    // `bytes` is the whole data, read when regions are judged whole (region_looks_drawn), which
    // happens only with `judge_whole_regions`.
    RegionStream(std::span<const uint8_t> bytes, bool judge_whole_regions);

    // The regions found in the next piece, in file order, where the piece ends at `piece_end`
    // (pieces come in file order, each starting where the last ended). Returns the regions now
    // finished, in file order: a region that ends where the next one begins, at the same width,
    // joins it (the higher score kept), so only a region reaching `piece_end` stays open.
    [[nodiscard]] std::vector<PictureRegion> feed(std::span<const PictureRegion> found, uint64_t piece_end);

    // No more pieces: the region still open, if any and if it passes the judgement.
    [[nodiscard]] std::vector<PictureRegion> finish();

private:
    void hand_out(const PictureRegion& region, std::vector<PictureRegion>& out) const;

    std::span<const uint8_t> bytes_;
    bool judge_;
    std::optional<PictureRegion> open_;
};
