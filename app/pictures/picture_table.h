#pragma once
// The Pictures window's list apart from the window: the pictures of the scan best first, the
// filter, and the words a row shows. No toolkit, so its order and counts are tested on their own.
#include <cstddef>
#include <cstdint>
#include <deque>
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
//
// Taking more pictures costs O(n) for the n held, in small steps: the pictures stay where they
// were first put, and only their numbers (4 bytes each) are merged into the two orders, so that a
// handler of the window never copies or faults in megabytes while a large file's scan goes on.
class PictureTable {
public:
    // Forgets every picture (another file).
    void clear();
    // Takes the next pictures in file order, as the scan describes them (after those taken
    // before).
    void add(std::span<const FoundPicture> found);
    // While on (the default), only pictures scoring SHOWN_SCORE or more are shown.
    void set_filter(bool only_shown_score);
    [[nodiscard]] bool filter() const { return filter_; }
    // Whether the filter lets the picture through.
    [[nodiscard]] bool passes(const FoundPicture& picture) const;

    // How many pictures were taken: also where the next scan news starts.
    [[nodiscard]] size_t taken() const { return pictures_.size(); }
    // The rows of the list: the pictures the filter lets through, best first.
    [[nodiscard]] size_t shown() const { return shown_.size(); }
    [[nodiscard]] const FoundPicture& shown(size_t row) const { return pictures_[shown_[row]]; }
    [[nodiscard]] size_t hidden() const { return pictures_.size() - shown_.size(); }
    // The row of `picture` among the shown ones; none when it is not shown.
    [[nodiscard]] std::optional<size_t> row_of(const FoundPicture& picture) const;

private:
    // Merges the numbers of new pictures into one order.
    void merge(std::vector<uint32_t>& order, std::vector<uint32_t> fresh) const;

    std::deque<FoundPicture> pictures_;  // in file order, never moved
    std::vector<uint32_t> ranked_;       // all of them, best first
    std::vector<uint32_t> shown_;        // those that pass the filter, best first
    bool filter_ = true;
};
