#pragma once
// A tiny built-in pixel font for labels drawn into pictures, 3 x 5 pixels a character: the ten
// digits, the letters (small ones drawn as capitals, but for a small x, the times sign of a cell
// size such as 8x16), '.', ':' and '-'.
#include <string_view>

#include "runtime/image/surface.h"

constexpr int GLYPH_WIDTH = 3;
constexpr int GLYPH_HEIGHT = 5;
constexpr int GLYPH_ADVANCE = GLYPH_WIDTH + 1;

// Pixels from the left of the first glyph to the right of the last; 0 for no text.
[[nodiscard]] int label_width(std::string_view text);
// Draws the text with its top-left pixel at (x, y) into the current drawing pass. A character
// without a glyph leaves its place empty.
void draw_label(int x, int y, std::string_view text, ColourValue colour);
// Whether pixel (column, row) of the character's glyph is lit; false outside the glyph or for a
// character without one.
[[nodiscard]] bool glyph_pixel(char c, int column, int row);
