#include "analysis/scan/drawn_checks.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/scan/row_words.h"
#include "analysis/scan/scan_regions.h"
#include "analysis/scan/tuning.h"

using namespace scan_tuning;

double repeated_rows(const uint8_t* data, uint64_t n, int width) {
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t rows = n / w;
    if (rows < 2) return 0;
    uint64_t same = 0, previous = 0;
#if defined(__SSE2__)
    if (width == 1) {
        // Sixteen rows at a time: bytes equal to the byte before.
        uint64_t r = 1;
        for (; r + 16 <= rows; r += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + r));
            const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + r - 1));
            same += static_cast<uint64_t>(
                __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, above)))));
        }
        for (; r < rows; ++r) same += data[r] == data[r - 1];
        return static_cast<double>(same) / static_cast<double>(rows - 1);
    }
#endif
    const bool narrow = each_row_word(data, rows, width, [&](uint64_t r, uint64_t v) {
        same += r > 0 && v == previous;
        previous = v;
    });
    if (!narrow)
        for (uint64_t r = 1; r < rows; ++r) same += std::memcmp(data + r * w, data + (r - 1) * w, w) == 0;
    return static_cast<double>(same) / static_cast<double>(rows - 1);
}

namespace {

// Inked rows as bits, 64 rows to a word.
using InkedRows = std::array<uint64_t, (LARGEST_WINDOW * SCAN_CELL + 63) / 64 + 1>;

void mark_inked_rows(const uint8_t* data, uint64_t rows, int width, InkedRows& inked) {
#if defined(__SSE2__)
    if (width == 1) {
        // Sixteen rows at a time: the bytes that are not zero.
        uint64_t r = 0;
        for (; r + 16 <= rows; r += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + r));
            const uint64_t blank =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
            inked[r / 64] |= (~blank & 0xFFFF) << (r % 64);
        }
        for (; r < rows; ++r) inked[r / 64] |= static_cast<uint64_t>(data[r] != 0) << (r % 64);
        return;
    }
#endif
    if (each_row_word(data, rows, width, [&](uint64_t r, uint64_t v) {
            inked[r / 64] |= static_cast<uint64_t>(v != 0) << (r % 64);
        }))
        return;
    const uint64_t w = static_cast<uint64_t>(width);
    for (uint64_t r = 0; r < rows; ++r) {
        const uint8_t* row = data + r * w;
        uint8_t any = 0;
        for (uint64_t j = 0; j < w; ++j) any |= row[j];
        inked[r / 64] |= static_cast<uint64_t>(any != 0) << (r % 64);
    }
}

}  // namespace

double isolated_rows(const uint8_t* data, uint64_t n, int width) {
    const uint64_t rows = n / static_cast<uint64_t>(width);
    if (rows == 0) return 0;
    InkedRows inked{};
    if (rows > 64 * (inked.size() - 1)) return 0;
    mark_inked_rows(data, rows, width, inked);
    uint64_t ink = 0, isolated = 0;
    for (size_t k = 0; k * 64 < rows; ++k) {
        const uint64_t here = inked[k];
        const uint64_t above = here << 1 | (k > 0 ? inked[k - 1] >> 63 : 0);
        const uint64_t below = here >> 1 | inked[k + 1] << 63;
        ink += static_cast<uint64_t>(__builtin_popcountll(here));
        isolated += static_cast<uint64_t>(__builtin_popcountll(here & ~above & ~below));
    }
    return ink ? static_cast<double>(isolated) / static_cast<double>(ink) : 0;
}

bool mostly_constant_columns(const uint8_t* data, uint64_t n, int width) {
    const uint64_t rows = n / static_cast<uint64_t>(width);
    uint64_t first = 0, changed = 0;
    const bool narrow = each_row_word(data, rows, width, [&](uint64_t r, uint64_t v) {
        if (r == 0) first = v;
        changed |= v ^ first;
    });
    if (!narrow || rows < 2) return false;
    int constant = 0;
    for (int j = 0; j < width; ++j) constant += ((changed >> (8 * j)) & 0xFF) == 0;
    return 2 * constant > width;
}

bool window_looks_drawn(const uint8_t* data, uint64_t n, int width, const ByteTraits& traits,
                        double horizontal) {
    if (horizontal < DRAWN_MIN && repeated_rows(data, n, width) + horizontal < DRAWN_MIN) return false;
    if (mostly_constant_columns(data, n, width)) return false;
    // Each isolated row of ink has blank rows on both sides, so isolated rows are at most twice
    // the blank rows: with under an eighth of the bytes zero they stay below the bar.
    return traits.nonzero * 8 > n * 7 || isolated_rows(data, n, width) < ISOLATED_MAX;
}

namespace {

// Strings padded with zeros: mostly printable bytes, or mostly letters and spaces.
bool reads_as_text(const uint8_t* data, uint64_t n, uint64_t* nonzero_out) {
    uint64_t nonzero = 0, printable = 0, letters = 0;
    for (uint64_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        nonzero += b != 0;
        printable += b >= 0x20 && b < 0x7F;
        letters += (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == ' ';
    }
    *nonzero_out = nonzero;
    const double inked = static_cast<double>(nonzero);
    return nonzero == 0 || printable > REGION_TEXT_SHARE * inked || letters > REGION_LETTER_SHARE * inked;
}

// At width 1: a sparse table (few bytes not zero) or a sorted one (values that mostly rise or
// mostly fall).
bool reads_as_byte_table(const uint8_t* data, uint64_t n, uint64_t nonzero) {
    if (static_cast<double>(nonzero) < REGION_SPARSE_SHARE * static_cast<double>(n)) return true;
    uint64_t rises = 0, falls = 0;
    for (uint64_t i = 1; i < n; ++i) {
        rises += data[i] > data[i - 1];
        falls += data[i] < data[i - 1];
    }
    const uint64_t changes = rises + falls;
    const uint64_t lead = rises > falls ? rises - falls : falls - rises;
    return changes >= REGION_MIN_CHANGES &&
           static_cast<double>(lead) > REGION_SORTED_SHARE * static_cast<double>(changes);
}

// Records of little-endian numbers: more than half the byte columns never change.
bool reads_as_records(const uint8_t* data, uint64_t rows, uint64_t w) {
    uint64_t constant = 0;
    for (uint64_t j = 0; j < w; ++j) {
        uint64_t r = 1;
        while (r < rows && data[r * w + j] == data[j]) ++r;
        constant += r == rows;
    }
    return 2 * constant > w;
}

}  // namespace

bool region_looks_drawn(std::span<const uint8_t> bytes, const PictureRegion& region) {
    if (region.width < 1) return false;
    const uint64_t start = std::min<uint64_t>(region.start, bytes.size());
    const uint64_t end = std::clamp<uint64_t>(region.end, start, bytes.size());
    const uint64_t w = static_cast<uint64_t>(region.width);
    const uint64_t rows = (end - start) / w;
    if (rows < 2) return true;  // too little to judge: the windows' verdict stands
    const uint8_t* data = bytes.data() + start;
    const uint64_t n = rows * w;
    uint64_t nonzero = 0;
    if (reads_as_text(data, n, &nonzero)) return false;
    return w == 1 ? !reads_as_byte_table(data, n, nonzero) : !reads_as_records(data, rows, w);
}
