// Box, line and image copy into the current pass. Everything is clipped to the target; the
// arithmetic is done in 64 bits so that extreme coordinates clip instead of overflowing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/image/draw_target_internal.h"
#include "runtime/image/image.h"

namespace {

void useColour(DrawTarget& target, ColourValue colour) {
    if (colour != target.colour) {
        target.colour = colour;
        target.red = static_cast<uint8_t>(colour & 0xFF);
        target.green = static_cast<uint8_t>((colour >> 8) & 0xFF);
        target.blue = static_cast<uint8_t>((colour >> 16) & 0xFF);
    }
}

// Sets columns x0..x1 (inside the surface, x0 <= x1) of row y.
void writeRun(DrawTarget& target, int y, int x0, int x1) {
    uint8_t* p = target.surface->rowAt(y) + 3 * static_cast<size_t>(x0);
    if (target.blue == target.green && target.green == target.red) {
        std::memset(p, target.blue, 3 * static_cast<size_t>(x1 - x0 + 1));
        return;
    }
    for (int x = x0; x <= x1; ++x) {
        p[0] = target.blue;
        p[1] = target.green;
        p[2] = target.red;
        p += 3;
    }
}

void plot(DrawTarget& target, int64_t x, int64_t y) {
    if (x >= 0 && y >= 0 && x < target.surface->width && y < target.surface->height) {
        writeRun(target, static_cast<int>(y), static_cast<int>(x), static_cast<int>(x));
    }
}

// A real coordinate truncated toward zero, held within a range where later sums cannot
// overflow; points that far out are clipped away in any case.
int64_t truncated(double value) {
    constexpr double limit = 4.0e15;
    if (!(value > -limit)) {
        return static_cast<int64_t>(-limit);
    }
    if (value > limit) {
        return static_cast<int64_t>(limit);
    }
    return static_cast<int64_t>(std::trunc(value));
}

// Moves the end points of a segment onto the band lo..hi of its first coordinate `a`, carrying
// the second coordinate `b` along the slope. False when both ends lie on the same outer side.
bool clipAxis(int64_t& a1, int64_t& b1, int64_t& a2, int64_t& b2, int64_t lo, int64_t hi) {
    if ((a1 < lo && a2 < lo) || (a1 > hi && a2 > hi)) {
        return false;
    }
    if (a1 == a2) {
        return true;  // parallel to the band and inside it: nothing to move
    }
    const double slope = static_cast<double>(b2 - b1) / static_cast<double>(a2 - a1);
    auto move = [&](int64_t& a, int64_t& b) {
        if (a < lo) {
            b = truncated(static_cast<double>(b) - static_cast<double>(a - lo) * slope);
            a = lo;
        } else if (a > hi) {
            b = truncated(static_cast<double>(b) + static_cast<double>(hi - a) * slope);
            a = hi;
        }
    };
    move(a1, b1);
    move(a2, b2);
    return true;
}

}  // namespace

void fillBox(int x, int y, int width, int height, ColourValue colour) {
    DrawTarget* target = openDrawTarget();
    if (target == nullptr) {
        return;
    }
    useColour(*target, colour);
    int64_t bx = x, by = y, bw = width, bh = height;
    if (bw < 0) {
        bx += bw;
        bw = -bw;
    }
    if (bh < 0) {
        by += bh;
        bh = -bh;
    }
    if (bx < 0) {
        bw += bx;
        bx = 0;
    }
    if (by < 0) {
        bh += by;
        by = 0;
    }
    const int64_t tw = target->surface->width;
    const int64_t th = target->surface->height;
    if (bx + bw > tw) {
        bw = tw - bx;
    }
    if (by + bh > th) {
        bh = th - by;
    }
    if (bw <= 0 || bh <= 0) {
        return;
    }
    const int x0 = static_cast<int>(bx);
    const int x1 = static_cast<int>(bx + bw - 1);
    for (int64_t row = by; row < by + bh; ++row) {
        writeRun(*target, static_cast<int>(row), x0, x1);
    }
}

void drawLine(int x1, int y1, int x2, int y2, ColourValue colour) {
    DrawTarget* target = openDrawTarget();
    if (target == nullptr) {
        return;
    }
    useColour(*target, colour);
    const int64_t w = target->surface->width;
    const int64_t h = target->surface->height;

    if (y1 == y2) {
        if (y1 < 0 || y1 >= h) {
            return;
        }
        const int64_t from = std::max<int64_t>(std::min(x1, x2), 0);
        const int64_t to = std::min<int64_t>(std::max(x1, x2), w - 1);
        if (from <= to) {
            writeRun(*target, y1, static_cast<int>(from), static_cast<int>(to));
        }
        return;
    }
    if (x1 == x2) {
        if (x1 < 0 || x1 >= w) {
            return;
        }
        const int64_t from = std::max<int64_t>(std::min(y1, y2), 0);
        const int64_t to = std::min<int64_t>(std::max(y1, y2), h - 1);
        for (int64_t row = from; row <= to; ++row) {
            writeRun(*target, static_cast<int>(row), x1, x1);
        }
        return;
    }

    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    if (!clipAxis(ax, ay, bx, by, 0, w - 1) || !clipAxis(ay, ax, by, bx, 0, h - 1)) {
        return;
    }

    // Midpoint walk from the end with the smaller major coordinate; b + 1 points in all.
    const bool xMajor = std::llabs(by - ay) <= std::llabs(bx - ax);
    int64_t major0 = xMajor ? ax : ay, minor0 = xMajor ? ay : ax;
    int64_t major1 = xMajor ? bx : by, minor1 = xMajor ? by : bx;
    if (major1 < major0) {
        std::swap(major0, major1);
        std::swap(minor0, minor1);
    }
    const int64_t a = std::llabs(minor1 - minor0);
    const int64_t b = major1 - major0;
    const int64_t step = minor1 > minor0 ? 1 : -1;
    int64_t error = 2 * a - b;
    int64_t minor = minor0;
    auto set = [&](int64_t major) {
        if (xMajor) {
            plot(*target, major, minor);
        } else {
            plot(*target, minor, major);
        }
    };
    set(major0);
    for (int64_t major = major0 + 1; major <= major1; ++major) {
        if (error < 0) {
            error += 2 * a;
        } else {
            minor += step;
            error += 2 * (a - b);
        }
        set(major);
    }
}

void blitImage(BitmapHandle bitmap, int x, int y) {
    DrawTarget* target = openDrawTarget();
    const PixelSurface* source = surfaceOfBitmap(bitmap);
    if (target == nullptr || source == nullptr) {
        return;
    }
    PixelSurface& dest = *target->surface;
    // The visible rectangle in target coordinates, and where it starts in the source.
    int64_t dx = x, dy = y, w = source->width, h = source->height;
    int64_t sx = 0, sy = 0;
    if (dx < 0) {
        w += dx;
        sx = -dx;
        dx = 0;
    }
    if (dy < 0) {
        h += dy;
        sy = -dy;
        dy = 0;
    }
    w = std::min<int64_t>(w, dest.width - dx);
    h = std::min<int64_t>(h, dest.height - dy);
    if (w <= 0 || h <= 0) {
        return;
    }
    const size_t bytes = 3 * static_cast<size_t>(w);
    for (int64_t j = 0; j < h; ++j) {
        // memmove: an image may be copied onto itself.
        std::memmove(dest.rowAt(static_cast<int>(dy + j)) + 3 * dx,
                     source->rowAt(static_cast<int>(sy + j)) + 3 * sx, bytes);
    }
}
