#include "runtime/image/surface.h"

#include <climits>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

bool PixelSurface::allocate(int w, int h) {
    // The stride must fit an int and the whole block a size_t; anything larger is refused
    // rather than wrapped into a smaller block that later writes would overrun.
    if (w <= 0 || h <= 0 || w > (INT_MAX - 3) / 3) {
        return false;
    }
    const int rowBytes = surfaceStride(w);
    if (static_cast<unsigned long long>(rowBytes) * static_cast<unsigned long long>(h) > SIZE_MAX / 2) {
        return false;
    }
    std::vector<uint8_t> block;
    try {
        block.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(h), 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    pixels = std::move(block);
    width = w;
    height = h;
    stride = rowBytes;
    return true;
}

ColourValue PixelSurface::pixel(int x, int y) const {
    const uint8_t* p = rowAt(y) + 3 * static_cast<size_t>(x);
    return static_cast<ColourValue>(p[2]) | static_cast<ColourValue>(p[1]) << 8 |
           static_cast<ColourValue>(p[0]) << 16;
}
