// The region scan on real fonts and icons planted into real machine code, its false alarms on
// code with nothing planted, and the agreement of split scans, the scan job and cancelling.
#include "analysis/scan/scan_regions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "analysis/scan/region_stream.h"
#include "analysis/scan/scan_job.h"
#include "corpus.h"
#include "tests/support/required_package.h"

namespace {

struct Outcome {
    int fonts = 0, fonts_found = 0, icons = 0, icons_found = 0, false_regions = 0;
};

uint64_t overlap(const PictureRegion& r, const PlantedPicture& p) {
    const uint64_t lo = std::max(r.start, p.start), hi = std::min(r.end, p.end);
    return hi > lo ? hi - lo : 0;
}

// Found: a region of the true width covers at least half of the picture. False: a region that
// touches no planted picture.
Outcome judge(const PlantedHost& host, const std::vector<PictureRegion>& regions) {
    Outcome o;
    for (const auto& p : host.pictures) {
        bool found = false;
        for (const auto& r : regions)
            if (r.width == p.width && 2 * overlap(r, p) >= p.end - p.start) found = true;
        (p.font ? o.fonts : o.icons) += 1;
        (p.font ? o.fonts_found : o.icons_found) += found;
        if (!found)
            std::printf("    missed %s (width %d, %llu bytes)\n", p.name.c_str(), p.width,
                        static_cast<unsigned long long>(p.end - p.start));
    }
    for (const auto& r : regions) {
        bool touches = false;
        for (const auto& p : host.pictures) touches = touches || (r.start < p.end && r.end > p.start);
        o.false_regions += !touches;
    }
    return o;
}

std::vector<LabelledPicture> scan_corpus(std::vector<std::string>* missing) {
    std::vector<LabelledPicture> chosen;
    for (auto& p : width_corpus(missing))
        if ((p.font && p.bytes.size() >= 2048) || (!p.font && p.bytes.size() >= 128))
            chosen.push_back(std::move(p));
    return chosen;
}

}  // namespace

TEST(ScanRegions, FindsRealFontsAndIconsInRealCode) {
    std::vector<std::string> missing;
    const auto pictures = scan_corpus(&missing);
    auto code = machine_code(6 << 20, &missing);
    REQUIRE_PACKAGE(pictures.size() >= 40 && code.size() >= (4u << 20),
                    "console-setup-linux, xbitmaps, seabios and adwaita-icon-theme", first_missing(missing));
    const PlantedHost host = plant_pictures(std::move(code), pictures, 2024, 4096);
    const Outcome o = judge(host, scan_regions(host.bytes, {}));
    const double code_kib = static_cast<double>(host.bytes.size()) / 1024.0;
    std::printf(
        "  planted in %.0f KiB of code: fonts found %d/%d, icons found %d/%d (%.0f%%), "
        "false regions %d (%.2f per 256 KiB)\n",
        code_kib, o.fonts_found, o.fonts, o.icons_found, o.icons, 100.0 * o.icons_found / o.icons,
        o.false_regions, o.false_regions * 256.0 / code_kib);
    EXPECT_EQ(o.fonts_found, o.fonts);
    EXPECT_GE(o.icons_found * 10, o.icons * 8);
    EXPECT_LE(o.false_regions * 256.0 / code_kib, 5.0);
}

TEST(ScanRegions, FewFalseRegionsInCodeAndCompressedData) {
    std::vector<std::string> missing;
    const auto code = machine_code(4 << 20, &missing);
    const auto packed = compressed_data(1 << 20, &missing);
    REQUIRE_PACKAGE(code.size() >= (2u << 20),
                    "the programs and libraries of scripts/setup (cmake, qt6-base-dev, python3)",
                    first_missing(missing));
    for (const auto* data : {&code, &packed}) {
        const auto regions = scan_regions(*data, {});
        const double per = static_cast<double>(regions.size()) * 262144.0 / static_cast<double>(data->size());
        std::printf("  %s: %zu regions in %zu KiB (%.2f per 256 KiB)\n",
                    data == &code ? "machine code" : "compressed", regions.size(), data->size() / 1024, per);
        EXPECT_LE(per, 5.0);
    }
}

