#pragma once
// The sprite layout drawn literally, one fillBox per source pixel in the order of the walk: slow
// on purpose, the reference the fast drawing is tested and timed against.
#include "view/layout/sprite_layout.h"

// The same contract as draw_sprite_layout, and the same pixels.
void draw_sprite_layout_per_pixel(const SpriteLayoutInput& in);
