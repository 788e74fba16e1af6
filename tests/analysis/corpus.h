#pragma once
// A labelled corpus of real 1-bit pictures, made at test time from files this machine's packages
// install: console fonts (PSF1/PSF2), X bitmaps, the fonts inside the VGA BIOS images, and
// application icons reduced to one bit. Every picture comes with its true row width, and the
// host data it is planted into is real machine code and real compressed data.
//
// Everything is deterministic: fixed file lists, fixed seeds, no directory order.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/package_files.h"

struct LabelledPicture {
    std::string name;
    std::vector<uint8_t> bytes;  // rows of `width` bytes, most significant bit leftmost
    int width = 0;
    bool font = false;
};

// The glyph table of a PSF1 or PSF2 console font (.psf or .psf.gz): rows of ceil(w/8) bytes.
std::optional<LabelledPicture> psf_font(const std::string& path);
// An X bitmap (.xbm text), its bits turned to most significant first as the viewer shows them.
std::optional<LabelledPicture> xbm_bitmap(const std::string& path);
// A PNG icon reduced to one bit: a pixel is set where it is opaque and darker than the icon's
// mean opaque brightness, so outlines and shading survive, not only the silhouette.
std::optional<LabelledPicture> png_icon(const std::string& path);
// The 8x8, 8x14 and 8x16 fonts of a VGA BIOS image, located by their letter 'A'; each comes with
// its offset in the image.
struct FontInImage {
    LabelledPicture picture;
    uint64_t offset = 0;
};
std::vector<FontInImage> vga_bios_fonts(const std::vector<uint8_t>& image, const std::string& name);

// A fixed-sequence random source (splitmix64), the same on every platform.
class CorpusRandom {
public:
    explicit CorpusRandom(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t below(uint64_t n) { return n == 0 ? 0 : next() % n; }

private:
    uint64_t state_;
};

// The pictures of the width test: fonts, bitmaps and icons of many sizes, each cut to exactly its
// own bytes. Missing package files are listed in `missing`.
std::vector<LabelledPicture> width_corpus(std::vector<std::string>* missing);

// Real machine code: the .text sections of a fixed list of installed programs and libraries,
// concatenated up to `bytes` (fewer if the files are missing).
std::vector<uint8_t> machine_code(size_t bytes, std::vector<std::string>* missing);
// Real compressed data: gzip files of a fixed list, concatenated as stored, up to `bytes`.
std::vector<uint8_t> compressed_data(size_t bytes, std::vector<std::string>* missing);

// A host with pictures planted at random offsets (each at least `gap` bytes from the next).
struct PlantedPicture {
    std::string name;
    uint64_t start = 0;
    uint64_t end = 0;
    int width = 0;
    bool font = false;
};
struct PlantedHost {
    std::vector<uint8_t> bytes;
    std::vector<PlantedPicture> pictures;
};
PlantedHost plant_pictures(std::vector<uint8_t> host, const std::vector<LabelledPicture>& pictures,
                           uint64_t seed, uint64_t gap);
