// The in-memory encoders on odd-sized pictures, decoded again by libpng: the indexed form at each
// bit depth and the fall-back to RGB must all give back every pixel.
#include "runtime/image/picture_bytes.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

namespace {

// A 37 x 11 picture (rows padded in memory) of `colours` distinct colours in a pattern that
// changes colour at nearly every pixel.
PixelSurface pictureOf(int colours) {
    PixelSurface s;
    EXPECT_TRUE(s.allocate(37, 11));
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const uint32_t c = static_cast<uint32_t>((x * 7 + y * 13) % colours) * 0x010307u + 0x102030u;
            uint8_t* p = s.rowAt(y) + 3 * x;
            p[0] = static_cast<uint8_t>(c >> 16);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c);
        }
    }
    return s;
}

struct Decoded {
    int bitDepth = 0;
    int colourType = -1;
    std::vector<uint32_t> pixels;
};

Decoded decode(const std::vector<uint8_t>& file) {
    Decoded d;
    if (file.size() < 33) return d;
    d.bitDepth = file[24];
    d.colourType = file[25];
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return d;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return d;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        d.pixels.push_back(rgb[i] | rgb[i + 1] << 8 | rgb[i + 2] << 16);
    return d;
}

std::vector<uint32_t> pixelsOf(const PixelSurface& s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) out.push_back(s.pixel(x, y) & 0xFFFFFF);
    }
    return out;
}

TEST(PictureBytes, IndexedPngTakesTheFewestBitsAndDecodesToEveryPixel) {
    const std::pair<int, int> depths[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {256, 8}};
    for (const auto& [colours, bits] : depths) {
        const PixelSurface s = pictureOf(colours);
        const Decoded d = decode(encodePng(s, {.compressionLevel = 1, .indexedWhenFew = true}));
        EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE) << colours;
        EXPECT_EQ(d.bitDepth, bits) << colours << " colours";
        EXPECT_EQ(d.pixels, pixelsOf(s)) << colours << " colours";
    }
    // More colours than a palette holds: 24-bit RGB, the same pixels.
    const PixelSurface many = pictureOf(257);
    const Decoded rgb = decode(encodePng(many, {.compressionLevel = 1, .indexedWhenFew = true}));
    EXPECT_EQ(rgb.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(rgb.pixels, pixelsOf(many));
    const Decoded plain = decode(encodePng(pictureOf(3), {.compressionLevel = 9, .indexedWhenFew = false}));
    EXPECT_EQ(plain.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(plain.pixels, pixelsOf(pictureOf(3)));
}

TEST(PictureBytes, EmptySurfacesGiveNoFile) {
    PixelSurface none;
    EXPECT_TRUE(encodePng(none, {}).empty());
    EXPECT_TRUE(encodeBmp24(none).empty());
}

}  // namespace
