#include "view/redraw_view.h"

#include "runtime/image/image.h"
#include "runtime/text/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/requesters.h"
#include "view/position_readout.h"

void redraw_view(const RedrawInput& in, const RedrawTargets& targets) {
    if (in.layout.data == nullptr) {
        return;
    }
    const int32_t zoom = in.layout.zoom;

    if (beginDrawing(imageTarget(targets.view_image)) != 0) {
        format_position_readout(in.pointer_x, in.pointer_y, zoom, in.layout.row_width,
                                in.layout.display_offset, targets.status_bar);
        draw_sprite_layout(in.layout);
        endDrawing();
    } else {
        messageBox("image", "It happens");
    }

    const bool preview = zoom == 1 && in.zoomed_preview;
    if (preview && in.pointer_x >= 0 && in.pointer_y >= 0 &&
        copyImageRegion(targets.view_image, targets.preview_image, in.pointer_x + 2, in.pointer_y + 2,
                        PREVIEW_GRAB, PREVIEW_GRAB) != 0) {
        rescaleImage(targets.preview_image, PREVIEW_SIZE, PREVIEW_SIZE, 1);
    }

    if (beginDrawing(canvasTarget(targets.canvas)) != 0) {
        blitImage(imageBitmap(targets.view_image), 0, 0);
        if (preview) {
            const int wx = windowMouseX(targets.window);
            const int wy = windowMouseY(targets.window);
            if (wx >= 0 && wy >= 0) {
                // When this redraw grabbed nothing (a drag left the pointer above or left of
                // the canvas), a patch an earlier redraw grabbed and never drew is what shows.
                blitImage(imageBitmap(targets.preview_image), wx + 1, wy + 1);
                releaseImage(targets.preview_image);
            }
        }
        if (in.grid) {
            draw_grid(VIEW_WIDTH, VIEW_HEIGHT);
        }
        endDrawing();
    } else {
        messageBox("Canvas", "It happens");
    }

    write_window_title(targets, zoom, in.title_note);
}

void write_window_title(const RedrawTargets& targets, int32_t zoom, const std::string& note) {
    setWindowTitle(targets.window, (targets.title + ",x" + decimalText(zoom) + note).c_str());
}
