#include "app/pictures/picture_table.h"

#include <algorithm>
#include <iterator>

namespace {

// rank_pictures' order: a stable sort on the score alone, so equal scores keep file order. A
// merge that takes from the pictures held first on a tie keeps it for pictures that come later.
bool ranks_before(const FoundPicture& a, const FoundPicture& b) { return a.score > b.score; }

void merge_into(std::vector<FoundPicture>& ranked, std::vector<FoundPicture> fresh) {
    if (fresh.empty()) return;
    std::stable_sort(fresh.begin(), fresh.end(), ranks_before);
    const auto middle = static_cast<std::ptrdiff_t>(ranked.size());
    ranked.insert(ranked.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    std::inplace_merge(ranked.begin(), ranked.begin() + middle, ranked.end(), ranks_before);
}

}  // namespace

std::string picture_kind_text(const FoundPicture& picture) {
    if (picture.kind != PictureKind::Font) return "picture";
    return "font " + std::to_string(picture.cell_width) + "x" + std::to_string(picture.cell_height) +
           " \u00D7 " + std::to_string(picture.glyphs);
}

void PictureTable::clear() {
    all_.clear();
    shown_.clear();
}

bool PictureTable::passes(const FoundPicture& picture) const {
    return !filter_ || picture.score >= SHOWN_SCORE;
}

void PictureTable::add(std::span<const FoundPicture> found) {
    std::vector<FoundPicture> passing;
    for (const FoundPicture& picture : found)
        if (passes(picture)) passing.push_back(picture);
    merge_into(all_, {found.begin(), found.end()});
    merge_into(shown_, std::move(passing));
}

void PictureTable::set_filter(bool only_shown_score) {
    filter_ = only_shown_score;
    shown_.clear();
    std::copy_if(all_.begin(), all_.end(), std::back_inserter(shown_),
                 [this](const FoundPicture& picture) { return passes(picture); });
}

std::optional<size_t> PictureTable::row_of(const FoundPicture& picture) const {
    const auto [first, last] = std::equal_range(shown_.begin(), shown_.end(), picture, ranks_before);
    const auto found = std::find(first, last, picture);
    if (found == last) return std::nullopt;
    return static_cast<size_t>(found - shown_.begin());
}