// Whole programs and libraries, their data sections included: string tables, relocation records
// and tables of numbers pass many a window's checks, and only the judgement of whole regions
// keeps them out.
TEST(ScanRegions, FewFalseRegionsInWholePrograms) {
    uint64_t bytes = 0, regions = 0;
    for (const char* path :
         {"/usr/bin/cmake", "/usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6",
          "/usr/lib/x86_64-linux-gnu/libcrypto.so.3", "/usr/lib/x86_64-linux-gnu/libstdc++.so.6",
          "/usr/bin/bash", "/usr/lib/x86_64-linux-gnu/libc.so.6"}) {
        const auto file = read_bytes(path);
        if (!file) continue;
        bytes += file->size();
        regions += scan_regions(*file, {}).size();
    }
    REQUIRE_PACKAGE(bytes >= (8u << 20),
                    "the programs and libraries of scripts/setup (cmake, qt6-base-dev, python3)",
                    "less than 8 MiB of them");
    const double per = static_cast<double>(regions) * 262144.0 / static_cast<double>(bytes);
    std::printf("  whole programs: %llu regions in %llu KiB (%.2f per 256 KiB)\n",
                static_cast<unsigned long long>(regions), static_cast<unsigned long long>(bytes / 1024), per);
    EXPECT_LE(per, 5.0);
}

// The judgement of whole regions keeps every real picture of the corpus, at its width, and drops
// the kinds of data it exists for, taken from real programs where they have them.
TEST(ScanRegions, WholeRegionsJudgedDrawnOrData) {
    std::vector<std::string> missing;
    const auto pictures = width_corpus(&missing);
    REQUIRE_PACKAGE(pictures.size() >= 50, "console-setup-linux, xbitmaps, seabios and adwaita-icon-theme",
                    first_missing(missing));
    for (const auto& p : pictures)
        EXPECT_TRUE(region_looks_drawn(p.bytes, {0, p.bytes.size(), p.width, 0})) << p.name;
    // And every console font installed, whatever its script: some are close to text in their bytes.
    int fonts = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/consolefonts", ec)) {
        const auto font = psf_font(entry.path().string());
        if (!font) continue;
        ++fonts;
        EXPECT_TRUE(region_looks_drawn(font->bytes, {0, font->bytes.size(), font->width, 0})) << font->name;
    }
    std::printf("  %d console fonts judged\n", fonts);

    const auto bash = read_bytes("/usr/bin/bash");
    REQUIRE_PACKAGE(bash, "bash", "no /usr/bin/bash");
    // Names separated by zeros.
    const auto strings = elf_section(*bash, ".dynstr");
    ASSERT_TRUE(strings && strings->size() > 4096);
    for (int width : {1, 2, 4, 8})
        EXPECT_FALSE(region_looks_drawn(*strings, {0, strings->size(), width, 0})) << "strings at " << width;
    // Records of little-endian 64-bit numbers: offsets, kinds, addends.
    const auto relocations = elf_section(*bash, ".rela.dyn");
    ASSERT_TRUE(relocations && relocations->size() > 4096);
    EXPECT_FALSE(region_looks_drawn(*relocations, {0, relocations->size(), 24, 0}));
    // A sorted table and a sparse one, a byte per row.
    std::vector<uint8_t> sorted, sparse(4096, 0);
    for (int v = 0; v < 256; ++v) sorted.insert(sorted.end(), 3, static_cast<uint8_t>(v));
    for (size_t i = 0; i < sparse.size(); i += 9) sparse[i] = static_cast<uint8_t>(0x11 * (i % 7 + 1));
    EXPECT_FALSE(region_looks_drawn(sorted, {0, sorted.size(), 1, 0}));
    EXPECT_FALSE(region_looks_drawn(sparse, {0, sparse.size(), 1, 0}));
    // Nothing to judge: the windows' verdict stands; a region past the data is clamped.
    EXPECT_TRUE(region_looks_drawn(sorted, {0, 1, 1, 0}));
    EXPECT_FALSE(region_looks_drawn(sorted, {0, sorted.size(), 0, 0}));
    EXPECT_FALSE(region_looks_drawn(sorted, {0, sorted.size() + 4096, 1, 0}));
}

TEST(ScanRegions, TheBiosFontsAreFoundInPlace) {
    for (const char* name : {"vgabios-stdvga.bin", "vgabios-cirrus.bin"}) {
        const auto image = read_bytes(std::string("/usr/share/seabios/") + name);
        REQUIRE_PACKAGE(image, "seabios", std::string("no ") + name);
        const auto regions = scan_regions(*image, {});
        for (const auto& font : vga_bios_fonts(*image, name)) {
            PlantedPicture p{font.picture.name, font.offset, font.offset + font.picture.bytes.size(), 1,
                             true};
            bool found = false;
            for (const auto& r : regions)
                found = found || (r.width == 1 && 2 * overlap(r, p) >= p.end - p.start);
            EXPECT_TRUE(found) << font.picture.name;
        }
    }
}

