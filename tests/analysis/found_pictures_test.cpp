// The pictures the scan's regions are described as: real fonts and icons planted into whole real
// programs come first when ranked by their score, and data that merely looks regular rarely
// scores as a drawing; the installed console fonts, scanned as the files they are, are found as
// fonts at their own cells, where their glyph tables begin.
#include "analysis/pictures/found_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "analysis/scan/scan_regions.h"
#include "corpus.h"
#include "tests/support/package_files.h"
#include "tests/support/required_package.h"

namespace {

bool touches(const FoundPicture& p, const PlantedPicture& planted) {
    return p.start < planted.end && p.end > planted.start;
}

}  // namespace

TEST(FoundPictures, PlantedPicturesRankFirstInWholePrograms) {
    std::vector<std::string> missing;
    std::vector<LabelledPicture> pictures;
    for (auto& p : width_corpus(&missing))
        if ((p.font && p.bytes.size() >= 2048) || (!p.font && p.bytes.size() >= 128))
            pictures.push_back(std::move(p));
    std::vector<uint8_t> host;
    for (const char* program : {"/usr/lib/x86_64-linux-gnu/libQt6Network.so.6", "/usr/bin/xdotool",
                                "/usr/lib/x86_64-linux-gnu/libQt6DBus.so.6"})
        if (const auto bytes = read_bytes(program)) host.insert(host.end(), bytes->begin(), bytes->end());
    REQUIRE_PACKAGE(pictures.size() >= 40 && host.size() >= (2u << 20),
                    "console-setup-linux xbitmaps seabios adwaita-icon-theme libqt6network6 xdotool",
                    first_missing(missing));
    const PlantedHost planted = plant_pictures(std::move(host), pictures, 4711, 4096);
    std::vector<FoundPicture> found = describe_regions(planted.bytes, scan_regions(planted.bytes, {}));
    rank_pictures(found);
    auto real = [&](const FoundPicture& p) {
        return std::any_of(planted.pictures.begin(), planted.pictures.end(),
                           [&](const PlantedPicture& q) { return touches(p, q) && q.width == p.width; });
    };
    // Precision among the first as many pictures as were planted, and false pictures shown.
    const size_t first = std::min(found.size(), planted.pictures.size());
    const auto real_first =
        std::count_if(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(first), real);
    size_t false_shown = 0, fonts_as_fonts = 0, fonts = 0;
    for (const FoundPicture& p : found) false_shown += p.score >= SHOWN_SCORE && !real(p);
    for (const PlantedPicture& q : planted.pictures) {
        if (!q.font) continue;
        ++fonts;
        fonts_as_fonts += std::any_of(found.begin(), found.end(), [&](const FoundPicture& p) {
            return p.kind == PictureKind::Font && touches(p, q) && p.score >= SHOWN_SCORE;
        });
    }
    const double mib = static_cast<double>(planted.bytes.size()) / (1 << 20);
    std::printf(
        "  %zu planted in %.1f MiB: %lld of the first %zu real, %zu false shown (%.2f per MiB), "
        "%zu of %zu fonts as fonts\n",
        planted.pictures.size(), mib, static_cast<long long>(real_first), first, false_shown,
        static_cast<double>(false_shown) / mib, fonts_as_fonts, fonts);
    EXPECT_GE(static_cast<double>(real_first), 0.8 * static_cast<double>(first));
    EXPECT_LE(static_cast<double>(false_shown) / mib, 3.0);
    EXPECT_GE(static_cast<double>(fonts_as_fonts), 0.9 * static_cast<double>(fonts));
}

