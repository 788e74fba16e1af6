#pragma once
// Values for the cells [lo, hi), addressed by absolute cell index: every stage of the labelling
// works on its own range of cells around a block, and indexes them as the file does.
#include <cstdint>
#include <vector>

template <typename T>
class CellRange {
public:
    CellRange(uint64_t lo, uint64_t hi, T fill = T{}) : lo_(lo), hi_(hi), values_(hi - lo, fill) {}

    [[nodiscard]] uint64_t lo() const { return lo_; }
    [[nodiscard]] uint64_t hi() const { return hi_; }
    [[nodiscard]] bool contains(uint64_t cell) const { return cell >= lo_ && cell < hi_; }
    typename std::vector<T>::reference operator[](uint64_t cell) { return values_[cell - lo_]; }
    typename std::vector<T>::const_reference operator[](uint64_t cell) const { return values_[cell - lo_]; }
    // The value, or `outside` for a cell beyond the range.
    [[nodiscard]] T at_or(uint64_t cell, T outside) const {
        return contains(cell) ? values_[cell - lo_] : outside;
    }
    // How many cells of [from, to) (inside the range) hold `value`.
    [[nodiscard]] uint64_t count(uint64_t from, uint64_t to, const T& value) const {
        uint64_t n = 0;
        for (uint64_t c = from; c < to; ++c) n += values_[c - lo_] == value;
        return n;
    }

private:
    uint64_t lo_, hi_;
    std::vector<T> values_;
};
