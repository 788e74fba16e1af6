#include "cli/pictures/gallery_layout.h"

#include <algorithm>
#include <cstdio>

int gallery_zoom(int row_width) { return 8 * row_width * 2 <= GALLERY_TILE ? 2 : 1; }

GalleryLayout gallery_layout(const std::vector<int>& row_widths) {
    GalleryLayout layout;
    const int count = static_cast<int>(row_widths.size());
    const int columns = std::clamp(count, 1, GALLERY_COLUMNS);
    const int rows = std::max(1, (count + GALLERY_COLUMNS - 1) / GALLERY_COLUMNS);
    layout.width = GALLERY_GAP + columns * (GALLERY_TILE + GALLERY_GAP);
    layout.height = GALLERY_GAP + rows * (GALLERY_TILE + GALLERY_CAPTION + GALLERY_GAP);
    for (int i = 0; i < count; ++i) {
        GalleryTile tile;
        tile.x = GALLERY_GAP + (i % GALLERY_COLUMNS) * (GALLERY_TILE + GALLERY_GAP);
        tile.y = GALLERY_GAP + (i / GALLERY_COLUMNS) * (GALLERY_TILE + GALLERY_CAPTION + GALLERY_GAP);
        tile.zoom = gallery_zoom(row_widths[static_cast<size_t>(i)]);
        layout.tiles.push_back(tile);
    }
    return layout;
}

std::vector<std::string> gallery_caption(const FoundPicture& picture) {
    char first[64];
    std::snprintf(first, sizeof first, "0X%llX W%d %.2f", static_cast<unsigned long long>(picture.start),
                  picture.width, picture.score);
    if (picture.kind != PictureKind::Font) return {first, "PICTURE"};
    return {first, "FONT " + std::to_string(picture.cell_width) + "x" + std::to_string(picture.cell_height) +
                       " " + std::to_string(picture.glyphs)};
}
