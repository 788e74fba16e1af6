#pragma once
// The window's way to a picture file: the layout drawn into image 0 as a redraw draws it, then
// "Save image..."'s encoders. What the command line writes is compared with this.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/image/encoders.h"
#include "runtime/image/image.h"
#include "view/layout/sprite_layout.h"
#include "view/redraw_view.h"

constexpr int WINDOW_VIEW_IMAGE = 0;

struct WindowView {
    int32_t display_offset = 0;
    int32_t row_width = 1;
    int32_t zoom = 1;
    bool multi = false;
    bool inverse = false;
    bool reverse = false;
    bool nibble_swap = false;
    bool grid = false;           // the canvas's grid over the view, as the window shows it
    int32_t width = VIEW_WIDTH;  // the picture's size: the layout's view size
    int32_t height = VIEW_HEIGHT;
};

// Draws the view of `data` into image 0 and saves it with the given format code; the image
// stays for inspection. The grid, drawn by the window only over its 600 x 512 canvas, is asked
// for at that size only.
inline bool windowExport(const std::vector<uint8_t>& data, const WindowView& view, const std::string& path,
                         int32_t format) {
    registerPngEncoder();
    if (newImage(WINDOW_VIEW_IMAGE, view.width, view.height) == 0) return false;
    SpriteLayoutInput in;
    in.data = data.empty() ? nullptr : data.data();
    in.len = static_cast<int32_t>(data.size());
    in.display_offset = view.display_offset;
    in.row_width = view.row_width;
    in.zoom = view.zoom;
    in.multi = view.multi;
    in.inverse = view.inverse;
    in.reverse = view.reverse;
    in.nibble_swap = view.nibble_swap;
    in.view_width = view.width;
    in.view_height = view.height;
    if (beginDrawing(imageTarget(WINDOW_VIEW_IMAGE)) == 0) return false;
    draw_sprite_layout(in);
    if (view.grid) draw_grid(VIEW_WIDTH, VIEW_HEIGHT);
    endDrawing();
    return saveImageFile(WINDOW_VIEW_IMAGE, path, format) != 0;
}

// The command line's arguments for the same view.
inline std::vector<std::string> renderArguments(const std::string& input, const WindowView& view,
                                                const std::string& output) {
    std::vector<std::string> args = {"render",   input,
                                     "--width",  std::to_string(view.row_width),
                                     "--offset", std::to_string(view.display_offset),
                                     "--zoom",   std::to_string(view.zoom),
                                     "-o",       output};
    if (view.multi) args.push_back("--multi");
    if (view.inverse) args.push_back("--inverse");
    if (view.reverse) args.push_back("--reverse");
    if (view.nibble_swap) args.push_back("--nibble-swap");
    if (view.grid) args.push_back("--grid");
    if (view.width != VIEW_WIDTH || view.height != VIEW_HEIGHT) {
        args.insert(args.end(), {"--size", std::to_string(view.width) + "x" + std::to_string(view.height)});
    }
    return args;
}
