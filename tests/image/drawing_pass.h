#pragma once
// Opens a drawing pass on a numbered image for the length of a scope.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "runtime/image/image.h"

class DrawingPass {
public:
    explicit DrawingPass(int number) { EXPECT_NE(beginDrawing(imageTarget(number)), 0); }
    ~DrawingPass() { endDrawing(); }
    DrawingPass(const DrawingPass&) = delete;
    DrawingPass& operator=(const DrawingPass&) = delete;
};

// Every pixel of image `number` that has the colour, as (x, y) pairs in reading order.
inline std::vector<std::pair<int, int>> pixelsOf(int number, ColourValue colour) {
    std::vector<std::pair<int, int>> found;
    const PixelSurface* s = imageSurface(number);
    for (int y = 0; y < s->height; ++y) {
        for (int x = 0; x < s->width; ++x) {
            if (s->pixel(x, y) == colour) {
                found.emplace_back(x, y);
            }
        }
    }
    return found;
}
