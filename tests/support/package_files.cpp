#include "tests/support/package_files.h"

#include <elf.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

constexpr uint32_t PSF2_MAGIC = 0x864AB572;

}  // namespace

std::optional<std::vector<uint8_t>> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return bytes;
}

std::optional<std::vector<uint8_t>> read_gunzipped(const std::string& path) {
    gzFile in = gzopen(path.c_str(), "rb");
    if (in == nullptr) return std::nullopt;
    std::vector<uint8_t> out;
    uint8_t chunk[65536];
    int got = 0;
    while ((got = gzread(in, chunk, sizeof chunk)) > 0) out.insert(out.end(), chunk, chunk + got);
    const bool ok = got == 0;
    gzclose(in);
    if (!ok) return std::nullopt;
    return out;
}

std::vector<uint8_t> PsfFont::glyph_run(int first, int count) const {
    const auto from =
        file.begin() + static_cast<std::ptrdiff_t>(glyphs_at + glyph_size() * static_cast<size_t>(first));
    return {from, from + static_cast<std::ptrdiff_t>(glyph_size() * static_cast<size_t>(count))};
}

PsfFont read_psf(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = read_gunzipped(path);
    if (!bytes) return {};
    PsfFont font;
    font.file = std::move(*bytes);
    const std::vector<uint8_t>& b = font.file;
    if (b.size() >= 4 && b[0] == 0x36 && b[1] == 0x04) {
        font.glyphs_at = 4;
        font.row_bytes = 1;
        font.height = b[3];
        font.glyphs = (b[2] & 0x01) != 0 ? 512 : 256;
    } else if (b.size() >= 32 && le32(b, 0) == PSF2_MAGIC) {
        font.glyphs_at = le32(b, 8);
        font.glyphs = static_cast<int>(le32(b, 16));
        font.height = static_cast<int>(le32(b, 24));
        font.row_bytes = static_cast<int>((le32(b, 28) + 7) / 8);
        if (le32(b, 20) != font.glyph_size()) return {};
    } else {
        return {};
    }
    if (font.glyph_size() == 0 ||
        font.glyphs_at + font.glyph_size() * static_cast<size_t>(font.glyphs) > b.size())
        return {};
    return font;
}

std::optional<std::vector<uint8_t>> elf_section(const std::vector<uint8_t>& elf, const std::string& section) {
    Elf64_Ehdr eh;
    if (elf.size() < sizeof eh) return std::nullopt;
    std::memcpy(&eh, elf.data(), sizeof eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
        eh.e_ident[EI_DATA] != ELFDATA2LSB || eh.e_shentsize != sizeof(Elf64_Shdr) ||
        eh.e_shoff + uint64_t{eh.e_shnum} * sizeof(Elf64_Shdr) > elf.size() || eh.e_shstrndx >= eh.e_shnum)
        return std::nullopt;
    auto header = [&](size_t i) {
        Elf64_Shdr sh;
        std::memcpy(&sh, elf.data() + eh.e_shoff + i * sizeof sh, sizeof sh);
        return sh;
    };
    const Elf64_Shdr names = header(eh.e_shstrndx);
    for (size_t i = 0; i < eh.e_shnum; ++i) {
        const Elf64_Shdr sh = header(i);
        if (names.sh_offset + sh.sh_name >= elf.size()) continue;
        const char* n = reinterpret_cast<const char*>(elf.data() + names.sh_offset + sh.sh_name);
        if (section != std::string(n, strnlen(n, elf.size() - names.sh_offset - sh.sh_name))) continue;
        if (sh.sh_type == SHT_NOBITS || sh.sh_offset + sh.sh_size > elf.size()) return std::nullopt;
        return std::vector<uint8_t>(elf.begin() + static_cast<std::ptrdiff_t>(sh.sh_offset),
                                    elf.begin() + static_cast<std::ptrdiff_t>(sh.sh_offset + sh.sh_size));
    }
    return std::nullopt;
}
