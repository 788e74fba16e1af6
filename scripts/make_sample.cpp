// Writes the sample data file the README opens: pictures hidden among noise, the way they sit
// inside real binaries.
//
//   offset   301  a run of 8 x 8 glyphs, "PIXELSIEVE 2C"   visible at width 1
//   offset   512  four 16 x 16 sprites                     line up at width 2
//   offset  1200  a 32 x 32 face                           lines up at width 4
//   offset  2001  the glyphs again, inverted               width 1, "inverse" shows them
// Everything else is noise from a fixed seed, so the file is the same on every machine.
//
// Usage: make_sample OUTPUT_FILE
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t SAMPLE_SIZE = 4096;

struct Glyph {
    char letter;
    uint8_t rows[8];
};

// Most significant bit leftmost, one byte per row.
constexpr Glyph GLYPHS[] = {
    {'P', {0xFC, 0x66, 0x66, 0x7C, 0x60, 0x60, 0xF0, 0x00}},
    {'I', {0x3C, 0x18, 0x18, 0x18, 0x18, 0x18, 0x3C, 0x00}},
    {'X', {0xC6, 0x6C, 0x38, 0x38, 0x38, 0x6C, 0xC6, 0x00}},
    {'E', {0xFE, 0x62, 0x68, 0x78, 0x68, 0x62, 0xFE, 0x00}},
    {'L', {0xF0, 0x60, 0x60, 0x60, 0x62, 0x66, 0xFE, 0x00}},
    {'S', {0x7C, 0xC6, 0xE0, 0x78, 0x0E, 0xC6, 0x7C, 0x00}},
    {'V', {0xC6, 0xC6, 0xC6, 0xC6, 0x6C, 0x38, 0x10, 0x00}},
    {'2', {0x7C, 0xC6, 0x0E, 0x3C, 0x70, 0xE6, 0xFE, 0x00}},
    {'C', {0x3C, 0x66, 0xC0, 0xC0, 0xC0, 0x66, 0x3C, 0x00}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
};

const Glyph& glyph_for(char letter) {
    for (const Glyph& g : GLYPHS) {
        if (g.letter == letter) {
            return g;
        }
    }
    return GLYPHS[sizeof(GLYPHS) / sizeof(GLYPHS[0]) - 1];
}

// A small fixed-seed generator: the noise must not depend on the standard library's.
struct Noise {
    uint32_t state = 0x2545F491u;
    uint8_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<uint8_t>(state >> 24);
    }
};

// A square picture of side bits, drawn by a predicate, packed row by row.
template <typename Inside>
std::vector<uint8_t> picture(int side, Inside inside) {
    std::vector<uint8_t> bytes(static_cast<size_t>(side / 8 * side), 0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (inside(x, y)) {
                bytes[static_cast<size_t>(y * (side / 8) + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bytes;
}

double distance(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

std::vector<uint8_t> ball(int side) {
    const double c = (side - 1) / 2.0;
    return picture(side, [=](int x, int y) { return distance(x, y, c, c) <= c; });
}

std::vector<uint8_t> ring(int side) {
    const double c = (side - 1) / 2.0;
    return picture(side, [=](int x, int y) {
        const double d = distance(x, y, c, c);
        return d <= c && d >= c - 2;
    });
}

std::vector<uint8_t> diamond(int side) {
    const int c = side / 2;
    return picture(side, [=](int x, int y) { return std::abs(x - c) + std::abs(y - c) < c; });
}

std::vector<uint8_t> face(int side) {
    const double c = (side - 1) / 2.0;
    const double eye = side / 5.0;
    return picture(side, [=](int x, int y) {
        const double d = distance(x, y, c, c);
        if (d > c) {
            return false;
        }
        if (d >= c - 1.5) {
            return true;  // outline
        }
        const bool left_eye = distance(x, y, c - eye, c - eye) < side / 12.0 + 0.5;
        const bool right_eye = distance(x, y, c + eye, c - eye) < side / 12.0 + 0.5;
        const double m = distance(x, y, c, c);
        const bool mouth = y > c + 1 && m < c * 0.65 && m > c * 0.65 - 1.6;
        return left_eye || right_eye || mouth;
    });
}

void place(std::vector<uint8_t>& data, size_t offset, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size() && offset + i < data.size(); ++i) {
        data[offset + i] = bytes[i];
    }
}

std::vector<uint8_t> glyph_run(const std::string& text, bool inverted) {
    std::vector<uint8_t> bytes;
    for (char letter : text) {
        for (uint8_t row : glyph_for(letter).rows) {
            bytes.push_back(inverted ? static_cast<uint8_t>(~row) : row);
        }
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> data(SAMPLE_SIZE);
    Noise noise;
    for (uint8_t& byte : data) {
        byte = noise.next();
    }
    place(data, 301, glyph_run("PIXELSIEVE 2C", false));
    place(data, 512, ball(16));
    place(data, 512 + 32, face(16));
    place(data, 512 + 64, diamond(16));
    place(data, 512 + 96, ring(16));
    place(data, 1200, face(32));
    place(data, 2001, glyph_run("PIXELSIEVE 2C", true));

    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
