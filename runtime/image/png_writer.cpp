// The window's PNG: 8-bit RGB, no interlace, filter type 0 on every row, deflate level 9, and no
// ancillary chunk. The file is made in memory and then replaces the target whole.
#include "runtime/files/replacing_file.h"
#include "runtime/image/picture_bytes.h"
#include "runtime/image/picture_writers.h"

namespace {

constexpr PngSettings WINDOW_PNG{.compressionLevel = 9, .indexedWhenFew = false};

}  // namespace

int writePng24(const PixelSurface& picture, const std::string& path) {
    const std::vector<uint8_t> file = encodePng(picture, WINDOW_PNG);
    return !file.empty() && replaceFileWith(path, file.data(), file.size()) ? 1 : 0;
}
