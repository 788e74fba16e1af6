// The numbered image table. Pixel memory is owned here; a bitmap handle is a serial number
// that is never reused, so a handle kept after its image went away finds nothing.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>

#include "runtime/image/draw_target_internal.h"
#include "runtime/image/image.h"
#include "runtime/image/image_scaling.h"

namespace {

// Sizes are kept as 16-bit signed values, so larger pictures are refused, not wrapped.
constexpr int MAX_SIDE = 32767;
constexpr int KEEP_SIZE = -65535;
constexpr int DEPTH = 24;

struct ImageRecord {
    BitmapHandle bitmap = 0;
    int16_t width = 0;
    int16_t height = 0;
    uint8_t depth = 0;
    uint8_t creationDepth = 0;
    std::unique_ptr<PixelSurface> surface;
};

std::map<int, ImageRecord>& table() {
    static std::map<int, ImageRecord> images;
    return images;
}

BitmapHandle nextHandle() {
    static BitmapHandle last = 0;
    return ++last;
}

ImageRecord* recordOf(int number) {
    auto it = table().find(number);
    return it != table().end() && it->second.bitmap != 0 ? &it->second : nullptr;
}

std::unique_ptr<PixelSurface> makeSurface(int width, int height) {
    if (width <= 0 || height <= 0 || width > MAX_SIDE || height > MAX_SIDE) {
        return nullptr;
    }
    auto surface = std::make_unique<PixelSurface>();
    if (!surface->allocate(width, height)) {
        return nullptr;
    }
    return surface;
}

void put(int number, std::unique_ptr<PixelSurface> surface, uint8_t depth, uint8_t creationDepth) {
    releaseImage(number);
    ImageRecord& record = table()[number];
    record.width = static_cast<int16_t>(surface->width);
    record.height = static_cast<int16_t>(surface->height);
    record.depth = depth;
    record.creationDepth = creationDepth;
    record.surface = std::move(surface);
    record.bitmap = nextHandle();
}

}  // namespace

int newImage(int number, int width, int height) {
    releaseImage(number);
    if (number < 0) {
        return 0;
    }
    std::unique_ptr<PixelSurface> surface = makeSurface(width, height);
    if (!surface) {
        return 0;
    }
    put(number, std::move(surface), DEPTH, DEPTH);
    return 1;
}

void releaseImage(int number) {
    auto it = table().find(number);
    if (it == table().end()) {
        return;
    }
    forgetSurface(it->second.surface.get());
    table().erase(it);
}

void releaseAllImages() {
    for (auto& entry : table()) {
        forgetSurface(entry.second.surface.get());
    }
    table().clear();
}

BitmapHandle imageBitmap(int number) {
    const ImageRecord* record = recordOf(number);
    return record != nullptr ? record->bitmap : 0;
}

PixelSurface* imageSurface(int number) {
    ImageRecord* record = recordOf(number);
    return record != nullptr ? record->surface.get() : nullptr;
}

const PixelSurface* surfaceOfBitmap(BitmapHandle bitmap) {
    if (bitmap == 0) {
        return nullptr;
    }
    for (const auto& entry : table()) {
        if (entry.second.bitmap == bitmap) {
            return entry.second.surface.get();
        }
    }
    return nullptr;
}

DrawTarget* imageTarget(int number) {
    PixelSurface* surface = imageSurface(number);
    if (surface == nullptr || surface->pixels.empty()) {
        return nullptr;
    }
    return surfaceTarget(surface, nullptr, nullptr);
}

int copyImageRegion(int source, int number, int x, int y, int width, int height) {
    const ImageRecord* from = recordOf(source);
    if (from == nullptr || number < 0) {
        return 0;
    }
    std::unique_ptr<PixelSurface> copy = makeSurface(width, height);
    if (!copy) {
        return 0;
    }
    const PixelSurface& src = *from->surface;
    // The part of the region that lies on the source; the rest keeps the new image's black.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + width, src.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + height, src.height);
    for (int64_t row = top; row < bottom && left < right; ++row) {
        std::copy_n(src.rowAt(static_cast<int>(row)) + 3 * left, 3 * (right - left),
                    copy->rowAt(static_cast<int>(row - y)) + 3 * (left - x));
    }
    const uint8_t depth = from->depth;
    const uint8_t creationDepth = from->creationDepth;
    put(number, std::move(copy), depth, creationDepth);
    return 1;
}

BitmapHandle rescaleImage(int number, int width, int height, int raw) {
    ImageRecord* record = recordOf(number);
    if (record == nullptr) {
        return 0;
    }
    const int newWidth = width == KEEP_SIZE ? record->width : width;
    const int newHeight = height == KEEP_SIZE ? record->height : height;
    if (newWidth == record->width && newHeight == record->height) {
        return record->bitmap;
    }
    std::unique_ptr<PixelSurface> scaled = makeSurface(newWidth, newHeight);
    if (!scaled) {
        // The old picture is given up either way; the number is left empty.
        releaseImage(number);
        return 0;
    }
    resampleSurface(*record->surface, *scaled, raw != 0);
    forgetSurface(record->surface.get());
    record->surface = std::move(scaled);
    record->width = static_cast<int16_t>(newWidth);
    record->height = static_cast<int16_t>(newHeight);
    record->bitmap = nextHandle();
    return record->bitmap;
}
