#include "runtime/image/image_scaling.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// First source index whose area reaches target index `t` of `targetSize`.
int64_t sourceStart(int64_t t, int64_t sourceSize, int64_t targetSize) { return t * sourceSize / targetSize; }

void resampleRaw(const PixelSurface& source, PixelSurface& dest) {
    std::vector<int64_t> column(static_cast<size_t>(dest.width));
    for (int x = 0; x < dest.width; ++x) {
        column[static_cast<size_t>(x)] = 3 * sourceStart(x, source.width, dest.width);
    }
    for (int y = 0; y < dest.height; ++y) {
        const uint8_t* from = source.rowAt(static_cast<int>(sourceStart(y, source.height, dest.height)));
        uint8_t* to = dest.rowAt(y);
        for (int x = 0; x < dest.width; ++x) {
            const uint8_t* p = from + column[static_cast<size_t>(x)];
            to[0] = p[0];
            to[1] = p[1];
            to[2] = p[2];
            to += 3;
        }
    }
}

void resampleSmooth(const PixelSurface& source, PixelSurface& dest) {
    for (int y = 0; y < dest.height; ++y) {
        const int64_t y0 = sourceStart(y, source.height, dest.height);
        const int64_t y1 = std::max(y0 + 1, sourceStart(y + 1, source.height, dest.height));
        uint8_t* to = dest.rowAt(y);
        for (int x = 0; x < dest.width; ++x) {
            const int64_t x0 = sourceStart(x, source.width, dest.width);
            const int64_t x1 = std::max(x0 + 1, sourceStart(x + 1, source.width, dest.width));
            uint64_t sum[3] = {0, 0, 0};
            for (int64_t sy = y0; sy < y1; ++sy) {
                const uint8_t* p = source.rowAt(static_cast<int>(sy)) + 3 * x0;
                for (int64_t sx = x0; sx < x1; ++sx, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const uint64_t count = static_cast<uint64_t>((y1 - y0) * (x1 - x0));
            for (int c = 0; c < 3; ++c) {
                to[c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
            }
            to += 3;
        }
    }
}

}  // namespace

void resampleSurface(const PixelSurface& source, PixelSurface& dest, bool raw) {
    if (raw) {
        resampleRaw(source, dest);
    } else {
        resampleSmooth(source, dest);
    }
}
