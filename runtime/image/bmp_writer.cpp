// Windows bitmap, 24 bits, no compression, rows bottom-up as they are held in memory.
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/files/replacing_file.h"
#include "runtime/image/picture_writers.h"

namespace {

constexpr int FILE_HEADER_SIZE = 14;
constexpr int INFO_HEADER_SIZE = 40;

void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

bool writePixels(ReplacingFile& file, const PixelSurface& picture, size_t rowSize) {
    const size_t used = 3 * static_cast<size_t>(picture.width);
    if (used == rowSize && static_cast<size_t>(picture.stride) == rowSize) {
        return file.write(picture.pixels.data(), rowSize * static_cast<size_t>(picture.height));
    }
    // Rows with padding go through a zeroed buffer: the padding of the surface carries no
    // meaning and must not reach the file.
    std::vector<uint8_t> row(rowSize, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        std::memcpy(row.data(), picture.rowAt(y), used);
        if (!file.write(row.data(), rowSize)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int writeBmp24(const PixelSurface& picture, const std::string& path) {
    const size_t rowSize = static_cast<size_t>(surfaceStride(picture.width));
    const uint64_t dataSize = static_cast<uint64_t>(rowSize) * static_cast<uint64_t>(picture.height);
    const uint64_t fileSize = FILE_HEADER_SIZE + INFO_HEADER_SIZE + dataSize;
    if (picture.width <= 0 || picture.height <= 0 || fileSize > UINT32_MAX ||
        picture.pixels.size() < rowSize * static_cast<size_t>(picture.height)) {
        return 0;
    }

    uint8_t fileHeader[FILE_HEADER_SIZE] = {'B', 'M'};
    put32(fileHeader + 2, static_cast<uint32_t>(fileSize));
    put32(fileHeader + 10, FILE_HEADER_SIZE + INFO_HEADER_SIZE);
    uint8_t infoHeader[INFO_HEADER_SIZE] = {};
    put32(infoHeader + 0, INFO_HEADER_SIZE);
    put32(infoHeader + 4, static_cast<uint32_t>(picture.width));
    put32(infoHeader + 8, static_cast<uint32_t>(picture.height));
    put16(infoHeader + 12, 1);
    put16(infoHeader + 14, 24);
    put32(infoHeader + 20, static_cast<uint32_t>(dataSize));

    ReplacingFile file(path);
    const bool ok = file.isOpen() && file.write(fileHeader, sizeof fileHeader) &&
                    file.write(infoHeader, sizeof infoHeader) && writePixels(file, picture, rowSize) &&
                    file.commit();
    return ok ? 1 : 0;
}
