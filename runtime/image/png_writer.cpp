// PNG over libpng: 8-bit RGB, no interlace, filter type 0 on every row, deflate level 9, and no
// ancillary chunk. libpng reports errors by jumping back to the recovery point set below; the
// bytes reach the file through our own write function, which turns a failed write into such an
// error, so the encoding stops at once and the file is never completed.
#include <png.h>

#include <csetjmp>

#include "runtime/files/replacing_file.h"
#include "runtime/image/picture_writers.h"

namespace {

void writeToFile(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<ReplacingFile*>(png_get_io_ptr(png));
    if (!file->write(data, length)) {
        png_error(png, "write failed");
    }
}

// Nothing is buffered on our side; the commit flushes the file to the disk.
void flushFile(png_structp) {}

// Everything between setjmp and the jump back is plain C data: no destructor is skipped, and
// the jump from writeToFile leaves no C++ frame that owns anything.
bool encode(const PixelSurface& picture, ReplacingFile& file) {
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
    png_set_write_fn(png, &file, writeToFile, flushFile);
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
    ReplacingFile file(path);
    const bool ok = file.isOpen() && encode(picture, file) && file.commit();
    return ok ? 1 : 0;
}
