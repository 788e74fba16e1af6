#include "analysis/pictures/region_features.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "analysis/kappa.h"
#include "analysis/pictures/cell_structure.h"
#include "common/byte_tables.h"

const std::array<const char*, REGION_FEATURE_COUNT> REGION_FEATURE_NAMES = {
    "agreement",        "width_log",       "size_log",         "zero_bytes",
    "full_bytes",       "byte_entropy",    "inner_horizontal", "boundary_horizontal",
    "vertical",         "vertical_spread", "diagonal",         "transitions",
    "isolated_ink",     "blank_rows",      "repeated_rows",    "symmetric_rows",
    "pointer_words",    "cell_structure",  "printable_bytes",  "density",
    "constant_columns", "record_repeats"};

namespace {

// Record sizes tried by record_repeats beyond three rows.
constexpr uint64_t RECORD_SIZES = 64;
// It is measured on this many bytes from the region's start.
constexpr uint64_t RECORD_SPAN = 8192;

// Agreement of paired pixels: counts for kappa_score.
struct PairCounts {
    uint64_t pairs = 0, agreeing = 0, ones_first = 0, ones_second = 0;
    void add(unsigned a, unsigned b) {
        ++pairs;
        agreeing += a == b;
        ones_first += a;
        ones_second += b;
    }
    [[nodiscard]] double kappa() const { return kappa_score(pairs, agreeing, ones_first, ones_second); }
};

// The pixels of one row, one byte each, leftmost first.
void unpack_row(const uint8_t* row, uint64_t w, std::vector<uint8_t>& pixels) {
    pixels.resize(8 * w);
    for (uint64_t j = 0; j < w; ++j)
        for (int k = 0; k < 8; ++k) pixels[8 * j + static_cast<uint64_t>(k)] = (row[j] >> (7 - k)) & 1;
}

// The byte-level features: value shares, entropy, pointer-like words, unchanging columns.
void byte_features(const uint8_t* data, uint64_t n, uint64_t w, uint64_t offset, RegionFeatures& f) {
    std::array<uint64_t, 256> histogram{};
    uint64_t ones = 0, printable = 0;
    for (uint64_t i = 0; i < n; ++i) {
        ++histogram[data[i]];
        ones += static_cast<uint64_t>(__builtin_popcount(data[i]));
        printable += data[i] >= 0x20 && data[i] < 0x7F;
    }
    const double count = static_cast<double>(n);
    double entropy = 0;
    for (uint64_t h : histogram)
        if (h) entropy -= static_cast<double>(h) / count * std::log2(static_cast<double>(h) / count);
    auto at = [&](RegionFeature which) -> double& { return f[static_cast<size_t>(which)]; };
    at(RegionFeature::ZeroBytes) = static_cast<double>(histogram[0]) / count;
    at(RegionFeature::FullBytes) = static_cast<double>(histogram[255]) / count;
    at(RegionFeature::ByteEntropy) = entropy / 8;
    at(RegionFeature::PrintableBytes) = static_cast<double>(printable) / count;
    at(RegionFeature::Density) = static_cast<double>(ones) / (8 * count);

    // Little-endian pointers and offsets: aligned words of 4 or 8 bytes whose high half repeats the
    // previous word's, not zero.
    double pointer_share = 0;
    for (const uint64_t size : {uint64_t{4}, uint64_t{8}}) {
        const uint64_t first = (size - offset % size) % size;
        uint64_t words = 0, repeated = 0;
        for (uint64_t i = first + size; i + size <= n; i += size) {
            ++words;
            const uint8_t* high = data + i + size / 2;
            const uint8_t* before = high - size;
            bool zero = true;
            for (uint64_t k = 0; k < size / 2; ++k) zero = zero && high[k] == 0;
            repeated += !zero && std::memcmp(high, before, size / 2) == 0 &&
                        std::memcmp(data + i, data + i - size, size) != 0;
        }
        if (words)
            pointer_share =
                std::max(pointer_share, static_cast<double>(repeated) / static_cast<double>(words));
    }
    at(RegionFeature::PointerWords) = pointer_share;

    const uint64_t rows = n / w;
    uint64_t constant = 0;
    if (w >= 2 && rows >= 2)
        for (uint64_t j = 0; j < w; ++j) {
            uint64_t r = 1;
            while (r < rows && data[r * w + j] == data[j]) ++r;
            constant += r == rows;
        }
    at(RegionFeature::ConstantColumns) = w >= 2 ? static_cast<double>(constant) / static_cast<double>(w) : 0;
}

// Records of numbers repeat their flags, types and high bytes from record to record: the share of
// the non-zero bytes equal to the byte one record size before, for the size (from three rows up to
// 64 bytes beyond) where most are. Glyphs and icons repeat rows a glyph or a few rows apart far
// less (the console fonts here: at most 0.35).
double record_repeats(const uint8_t* data, uint64_t n, uint64_t w) {
    uint64_t nonzero = 0;
    for (uint64_t i = 0; i < n; ++i) nonzero += data[i] != 0;
    if (nonzero == 0) return 0;
    uint64_t most = 0;
    for (uint64_t size = 3 * w; size <= 3 * w + RECORD_SIZES && size < n; ++size) {
        uint64_t same = 0;
        for (uint64_t i = size; i < n; ++i) same += data[i] != 0 && data[i] == data[i - size];
        most = std::max(most, same);
    }
    return static_cast<double>(most) / static_cast<double>(nonzero);
}

// The row-level features: blank, repeated and mirrored rows.
void row_features(const uint8_t* data, uint64_t rows, uint64_t w, RegionFeatures& f) {
    uint64_t blank = 0, repeated = 0, inked = 0, symmetric = 0;
    for (uint64_t r = 0; r < rows; ++r) {
        const uint8_t* row = data + r * w;
        bool empty = true, mirrored = true;
        for (uint64_t j = 0; j < w; ++j) {
            empty = empty && row[j] == 0;
            mirrored = mirrored && reverse_table[row[j]] == row[w - 1 - j];
        }
        blank += empty;
        inked += !empty;
        symmetric += !empty && mirrored;
        repeated += r > 0 && std::memcmp(row, row - w, w) == 0;
    }
    auto at = [&](RegionFeature which) -> double& { return f[static_cast<size_t>(which)]; };
    at(RegionFeature::BlankRows) = static_cast<double>(blank) / static_cast<double>(rows);
    at(RegionFeature::RepeatedRows) =
        rows > 1 ? static_cast<double>(repeated) / static_cast<double>(rows - 1) : 0;
    at(RegionFeature::SymmetricRows) =
        inked ? static_cast<double>(symmetric) / static_cast<double>(inked) : 0;
}

// The pixel-level features: agreement of neighbours in every direction, transitions, lone ink.
void pixel_features(const uint8_t* data, uint64_t rows, uint64_t w, RegionFeatures& f) {
    std::array<PairCounts, 8> vertical;  // by bit position
    PairCounts inner, boundary, diagonal;
    uint64_t transitions = 0, inner_pairs = 0, ink = 0, isolated = 0;
    std::vector<uint8_t> above, here, below;
    const uint64_t x_count = 8 * w;
    unpack_row(data, w, here);
    for (uint64_t r = 0; r < rows; ++r) {
        if (r + 1 < rows) unpack_row(data + (r + 1) * w, w, below);
        for (uint64_t x = 0; x < x_count; ++x) {
            const unsigned p = here[x];
            if (x + 1 < x_count) {
                ((x + 1) % 8 == 0 ? boundary : inner).add(p, here[x + 1]);
                if ((x + 1) % 8 != 0) {
                    transitions += p != here[x + 1];
                    ++inner_pairs;
                }
            }
            if (r + 1 < rows) {
                vertical[x % 8].add(p, below[x]);
                if (x > 0) diagonal.add(p, below[x - 1]);
                if (x + 1 < x_count) diagonal.add(p, below[x + 1]);
            }
            if (p) {
                ++ink;
                const bool alone = (x == 0 || !here[x - 1]) && (x + 1 == x_count || !here[x + 1]) &&
                                   (r == 0 || !above[x]) && (r + 1 == rows || !below[x]);
                isolated += alone;
            }
        }
        above.swap(here);
        here.swap(below);
    }
    double lowest = 1, highest = 0, sum = 0;
    for (const PairCounts& v : vertical) {
        const double k = v.kappa();
        lowest = std::min(lowest, k);
        highest = std::max(highest, k);
        sum += k;
    }
    auto at = [&](RegionFeature which) -> double& { return f[static_cast<size_t>(which)]; };
    at(RegionFeature::InnerHorizontal) = inner.kappa();
    at(RegionFeature::BoundaryHorizontal) = w >= 2 ? boundary.kappa() - inner.kappa() : 0;
    at(RegionFeature::Vertical) = sum / 8;
    at(RegionFeature::VerticalSpread) = highest - lowest;
    at(RegionFeature::Diagonal) = diagonal.kappa();
    at(RegionFeature::Transitions) =
        inner_pairs ? static_cast<double>(transitions) / static_cast<double>(inner_pairs) : 0;
    at(RegionFeature::IsolatedInk) = ink ? static_cast<double>(isolated) / static_cast<double>(ink) : 0;
}

}  // namespace

