#include "runtime/image/picture_bytes.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>

namespace {

constexpr size_t BMP_HEADERS = 54;

void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

bool hasPixels(const PixelSurface& picture) {
    return picture.width > 0 && picture.height > 0 && picture.stride >= 3 * picture.width &&
           picture.pixels.size() >= static_cast<size_t>(picture.stride) * static_cast<size_t>(picture.height);
}

uint32_t packedAt(const uint8_t* p) { return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16); }

// The picture as palette indices, one byte per pixel, rows top first, with its colours in order
// of first appearance; false when it has more than 256 colours. Neighbouring pixels of a view
// differ as often as its bits do, so the lookup is a hash probe whose test nearly always
// succeeds, not a search that branches on the colour.
class IndexedPicture {
public:
    bool build(const PixelSurface& picture) {
        indices.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
        uint8_t* out = indices.data();
        for (int y = 0; y < picture.height; ++y) {
            const uint8_t* p = picture.rowAt(y);
            for (int x = 0; x < picture.width; ++x, p += 3) {
                const uint32_t key = packedAt(p) | USED;
                uint32_t slot = (key * 2654435761u) >> (32 - SLOT_BITS);
                while (keys_[slot] != key) {
                    if (keys_[slot] == 0) {
                        if (palette.size() == 256) return false;
                        keys_[slot] = key;
                        values_[slot] = static_cast<uint8_t>(palette.size());
                        palette.push_back(key & 0xFFFFFF);
                        break;
                    }
                    slot = (slot + 1) & (SLOTS - 1);
                }
                *out++ = values_[slot];
            }
        }
        return true;
    }

    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;

private:
    static constexpr int SLOT_BITS = 10;
    static constexpr uint32_t SLOTS = 1u << SLOT_BITS;  // at most a quarter full
    static constexpr uint32_t USED = 1u << 24;          // no colour is 0 this way
    std::array<uint32_t, SLOTS> keys_{};
    std::array<uint8_t, SLOTS> values_{};
};

int bitsFor(size_t colours) {
    if (colours <= 2) return 1;
    if (colours <= 4) return 2;
    if (colours <= 16) return 4;
    return 8;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        out->insert(out->end(), data, data + length);
    } catch (...) {
        stored = false;  // an exception must not cross libpng's C frames
    }
    if (!stored) {
        png_error(png, "out of memory");
    }
}

void noFlush(png_structp) {}

// Everything between setjmp and the jump back is plain data or owned by `out` and `row`, whose
// destructors run in the caller after the jump has returned here: no destructor is skipped.
bool encodeInto(const PixelSurface& picture, const PngSettings& settings, const IndexedPicture* indexed,
                std::vector<uint8_t>& out, std::vector<uint8_t>& row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, std::clamp(settings.compressionLevel, 0, 9));
    const auto width = static_cast<png_uint_32>(picture.width);
    const auto height = static_cast<png_uint_32>(picture.height);
    if (indexed != nullptr) {
        const std::vector<uint32_t>& palette = indexed->palette;
        const int bits = bitsFor(palette.size());
        png_set_IHDR(png, info, width, height, bits, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        std::array<png_color, 256> colours{};
        for (size_t i = 0; i < palette.size(); ++i) {
            const uint32_t c = palette[i];
            colours[i] = {static_cast<png_byte>(c), static_cast<png_byte>(c >> 8),
                          static_cast<png_byte>(c >> 16)};
        }
        png_set_PLTE(png, info, colours.data(), static_cast<int>(palette.size()));
        png_write_info(png, info);
        const int perByte = 8 / bits;
        row.assign((static_cast<size_t>(picture.width) + perByte - 1) / perByte, 0);
        const uint8_t* index = indexed->indices.data();
        for (int y = 0; y < picture.height; ++y) {
            // Pixels run left to right from the most significant bits of each byte.
            for (size_t b = 0; b < row.size(); ++b) {
                unsigned packed = 0;
                for (int k = 0; k < perByte; ++k) {
                    const size_t x = b * static_cast<size_t>(perByte) + static_cast<size_t>(k);
                    packed = packed << bits | (x < static_cast<size_t>(picture.width) ? index[x] : 0u);
                }
                row[b] = static_cast<uint8_t>(packed);
            }
            index += picture.width;
            png_write_row(png, row.data());
        }
    } else {
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_set_bgr(png);
        png_write_info(png, info);
        for (int y = 0; y < picture.height; ++y) {
            // libpng takes a non-const row but only reads it.
            png_write_row(png, const_cast<uint8_t*>(picture.rowAt(y)));
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::vector<uint8_t> encodeBmp24(const PixelSurface& picture) {
    if (!hasPixels(picture)) return {};
    const size_t rowSize = static_cast<size_t>(surfaceStride(picture.width));
    const uint64_t dataSize = static_cast<uint64_t>(rowSize) * static_cast<uint64_t>(picture.height);
    if (BMP_HEADERS + dataSize > UINT32_MAX) return {};

    std::vector<uint8_t> file(BMP_HEADERS + dataSize, 0);
    uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, static_cast<uint32_t>(file.size()));
    put32(h + 10, BMP_HEADERS);
    put32(h + 14, 40);
    put32(h + 18, static_cast<uint32_t>(picture.width));
    put32(h + 22, static_cast<uint32_t>(picture.height));
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, static_cast<uint32_t>(dataSize));
    // Bottom line first, as the surface holds it; the padding of the surface carries no
    // meaning, so only the pixels are copied and the file's padding stays zero.
    const size_t used = 3 * static_cast<size_t>(picture.width);
    for (int y = picture.height - 1, n = 0; y >= 0; --y, ++n) {
        std::memcpy(file.data() + BMP_HEADERS + static_cast<size_t>(n) * rowSize, picture.rowAt(y), used);
    }
    return file;
}

std::vector<uint8_t> encodePng(const PixelSurface& picture, const PngSettings& settings) {
    if (!hasPixels(picture)) return {};
    IndexedPicture indexed;
    const bool useIndexed = settings.indexedWhenFew && indexed.build(picture);
    std::vector<uint8_t> out;
    std::vector<uint8_t> row;
    // Raw data plus a little; deflate of noise can grow a bit past it.
    out.reserve(static_cast<size_t>(picture.height) * (useIndexed ? picture.width / 2 : 3 * picture.width) +
                1024);
    if (!encodeInto(picture, settings, useIndexed ? &indexed : nullptr, out, row)) return {};
    return out;
}
