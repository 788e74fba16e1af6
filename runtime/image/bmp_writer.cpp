// Windows bitmap, 24 bits, no compression, rows bottom-up as they are held in memory: the file
// is made in memory and then replaces the target whole.
#include "runtime/files/replacing_file.h"
#include "runtime/image/picture_bytes.h"
#include "runtime/image/picture_writers.h"

int writeBmp24(const PixelSurface& picture, const std::string& path) {
    const std::vector<uint8_t> file = encodeBmp24(picture);
    return !file.empty() && replaceFileWith(path, file.data(), file.size()) ? 1 : 0;
}
