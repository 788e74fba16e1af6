#pragma once
// The canvas's grid: the window draws it over its 600 x 512 canvas, the command line over a
// picture of any size, both through this one function.
#include "runtime/image/surface.h"

constexpr ColourValue COLOUR_GRID_MAJOR = 0x00FF00;  // green, lines at multiples of 64 pixels
constexpr ColourValue COLOUR_GRID_MINOR = 0x007F00;  // dark green, every other 8th pixel
constexpr int GRID_STEP = 8;

// Draws the grid into the current drawing pass: a vertical line over the height and a
// horizontal line over the width at every 8th pixel from 0 to the larger side, inclusive, green
// at multiples of 64 and dark green elsewhere. At 600 x 512 it is the canvas's grid.
void draw_grid(int width, int height);
