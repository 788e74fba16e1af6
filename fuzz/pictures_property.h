#pragma once
// The description of scanned regions on any bytes: the input, repeated, lies among zeros, and is
// scanned at the widths the input chooses; every picture described lies inside the data, after
// the one before it, scores 0 to 1, and a font is a whole number of glyphs of a cell the font
// search allows. The fonts' search reads far around a region: the sanitizers watch it here.
#include <string>
#include <vector>

#include "analysis/pictures/cell_structure.h"
#include "analysis/pictures/found_pictures.h"
#include "analysis/scan/scan_regions.h"
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"

inline std::string check_pictures(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int repeats = static_cast<int>(in.range(1, 64));
    const uint64_t before = static_cast<uint64_t>(in.range(0, 4096));
    const std::string payload = in.rest();
    std::vector<uint8_t> bytes(before, 0);
    for (int r = 0; r < repeats; ++r) bytes.insert(bytes.end(), payload.begin(), payload.end());
    bytes.resize(bytes.size() + 1000, 0);

    // The regions of a scan, and one region over the whole input at each font width: the font
    // search then meets every kind of row, not only those the scan accepts.
    std::vector<PictureRegion> regions = scan_regions(bytes, {});
    CheckReport report;
    std::vector<FoundPicture> pictures = describe_regions(bytes, regions);
    for (int width = 1; width <= MAX_FONT_WIDTH; ++width) {
        const std::vector<FoundPicture> more = describe_regions(bytes, {{0, bytes.size(), width, 0.5}});
        pictures.insert(pictures.end(), more.begin(), more.end());
        uint64_t end = 0;
        for (const FoundPicture& p : more) {
            report.expect(p.start >= end && p.start < p.end && p.end <= bytes.size(),
                          "pictures inside the data, in order, apart, at width " + std::to_string(width));
            end = p.end;
        }
    }
    for (const FoundPicture& p : pictures) {
        report.expect(p.score >= 0 && p.score <= 1, "a score from 0 to 1: " + std::to_string(p.score));
        report.expect(p.end <= bytes.size() && p.start < p.end, "a picture inside the data");
        if (p.kind != PictureKind::Font) continue;
        const uint64_t glyph = static_cast<uint64_t>(p.width) * static_cast<uint64_t>(p.cell_height);
        report.expect(p.width >= 1 && p.width <= MAX_FONT_WIDTH && p.cell_height >= MIN_CELL_HEIGHT &&
                          p.cell_height <= MAX_CELL_HEIGHT && p.cell_width >= 1 &&
                          p.cell_width <= 8 * p.width,
                      "a font's cell within the search's bounds: " + std::to_string(p.cell_width) + "x" +
                          std::to_string(p.cell_height) + " at width " + std::to_string(p.width));
        report.expect(glyph > 0 && p.glyphs * glyph == p.end - p.start, "a font is whole glyphs");
    }
    return report.message();
}
