#include "runtime/image/encoders.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "runtime/image/image.h"
#include "tests/image/drawing_pass.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readAll(const fs::path& path) {
    const std::string bytes = contentsOf(path.string());
    return {bytes.begin(), bytes.end()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

class Encoders : public TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        registerPngEncoder();
        registerPngEncoder();  // a second registration adds nothing
    }
    void TearDown() override {
        releaseAllImages();
        TempDir::TearDown();
    }

    // Image `number` filled with random colours (dense) or black with a few white dots.
    static void makePicture(int number, int width, int height, bool dense, unsigned seed) {
        ASSERT_NE(newImage(number, width, height), 0);
        std::mt19937 random(seed);
        PixelSurface* s = imageSurface(number);
        DrawingPass pass(number);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (dense) {
                    fillBox(x, y, 1, 1, random() & 0xFFFFFF);
                } else if (random() % 97 == 0) {
                    fillBox(x, y, 1, 1, 0xFFFFFF);
                }
            }
        }
        // Row padding carries no meaning; garbage there must never reach a file.
        for (int y = 0; y < height; ++y) {
            for (int p = 3 * width; p < s->stride; ++p) {
                s->rowAt(y)[p] = 0xA5;
            }
        }
    }
};

// libpng's own reader, independent of the writer: every pixel as a packed colour.
std::vector<ColourValue> decodePng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        return {};
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<ColourValue> out;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        out.push_back(rgb[i] | rgb[i + 1] << 8 | static_cast<ColourValue>(rgb[i + 2]) << 16);
    }
    return out;
}

TEST_F(Encoders, BmpOfTheViewIsByteExact) {
    makePicture(0, 600, 512, true, 1);
    const std::string file = path("view.bmp");
    ASSERT_EQ(saveImageBmp(0, file), 1);
    const std::vector<uint8_t> b = readAll(file);
    ASSERT_EQ(b.size(), 921654u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), 921654u);
    EXPECT_EQ(le32(b, 6), 0u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 600u);
    EXPECT_EQ(le32(b, 22), 512u);
    EXPECT_EQ(b[26] | b[27] << 8, 1);
    EXPECT_EQ(b[28] | b[29] << 8, 24);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 921600u);
    for (size_t at = 38; at < 54; ++at) {
        EXPECT_EQ(b[at], 0) << at;
    }
    const PixelSurface* s = imageSurface(0);
    const ColourValue bottomLeft = s->pixel(0, 511);
    EXPECT_EQ(b[54], (bottomLeft >> 16) & 0xFF);
    EXPECT_EQ(b[55], (bottomLeft >> 8) & 0xFF);
    EXPECT_EQ(b[56], bottomLeft & 0xFF);
    EXPECT_TRUE(std::equal(s->pixels.begin(), s->pixels.end(), b.begin() + 54));
}

TEST_F(Encoders, BmpRowsArePaddedWithZeros) {
    makePicture(1, 5, 3, true, 2);
    const std::string file = path("odd.bmp");
    ASSERT_EQ(saveImageFile(1, file, FORMAT_BMP), 1);
    const std::vector<uint8_t> b = readAll(file);
    ASSERT_EQ(b.size(), 54u + 16u * 3u);
    EXPECT_EQ(le32(b, 34), 48u);
    const PixelSurface* s = imageSurface(1);
    for (int row = 0; row < 3; ++row) {  // bottom line first
        const size_t at = 54 + 16 * static_cast<size_t>(row);
        for (int x = 0; x < 5; ++x) {
            const ColourValue c = s->pixel(x, 2 - row);
            EXPECT_EQ(b[at + 3 * x], (c >> 16) & 0xFF);
            EXPECT_EQ(b[at + 3 * x + 1], (c >> 8) & 0xFF);
            EXPECT_EQ(b[at + 3 * x + 2], c & 0xFF);
        }
        EXPECT_EQ(b[at + 15], 0);
    }
}

