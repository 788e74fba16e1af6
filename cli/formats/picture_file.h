#pragma once
// The picture formats of render and sheet, and the encoding the command line uses for each.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/image/picture_bytes.h"
#include "runtime/image/surface.h"

enum class PictureFormat { Png, Bmp, Pbm };

// The command line's PNG: indexed colour (a view has at most five colours, so 1 to 4 bits per
// pixel instead of 24) at zlib level 1 and filter type 0. The window keeps its own settings
// (24-bit RGB at level 9); both decode to the same pixels.
constexpr PngSettings CLI_PNG{.compressionLevel = 1, .indexedWhenFew = true};

// From "png", "bmp" or "pbm" in any case.
[[nodiscard]] std::optional<PictureFormat> picture_format_named(std::string_view name);
// From the output name's extension (.png, .bmp, .pbm, in any case).
[[nodiscard]] std::optional<PictureFormat> picture_format_of_path(const std::string& path);

// The file's bytes; empty when the picture cannot be encoded. PBM takes `set_colour` as the
// set bit and every other colour as clear.
[[nodiscard]] std::vector<uint8_t> encode_picture(const PixelSurface& picture, PictureFormat format,
                                                  uint32_t set_colour);
