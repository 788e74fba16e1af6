#pragma once
// A tiny built-in pixel font for labels drawn into pictures: the ten digits, 3 x 5 pixels each.
#include <string_view>

#include "runtime/image/surface.h"

constexpr int GLYPH_WIDTH = 3;
constexpr int GLYPH_HEIGHT = 5;
constexpr int GLYPH_ADVANCE = GLYPH_WIDTH + 1;

// Pixels from the left of the first glyph to the right of the last; 0 for no text.
[[nodiscard]] int label_width(std::string_view text);
// Draws the text with its top-left pixel at (x, y) into the current drawing pass. A character
// that is not a digit leaves its place empty.
void draw_label(int x, int y, std::string_view text, ColourValue colour);
// Whether pixel (column, row) of the digit's glyph is lit; false outside the glyph or for a
// character that is not a digit.
[[nodiscard]] bool glyph_pixel(char digit, int column, int row);
