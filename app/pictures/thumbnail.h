#pragma once
// A picture's thumbnail as the view draws it: the sprite layout at the picture's width and zoom
// 1, from its first byte, over an area of at most the thumbnail's size.
#include <cstdint>
#include <span>

#include "analysis/pictures/found_pictures.h"
#include "runtime/image/surface.h"
#include "view/layout/sprite_layout.h"

// The layout that draws the thumbnail of `picture` of `file` into the top left of a target of
// width x height pixels. A picture is one column, as many rows as it has (at most the height);
// a font is drawn in multi columns, each a whole number of glyphs tall (when a glyph fits the
// height), as many columns as its glyphs fill, so that its first glyphs show. The rest of the
// target is left as it is. Bytes after the picture that share its last row or column are drawn
// as the view shows them. Nothing is drawn (view size 0) for a picture outside the file.
[[nodiscard]] SpriteLayoutInput thumbnail_layout(std::span<const uint8_t> file, const FoundPicture& picture,
                                                 int width, int height);

// Draws it into the surface (whose size is the thumbnail's): a drawing pass of its own, so no
// other pass may be open.
void draw_thumbnail(std::span<const uint8_t> file, const FoundPicture& picture, PixelSurface& into);
