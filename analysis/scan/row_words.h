#pragma once
// Rows of 1 to 6 or 8 bytes read as one number each: the common widths of fonts and sprites, where
// a byte-at-a-time loop made the drawn-picture checks a third of the scan's time.
#include <cstdint>
#include <cstring>

template <int W, typename F>
void each_narrow_row(const uint8_t* data, uint64_t rows, F&& f) {
    for (uint64_t r = 0; r < rows; ++r) {
        uint64_t v = 0;
        std::memcpy(&v, data + r * W, W);
        f(r, v);
    }
}

// Calls f(row index, row) for `rows` rows of `width` bytes; false for the other widths, which the
// callers handle byte by byte.
template <typename F>
bool each_row_word(const uint8_t* data, uint64_t rows, int width, F&& f) {
    switch (width) {
        case 1:
            each_narrow_row<1>(data, rows, f);
            return true;
        case 2:
            each_narrow_row<2>(data, rows, f);
            return true;
        case 3:
            each_narrow_row<3>(data, rows, f);
            return true;
        case 4:
            each_narrow_row<4>(data, rows, f);
            return true;
        case 5:
            each_narrow_row<5>(data, rows, f);
            return true;
        case 6:
            each_narrow_row<6>(data, rows, f);
            return true;
        case 8:
            each_narrow_row<8>(data, rows, f);
            return true;
        default:
            return false;
    }
}
