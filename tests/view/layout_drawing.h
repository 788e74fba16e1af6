#pragma once
// Draws the sprite layout into a numbered image with either drawing, for comparison.
#include <gtest/gtest.h>

#include <string>

#include "runtime/image/image.h"
#include "view/layout/sprite_layout.h"

enum class LayoutDrawer { Spans, BoxPerBit };

inline std::string drawerName(const ::testing::TestParamInfo<LayoutDrawer>& info) {
    return info.param == LayoutDrawer::Spans ? "Spans" : "BoxPerBit";
}

inline void drawLayout(int number, const SpriteLayoutInput& in, LayoutDrawer drawer) {
    ASSERT_NE(beginDrawing(imageTarget(number)), 0);
    if (drawer == LayoutDrawer::Spans) {
        draw_sprite_layout(in);
    } else {
        draw_sprite_layout_per_pixel(in);
    }
    endDrawing();
}
