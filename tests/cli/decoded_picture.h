#pragma once
// Pictures read back by readers that share no code with the program: libpng's simplified
// reader for PNG, and small readers written here for BMP and PBM. Pixels are packed colours
// (red + green x 256 + blue x 65536), rows top first.
#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/image/surface.h"

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const DecodedPicture&) const = default;
};

inline DecodedPicture decodePng(const std::string& bytes) {
    DecodedPicture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        picture.pixels.push_back(rgb[i] | rgb[i + 1] << 8 | static_cast<uint32_t>(rgb[i + 2]) << 16);
    }
    return picture;
}

inline uint32_t littleEndian32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

// 24-bit uncompressed BMP with a positive (bottom-up) height.
inline DecodedPicture decodeBmp(const std::string& bytes) {
    DecodedPicture picture;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return picture;
    const uint32_t dataAt = littleEndian32(bytes, 10);
    const int width = static_cast<int>(littleEndian32(bytes, 18));
    const int height = static_cast<int>(littleEndian32(bytes, 22));
    const size_t rowSize = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || bytes.size() < dataAt + rowSize * height) return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const size_t row = dataAt + rowSize * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + row + 3 * static_cast<size_t>(x));
            picture.pixels[static_cast<size_t>(y) * width + x] =
                p[2] | p[1] << 8 | static_cast<uint32_t>(p[0]) << 16;
        }
    }
    return picture;
}

// Raw PBM (P4): 1 is black. Returned as 1 (set) and 0 (clear) per pixel.
inline DecodedPicture decodePbm(const std::string& bytes) {
    DecodedPicture picture;
    size_t at = 0;
    auto skipSpace = [&] {
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (bytes[at] == ' ' || bytes[at] == '\n' || bytes[at] == '\r' || bytes[at] == '\t') {
                ++at;
            } else {
                break;
            }
        }
    };
    auto number = [&] {
        skipSpace();
        int value = 0;
        while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9')
            value = value * 10 + (bytes[at++] - '0');
        return value;
    };
    if (bytes.compare(0, 2, "P4") != 0) return picture;
    at = 2;
    const int width = number();
    const int height = number();
    ++at;  // the single whitespace byte before the raster
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    if (width <= 0 || height <= 0 || bytes.size() < at + rowBytes * height) return picture;
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto byte = static_cast<uint8_t>(bytes[at + rowBytes * y + static_cast<size_t>(x / 8)]);
            picture.pixels.push_back(byte >> (7 - x % 8) & 1);
        }
    }
    return picture;
}

inline DecodedPicture pictureOf(const PixelSurface& surface) {
    DecodedPicture picture;
    picture.width = surface.width;
    picture.height = surface.height;
    for (int y = 0; y < surface.height; ++y) {
        for (int x = 0; x < surface.width; ++x) picture.pixels.push_back(surface.pixel(x, y) & 0xFFFFFF);
    }
    return picture;
}

// The part of a picture inside a rectangle.
inline DecodedPicture cropped(const DecodedPicture& from, int x, int y, int width, int height) {
    DecodedPicture part;
    part.width = width;
    part.height = height;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) part.pixels.push_back(from.at(x + i, y + j));
    }
    return part;
}

// Where two pictures first differ, for failure messages; empty when they are equal.
inline std::string firstDifference(const DecodedPicture& got, const DecodedPicture& want) {
    if (got.width != want.width || got.height != want.height) {
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + " instead of " +
               std::to_string(want.width) + "x" + std::to_string(want.height);
    }
    for (int y = 0; y < want.height; ++y) {
        for (int x = 0; x < want.width; ++x) {
            if (got.at(x, y) != want.at(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X instead of %06X", x, y, got.at(x, y),
                              want.at(x, y));
                return text;
            }
        }
    }
    return {};
}