TEST_F(Encoders, PngDecodesToTheSamePixels) {
    for (const bool dense : {true, false}) {
        for (const auto& [w, h] : {std::pair{600, 512}, std::pair{5, 7}}) {
            makePicture(2, w, h, dense, 3);
            const std::string file = path("round.png");
            ASSERT_EQ(saveImageFile(2, file, FORMAT_PNG), 1);
            int width = 0, height = 0;
            const std::vector<ColourValue> decoded = decodePng(file, width, height);
            ASSERT_EQ(width, w);
            ASSERT_EQ(height, h);
            const PixelSurface* s = imageSurface(2);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_EQ(decoded[static_cast<size_t>(y) * w + x], s->pixel(x, y)) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(Encoders, PngHoldsOnlyHeaderDataAndEndWithUnfilteredRowsTopFirst) {
    makePicture(0, 600, 512, true, 4);
    const std::string file = path("chunks.png");
    ASSERT_EQ(saveImageFile(0, file, FORMAT_PNG), 1);
    const std::vector<uint8_t> b = readAll(file);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(b.size(), 8u);
    ASSERT_TRUE(std::equal(signature, signature + 8, b.begin()));

    std::vector<std::string> kinds;
    std::vector<uint8_t> compressed;
    size_t at = 8;
    while (at + 12 <= b.size()) {
        const uint32_t length = be32(b, at);
        const std::string kind(b.begin() + at + 4, b.begin() + at + 8);
        ASSERT_LE(at + 12 + length, b.size());
        const uint32_t crc = static_cast<uint32_t>(crc32(0, b.data() + at + 4, length + 4));
        EXPECT_EQ(be32(b, at + 8 + length), crc) << kind;
        if (kind == "IHDR") {
            ASSERT_EQ(length, 13u);
            EXPECT_EQ(be32(b, at + 8), 600u);
            EXPECT_EQ(be32(b, at + 12), 512u);
            EXPECT_EQ(b[at + 16], 8);  // bit depth
            EXPECT_EQ(b[at + 17], 2);  // RGB
            EXPECT_EQ(b[at + 18], 0);  // compression
            EXPECT_EQ(b[at + 19], 0);  // filter method
            EXPECT_EQ(b[at + 20], 0);  // no interlace
        }
        if (kind == "IDAT") {
            compressed.insert(compressed.end(), b.begin() + at + 8, b.begin() + at + 8 + length);
        }
        if (kinds.empty() || kinds.back() != kind) {
            kinds.push_back(kind);
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(kinds, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    // Each row is a filter byte of 0 and the pixels as red, green, blue, top line first.
    const size_t rowBytes = 1 + 600 * 3;
    std::vector<uint8_t> raw(rowBytes * 512 + 1);
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()), Z_OK);
    ASSERT_EQ(rawSize, rowBytes * 512);
    const PixelSurface* s = imageSurface(0);
    for (int y = 0; y < 512; ++y) {
        ASSERT_EQ(raw[y * rowBytes], 0) << y;
        const ColourValue first = s->pixel(0, y);
        ASSERT_EQ(raw[y * rowBytes + 1], first & 0xFF) << y;
        ASSERT_EQ(raw[y * rowBytes + 3], (first >> 16) & 0xFF) << y;
    }
}

TEST_F(Encoders, RefusedSavesCreateNothing) {
    makePicture(0, 8, 8, false, 5);
    EXPECT_EQ(saveImageFile(0, "", FORMAT_PNG), 0);
    EXPECT_EQ(saveImageBmp(0, ""), 0);
    EXPECT_EQ(saveImageBmp(9, path("missing.bmp")), 0);
    EXPECT_EQ(saveImageFile(9, path("missing.png"), FORMAT_PNG), 0);
    EXPECT_EQ(saveImageFile(0, path("unknown.gif"), 0x464947), 0);
    EXPECT_EQ(saveImageFile(0, path("no/such/dir.png"), FORMAT_PNG), 0);
    EXPECT_EQ(saveImageBmp(0, path("no/such/dir.bmp")), 0);
    EXPECT_TRUE(fs::is_empty(dir_));

    // A name that is taken by a directory cannot be created; the directory stays as it was.
    fs::create_directory(dir_ / "taken");
    std::ofstream(dir_ / "taken" / "inside") << "kept";
    EXPECT_EQ(saveImageBmp(0, path("taken")), 0);
    EXPECT_EQ(saveImageFile(0, path("taken"), FORMAT_PNG), 0);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
    EXPECT_EQ(readAll(dir_ / "taken" / "inside").size(), 4u);
}

// Runs a save in a child whose files may not grow past `limit` bytes; the failing write then
// reports an error instead of raising a signal. The child's result is its exit code.
int saveWithFileSizeLimit(int32_t format, const std::string& file, rlim_t limit) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &cap) != 0) {
            _exit(99);
        }
        _exit(saveImageFile(0, file, format));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST_F(Encoders, AWriteThatFailsMidwayKeepsTheOldFile) {
    makePicture(0, 600, 512, true, 6);
    for (const int32_t format : {FORMAT_BMP, FORMAT_PNG}) {
        const std::string file = path(format == FORMAT_BMP ? "cut.bmp" : "cut.png");
        const std::string old(100000, 'o');
        std::ofstream(file, std::ios::binary) << old;
        EXPECT_EQ(saveWithFileSizeLimit(format, file, 64 * 1024), 0) << format;
        const std::vector<uint8_t> kept = readAll(file);
        EXPECT_EQ(std::string(kept.begin(), kept.end()), old) << format;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << format;
        // The same save without the limit succeeds, so the limit is what failed it.
        EXPECT_EQ(saveWithFileSizeLimit(format, file, RLIM_INFINITY), 1) << format;
        EXPECT_NE(readAll(file).size(), old.size()) << format;
        fs::remove(file);
    }
}

}  // namespace
