#pragma once
// Program-owned 24-bit pixel memory: blue, green, red per pixel, rows stored bottom-up,
// each row padded to a multiple of 4 bytes. Pixel (x, y), origin top left, lies at byte
// (height - 1 - y) * stride + 3 * x.
#include <cstddef>
#include <cstdint>
#include <vector>

// Red in bits 0-7, green 8-15, blue 16-23; bits 24-31 are ignored.
using ColourValue = uint32_t;

// Bytes per row for a 24-bit row of the given width.
constexpr int surfaceStride(int width) { return (width * 3 + 3) & ~3; }

struct PixelSurface {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> pixels;  // stride * height bytes, all zero (black) when made

    // False when the size is not positive or memory cannot be had.
    bool allocate(int w, int h);
    uint8_t* rowAt(int y) { return pixels.data() + static_cast<size_t>(height - 1 - y) * stride; }
    const uint8_t* rowAt(int y) const { return pixels.data() + static_cast<size_t>(height - 1 - y) * stride; }
    // Packed colour of pixel (x, y); the caller keeps (x, y) inside the surface.
    ColourValue pixel(int x, int y) const;
};
