#include "app/pictures/thumbnail.h"

#include <algorithm>
#include <limits>

#include "runtime/image/image.h"

SpriteLayoutInput thumbnail_layout(std::span<const uint8_t> file, const FoundPicture& picture, int width,
                                   int height) {
    SpriteLayoutInput in;
    in.view_width = 0;
    in.view_height = 0;
    if (picture.start >= file.size() || picture.width < 1 || width < 1 || height < 1) return in;
    const uint64_t available = file.size() - picture.start;
    in.data = file.data() + picture.start;
    in.len = static_cast<int32_t>(std::min<uint64_t>(available, std::numeric_limits<int32_t>::max()));
    in.row_width = picture.width;
    in.zoom = 1;
    const uint64_t size = std::min(picture.end, static_cast<uint64_t>(file.size())) - picture.start;
    const uint64_t rows = std::max<uint64_t>(1, (size + picture.width - 1) / picture.width);
    const int column_width = 8 * picture.width;
    if (picture.kind == PictureKind::Font && picture.cell_height > 0 && picture.cell_height <= height) {
        const int column_rows = picture.cell_height * (height / picture.cell_height);
        const uint64_t columns = (rows + column_rows - 1) / static_cast<uint64_t>(column_rows);
        in.multi = true;
        in.view_height = static_cast<int32_t>(std::min<uint64_t>(rows, column_rows));
        in.view_width = static_cast<int32_t>(std::min<uint64_t>(width, columns * column_width));
    } else {
        in.view_height = static_cast<int32_t>(std::min<uint64_t>(rows, height));
        in.view_width = std::min(width, column_width);
    }
    return in;
}

void draw_thumbnail(std::span<const uint8_t> file, const FoundPicture& picture, PixelSurface& into) {
    const SpriteLayoutInput in = thumbnail_layout(file, picture, into.width, into.height);
    if (in.view_width < 1 || in.view_height < 1) return;
    if (beginDrawing(surfaceTarget(&into, nullptr, nullptr)) != 0) {
        draw_sprite_layout(in);
        endDrawing();
    }
}
