#pragma once
// One bit per pixel pictures and their PBM (P4) form, where 1 is a black (inked) pixel.
#include <cstdint>
#include <vector>

#include "runtime/image/surface.h"

struct BitPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rows;  // each row (width + 7) / 8 bytes, most significant bit leftmost

    BitPicture(int w, int h);
    [[nodiscard]] int rowBytes() const { return (width + 7) / 8; }
    uint8_t* row(int y) { return rows.data() + static_cast<size_t>(y) * static_cast<size_t>(rowBytes()); }
    void set(int x, int y) { row(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); }
    [[nodiscard]] bool at(int x, int y) const;
};

// A set bit of the view is its white; everything else (clear bits, the area past the end, any
// other colour) is a clear bit.
[[nodiscard]] BitPicture bits_of_view(const PixelSurface& view, ColourValue set_colour);

// "P4\n<width> <height>\n" and the rows.
[[nodiscard]] std::vector<uint8_t> pbm_bytes(const BitPicture& picture);
