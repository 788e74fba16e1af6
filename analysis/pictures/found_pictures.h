#pragma once
// What the scan found, as people want to see it: each region scored by the chance that it is a
// drawing, and the fonts in it told apart, with their glyph cell and count. A region holding fonts
// of different cell heights back to back becomes one picture per font (and one for each part
// around them); a font's ends lie on glyph boundaries.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/scan/scan_regions.h"

// Pictures scoring at least this are the ones worth showing first: the window's Next and Previous
// picture visit only these, and the command line's lists mark them.
constexpr double SHOWN_SCORE = 0.5;

enum class PictureKind { Picture, Font };

struct FoundPicture {
    uint64_t start = 0, end = 0;  // bytes, end exclusive
    int width = 0;                // bytes per row
    double score = 0;             // chance that this is a drawing, 0..1
    double agreement = 0;         // the scan's own measure (PictureRegion::score)
    PictureKind kind = PictureKind::Picture;
    // Fonts only: the glyph cell in pixels and the number of glyphs.
    int cell_width = 0, cell_height = 0;
    uint64_t glyphs = 0;
    bool operator==(const FoundPicture&) const = default;
};

// Turns the scan's regions, given in file order as a RegionStream hands them out, into pictures in
// file order. A region is described once the next one is known (a font may grow over the first
// glyphs of the next region), and the parts of one font the scan cut apart are joined.
class PictureStream {
public:
    explicit PictureStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // The pictures of the region before `next`, if any.
    [[nodiscard]] std::vector<FoundPicture> feed(const PictureRegion& next);
    // No more regions: the pictures of the last one.
    [[nodiscard]] std::vector<FoundPicture> finish();

private:
    [[nodiscard]] std::vector<FoundPicture> describe(const PictureRegion& region, uint64_t upper);
    // The pictures to hand out now: the last font and what follows it are held back until it is
    // clear that no later part of the same font follows.
    [[nodiscard]] std::vector<FoundPicture> join_fonts(const std::vector<FoundPicture>& described);

    std::span<const uint8_t> bytes_;
    std::vector<FoundPicture> held_;
    std::optional<PictureRegion> pending_;
    uint64_t described_end_ = 0;  // where the last picture ended
};

// All regions at once.
[[nodiscard]] std::vector<FoundPicture> describe_regions(std::span<const uint8_t> bytes,
                                                         const std::vector<PictureRegion>& regions);

// The pictures best first: score, then earlier in the file.
void rank_pictures(std::vector<FoundPicture>& pictures);
