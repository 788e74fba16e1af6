#pragma once
// Picture resampling used by rescaleImage.
#include "runtime/image/surface.h"

// Maps the whole of `source` onto the whole of `dest` (both allocated). Raw: every target
// pixel takes the source pixel its position falls on, so an enlargement by a whole factor n
// turns each source pixel into an n x n block. Smooth: every target pixel is the mean of the
// source pixels its area covers (at least one).
void resampleSurface(const PixelSurface& source, PixelSurface& dest, bool raw);
