#pragma once
// The Pictures window's list apart from the window: the pictures of the scan best first, the
// filter, and the words a row shows. No toolkit, so its order and counts are tested on their own.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/pictures/found_pictures.h"

// What a picture is, in a few words: "font 8x16 × 256" (cell width x height, glyph count), or
// "picture".
[[nodiscard]] std::string picture_kind_text(const FoundPicture& picture);

// The pictures found so far in rank order, exactly as rank_pictures orders all of them taken in
// file order (best score first, ties in file order), and the ones the filter lets through.
class PictureTable {
public:
    // Forgets every picture (another file).
    void clear();
    // Takes the next pictures in file order, as the scan describes them (after those taken
    // before): O(n) for the n pictures held.
    void add(std::span<const FoundPicture> found);
    // While on (the default), only pictures scoring SHOWN_SCORE or more are shown.
    void set_filter(bool only_shown_score);
    [[nodiscard]] bool filter() const { return filter_; }

    // Every picture taken; the count is also where the next scan news starts.
    [[nodiscard]] const std::vector<FoundPicture>& all() const { return all_; }
    // The rows of the list: the pictures the filter lets through, best first.
    [[nodiscard]] const std::vector<FoundPicture>& shown() const { return shown_; }
    [[nodiscard]] size_t hidden() const { return all_.size() - shown_.size(); }
    // The row of `picture` among the shown ones; none when it is not shown.
    [[nodiscard]] std::optional<size_t> row_of(const FoundPicture& picture) const;

private:
    [[nodiscard]] bool passes(const FoundPicture& picture) const;

    std::vector<FoundPicture> all_;    // ranked
    std::vector<FoundPicture> shown_;  // ranked, filtered
    bool filter_ = true;
};
