#include "cli/pictures/view_picture.h"

#include <algorithm>
#include <climits>

#include "runtime/image/image.h"
#include "view/layout/grid.h"

namespace {

// The layout reaches at most (byte columns in the view + one row) x rows bytes past the first;
// the window's 32-bit count must hold that for the largest picture.
static_assert((int64_t{MAX_PICTURE_SIDE} / 8 + MAX_ROW_WIDTH_ARGUMENT) * MAX_PICTURE_SIDE < INT32_MAX);

}  // namespace

SpriteLayoutInput layout_window(std::span<const uint8_t> file, const ViewRequest& request) {
    SpriteLayoutInput in;
    const uint64_t first = request.offset.in_file;
    if (first < file.size()) {
        in.data = file.data() + first;
        in.len = static_cast<int32_t>(std::min<uint64_t>(file.size() - first, INT32_MAX));
    }
    in.display_offset = -request.offset.before_file;
    in.row_width = request.row_width;
    in.zoom = request.zoom;
    in.inverse = request.transforms.inverse;
    in.reverse = request.transforms.reverse;
    in.nibble_swap = request.transforms.nibble_swap;
    in.multi = request.multi;
    in.view_width = request.width;
    in.view_height = request.height;
    return in;
}

bool draw_view(int number, std::span<const uint8_t> file, const ViewRequest& request) {
    if (newImage(number, request.width, request.height) == 0 || beginDrawing(imageTarget(number)) == 0) {
        return false;
    }
    draw_sprite_layout(layout_window(file, request));
    if (request.grid) {
        draw_grid(request.width, request.height);
    }
    endDrawing();
    return true;
}

HeldImage::~HeldImage() { releaseImage(number_); }

const PixelSurface* HeldImage::surface() const { return imageSurface(number_); }