RegionFeatures region_features(std::span<const uint8_t> bytes, const PictureRegion& region) {
    RegionFeatures f{};
    const uint64_t w = static_cast<uint64_t>(std::clamp(region.width, 1, 255));
    const uint64_t start = std::min<uint64_t>(region.start, bytes.size());
    const uint64_t end = std::clamp<uint64_t>(region.end, start, bytes.size());
    const uint64_t rows = std::min(end - start, FEATURE_SPAN) / w;
    f[static_cast<size_t>(RegionFeature::Agreement)] = region.score;
    f[static_cast<size_t>(RegionFeature::WidthLog)] = std::log2(static_cast<double>(w)) / 8;
    f[static_cast<size_t>(RegionFeature::SizeLog)] =
        std::log2(static_cast<double>(std::max<uint64_t>(end - start, 1))) / 24;
    if (rows == 0) return f;
    const uint8_t* data = bytes.data() + start;
    byte_features(data, rows * w, w, start, f);
    row_features(data, rows, w, f);
    f[static_cast<size_t>(RegionFeature::RecordRepeats)] =
        record_repeats(data, std::min(rows * w, RECORD_SPAN), w);
    pixel_features(data, rows, w, f);
    if (w <= MAX_FONT_WIDTH)
        f[static_cast<size_t>(RegionFeature::CellStructure)] =
            best_cell_height(row_ink(bytes, start, start + rows * w, static_cast<int>(w))).structure;
    return f;
}
