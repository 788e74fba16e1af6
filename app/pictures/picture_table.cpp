#include "app/pictures/picture_table.h"

#include <algorithm>
#include <iterator>

std::string picture_kind_text(const FoundPicture& picture) {
    if (picture.kind != PictureKind::Font) return "picture";
    return "font " + std::to_string(picture.cell_width) + "x" + std::to_string(picture.cell_height) +
           " \u00D7 " + std::to_string(picture.glyphs);
}

void PictureTable::clear() {
    pictures_.clear();
    ranked_.clear();
    shown_.clear();
}

bool PictureTable::passes(const FoundPicture& picture) const {
    return !filter_ || picture.score >= SHOWN_SCORE;
}

// rank_pictures' order is a stable sort on the score alone, so equal scores keep file order; the
// numbers count in file order, so a higher number on a tie comes later.
void PictureTable::merge(std::vector<uint32_t>& order, std::vector<uint32_t> fresh) const {
    const auto before = [this](uint32_t a, uint32_t b) {
        const double sa = pictures_[a].score, sb = pictures_[b].score;
        return sa > sb || (sa == sb && a < b);
    };
    std::sort(fresh.begin(), fresh.end(), before);
    const auto middle = static_cast<std::ptrdiff_t>(order.size());
    order.insert(order.end(), fresh.begin(), fresh.end());
    std::inplace_merge(order.begin(), order.begin() + middle, order.end(), before);
}

void PictureTable::add(std::span<const FoundPicture> found) {
    std::vector<uint32_t> fresh, passing;
    for (const FoundPicture& picture : found) {
        const auto number = static_cast<uint32_t>(pictures_.size());
        pictures_.push_back(picture);
        fresh.push_back(number);
        if (passes(picture)) passing.push_back(number);
    }
    merge(ranked_, std::move(fresh));
    merge(shown_, std::move(passing));
}

void PictureTable::set_filter(bool only_shown_score) {
    filter_ = only_shown_score;
    shown_.clear();
    std::copy_if(ranked_.begin(), ranked_.end(), std::back_inserter(shown_),
                 [this](uint32_t number) { return passes(pictures_[number]); });
}

std::optional<size_t> PictureTable::row_of(const FoundPicture& picture) const {
    // The shown rows are ordered by score, so only those of the same score need a look.
    const auto first = std::partition_point(shown_.begin(), shown_.end(), [&](uint32_t number) {
        return pictures_[number].score > picture.score;
    });
    for (auto at = first; at != shown_.end() && pictures_[*at].score == picture.score; ++at) {
        if (pictures_[*at] == picture) return static_cast<size_t>(at - shown_.begin());
    }
    return std::nullopt;
}
