#pragma once
// The system's own console fonts (console-setup's gzipped PSF files), unpacked with zlib: real
// glyphs to export and to compare with.
#include <zlib.h>

#include <cstdint>
#include <string>

struct ConsoleFont {
    std::string file;      // the whole unpacked font file
    size_t glyphs_at = 0;  // where the glyph bitmaps start
    int width_bytes = 0;
    int height = 0;
    int count = 0;
    bool ok() const { return count > 0; }
};

inline std::string gunzip(const std::string& path) {
    std::string out;
    gzFile in = gzopen(path.c_str(), "rb");
    if (in == nullptr) return out;
    char buffer[65536];
    int got = 0;
    while ((got = gzread(in, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(got));
    gzclose(in);
    return out;
}

inline uint32_t le32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

// PSF1 (magic 36 04) or PSF2 (magic 72 B5 4A 86); not ok when the file is neither.
inline ConsoleFont loadConsoleFont(const std::string& name) {
    ConsoleFont font;
    font.file = gunzip("/usr/share/consolefonts/" + name);
    const std::string& f = font.file;
    if (f.size() > 4 && static_cast<uint8_t>(f[0]) == 0x36 && static_cast<uint8_t>(f[1]) == 0x04) {
        font.glyphs_at = 4;
        font.width_bytes = 1;
        font.height = static_cast<uint8_t>(f[3]);
        font.count = (f[2] & 1) != 0 ? 512 : 256;
    } else if (f.size() > 32 && le32(f, 0) == 0x864AB572) {
        font.glyphs_at = le32(f, 8);
        font.count = static_cast<int>(le32(f, 16));
        font.height = static_cast<int>(le32(f, 24));
        font.width_bytes = static_cast<int>((le32(f, 28) + 7) / 8);
    }
    return font;
}
