#pragma once
// The sprite view of a mapped file, drawn by the window's own layout into a numbered image of
// the runtime, so the command line's pictures are the window's pixel for pixel.
#include <cstdint>
#include <span>

#include "cli/options/arguments.h"
#include "runtime/image/surface.h"
#include "view/layout/sprite_layout.h"

struct ViewRequest {
    ViewOffset offset;  // the position drawn first, at the top left
    int row_width = 1;  // bytes per row, 1 to 255
    int zoom = 1;       // 1, 2, 4 or 8
    bool multi = false;
    Transforms transforms;
    bool grid = false;
    int width = VIEW_WIDTH;    // picture size in pixels, 1 to MAX_PICTURE_SIDE: the layout fills it
    int height = VIEW_HEIGHT;  // with the window's rules (a column is height / zoom rows)
};

// The layout's input over a window of the file: the bytes from `offset` to the end, at most as
// many as the layout's 32-bit count holds, drawn from their first. The layout reads far fewer
// bytes than that limit, so the window shows exactly what the whole file would, past-the-end
// blue included, however large the file and the offset. An offset at or past the end gives an
// empty window (every position blue). An offset before the file gives the window from the
// file's first byte, drawn from that many positions before it, as the window's layout draws them.
[[nodiscard]] SpriteLayoutInput layout_window(std::span<const uint8_t> file, const ViewRequest& request);

// Makes image `number` request.width x request.height and draws the view into it: the layout,
// then the canvas's grid (view/layout/grid.h) when asked for. False when the image cannot be made.
[[nodiscard]] bool draw_view(int number, std::span<const uint8_t> file, const ViewRequest& request);

// The image of `number`, released when this goes out of scope.
class HeldImage {
public:
    explicit HeldImage(int number) : number_(number) {}
    ~HeldImage();
    HeldImage(const HeldImage&) = delete;
    HeldImage& operator=(const HeldImage&) = delete;
    [[nodiscard]] int number() const { return number_; }
    [[nodiscard]] const PixelSurface* surface() const;

private:
    int number_;
};
