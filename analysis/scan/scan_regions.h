#pragma once
// Finding the parts of a file that look like 1-bit pictures (fonts, icons, sprites) among code,
// tables, text and compressed data.
//
// The file is judged in cells of SCAN_CELL bytes at fixed positions (multiples of SCAN_CELL from
// the start of the file). A cell belongs to a picture of width W when a window of cells around
// it shows rows of W bytes whose bits agree with the row below far more than each bit column's
// own density predicts. Measuring against the columns' densities (rather than the overall
// density) is what keeps tables of fixed-size records, runs of one repeated byte and repeated
// padding instructions out: their columns are constant or random, so they add nothing. A window
// must also look drawn: not text, rows that repeat or pixels that agree with their neighbours in
// the row, every inked byte column agreeing on its own, few lone rows of ink among blank ones.
// Regions are the runs of cells that share a width, trimmed to the rows that carry the picture,
// and then judged whole (region_looks_drawn). The stages live in this folder, one file each, and
// every number they are tuned by in tuning.h. Tables of slowly changing numbers can still pass at
// their record width: whole programs give three or four regions per 256 KiB, their code sections
// about one in 600 KiB.
//
// The score of a region is the best column agreement (column_agreement.h; kappa's scale: 0 = no
// structure, 1 = every row equals the one above) that any window behind its cells reached at the
// region's width. Fonts of thin 8x8 glyphs score about 0.25, filled icons 0.6 to 0.9.
#include <cstdint>
#include <span>
#include <vector>

#include "common/row_width.h"

// Callers that scan a file in pieces must start every piece but the first at a multiple of
// this (counted from the start of the file) to get the same regions as one call, and join the
// pieces with a RegionStream (region_stream.h).
constexpr uint64_t SCAN_PIECE_ALIGN = 64 * 1024;
constexpr uint64_t SCAN_CELL = 64;

struct PictureRegion {
    uint64_t start = 0;
    uint64_t end = 0;  // exclusive
    int width = 0;
    double score = 0;
    bool operator==(const PictureRegion&) const = default;
};

struct ScanOptions {
    // Windows judged below this count as no picture, so every region reported scores at least
    // this (a region may end where its windows weaken). The default keeps all that the scan's
    // own thresholds accept.
    double min_score = 0;
    // Widths tried: 1..max_width (clamped to 1..MAX_ROW_WIDTH).
    int max_width = MAX_ROW_WIDTH;
    // The part examined, clamped to the span. Regions are cut at its ends; the bytes around it
    // are still read as context, so the answer inside does not depend on where the part ends.
    uint64_t begin = 0;
    uint64_t end = UINT64_MAX;
    // Judge each finished region as a whole (region_looks_drawn) and drop those that read as
    // text or as a table of numbers. Callers that scan in pieces and join the pieces themselves
    // turn this off and judge the joined regions (a RegionStream that judges), so that no region
    // is judged by a part of it.
    bool judge_whole_regions = true;
};

// The regions inside [begin, end) that look like pictures, in file order, none overlapping.
// `bytes` is the whole file. Pure: no threads, no I/O.
[[nodiscard]] std::vector<PictureRegion> scan_regions(std::span<const uint8_t> bytes,
                                                      const ScanOptions& options);

// Whether a finished region, taken whole at its width, still looks drawn. Windows of a few
// hundred bytes cannot tell a picture from some kinds of data that a whole region shows plainly:
// strings padded with zeros (mostly printable bytes, mostly letters), tables of little-endian
// numbers (more than half the byte columns never change), sorted tables seen a byte at a time
// (values that mostly rise or mostly fall), sparse tables (a byte in six or fewer not zero).
[[nodiscard]] bool region_looks_drawn(std::span<const uint8_t> bytes, const PictureRegion& region);
