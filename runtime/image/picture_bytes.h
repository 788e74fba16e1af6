#pragma once
// Image files encoded into memory, for callers that write the bytes themselves (through
// ReplacingFile, or to a pipe). Each returns the whole file, or an empty vector on failure
// (a surface without pixels, a picture too large for the format, libpng refusing).
#include <cstdint>
#include <vector>

#include "runtime/image/surface.h"

// The same 24-bit BMP as saveImageBmp writes: 54 header bytes, rows bottom-up, each padded to
// a multiple of 4 with zero bytes.
[[nodiscard]] std::vector<uint8_t> encodeBmp24(const PixelSurface& picture);

struct PngSettings {
    int compressionLevel = 9;  // zlib level, 0 to 9
    // A picture of at most 256 colours is stored as an indexed-colour PNG, 1, 2, 4 or 8 bits per
    // pixel (the fewest that hold its colours); it decodes to the same red, green and blue. Far
    // less data to compress than 24 bits per pixel. Pictures with more colours stay RGB.
    bool indexedWhenFew = false;
};

// A PNG without ancillary chunks, not interlaced, filter type 0 on every row.
[[nodiscard]] std::vector<uint8_t> encodePng(const PixelSurface& picture, const PngSettings& settings);
