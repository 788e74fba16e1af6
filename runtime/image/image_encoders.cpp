// Format dispatch: BMP is built in, other formats are entries of the encoder table.
#include <vector>

#include "runtime/image/encoders.h"
#include "runtime/image/image.h"
#include "runtime/image/picture_writers.h"

namespace {

struct EncoderEntry {
    int32_t formatCode;
    int (*write24)(const PixelSurface& picture, const std::string& path);
};

std::vector<EncoderEntry>& encoders() {
    static std::vector<EncoderEntry> table;
    return table;
}

}  // namespace

void registerPngEncoder() {
    static bool registered = false;
    if (!registered) {
        encoders().push_back({FORMAT_PNG, writePng24});
        registered = true;
    }
}

int saveImageFile(int number, const std::string& path, int32_t formatCode) {
    if (path.empty()) {
        return 0;
    }
    const PixelSurface* picture = imageSurface(number);
    if (picture == nullptr || picture->pixels.empty()) {
        return 0;
    }
    // Every image of this runtime is 24 bits deep.
    if (formatCode == FORMAT_BMP) {
        return writeBmp24(*picture, path);
    }
    for (const EncoderEntry& entry : encoders()) {
        if (entry.formatCode == formatCode) {
            return entry.write24(*picture, path);
        }
    }
    return 0;
}

int saveImageBmp(int number, const std::string& path) { return saveImageFile(number, path, FORMAT_BMP); }
