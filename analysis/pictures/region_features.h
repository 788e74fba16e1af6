#pragma once
// What a region looks like at its width, as numbers a learned model can weigh: whether its pixels
// form strokes and fills that continue across rows and across byte boundaries (drawings), or
// byte-aligned blobs, noisy low bits under slowly changing high bits, repeated high bytes of
// little-endian pointers, runs of one value (data). Every feature is a plain function of the
// region's bytes at its width, mostly in 0..1.
#include <array>
#include <cstdint>
#include <span>

#include "analysis/scan/scan_regions.h"

enum class RegionFeature {
    Agreement,           // the scan's column agreement (PictureRegion::score)
    WidthLog,            // log2(width) / 8
    SizeLog,             // log2(bytes) / 24
    ZeroBytes,           // share of 0x00 bytes
    FullBytes,           // share of 0xFF bytes
    ByteEntropy,         // entropy of the byte values, bits / 8
    InnerHorizontal,     // kappa of neighbouring pixels inside a byte
    BoundaryHorizontal,  // kappa of neighbouring pixels across byte boundaries, less the inner one
    Vertical,            // kappa of each pixel with the one below, mean over the eight bit positions
    VerticalSpread,      // the same, highest less lowest bit position
    Diagonal,            // kappa of each pixel with the two below it diagonally
    Transitions,         // changes between neighbouring pixels inside a byte, per 7 pairs
    IsolatedInk,         // share of set pixels without a set pixel beside, above or below
    BlankRows,           // share of rows without ink
    RepeatedRows,        // share of rows equal to the row above
    SymmetricRows,       // share of inked rows that read the same mirrored
    PointerWords,        // share of aligned words whose high bytes repeat the previous word's
    CellStructure,       // how much of the row ink a glyph cell height explains (widths 1..4)
    PrintableBytes,      // share of printable ASCII bytes
    Density,             // share of set bits
    ConstantColumns,     // share of byte columns that never change (widths 2 and more)
    RecordRepeats,       // share of non-zero bytes equal to the byte a record before, best record size
    Count
};
constexpr size_t REGION_FEATURE_COUNT = static_cast<size_t>(RegionFeature::Count);
using RegionFeatures = std::array<double, REGION_FEATURE_COUNT>;

// Short names, in the enum's order: the training data's column heads.
extern const std::array<const char*, REGION_FEATURE_COUNT> REGION_FEATURE_NAMES;

// At most this many bytes from the region's start are measured: the features settle long before.
constexpr uint64_t FEATURE_SPAN = 64 * 1024;

// The features of the region, measured on its first FEATURE_SPAN bytes (whole rows, clamped to
// the span). A region of fewer than two rows gives the features of what there is (zeros where
// nothing can be measured).
[[nodiscard]] RegionFeatures region_features(std::span<const uint8_t> bytes, const PictureRegion& region);