// Glyphs such as shading agree better at twice or four times a font's width; they must not cut
// the font in pieces nor leave a sliver at the multiple inside it.
TEST(ScanRegions, EachFontIsOneRegionAtItsWidth) {
    struct Font {
        const char* file;
        uint64_t start, end;  // the glyphs, after the header
        int width;
        uint64_t glyph;      // bytes
        uint64_t late;       // how far after the first glyph the region may start
        bool start_checked;  // not earlier than one glyph either
    };
    // The bios fonts lie back to back at one width (and a palette before them draws at width 1
    // too), so there a region may start early; a thin 8x8 font's first glyphs agree too little
    // to place its start within a glyph.
    const Font fonts[] = {
        {"/usr/share/consolefonts/Lat15-Fixed16.psf.gz", 4, 4100, 1, 16, 16, true},
        {"/usr/share/consolefonts/Lat15-Terminus32x16.psf.gz", 32, 16416, 2, 64, 64, true},
        {"/usr/share/consolefonts/Lat15-TerminusBold32x16.psf.gz", 32, 16416, 2, 64, 64, true},
        {"/usr/share/consolefonts/Uni2-Terminus20x10.psf.gz", 32, 32 + 512 * 40, 2, 40, 40, true},
        {"/usr/share/consolefonts/Lat15-VGA8.psf.gz", 4, 2052, 1, 8, 64, false},
        {"/usr/share/seabios/vgabios-stdvga.bin", 29632, 33728, 1, 16, 16, false},
        {"/usr/share/seabios/vgabios-stdvga.bin", 33728, 37312, 1, 14, 14, false},
        {"/usr/share/seabios/vgabios-stdvga.bin", 37312, 39360, 1, 8, 8, false},
    };
    int checked = 0;
    for (const Font& f : fonts) {
        const std::string path = f.file;
        const auto bytes = path.ends_with(".gz") ? read_gunzipped(path) : read_bytes(path);
        if (!bytes || bytes->size() < f.end) continue;
        ++checked;
        const auto regions = scan_regions(*bytes, {});
        int touching = 0;
        for (const auto& r : regions) {
            if (r.end <= f.start + f.glyph || r.start + f.glyph >= f.end) continue;
            ++touching;
            EXPECT_EQ(r.width, f.width) << path << " region " << r.start << ".." << r.end;
            EXPECT_LE(r.start, f.start + f.late) << path;
            EXPECT_GE(r.end + f.glyph, f.end) << path;
            if (f.start_checked) {
                EXPECT_GE(r.start + f.glyph, f.start) << path;
            }
        }
        EXPECT_EQ(touching, 1) << path << " at " << f.start;
    }
    REQUIRE_PACKAGE(checked == static_cast<int>(std::size(fonts)), "console-setup-linux and seabios",
                    "a font file is missing");
}

TEST(ScanRegions, SplitScansAndTheJobGiveTheSameRegions) {
    std::vector<std::string> missing;
    const auto pictures = scan_corpus(&missing);
    auto code = machine_code(1 << 20, &missing);
    REQUIRE_PACKAGE(!pictures.empty() && code.size() >= (1u << 20),
                    "console-setup-linux, xbitmaps, seabios and adwaita-icon-theme", first_missing(missing));
    // Dense planting, so regions straddle the piece boundaries.
    const PlantedHost host = plant_pictures(std::move(code), pictures, 77, 256);
    ScanOptions options;
    options.begin = 1000;
    options.end = host.bytes.size() - 333;
    const auto whole = scan_regions(host.bytes, options);
    ASSERT_FALSE(whole.empty());

    RegionStream stream(host.bytes, true);
    std::vector<PictureRegion> joined;
    for (uint64_t at = options.begin; at < options.end;) {
        const uint64_t next = std::min(options.end, (at / SCAN_PIECE_ALIGN + 1 + at % 3) * SCAN_PIECE_ALIGN);
        ScanOptions piece = options;
        piece.begin = at;
        piece.end = next;
        piece.judge_whole_regions = false;
        const auto finished = stream.feed(scan_regions(host.bytes, piece), next);
        joined.insert(joined.end(), finished.begin(), finished.end());
        at = next;
    }
    const auto last = stream.finish();
    joined.insert(joined.end(), last.begin(), last.end());
    EXPECT_EQ(joined, whole);

    std::atomic<bool> cancel{false};
    for (int threads : {1, 2, 3}) {
        uint64_t last_done = 0, calls = 0;
        bool ordered = true;
        const auto job = run_scan_job(
            host.bytes, options, threads,
            [&](uint64_t done, uint64_t total) {
                ordered =
                    ordered && done >= last_done && done <= total && total == options.end - options.begin;
                last_done = done;
                ++calls;
            },
            cancel);
        EXPECT_FALSE(job.cancelled);
        EXPECT_EQ(job.regions, whole) << threads << " threads";
        EXPECT_TRUE(ordered);
        EXPECT_EQ(last_done, options.end - options.begin);
        EXPECT_GE(calls, 2u);
    }
}

