#include "app/finder/width_suggestions.h"

#include <algorithm>

#include "analysis/width_candidates.h"

std::vector<int> suggested_widths(std::span<const uint8_t> data, int64_t offset, int max_width) {
    const uint64_t begin = static_cast<uint64_t>(std::max<int64_t>(offset, 0));
    std::vector<int> widths;
    if (begin >= data.size()) {
        return widths;
    }
    for (const WidthCandidate& c : width_candidates(data, begin, SUGGEST_SPAN, max_width)) {
        if (widths.size() == SUGGESTED_WIDTHS || !(c.score > 0)) {
            break;
        }
        widths.push_back(c.width);
    }
    return widths;
}

void WidthSuggestions::begin(std::vector<int> widths, int64_t first_byte) {
    widths_ = std::move(widths);
    index_ = widths_.size();  // the first step wraps to the best
    first_byte_ = first_byte;
    active_ = false;
}

WidthSuggestions::Offer WidthSuggestions::step() {
    if (widths_.empty()) {
        return {};
    }
    index_ = index_ + 1 >= widths_.size() ? 0 : index_ + 1;
    return Offer{widths_[index_], index_ + 1, widths_.size(), first_byte_};
}

void WidthSuggestions::shown(const ViewMark& left) {
    left_ = left;
    active_ = !widths_.empty();
}

WidthSuggestions::Offer WidthSuggestions::current(const ViewMark& now) const {
    if (!continues(now) || index_ >= widths_.size()) {
        return {};
    }
    return Offer{widths_[index_], index_ + 1, widths_.size(), first_byte_};
}

void WidthSuggestions::forget() { active_ = false; }

std::string offer_title_note(const WidthSuggestions::Offer& offer) {
    return " \u2014 width " + std::to_string(offer.width) + " (" + std::to_string(offer.rank) + "/" +
           std::to_string(offer.count) + ")";
}
