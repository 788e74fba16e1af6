#pragma once
// The format writers behind saveImageFile. Each takes a 24-bit surface and a path, returns 1 on
// success and 0 on failure; the target is replaced whole or left as it was.
#include <string>

#include "runtime/image/surface.h"

[[nodiscard]] int writeBmp24(const PixelSurface& picture, const std::string& path);
[[nodiscard]] int writePng24(const PixelSurface& picture, const std::string& path);
