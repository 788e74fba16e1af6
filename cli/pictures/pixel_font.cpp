#include "cli/pictures/pixel_font.h"

#include <cstdint>

#include "runtime/image/image.h"

namespace {

// Each glyph's five rows, three bits each, the most significant bit leftmost.
constexpr uint8_t DIGITS[10][GLYPH_HEIGHT] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr uint8_t LETTERS[26][GLYPH_HEIGHT] = {
    {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6}, {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 6, 4, 7}, {7, 4, 6, 4, 4},
    {3, 4, 5, 5, 3}, {5, 5, 7, 5, 5}, {7, 2, 2, 2, 7}, {1, 1, 1, 5, 2}, {5, 5, 6, 5, 5}, {4, 4, 4, 4, 7},
    {5, 7, 7, 5, 5}, {6, 5, 5, 5, 5}, {2, 5, 5, 5, 2}, {6, 5, 6, 4, 4}, {2, 5, 5, 6, 3}, {6, 5, 6, 5, 5},
    {3, 4, 2, 1, 6}, {7, 2, 2, 2, 2}, {5, 5, 5, 5, 7}, {5, 5, 5, 5, 2}, {5, 5, 7, 7, 5}, {5, 5, 2, 5, 5},
    {5, 5, 2, 2, 2}, {7, 1, 2, 4, 7},
};

// The rows of a character's glyph, or null for a character without one (a blank).
const uint8_t* glyph_rows(char c) {
    static constexpr uint8_t DOT[GLYPH_HEIGHT] = {0, 0, 0, 0, 2}, SMALL_X[GLYPH_HEIGHT] = {0, 5, 2, 5, 0},
                             COLON[GLYPH_HEIGHT] = {0, 2, 0, 2, 0}, DASH[GLYPH_HEIGHT] = {0, 0, 7, 0, 0};
    if (c >= '0' && c <= '9') return DIGITS[c - '0'];
    if (c >= 'A' && c <= 'Z') return LETTERS[c - 'A'];
    if (c == 'x') return SMALL_X;  // the times sign of a cell size such as 8x16
    if (c >= 'a' && c <= 'z') return LETTERS[c - 'a'];
    switch (c) {
        case '.':
            return DOT;
        case ':':
            return COLON;
        case '-':
            return DASH;
        default:
            return nullptr;
    }
}

}  // namespace

int label_width(std::string_view text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * GLYPH_ADVANCE - 1;
}

bool glyph_pixel(char c, int column, int row) {
    const uint8_t* rows = glyph_rows(c);
    if (rows == nullptr || column < 0 || column >= GLYPH_WIDTH || row < 0 || row >= GLYPH_HEIGHT)
        return false;
    return (rows[row] >> (GLYPH_WIDTH - 1 - column) & 1) != 0;
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