TEST(ScanRegions, CancelStopsEarlyWithAPrefixOfTheAnswer) {
    std::vector<std::string> missing;
    const auto code = machine_code(4 << 20, &missing);
    REQUIRE_PACKAGE(code.size() >= (4u << 20),
                    "the programs and libraries of scripts/setup (cmake, qt6-base-dev, python3)",
                    first_missing(missing));
    // Many pieces, so that the workers cannot finish them all before the cancel is seen, however
    // the threads are scheduled.
    std::vector<uint8_t> data;
    for (int copy = 0; copy < 8; ++copy) data.insert(data.end(), code.begin(), code.end());
    for (int threads : {1, 2}) {
        std::atomic<bool> cancel{false};
        uint64_t seen = 0;
        const auto job = run_scan_job(
            data, {}, threads,
            [&](uint64_t done, uint64_t) {
                seen = done;
                if (done > 0) cancel = true;
            },
            cancel);
        EXPECT_TRUE(job.cancelled);
        EXPECT_LT(seen, data.size() / 2);
        // What came back is the answer for the part scanned: the regions of one whole scan before
        // the last one returned, identical (the whole scan only needs to reach well past it).
        ScanOptions far_enough;
        far_enough.end = (job.regions.empty() ? 0 : job.regions.back().end) + (2u << 20);
        const auto whole = scan_regions(data, far_enough);
        ASSERT_LE(job.regions.size(), whole.size());
        for (size_t i = 0; i + 1 < job.regions.size(); ++i) EXPECT_EQ(job.regions[i], whole[i]);
    }
    // Cancelled before it starts: nothing.
    std::atomic<bool> already{true};
    const auto none = run_scan_job(data, {}, 2, {}, already);
    EXPECT_TRUE(none.cancelled);
    EXPECT_TRUE(none.regions.empty());
}

TEST(ScanRegions, EmptyTinyAndEndOfData) {
    EXPECT_TRUE(scan_regions({}, {}).empty());
    const std::vector<uint8_t> tiny{1, 2, 3};
    EXPECT_TRUE(scan_regions(tiny, {}).empty());
    std::atomic<bool> cancel{false};
    const auto job = run_scan_job({}, {}, 2, {}, cancel);
    EXPECT_TRUE(job.regions.empty());
    EXPECT_FALSE(job.cancelled);

    // An icon that ends the data, and one that starts it, are found with their widths.
    const auto icon = png_icon("/usr/share/icons/Adwaita/64x64/devices/printer-symbolic.symbolic.png");
    REQUIRE_PACKAGE(icon, "adwaita-icon-theme", "no printer-symbolic icon");
    std::vector<std::string> missing;
    std::vector<uint8_t> data = machine_code(20000, &missing);
    data.insert(data.end(), icon->bytes.begin(), icon->bytes.end());
    auto regions = scan_regions(data, {});
    ASSERT_FALSE(regions.empty());
    EXPECT_EQ(regions.back().width, icon->width);
    EXPECT_EQ(regions.back().end, data.size());
    // A part ending inside the icon cuts the region there.
    ScanOptions part;
    part.end = data.size() - 100;
    regions = scan_regions(data, part);
    ASSERT_FALSE(regions.empty());
    EXPECT_LE(regions.back().end, part.end);

    std::vector<uint8_t> first(icon->bytes);
    const auto code = machine_code(20000, &missing);
    first.insert(first.end(), code.begin(), code.end());
    regions = scan_regions(first, {});
    ASSERT_FALSE(regions.empty());
    EXPECT_EQ(regions.front().start, 0u);
    EXPECT_EQ(regions.front().width, icon->width);
}