TEST(FoundPictures, ConsoleFontsAreFontsAtTheirCell) {
    std::vector<std::string> paths;
    if (std::filesystem::is_directory(CONSOLE_FONT_DIR))
        for (const auto& entry : std::filesystem::directory_iterator(CONSOLE_FONT_DIR))
            paths.push_back(entry.path());
    REQUIRE_PACKAGE(paths.size() >= 400, "console-setup-linux",
                    std::to_string(paths.size()) + " console fonts");
    // Every third, in name order: each face and character set in some size (all of them take half
    // a minute in the sanitizer build).
    std::sort(paths.begin(), paths.end());
    size_t right_cell = 0, placed = 0, counted = 0;
    for (size_t i = 0; i < paths.size(); i += 3) {
        const std::string& path = paths[i];
        const PsfFont font = read_psf(path);
        if (!font.ok()) continue;
        ++counted;
        const std::vector<FoundPicture> found = describe_regions(font.file, scan_regions(font.file, {}));
        // The font found where the glyph table is: the one covering most of it.
        const FoundPicture* best = nullptr;
        const uint64_t table_end = font.glyphs_at + font.glyph_size() * static_cast<size_t>(font.glyphs);
        for (const FoundPicture& p : found)
            if (p.kind == PictureKind::Font && p.start < table_end && p.end > font.glyphs_at &&
                (!best || p.end - p.start > best->end - best->start))
                best = &p;
        if (!best || best->cell_height != font.height || best->width != font.row_bytes) continue;
        ++right_cell;
        const uint64_t glyph = font.glyph_size();
        placed += best->start + 2 * glyph >= font.glyphs_at && best->start <= font.glyphs_at + 2 * glyph;
    }
    std::printf(
        "  %zu console fonts: %zu found as a font at their cell, %zu of them starting within two glyphs\n",
        counted, right_cell, placed);
    EXPECT_GE(static_cast<double>(right_cell), 0.95 * static_cast<double>(counted));
    EXPECT_GE(static_cast<double>(placed), 0.9 * static_cast<double>(counted));
}

// A kernel's fonts as it stores them: an 8x8 font, a 64-byte gap, an 8x16 font at the same width,
// then a 16x32 font in rows of two bytes, all among code. Three fonts, each at its own cell, the two
// of one width apart, each exactly its 256 glyphs.
TEST(FoundPictures, FontsBackToBackAreToldApart) {
    const PsfFont small = read_psf(std::string(CONSOLE_FONT_DIR) + "Lat15-VGA8.psf.gz");
    const PsfFont tall = read_psf(std::string(CONSOLE_FONT_DIR) + "Lat15-VGA16.psf.gz");
    const PsfFont wide = read_psf(std::string(CONSOLE_FONT_DIR) + "Lat15-Terminus32x16.psf.gz");
    std::vector<std::string> missing;
    std::vector<uint8_t> bytes = machine_code(256 << 10, &missing);
    REQUIRE_PACKAGE(small.ok() && tall.ok() && wide.ok() && bytes.size() >= (256u << 10),
                    "console-setup-linux", first_missing(missing));
    struct Placed {
        const PsfFont* font;
        uint64_t start;
    };
    std::vector<Placed> placed;
    const size_t first = bytes.size() / 2 / 64 * 64;
    std::vector<uint8_t> fonts;
    for (const PsfFont* font : {&small, &tall, &wide}) {
        placed.push_back({font, first + fonts.size()});
        const std::vector<uint8_t> glyphs = font->glyph_run(0, 256);
        fonts.insert(fonts.end(), glyphs.begin(), glyphs.end());
        if (font == &small) fonts.resize(fonts.size() + 64, 0);
    }
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(first), fonts.begin(), fonts.end());

    const std::vector<FoundPicture> found = describe_regions(bytes, scan_regions(bytes, {}));
    for (const Placed& p : placed) {
        const uint64_t glyph = p.font->glyph_size();
        const auto match = std::find_if(found.begin(), found.end(), [&](const FoundPicture& f) {
            return f.kind == PictureKind::Font && f.cell_height == p.font->height &&
                   f.width == p.font->row_bytes && f.start + 2 * glyph >= p.start &&
                   f.start <= p.start + 2 * glyph;
        });
        ASSERT_NE(match, found.end()) << "no font of " << p.font->height << " rows at " << p.start;
        EXPECT_GE(match->score, SHOWN_SCORE);
        EXPECT_EQ(match->start, p.start) << "the font of " << p.font->height << " rows";
        EXPECT_EQ(match->glyphs, 256u) << "the font of " << p.font->height << " rows";
    }
}
