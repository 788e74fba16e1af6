#pragma once
// Shared by the files of the image runtime only: the record behind a DrawTarget and the
// links between the image table and the current drawing pass.
#include <cstdint>

#include "runtime/image/image.h"
#include "runtime/image/surface.h"

struct DrawTarget {
    PixelSurface* surface = nullptr;  // null once the surface went away during the pass
    void (*finish)(void* context) = nullptr;
    void* context = nullptr;
    bool open = false;  // set by beginDrawing
    // The colour last used, and its components in the order they are stored.
    ColourValue colour = 0;
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
};

// The current target when a pass is open on it and it still has pixel memory; else null.
DrawTarget* openDrawTarget();
// Called before a surface is freed or replaced, so that a pass over it draws nothing more
// instead of writing into freed memory.
void forgetSurface(const PixelSurface* surface);
// The surface of the image whose handle this is, or null for 0 or a handle no longer held.
const PixelSurface* surfaceOfBitmap(BitmapHandle bitmap);
