#pragma once
// Where the tiles of a gallery go: one square tile per picture, in rank order, a fixed number to a
// row, each with a two-line caption under it.
#include <string>
#include <vector>

#include "analysis/pictures/found_pictures.h"
#include "cli/pictures/pixel_font.h"
#include "runtime/image/surface.h"

constexpr int GALLERY_TILE = 192;  // a tile's picture, square
constexpr int GALLERY_LINE = GLYPH_HEIGHT + 2;
constexpr int GALLERY_CAPTION = 2 * GALLERY_LINE;
constexpr int GALLERY_GAP = 6;
constexpr int GALLERY_COLUMNS = 6;
constexpr ColourValue GALLERY_BACKGROUND = 0x404040;  // dark grey
constexpr ColourValue GALLERY_TEXT = 0x00FFFF;        // yellow

struct GalleryTile {
    int x = 0, y = 0;  // the tile's picture; its caption lies under it
    int zoom = 1;
};

struct GalleryLayout {
    int width = 0, height = 0;
    std::vector<GalleryTile> tiles;
};

// The zoom a picture of rows `row_width` bytes wide is drawn at: 2 where a row fits the tile at 2
// (fonts then show a few dozen glyphs, in columns side by side), 1 otherwise (rows wider than
// the tile are cut at its right edge).
[[nodiscard]] int gallery_zoom(int row_width);

// The tiles for pictures of these row widths, in order; a gallery of none is one caption wide.
[[nodiscard]] GalleryLayout gallery_layout(const std::vector<int>& row_widths);

// The caption's two lines: "0X7220 W1 0.98" and "FONT 8x16 256" (or "PICTURE").
[[nodiscard]] std::vector<std::string> gallery_caption(const FoundPicture& picture);
