#pragma once
// The found pictures as lines of text: start<TAB>end<TAB>width<TAB>score<TAB>kind<TAB>cell<TAB>glyphs,
// where kind is "font" or "picture", cell is like "8x16" and glyphs a count ("-" for both where
// the picture is not a font).
#include <string>

#include "analysis/pictures/found_pictures.h"

[[nodiscard]] std::string picture_line(const FoundPicture& picture);
// "8x16": the glyph cell in pixels, or "-".
[[nodiscard]] std::string cell_text(const FoundPicture& picture);
