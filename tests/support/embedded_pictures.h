#pragma once
// Real pictures inside real machine code, taken from this machine's packages, for the picture
// finder's tests: console fonts (console-setup-linux), the fonts of a VGA BIOS (seabios) and the
// code of /usr/bin/bash. Nothing is synthetic: the tests see what users load.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/package_files.h"

namespace embedded {

inline const char* const CODE_FILE = "/usr/bin/bash";
// 16 x 32 glyphs: rows of 2 bytes.
inline const char* const WIDE_FONT = "/usr/share/consolefonts/Lat15-Terminus32x16.psf.gz";
// 8 x 16 glyphs: rows of 1 byte.
inline const char* const NARROW_FONT = "/usr/share/consolefonts/Lat15-VGA16.psf.gz";
// Firmware: 16-bit code with its 8 x 8, 8 x 14 and 8 x 16 fonts among it.
inline const char* const VGA_BIOS = "/usr/share/seabios/vgabios-stdvga.bin";

// The .text section of CODE_FILE; empty when it is missing.
inline std::vector<uint8_t> code_text() {
    const std::optional<std::vector<uint8_t>> file = read_bytes(CODE_FILE);
    return file ? elf_section(*file, ".text").value_or(std::vector<uint8_t>{}) : std::vector<uint8_t>{};
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
inline std::vector<uint8_t> glyphs_from(const PsfFont& font, int first) {
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
    const PsfFont wide = read_psf(WIDE_FONT);
    const PsfFont narrow = read_psf(NARROW_FONT);
    Builder b(code_text());
    if (wide.glyphs < 256 || narrow.glyphs < 256) {
        return b;
    }
    b.code(40000, 6000).picture(glyphs_from(wide, 179), wide.row_bytes);
    b.code(120000, 70000).picture(glyphs_from(narrow, 179), narrow.row_bytes).code(300000, 12000);
    return b;
}

}  // namespace embedded
