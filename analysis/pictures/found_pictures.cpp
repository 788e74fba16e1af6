#include "analysis/pictures/found_pictures.h"

#include <algorithm>

#include "analysis/pictures/font_layout.h"
#include "analysis/pictures/picture_model.h"
#include "analysis/pictures/region_features.h"

namespace {

// Parts left beside a font are pictures of their own when they hold at least this many bytes.
constexpr uint64_t MIN_PART = 64;

FoundPicture scored(std::span<const uint8_t> bytes, uint64_t start, uint64_t end, int width,
                    double agreement) {
    FoundPicture p;
    p.start = start;
    p.end = end;
    p.width = width;
    p.agreement = agreement;
    p.score = drawn_probability(region_features(bytes, {start, end, width, agreement}));
    return p;
}

}  // namespace

std::vector<FoundPicture> PictureStream::describe(const PictureRegion& region, uint64_t upper) {
    const uint64_t lower = described_end_;
    std::vector<FoundPicture> fonts;
    for (const FontSpan& span : find_fonts(bytes_, region.start, region.end, region.width, lower, upper)) {
        FoundPicture font = scored(bytes_, span.start, span.end, region.width, region.score);
        if (font.score < SHOWN_SCORE) continue;
        font.kind = PictureKind::Font;
        font.cell_width = span.pixel_width;
        font.cell_height = span.height;
        font.glyphs = span.glyphs;
        fonts.push_back(font);
    }
    std::vector<FoundPicture> out;
    uint64_t at = std::max(region.start, lower);
    for (const FoundPicture& font : fonts) {
        if (font.start >= at + MIN_PART)
            out.push_back(scored(bytes_, at, font.start, region.width, region.score));
        out.push_back(font);
        at = font.end;
    }
    if (fonts.empty() || region.end >= at + MIN_PART) {
        if (region.end > at) out.push_back(scored(bytes_, at, region.end, region.width, region.score));
    }
    if (!out.empty()) described_end_ = out.back().end;
    return out;
}

std::vector<FoundPicture> PictureStream::feed(const PictureRegion& next) {
    std::vector<FoundPicture> out;
    if (pending_) out = describe(*pending_, next.start);
    pending_ = next;
    return out;
}

std::vector<FoundPicture> PictureStream::finish() {
    std::vector<FoundPicture> out;
    if (pending_) out = describe(*pending_, bytes_.size());
    pending_.reset();
    return out;
}

std::vector<FoundPicture> describe_regions(std::span<const uint8_t> bytes,
                                           const std::vector<PictureRegion>& regions) {
    PictureStream stream(bytes);
    std::vector<FoundPicture> pictures;
    for (const PictureRegion& region : regions) {
        const auto described = stream.feed(region);
        pictures.insert(pictures.end(), described.begin(), described.end());
    }
    const auto last = stream.finish();
    pictures.insert(pictures.end(), last.begin(), last.end());
    return pictures;
}

void rank_pictures(std::vector<FoundPicture>& pictures) {
    std::stable_sort(pictures.begin(), pictures.end(),
                     [](const FoundPicture& a, const FoundPicture& b) { return a.score > b.score; });
}
