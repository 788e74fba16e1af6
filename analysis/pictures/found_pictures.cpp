#include "analysis/pictures/found_pictures.h"

#include <algorithm>

#include "analysis/pictures/font_layout.h"
#include "analysis/pictures/picture_model.h"
#include "analysis/pictures/region_features.h"

namespace {

// Parts left beside a font are pictures of their own when they hold at least this many bytes.
constexpr uint64_t MIN_PART = 64;
// Regions scoring below this are not searched for fonts (the console fonts and the fonts of the
// training files score above 0.9 as regions).
constexpr double FONT_SEARCH_SCORE = 0.05;
// The scan often cuts a large font into several regions (at blank glyphs, at runs of glyphs that
// look alike): fonts of one cell at most this many glyphs apart, on one glyph grid, are one font,
// and whatever lay between them is part of it.
constexpr uint64_t JOIN_GAP_GLYPHS = 64;

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
    const uint64_t from = std::max(region.start, lower);
    const FoundPicture whole = scored(bytes_, from, region.end, region.width, region.score);
    std::vector<FoundPicture> fonts;
    // Regions that are data through and through hold no font: the search for glyph cells, which
    // costs several times the scan, is spent on the others.
    if (whole.score >= FONT_SEARCH_SCORE)
        for (const FontSpan& span :
             find_fonts(bytes_, region.start, region.end, region.width, lower, upper)) {
            FoundPicture font = scored(bytes_, span.start, span.end, region.width, region.score);
            if (font.score < SHOWN_SCORE) continue;
            font.kind = PictureKind::Font;
            font.cell_width = span.pixel_width;
            font.cell_height = span.height;
            font.glyphs = span.glyphs;
            fonts.push_back(font);
        }
    std::vector<FoundPicture> out;
    if (fonts.empty()) {
        if (region.end > from) out.push_back(whole);
    } else {
        uint64_t at = from;
        for (const FoundPicture& font : fonts) {
            if (font.start >= at + MIN_PART)
                out.push_back(scored(bytes_, at, font.start, region.width, region.score));
            out.push_back(font);
            at = font.end;
        }
        if (region.end >= at + MIN_PART)
            out.push_back(scored(bytes_, at, region.end, region.width, region.score));
    }
    if (!out.empty()) described_end_ = out.back().end;
    return out;
}

std::vector<FoundPicture> PictureStream::join_fonts(const std::vector<FoundPicture>& described) {
    std::vector<FoundPicture> out;
    for (const FoundPicture& p : described) {
        if (!held_.empty()) {
            const FoundPicture& font = held_.front();
            const uint64_t glyph =
                static_cast<uint64_t>(font.width) * static_cast<uint64_t>(font.cell_height);
            const bool same_font = p.kind == PictureKind::Font && p.width == font.width &&
                                   p.cell_height == font.cell_height && p.start >= font.end &&
                                   (p.start - font.end) % glyph == 0 &&
                                   p.start - font.end <= JOIN_GAP_GLYPHS * glyph;
            if (same_font) {
                FoundPicture joined = font;
                joined.end = p.end;
                joined.glyphs = (joined.end - joined.start) / glyph;
                joined.score = std::max(joined.score, p.score);
                joined.cell_width = std::max(joined.cell_width, p.cell_width);
                held_ = {joined};
                continue;
            }
            if (p.kind == PictureKind::Font || p.end > font.end + JOIN_GAP_GLYPHS * glyph) {
                out.insert(out.end(), held_.begin(), held_.end());
                held_.clear();
            }
        }
        if (p.kind == PictureKind::Font || !held_.empty())
            held_.push_back(p);
        else
            out.push_back(p);
    }
    return out;
}

std::vector<FoundPicture> PictureStream::feed(const PictureRegion& next) {
    std::vector<FoundPicture> out;
    if (pending_) {
        // A font may take the first glyphs of the next region (the scan's edge between two widths
        // is approximate), though not those of a font that region holds itself; that region is
        // then described from where the font ends.
        uint64_t upper = next.end;
        if (next.width != pending_->width && pending_->width <= MAX_FONT_WIDTH &&
            next.width <= MAX_FONT_WIDTH)
            for (const FontSpan& font :
                 find_fonts(bytes_, next.start, next.end, next.width, pending_->start, next.end))
                upper = std::min(upper, font.start);
        out = join_fonts(describe(*pending_, std::max(upper, next.start)));
    }
    pending_ = next;
    return out;
}

std::vector<FoundPicture> PictureStream::finish() {
    std::vector<FoundPicture> out;
    if (pending_) out = join_fonts(describe(*pending_, bytes_.size()));
    out.insert(out.end(), held_.begin(), held_.end());
    held_.clear();
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
