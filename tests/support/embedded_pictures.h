#pragma once
// Real pictures inside real machine code, taken from this machine's packages, for the picture
// finder's tests: console fonts (console-setup-linux), the fonts of a VGA BIOS (seabios) and the
// code of /usr/bin/bash. Nothing is synthetic: the tests see what users load.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace embedded {

inline const char* const CODE_FILE = "/usr/bin/bash";
// 16 x 32 glyphs: rows of 2 bytes.
inline const char* const WIDE_FONT = "/usr/share/consolefonts/Lat15-Terminus32x16.psf.gz";
// 8 x 16 glyphs: rows of 1 byte.
inline const char* const NARROW_FONT = "/usr/share/consolefonts/Lat15-VGA16.psf.gz";
// Firmware: 16-bit code with its 8 x 8, 8 x 14 and 8 x 16 fonts among it.
inline const char* const VGA_BIOS = "/usr/share/seabios/vgabios-stdvga.bin";

inline std::vector<uint8_t> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A gzip file's content (a plain file passes through); empty when it cannot be read.
inline std::vector<uint8_t> gunzip_file(const std::string& path) {
    std::vector<uint8_t> out;
    gzFile in = gzopen(path.c_str(), "rb");
    if (in == nullptr) {
        return out;
    }
    uint8_t chunk[16384];
    int got = 0;
    while ((got = gzread(in, chunk, sizeof chunk)) > 0) {
        out.insert(out.end(), chunk, chunk + got);
    }
    gzclose(in);
    return out;
}

struct Font {
    int row_bytes = 0;  // the picture's width in bytes
    int height = 0;
    int glyphs = 0;
    std::vector<uint8_t> bitmap;  // glyph after glyph, row_bytes * height bytes each
    [[nodiscard]] size_t glyph_size() const { return static_cast<size_t>(row_bytes) * height; }
    // Glyphs first .. first + count - 1, one after another.
    [[nodiscard]] std::vector<uint8_t> glyph_run(int first, int count) const {
        const size_t size = glyph_size();
        const auto from = bitmap.begin() + static_cast<ptrdiff_t>(size * first);
        return {from, from + static_cast<ptrdiff_t>(size * count)};
    }
};

// A PC Screen Font, version 1 or 2, gzipped or not. Empty (glyphs 0) when it cannot be read.
inline Font read_psf(const std::string& path) {
    const std::vector<uint8_t> d = gunzip_file(path);
    Font font;
    const auto u32 = [&d](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, d.data() + at, 4);
        return v;
    };
    size_t header = 0;
    if (d.size() >= 4 && d[0] == 0x36 && d[1] == 0x04) {
        font.row_bytes = 1;
        font.height = d[3];
        font.glyphs = (d[2] & 1) != 0 ? 512 : 256;
        header = 4;
    } else if (d.size() >= 32 && u32(0) == 0x864AB572) {
        header = u32(8);
        font.glyphs = static_cast<int>(u32(16));
        font.height = static_cast<int>(u32(24));
        font.row_bytes = static_cast<int>((u32(28) + 7) / 8);
    } else {
        return {};
    }
    const size_t size = font.glyph_size() * static_cast<size_t>(font.glyphs);
    if (header + size > d.size()) {
        return {};
    }
    font.bitmap.assign(d.begin() + static_cast<ptrdiff_t>(header),
                       d.begin() + static_cast<ptrdiff_t>(header + size));
    return font;
}

// The .text section of a 64-bit little-endian ELF file; empty when there is none.
inline std::vector<uint8_t> elf_text(const std::string& path) {
    const std::vector<uint8_t> d = file_bytes(path);
    if (d.size() < 64 || std::memcmp(d.data(),
                                     "\x7F"
                                     "ELF\x02\x01",
                                     6) != 0) {
        return {};
    }
    const auto read = [&d](size_t at, size_t n) {
        uint64_t v = 0;
        std::memcpy(&v, d.data() + at, n);
        return v;
    };
    const uint64_t sections = read(0x28, 8);
    const uint64_t entry_size = read(0x3A, 2);
    const uint64_t count = read(0x3C, 2);
    const uint64_t names_index = read(0x3E, 2);
    if (sections + count * entry_size > d.size() || names_index >= count) {
        return {};
    }
    const uint64_t names = read(sections + names_index * entry_size + 0x18, 8);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t at = sections + i * entry_size;
        const uint64_t name = names + read(at, 4);
        if (name + 6 <= d.size() && std::memcmp(d.data() + name, ".text", 6) == 0) {
            const uint64_t offset = read(at + 0x18, 8);
            const uint64_t size = read(at + 0x20, 8);
            if (offset + size <= d.size()) {
                return {d.begin() + static_cast<ptrdiff_t>(offset),
                        d.begin() + static_cast<ptrdiff_t>(offset + size)};
            }
        }
    }
    return {};
}

// A file put together from pieces of code and pictures, remembering where each picture lies.
struct Picture {
    uint64_t start = 0;
    uint64_t end = 0;
    int width = 0;
};

class Builder {
public:
    explicit Builder(std::vector<uint8_t> code) : code_(std::move(code)) {}
    // `length` bytes of the code, from `from` on (wrapping around the code's end).
    Builder& code(size_t from, size_t length) {
        for (size_t i = 0; i < length && !code_.empty(); ++i) {
            bytes_.push_back(code_[(from + i) % code_.size()]);
        }
        return *this;
    }
    Builder& picture(const std::vector<uint8_t>& bitmap, int width) {
        pictures_.push_back(Picture{bytes_.size(), bytes_.size() + bitmap.size(), width});
        bytes_.insert(bytes_.end(), bitmap.begin(), bitmap.end());
        return *this;
    }
    [[nodiscard]] const std::vector<uint8_t>& bytes() const { return bytes_; }
    [[nodiscard]] const std::vector<Picture>& pictures() const { return pictures_; }

private:
    std::vector<uint8_t> code_;
    std::vector<uint8_t> bytes_;
    std::vector<Picture> pictures_;
};

// The glyphs from `first` to the end of the font, then the printable ASCII ones: a run that starts
// with a glyph whose top row has ink, so that where the picture begins is plain to see.
inline std::vector<uint8_t> glyphs_from(const Font& font, int first) {
    std::vector<uint8_t> run = font.glyph_run(first, font.glyphs - first);
    const std::vector<uint8_t> letters = font.glyph_run(33, 94);
    run.insert(run.end(), letters.begin(), letters.end());
    return run;
}

// Code, a run of 16 x 32 glyphs, more code, a run of 8 x 16 glyphs, more code: two fonts in an
// executable. About 110 KiB; the second font lies more than 64 KiB after the first. The wide run
// starts with a vertical bar, not with the shade glyphs, whose rows repeat every other row and
// so make a picture of their own at twice the width.
inline Builder two_fonts_in_code() {
    const Font wide = read_psf(WIDE_FONT);
    const Font narrow = read_psf(NARROW_FONT);
    Builder b(elf_text(CODE_FILE));
    if (wide.glyphs < 256 || narrow.glyphs < 256) {
        return b;
    }
    b.code(40000, 6000).picture(glyphs_from(wide, 179), wide.row_bytes);
    b.code(120000, 70000).picture(glyphs_from(narrow, 179), narrow.row_bytes).code(300000, 12000);
    return b;
}

}  // namespace embedded
