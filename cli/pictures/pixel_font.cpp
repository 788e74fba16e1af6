#include "cli/pictures/pixel_font.h"

#include <cstdint>

#include "runtime/image/image.h"

namespace {

// Each glyph's five rows, three bits each, the most significant bit leftmost.
constexpr uint8_t DIGITS[10][GLYPH_HEIGHT] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

}  // namespace

int label_width(std::string_view text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * GLYPH_ADVANCE - 1;
}

bool glyph_pixel(char digit, int column, int row) {
    if (digit < '0' || digit > '9' || column < 0 || column >= GLYPH_WIDTH || row < 0 || row >= GLYPH_HEIGHT) {
        return false;
    }
    return (DIGITS[digit - '0'][row] >> (GLYPH_WIDTH - 1 - column) & 1) != 0;
}

void draw_label(int x, int y, std::string_view text, ColourValue colour) {
    for (size_t i = 0; i < text.size(); ++i) {
        for (int row = 0; row < GLYPH_HEIGHT; ++row) {
            for (int column = 0; column < GLYPH_WIDTH; ++column) {
                if (glyph_pixel(text[i], column, row)) {
                    fillBox(x + static_cast<int>(i) * GLYPH_ADVANCE + column, y + row, 1, 1, colour);
                }
            }
        }
    }
}
