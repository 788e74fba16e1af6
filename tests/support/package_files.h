#pragma once
// Readers of the files this machine's packages install, shared by every test that builds real
// data from them: whole files, gzip files, PC Screen Fonts (console fonts) and ELF sections.
// Each gives nothing (nullopt, or an empty font) for a file that is missing or not of its kind,
// so that a test can say which package is missing (required_package.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The whole file, or nullopt when it cannot be read.
[[nodiscard]] std::optional<std::vector<uint8_t>> read_bytes(const std::string& path);

// A gzip file unpacked (a file that is not gzip passes through), or nullopt when it cannot be
// read or is damaged.
[[nodiscard]] std::optional<std::vector<uint8_t>> read_gunzipped(const std::string& path);

// Where the console fonts of console-setup-linux lie.
inline const char* const CONSOLE_FONT_DIR = "/usr/share/consolefonts/";

// A PC Screen Font, version 1 or 2: its glyph table is `glyphs` glyphs of `height` rows of
// `row_bytes` bytes, most significant bit leftmost.
struct PsfFont {
    std::vector<uint8_t> file;  // the whole font file, unpacked
    size_t glyphs_at = 0;       // where the glyph table starts in `file`
    int row_bytes = 0;          // the glyph's width in pixels, rounded up to whole bytes
    int height = 0;
    int glyphs = 0;

    [[nodiscard]] bool ok() const { return glyphs > 0; }
    [[nodiscard]] size_t glyph_size() const {
        return static_cast<size_t>(row_bytes) * static_cast<size_t>(height);
    }
    // Glyphs first .. first + count - 1, one after another.
    [[nodiscard]] std::vector<uint8_t> glyph_run(int first, int count) const;
};

// The font of a .psf or .psf.gz file; not ok() when the file cannot be read, is neither PSF1 nor
// PSF2, or its glyph table does not fit in it.
[[nodiscard]] PsfFont read_psf(const std::string& path);

// The bytes of the named section of a 64-bit little-endian ELF file (".text", ".dynstr"), or
// nullopt when the file is no such ELF file, has no such section or the section holds no bytes.
[[nodiscard]] std::optional<std::vector<uint8_t>> elf_section(const std::vector<uint8_t>& elf,
                                                              const std::string& section);
