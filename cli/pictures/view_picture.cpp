#include "cli/pictures/view_picture.h"

#include <algorithm>
#include <climits>

#include "runtime/image/image.h"

namespace {

constexpr ColourValue GRID_MAJOR = 0x00FF00;  // green, lines at multiples of 64 pixels
constexpr ColourValue GRID_MINOR = 0x007F00;  // dark green, the other lines
constexpr int GRID_STEP = 8;

// The layout reaches at most (byte columns in the view + one row) x rows bytes past the first;
// the window's 32-bit count must hold that for the largest picture.
static_assert((int64_t{MAX_PICTURE_SIDE} / 8 + MAX_ROW_WIDTH_ARGUMENT) * MAX_PICTURE_SIDE < INT32_MAX);

}  // namespace

SpriteLayoutInput layout_window(std::span<const uint8_t> file, const ViewRequest& request) {
    SpriteLayoutInput in;
    if (request.offset < file.size()) {
        in.data = file.data() + request.offset;
        in.len = static_cast<int32_t>(std::min<uint64_t>(file.size() - request.offset, INT32_MAX));
    }
    in.display_offset = 0;
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
        draw_grid_lines(request.width, request.height);
    }
    endDrawing();
    return true;
}

void draw_grid_lines(int width, int height) {
    const int reach = std::max(width, height);
    for (int g = 0; g <= reach; g += GRID_STEP) {
        const ColourValue colour = g % 64 == 0 ? GRID_MAJOR : GRID_MINOR;
        drawLine(g, 0, g, height, colour);
        drawLine(0, g, width, g, colour);
    }
}

HeldImage::~HeldImage() { releaseImage(number_); }

const PixelSurface* HeldImage::surface() const { return imageSurface(number_); }
