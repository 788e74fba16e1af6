// Windows bitmap, 24 bits, no compression, rows bottom-up as they are held in memory.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

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

// Short writes are continued; only an error or a write that makes no progress fails.
bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

bool writePixels(int fd, const PixelSurface& picture, size_t rowSize) {
    const size_t used = 3 * static_cast<size_t>(picture.width);
    if (used == rowSize && static_cast<size_t>(picture.stride) == rowSize) {
        return writeAll(fd, picture.pixels.data(), rowSize * static_cast<size_t>(picture.height));
    }
    // Rows with padding go through a zeroed buffer: the padding of the surface carries no
    // meaning and must not reach the file.
    std::vector<uint8_t> row(rowSize, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        std::memcpy(row.data(), picture.rowAt(y), used);
        if (!writeAll(fd, row.data(), rowSize)) {
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

    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return 0;
    }
    bool ok = writeAll(fd, fileHeader, sizeof fileHeader) && writeAll(fd, infoHeader, sizeof infoHeader) &&
              writePixels(fd, picture, rowSize);
    // A failed close can mean data that never reached the disk.
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(path.c_str());
        return 0;
    }
    return 1;
}
