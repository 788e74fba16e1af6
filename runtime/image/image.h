#pragma once
// Numbered images and drawing passes.
//
// Images are addressed by small non-negative numbers the caller chooses; putting a new image
// under a used number releases the old one first. Drawing happens in a pass: a target is made
// (imageTarget, or canvasTarget of the windowing runtime), opened with beginDrawing, receives
// fillBox / drawLine / blitImage, and is closed with endDrawing. One pass is current at a time;
// everything drawn is clipped to its target.
#include <cstdint>

#include "runtime/image/surface.h"

// Opaque handle of an image's pixels as blitImage takes it; 0 means none. Handles are never
// reused, so one kept after its image was released or replaced draws nothing.
using BitmapHandle = uintptr_t;

struct DrawTarget;

// Nonzero on success; the image is black. The number is emptied first, even on failure.
int newImage(int number, int width, int height);
void releaseImage(int number);
void releaseAllImages();
BitmapHandle imageBitmap(int number);
// The image's surface, or null when the number holds no image.
PixelSurface* imageSurface(int number);
// A target for beginDrawing, or null when the number holds no image. Making it makes it current;
// a target that was current before is closed first, as endDrawing would close it.
DrawTarget* imageTarget(int number);
// A new image width x height under `number` holding the source's pixels from (x, y); parts
// outside the source are black. Nonzero on success; on failure `number` keeps what it had.
int copyImageRegion(int source, int number, int x, int y, int width, int height);
// Resizes the picture (raw: pixels replicated or dropped; otherwise averaged). A size of -65535
// keeps that dimension. Returns the new handle, 0 on failure (the number is then empty).
BitmapHandle rescaleImage(int number, int width, int height, int raw);

// A target over memory owned by someone else (the canvas). `finish` runs at endDrawing, with
// `context`; it does not run when beginDrawing discards a target without pixel memory.
// Releasing or replacing an image during a pass over it leaves the pass drawing nothing.
DrawTarget* surfaceTarget(PixelSurface* surface, void (*finish)(void* context), void* context);

// Nonzero on success. A null target gives 0. A target without pixel memory is discarded.
int beginDrawing(DrawTarget* target);
// Closes the current pass and runs its finishing action; nothing without a current pass.
void endDrawing();
// The surface of the current pass, or null; for code that writes whole spans itself.
PixelSurface* currentSurface();

void fillBox(int x, int y, int width, int height, ColourValue colour);
// Both end points are drawn.
void drawLine(int x1, int y1, int x2, int y2, ColourValue colour);
// (x, y) is where the image's top-left pixel goes; a handle of 0 draws nothing.
void blitImage(BitmapHandle bitmap, int x, int y);
