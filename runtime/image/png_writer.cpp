// PNG over libpng: 8-bit RGB, no interlace, filter type 0 on every row, deflate level 9, and no
// ancillary chunk. libpng reports errors by jumping back to the recovery point set below.
#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "runtime/image/picture_writers.h"

namespace {

// Everything between setjmp and the jump back is plain C data: no destructor is skipped.
bool encode(const PixelSurface& picture, FILE* file) {
    // The structure must be made for the version of the library the program is built against;
    // libpng refuses a structure asked for with another version text.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_bgr(png);
    png_write_info(png, info);
    // Top line first; only width x 3 bytes of each row are read, never the row padding.
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.rowAt(y));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

int writePng24(const PixelSurface& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < static_cast<size_t>(picture.stride) * static_cast<size_t>(picture.height)) {
        return 0;
    }
    FILE* file = std::fopen(path.c_str(), "wbe");
    if (file == nullptr) {
        return 0;
    }
    bool ok = encode(picture, file);
    // Buffered output can fail only when it is flushed, so the close decides as well.
    ok = std::fflush(file) == 0 && !std::ferror(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::remove(path.c_str());
        return 0;
    }
    return 1;
}
