#include "tools/score_dataset.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>

#include "analysis/pictures/font_layout.h"
#include "analysis/scan/scan_job.h"
#include "tests/analysis/corpus.h"

namespace fs = std::filesystem;

namespace {

// Hosts for planted pictures: whole installed programs and libraries, data sections and all.
const char* const HOSTS[] = {"/usr/bin/cmake",
                             "/usr/bin/bash",
                             "/usr/bin/python3.11",
                             "/usr/bin/perl",
                             "/usr/bin/gdb",
                             "/usr/bin/git",
                             "/usr/bin/clang-format-14",
                             "/usr/bin/Xvfb",
                             "/usr/bin/ninja",
                             "/usr/bin/valgrind.bin",
                             "/usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6",
                             "/usr/lib/x86_64-linux-gnu/libQt6Gui.so.6",
                             "/usr/lib/x86_64-linux-gnu/libQt6Core.so.6",
                             "/usr/lib/x86_64-linux-gnu/libcrypto.so.3",
                             "/usr/lib/x86_64-linux-gnu/libstdc++.so.6",
                             "/usr/lib/x86_64-linux-gnu/libc.so.6",
                             "/usr/lib/x86_64-linux-gnu/libX11.so.6",
                             "/usr/lib/x86_64-linux-gnu/libfreetype.so.6",
                             "/usr/lib/x86_64-linux-gnu/libpng16.so.16",
                             "/usr/lib/x86_64-linux-gnu/libxml2.so.2",
                             "/usr/lib/x86_64-linux-gnu/libsqlite3.so.0",
                             "/usr/lib/x86_64-linux-gnu/libicuuc.so.72",
                             "/usr/lib/x86_64-linux-gnu/libgnutls.so.30",
                             "/usr/lib/x86_64-linux-gnu/libMagickCore-6.Q16.so.6"};

std::string base_name(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Fonts, bitmaps and icons to plant, each with the group its near copies share (a font face in
// any character set), so that a held-out group's pictures were never seen in training.
struct PoolPicture {
    LabelledPicture picture;
    std::string group;
};

std::vector<PoolPicture> picture_pool() {
    std::vector<PoolPicture> pool;
    std::vector<std::string> fonts;
    for (const auto& entry : fs::directory_iterator("/usr/share/consolefonts")) fonts.push_back(entry.path());
    std::sort(fonts.begin(), fonts.end());
    for (const auto& path : fonts) {
        const std::string name = base_name(path);
        const std::string set = name.substr(0, name.find('-'));
        if (set != "Lat15" && set != "Greek" && set != "CyrSlav" && set != "Arabic" && set != "Hebrew")
            continue;
        if (auto font = psf_font(path)) {
            const std::string face = name.substr(name.find('-') + 1);
            pool.push_back({std::move(*font), "font:" + face.substr(0, face.find_first_of("0123456789"))});
        }
    }
    std::vector<std::string> bitmaps;
    for (const auto& entry : fs::directory_iterator("/usr/include/X11/bitmaps"))
        bitmaps.push_back(entry.path());
    std::sort(bitmaps.begin(), bitmaps.end());
    for (const auto& path : bitmaps)
        if (auto bitmap = xbm_bitmap(path); bitmap && bitmap->bytes.size() >= 128)
            pool.push_back({std::move(*bitmap), "bitmap:" + base_name(path)});
    std::vector<std::string> icons;
    for (const char* size : {"32x32", "48x48", "64x64", "96x96"})
        for (const auto& entry :
             fs::recursive_directory_iterator(std::string("/usr/share/icons/Adwaita/") + size))
            if (entry.path().extension() == ".png") icons.push_back(entry.path());
    std::sort(icons.begin(), icons.end());
    for (size_t i = 0; i < icons.size(); i += 7)
        if (auto icon = png_icon(icons[i]); icon && icon->bytes.size() >= 128)
            pool.push_back({std::move(*icon), "icon:" + base_name(icons[i])});
    return pool;
}

uint64_t group_hash(const std::string& group) { return std::hash<std::string>{}(group); }

// Each host gets the pool pictures whose group hashes to it.
std::vector<LabelledFile> planted_hosts() {
    const std::vector<PoolPicture> pool = picture_pool();
    std::vector<LabelledFile> files;
    const size_t hosts = std::size(HOSTS);
    for (size_t h = 0; h < hosts; ++h) {
        const auto host = read_bytes(HOSTS[h]);
        if (!host) continue;
        std::vector<LabelledPicture> chosen;
        for (const PoolPicture& p : pool)
            if (group_hash(p.group) % hosts == h) chosen.push_back(p.picture);
        const PlantedHost planted = plant_pictures(*host, chosen, 1000 + h, 4096);
        LabelledFile file{base_name(HOSTS[h]) + " (planted)", "host:" + std::to_string(h), planted.bytes, {}};
        for (const PlantedPicture& p : planted.pictures) file.pictures.push_back({p.start, p.end, p.width});
        files.push_back(std::move(file));
    }
    return files;
}

// The console fonts whose letters 'A', 'B' and 'C' appear in the file at the font's own width,
// with at most one bit in eight different: the same fonts often sit in programs and firmware.
struct ReferenceFont {
    LabelledPicture picture;
    uint64_t glyphs;
};
void locate_console_fonts(LabelledFile& file, const std::vector<ReferenceFont>& fonts) {
    for (const auto& [font, count] : fonts) {
        const uint64_t w = static_cast<uint64_t>(font.width);
        const uint64_t glyph = font.bytes.size() / count;
        if (glyph == 0 || font.bytes.size() < 68 * glyph) continue;
        const uint8_t* letters = font.bytes.data() + 65 * glyph;
        const uint64_t n = 3 * glyph;
        uint64_t ink = 0;
        for (uint64_t i = 0; i < n; ++i) ink += static_cast<uint64_t>(__builtin_popcount(letters[i]));
        for (uint64_t at = 65 * glyph; at + n <= file.bytes.size(); at += w) {
            // Cheap first look: the first row of 'A' with its neighbours' bits at most two apart.
            if (__builtin_popcount(file.bytes[at + w] ^ letters[w]) > 2) continue;
            // Letters of the same face drawn a little differently still match: at most two in five
            // of their set bits differ, and the place holds about as much ink.
            uint64_t differ = 0, here = 0;
            for (uint64_t i = 0; i < n && 5 * differ <= 2 * ink; ++i) {
                differ += static_cast<uint64_t>(__builtin_popcount(file.bytes[at + i] ^ letters[i]));
                here += static_cast<uint64_t>(__builtin_popcount(file.bytes[at + i]));
            }
            if (5 * differ > 2 * ink || 5 * here < 3 * ink || here > 2 * ink) continue;
            const bool known =
                std::any_of(file.pictures.begin(), file.pictures.end(),
                            [&](const KnownPicture& p) { return at < p.end && at + n > p.start; });
            if (known) continue;
            const uint64_t start = at - 65 * glyph;
            file.pictures.push_back(
                {start, std::min<uint64_t>(file.bytes.size(), start + count * glyph), font.width});
            at += count * glyph;
        }
    }
}

std::vector<LabelledFile> real_files(const std::string& packages) {
    std::vector<std::string> paths;
    for (const char* dir : {"/usr/share/seabios"})
        for (const auto& entry : fs::directory_iterator(dir)) paths.push_back(entry.path());
    if (!packages.empty() && fs::is_directory(packages))
        for (const auto& entry : fs::recursive_directory_iterator(packages)) {
            const std::string p = entry.path();
            const std::string ext = entry.path().extension();
            if (entry.is_regular_file() && entry.file_size() >= 64 * 1024 &&
                (ext == ".bin" || ext == ".rom" || ext == ".c32" || ext == ".img" || ext == ".mod" ||
                 ext == ".elf" || base_name(p) == "vmlinux" || base_name(p) == "dosbox"))
                paths.push_back(p);
        }
    std::sort(paths.begin(), paths.end());
    std::vector<ReferenceFont> reference_fonts;
    for (const auto& [face, count] : {std::pair{"Lat15-VGA8", 256},
                                      {"Lat15-VGA14", 256},
                                      {"Lat15-VGA16", 256},
                                      {"Uni2-Terminus32x16", 512},
                                      {"Uni2-Terminus16", 512},
                                      {"Uni2-Fixed16", 512},
                                      {"Uni2-Terminus24x12", 512},
                                      {"Uni2-Terminus20x10", 512}})
        if (auto font = psf_font(std::string("/usr/share/consolefonts/") + face + ".psf.gz"))
            reference_fonts.push_back({std::move(*font), static_cast<uint64_t>(count)});
    std::vector<LabelledFile> files;
    for (const auto& path : paths) {
        auto bytes = read_bytes(path);
        if (!bytes || bytes->size() < 64 * 1024) continue;
        const std::string name = path.rfind(packages, 0) == 0 ? path.substr(packages.size() + 1) : path;
        LabelledFile file{name, "file:" + name, std::move(*bytes), {}};
        for (const FontInImage& font : vga_bios_fonts(file.bytes, file.name))
            file.pictures.push_back(
                {font.offset, font.offset + font.picture.bytes.size(), font.picture.width});
        locate_console_fonts(file, reference_fonts);
        files.push_back(std::move(file));
    }
    return files;
}

int label_of(const LabelledFile& file, uint64_t start, uint64_t end, int width) {
    uint64_t same = 0, any = 0;
    for (const KnownPicture& p : file.pictures) {
        const uint64_t lo = std::max(start, p.start), hi = std::min(end, p.end);
        if (hi <= lo) continue;
        any += hi - lo;
        if (p.width == width) same += hi - lo;
    }
    if (2 * same >= end - start) return 1;
    return any == 0 ? 0 : -1;
}

}  // namespace

std::vector<LabelledFile> training_files(const std::string& packages) {
    std::vector<LabelledFile> files = planted_hosts();
    std::vector<LabelledFile> real = real_files(packages);
    for (auto& f : real) files.push_back(std::move(f));
    return files;
}

std::vector<Example> file_examples(const LabelledFile& file, size_t index) {
    const std::atomic<bool> never{false};
    const ScanJobResult scan = run_scan_job(file.bytes, {}, 2, {}, never);
    std::vector<Example> examples;
    auto add = [&](uint64_t start, uint64_t end, int width, double agreement) {
        const int label = label_of(file, start, end, width);
        if (label < 0 || end <= start) return;
        Example e;
        e.features = region_features(file.bytes, {start, end, width, agreement});
        e.label = label;
        e.file = index;
        e.start = start;
        e.end = end;
        e.width = width;
        examples.push_back(e);
    };
    for (size_t i = 0; i < scan.regions.size(); ++i) {
        const PictureRegion& r = scan.regions[i];
        add(r.start, r.end, r.width, r.score);
        const uint64_t lower = i > 0 ? scan.regions[i - 1].end : 0;
        const uint64_t upper = i + 1 < scan.regions.size() ? scan.regions[i + 1].start : file.bytes.size();
        uint64_t at = r.start;
        for (const FontSpan& font : find_fonts(file.bytes, r.start, r.end, r.width, lower, upper)) {
            if (font.start > at + 64) add(at, font.start, r.width, r.score);
            add(font.start, font.end, r.width, r.score);
            at = font.end;
        }
        if (at > r.start && r.end > at + 64) add(at, r.end, r.width, r.score);
    }
    return examples;
}
