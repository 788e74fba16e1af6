#pragma once
// Bringing the sprite view to the screen: the layout into view_image, the position readout,
// the canvas with the zoomed preview and the grid on top, and the window title.
#include <cstdint>
#include <string>

#include "runtime/image/surface.h"
#include "view/layout/grid.h"
#include "view/layout/sprite_layout.h"

constexpr int PREVIEW_GRAB = 8;   // side of the patch taken next to the pointer
constexpr int PREVIEW_SIZE = 64;  // side of the magnified patch on the canvas

// The runtime objects a redraw works on, by number.
struct RedrawTargets {
    int window = 0;
    int canvas = 0;
    int status_bar = 0;
    int view_image = 0;
    int preview_image = 2;
    std::string title;  // the window's own title, without the zoom
};

// Everything a redraw reads, gathered by the caller at the moment of the call.
struct RedrawInput {
    SpriteLayoutInput layout;  // data (null while nothing is loaded), offset, width, zoom, flags
    bool grid = false;
    bool zoomed_preview = false;
    int32_t pointer_x = 0;   // (px, py): the pointer of the current canvas event, in canvas
    int32_t pointer_y = 0;   // pixels; (0, 0) when the current event is not a canvas event
    std::string title_note;  // follows the zoom in the title: what else the view is showing
};

// Rebuilds the whole picture. While no data is loaded (layout.data is null) it does nothing at
// all: canvas, status line and title keep what they show. Otherwise it draws the layout into
// view_image and writes the readout for (px, py); takes the 8 x 8 patch at (px + 2, py + 2),
// magnified to 64 x 64, when the preview is on at zoom 1; copies view_image to the canvas, puts
// the patch at the pointer's window position + 1 when the pointer is inside the window, draws
// the grid over everything when it is on, repaints the canvas, and writes the window title
// (write_window_title). A drawing pass that cannot be opened is reported with a message
// box ("image" or "Canvas", "It happens") and the rest of the redraw still runs.
void redraw_view(const RedrawInput& in, const RedrawTargets& targets = {});

// The one writer of the window title: the title, ",x" and the zoom, then the note. A redraw
// writes it; a caller whose note ended without a change to the picture writes it alone.
void write_window_title(const RedrawTargets& targets, int32_t zoom, const std::string& note);
