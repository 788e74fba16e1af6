#include "analysis/scan_regions.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "analysis/bit_count.h"
#include "analysis/column_agreement.h"
#include "analysis/row_prediction.h"

// How a cell comes to belong to a picture, in four steps, each a function of the bytes around
// the cell alone (so that any split of the file into pieces gives the same cells):
//  1. Cell statistics: set bits, and for every width the bits that differ from the bytes that
//     width further on.
//  2. Windows of 2, 4, 8 and 32 cells, the largest first, propose their best widths by agreement
//     (cheap, from the cell statistics); a proposal that passes the gate is checked with the
//     column agreement, the measure that tells pictures from tables and padding, and accepted
//     above a threshold that rises as the rows per column fall. Most windows end at the gate,
//     and one whose best possible score cannot change its cells' labels ends before the check.
//  3. A cell takes the width of the best accepted window covering it, and keeps it when its own
//     bytes agree with the rows below at that width, or when it lies between such cells (blank
//     glyphs inside a font, a quiet stretch of an icon).
//  4. Runs of kept cells with one width become regions; their ends are moved to the byte where
//     the rows start and stop agreeing, at most one cell outwards. Once joined, each region is
//     judged whole (region_looks_drawn), the one step that sees more than the bytes around a cell.

namespace {

constexpr uint64_t CELL = SCAN_CELL;
constexpr uint64_t BLOCK_CELLS = 4096;

struct WindowKind {
    uint64_t cells;
    uint64_t step;
    int max_width;
    double gate;  // agreement a proposal needs before its columns are checked
};
// Windows of 128 and 256 bytes hold too few rows of anything wider than 16 bytes to judge it:
// pictures that wide are left to the larger windows.
constexpr WindowKind WINDOW_KINDS[] = {
    {2, 1, 16, 0.45}, {4, 2, 16, 0.35}, {8, 4, 64, 0.30}, {32, 16, 255, 0.25}};
// Windows are two halves at multiples of their step, and the wide widths are summed per half
// (CellView::group_widths).
static_assert([] {
    for (const WindowKind& kind : WINDOW_KINDS)
        if (kind.cells != 2 * kind.step || !std::has_single_bit(kind.step) || kind.step > 16) return false;
    return true;
}());
constexpr uint64_t LARGEST_WINDOW = [] {
    uint64_t most = 0;
    for (const WindowKind& kind : WINDOW_KINDS) most = std::max(most, kind.cells);
    return most;
}();
// A cell between kept cells of its width, this many cells away at most, keeps the width.
constexpr uint64_t BRIDGE_CELLS = 32;
// Context each block computes around its own cells so that every answer inside is complete.
// A cell's width yields to a divisor that labels as many cells this close.
constexpr uint64_t SMOOTH_CELLS = 16;
// ... provided the cell's own rows agree at the divisor at least this share as well.
constexpr double SMOOTH_OWN_RATIO = 0.8;
// A kept cell yields to a divisor of its width kept this close (a sliver at 2W or 4W where a font's
// glyphs line up), provided its own rows agree at the divisor at least ABSORB_OWN_RATIO as well.
constexpr uint64_t ABSORB_CELLS = 8;
constexpr double ABSORB_OWN_RATIO = 0.7;
constexpr uint64_t LABEL_REACH = BRIDGE_CELLS + SMOOTH_CELLS + ABSORB_CELLS + 2;
constexpr uint64_t MARGIN_CELLS = LARGEST_WINDOW + LABEL_REACH + 4;

// The column agreement a window needs: ACCEPT_BASE for tall windows, more when each column has
// few rows to judge by (noise reaches higher there).
constexpr double ACCEPT_BASE = 0.17;
constexpr double ACCEPT_SPREAD = 1.2;
// The agreement of a cell's own bytes (kappa against the window's density) that makes it strong.
constexpr double CELL_MIN = 0.12;
constexpr double DRAWN_MIN = 0.5;
constexpr double ISOLATED_MAX = 0.3;
// Windows whose non-zero bytes are at least this share printable ASCII are text.
constexpr double TEXT_SHARE = 0.8;
// Widths up to this are measured for every cell; wider ones only for windows that look drawn.
constexpr int SMALL_WIDTHS = 16;
// Wider widths are counted for a cell up to this first, and beyond it only when asked.
constexpr int MIDDLE_WIDTHS = 64;
// The horizontal agreement that makes a window worth measuring at the wider widths.
constexpr double WIDE_TRIGGER = 0.4;
// Every inked byte column of an accepted window must agree at least this well on its own.
constexpr double BYTE_COLUMN_MIN = 0.1;
// A window whose best proposal checks below this share of the bar is rejected at once.
constexpr double REJECT_SHARE = 0.6;
// The bytes of a window that row prediction looks at when it chooses between widths.
constexpr uint64_t PREDICTION_SAMPLE = 256;
// Per byte, the differing bits (of 8) below which a byte looks like part of the picture.
constexpr double EDGE_TOLERANCE = 3.0;
// Whole regions (region_looks_drawn): text has more printable bytes than this share of the
// bytes that are not zero, or more letters and spaces (the 456 console fonts here reach 0.68 and
// 0.42).
constexpr double REGION_TEXT_SHARE = 0.8;
constexpr double REGION_LETTER_SHARE = 0.5;
// At width 1, fewer non-zero bytes than this share is a sparse table (fonts: 0.3 and more), and
// values that rise (or fall) more often than they do the opposite by this share of the changes a
// sorted one (fonts: under 0.1).
constexpr double REGION_SPARSE_SHARE = 0.15;
constexpr double REGION_SORTED_SHARE = 0.3;
constexpr uint64_t REGION_MIN_CHANGES = 8;
// A width whose multiple has fewer than PERIOD_RATIO of its differing bits is a divisor of a
// record size, not a picture's width; one whose double agrees less than DECAY_MIN as well has rows
// that merely come in pairs.
constexpr double PERIOD_RATIO = 0.7;
constexpr double DECAY_MIN = 0.4;
// The share of the acceptance bar a width must reach against bit position densities to be checked.
constexpr double BIT_POSITION_SHARE = 0.9;

double acceptance(uint64_t length, int width) {
    // Whole windows ask for these thousands of times per megabyte: from a table.
    struct Table {
        std::array<std::array<double, MAX_ROW_WIDTH + 1>, std::size(WINDOW_KINDS)> bar{};
        Table() {
            for (size_t k = 0; k < std::size(WINDOW_KINDS); ++k)
                for (int w = 1; w <= MAX_ROW_WIDTH; ++w)
                    bar[k][static_cast<size_t>(w)] = computed(WINDOW_KINDS[k].cells * SCAN_CELL, w);
        }
        static double computed(uint64_t n, int w) {
            const double rows = static_cast<double>(n / static_cast<uint64_t>(w));
            return ACCEPT_BASE + ACCEPT_SPREAD / std::sqrt(rows);
        }
    };
    static const Table table;
    if (width >= 1 && width <= MAX_ROW_WIDTH)
        for (size_t k = 0; k < std::size(WINDOW_KINDS); ++k)
            if (length == WINDOW_KINDS[k].cells * SCAN_CELL) return table.bar[k][static_cast<size_t>(width)];
    return Table::computed(length, width);
}

struct Label {
    int width = 0;  // 0: no picture
    double score = 0;
    double density = 0;  // of the window that gave the label
};

// Counts over bytes that judge a window's bytes apart from any width: how many are not zero and
// how many of those are printable ASCII (text is not a picture, however regular), and for the
// horizontal agreement the set bits per bit position and the equal neighbouring positions.
struct ByteTraits;
void add_cell_traits_avx512(const uint8_t* cell, ByteTraits& traits);
bool cell_traits_avx512_usable();

struct ByteTraits {
    uint32_t nonzero = 0, printable = 0;
    uint32_t ones[8] = {}, equal[7] = {};

    void add(const uint8_t* data, uint64_t n) {
        if (n == SCAN_CELL && cell_traits_avx512_usable()) {
            add_cell_traits_avx512(data, *this);
            return;
        }
        uint64_t i = 0;
#if defined(__SSE2__)
        // Sixteen bytes at a time into byte lanes (at most 64 bytes per call: no lane overflows),
        // summed across lanes at the end. A 16-bit shift right by k brings bit k of both bytes of
        // a lane pair to their bit 0.
        const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1);
        const __m128i below_space = _mm_set1_epi8(0x1F), delete_char = _mm_set1_epi8(0x7F);
        __m128i ones_acc[8], equal_acc[7];
        for (auto& a : ones_acc) a = zero;
        for (auto& a : equal_acc) a = zero;
        __m128i zeros_acc = zero, printable_acc = zero;
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            // Bit k of `same` (k < 7) is set where bits k and k + 1 of the byte agree.
            const __m128i same = _mm_xor_si128(_mm_xor_si128(v, _mm_srli_epi16(v, 1)), _mm_set1_epi8(-1));
            // Unrolled with immediate shift counts: the loop with a count in a register runs far slower.
            [&]<int... k>(std::integer_sequence<int, k...>) {
                ((ones_acc[k] = _mm_add_epi8(ones_acc[k], _mm_and_si128(_mm_srli_epi16(v, k), one))), ...);
                ((equal_acc[k] = _mm_add_epi8(equal_acc[k], _mm_and_si128(_mm_srli_epi16(same, k), one))),
                 ...);
            }
            (std::make_integer_sequence<int, 7>{});
            ones_acc[7] = _mm_add_epi8(ones_acc[7], _mm_and_si128(_mm_srli_epi16(v, 7), one));
            zeros_acc = _mm_sub_epi8(zeros_acc, _mm_cmpeq_epi8(v, zero));
            printable_acc = _mm_sub_epi8(
                printable_acc, _mm_and_si128(_mm_cmpgt_epi8(v, below_space), _mm_cmplt_epi8(v, delete_char)));
        }
        auto total = [&](__m128i acc) {
            const __m128i sums = _mm_sad_epu8(acc, zero);
            return static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
        };
        for (int k = 0; k < 8; ++k) ones[k] += total(ones_acc[k]);
        for (int k = 0; k < 7; ++k) equal[k] += total(equal_acc[k]);
        nonzero += static_cast<uint32_t>(i) - total(zeros_acc);
        printable += total(printable_acc);
#endif
        // Byte lanes of 64-bit sums: at most 64 bytes per call, so no lane overflows.
        const auto& t = trait_tables();
        uint64_t ones_lanes = 0, equal_lanes = 0;
        for (; i < n; ++i) {
            const uint8_t b = data[i];
            ones_lanes += t.ones[b];
            equal_lanes += t.equal[b];
            nonzero += b != 0;
            printable += b >= 0x20 && b < 0x7F;
        }
        for (int k = 0; k < 8; ++k) ones[k] += static_cast<uint32_t>((ones_lanes >> (8 * k)) & 0xFF);
        for (int k = 0; k < 7; ++k) equal[k] += static_cast<uint32_t>((equal_lanes >> (8 * k)) & 0xFF);
    }
    struct Tables {
        uint64_t ones[256], equal[256];  // lane k: bit k set; bits k and k+1 equal
    };
    static const Tables& trait_tables() {
        static const Tables tables = [] {
            Tables t{};
            for (unsigned b = 0; b < 256; ++b) {
                const unsigned same = ~(b ^ (b >> 1)) & 0x7F;
                for (int k = 0; k < 8; ++k) t.ones[b] |= static_cast<uint64_t>((b >> k) & 1) << (8 * k);
                for (int k = 0; k < 7; ++k) t.equal[b] |= static_cast<uint64_t>((same >> k) & 1) << (8 * k);
            }
            return t;
        }();
        return tables;
    }
    ByteTraits minus(const ByteTraits& o) const {
        ByteTraits d;
        d.nonzero = nonzero - o.nonzero;
        d.printable = printable - o.printable;
        for (int k = 0; k < 8; ++k) d.ones[k] = ones[k] - o.ones[k];
        for (int k = 0; k < 7; ++k) d.equal[k] = equal[k] - o.equal[k];
        return d;
    }
    bool text() const { return nonzero > 0 && printable >= TEXT_SHARE * nonzero; }
    // Neighbouring pixels within a byte, kappa against their positions' densities.
    // Summed as m (p q + (1 - p)(1 - q)) = m - a - b + 2ab / m over counts a, b: in whole
    // numbers but for one division (every window with wide widths asks).
    double horizontal_agreement(uint64_t n) const {
        uint64_t agree = 0, single = 0, both = 0;
        for (int k = 0; k < 7; ++k) {
            agree += equal[k];
            single += static_cast<uint64_t>(ones[k]) + ones[k + 1];
            both += static_cast<uint64_t>(ones[k]) * ones[k + 1];
        }
        const double m = static_cast<double>(n);
        const double expected = 7 * m - static_cast<double>(single) + 2 * static_cast<double>(both) / m;
        const double pairs = 7 * m;
        return pairs - expected < 1e-9 ? 0 : (static_cast<double>(agree) - expected) / (pairs - expected);
    }
};

#if defined(__x86_64__) && defined(__GNUC__)
// A whole cell in one vector: each count is the population of a 64-bit mask.
__attribute__((target("avx512f,avx512bw,popcnt"))) void add_cell_traits_avx512(const uint8_t* cell,
                                                                               ByteTraits& traits) {
    const __m512i v = _mm512_loadu_si512(cell);
    const __m512i differ = _mm512_xor_si512(v, _mm512_srli_epi16(v, 1));  // bit k: bits k, k + 1 differ
    // No lambdas here: they would not share this function's instruction set.
    for (int k = 0; k < 8; ++k) {
        const __m512i bit = _mm512_set1_epi8(static_cast<char>(1 << k));
        traits.ones[k] += static_cast<uint32_t>(__builtin_popcountll(_mm512_test_epi8_mask(v, bit)));
        if (k < 7)
            traits.equal[k] +=
                static_cast<uint32_t>(__builtin_popcountll(_mm512_testn_epi8_mask(differ, bit)));
    }
    traits.nonzero += static_cast<uint32_t>(__builtin_popcountll(_mm512_test_epi8_mask(v, v)));
    traits.printable +=
        static_cast<uint32_t>(__builtin_popcountll(_mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(0x20)) &
                                                   _mm512_cmplt_epu8_mask(v, _mm512_set1_epi8(0x7F))));
}
bool cell_traits_avx512_usable() {
    static const bool usable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                               __builtin_cpu_supports("popcnt");
    return usable;
}
#else
void add_cell_traits_avx512(const uint8_t*, ByteTraits&) {}
bool cell_traits_avx512_usable() { return false; }
#endif

// Everything about the cells [first, first + count), absolute cell indices.
class CellView {
public:
    CellView(std::span<const uint8_t> bytes, uint64_t first, uint64_t count, int max_width)
        : bytes_(bytes),
          first_(first),
          count_(count),
          max_width_(max_width),
          small_(std::min(max_width, SMALL_WIDTHS)) {
        const size_t w = static_cast<size_t>(small_);
        diff_prefix_.assign((count_ + 1) * w, 0);
        ones_prefix_.assign(count_ + 1, 0);
        blank_.assign(count_, false);
        traits_.assign(count_ + 1, {});
        // Filled on demand, so not cleared here: most cells never need it.
        if (scratch().all_widths.size() < count_ * static_cast<size_t>(max_width_))
            scratch().all_widths.resize(count_ * static_cast<size_t>(max_width_));
        all_widths_done_.assign(count_, 0);
        for (uint64_t k = 0; k < count_; ++k) {
            const uint64_t n = cell_length(first_ + k);
            const uint8_t* cell = bytes_.data() + (first_ + k) * CELL;
            blank_[k] = n == 0 || std::memcmp(cell, cell + 1, n - 1) == 0;
            traits_[k + 1] = traits_[k];
            traits_[k + 1].add(cell, n);
            uint64_t ones = 0;
            for (int j = 0; j < 8; ++j) ones += traits_[k + 1].ones[j] - traits_[k].ones[j];
            ones_prefix_[k + 1] = ones_prefix_[k] + ones;
            differences(first_ + k, small_, &diff_prefix_[k * w], &diff_prefix_[(k + 1) * w]);
        }
    }

    // The differing bits of one cell for every width (no running sum), computed on first use:
    // only windows that look promising at the small widths ask for them.
    // Valid for widths 1..up_to. Most requests stop at 64 (the windows of 512 bytes), and the
    // widths above that cost three times as much again.
    const uint32_t* all_widths(uint64_t cell, int up_to) {
        const uint64_t k = cell - first_;
        uint32_t* out = &scratch().all_widths[k * static_cast<size_t>(max_width_)];
        if (all_widths_done_[k] < up_to) {
            static const std::vector<uint32_t> zeros(MAX_ROW_WIDTH, 0);
            const int widths = up_to <= MIDDLE_WIDTHS ? std::min(MIDDLE_WIDTHS, max_width_) : max_width_;
            differences(cell, widths, zeros.data(), out);
            all_widths_done_[k] = widths;
        }
        return out;
    }

    // all_widths summed over the `cells` cells from `cell` (a multiple of `cells`), widths up to
    // `widths`: every window of 4 cells and more is two such groups at its half size, and each
    // group serves two windows. One size of group per `slot`.
    const uint32_t* group_widths(uint64_t cell, uint64_t cells, int widths, size_t slot) {
        Groups& g = groups_[slot];
        const size_t w = static_cast<size_t>(widths);
        const uint64_t index = cell / cells - first_ / cells;
        if (g.cells != cells) {
            g.cells = cells;
            g.done.assign(count_ / cells + 2, false);
            if (scratch().groups[slot].size() < g.done.size() * w)
                scratch().groups[slot].resize(g.done.size() * w);
        }
        uint32_t* out = &scratch().groups[slot][index * w];
        if (!g.done[index]) {
            const uint32_t* first = all_widths(cell, widths);
            std::copy(first, first + w, out);
            for (uint64_t k = 1; k < cells; ++k) {
                const uint32_t* d = all_widths(cell + k, widths);
                for (size_t i = 0; i < w; ++i) out[i] += d[i];
            }
            g.done[index] = true;
        }
        return out;
    }

    uint64_t first() const { return first_; }
    uint64_t count() const { return count_; }
    bool holds(uint64_t cell, uint64_t cells) const {
        return cell >= first_ && cell + cells <= first_ + count_;
    }

    uint64_t cell_length(uint64_t cell) const {
        const uint64_t start = cell * CELL;
        return start >= bytes_.size() ? 0 : std::min<uint64_t>(CELL, bytes_.size() - start);
    }
    uint64_t ones(uint64_t cell, uint64_t cells) const {
        return ones_prefix_[cell - first_ + cells] - ones_prefix_[cell - first_];
    }
    // Over `cells` cells from `cell`, for widths up to small_widths().
    uint64_t differing(uint64_t cell, uint64_t cells, int width) const {
        const size_t w = static_cast<size_t>(small_);
        const size_t i = static_cast<size_t>(width - 1);
        return diff_prefix_[(cell - first_ + cells) * w + i] - diff_prefix_[(cell - first_) * w + i];
    }
    // Byte pairs (i, i + width) with i in [start, start + n) and i + width inside the data.
    uint64_t pairs(uint64_t start, uint64_t n, int width) const {
        const uint64_t w = static_cast<uint64_t>(width);
        if (start + w >= bytes_.size()) return 0;
        return std::min(n, bytes_.size() - w - start);
    }
    bool blank(uint64_t cell) const { return blank_[cell - first_]; }
    ByteTraits traits(uint64_t cell, uint64_t cells) const {
        return traits_[cell - first_ + cells].minus(traits_[cell - first_]);
    }
    uint64_t data_size() const { return bytes_.size(); }
    // The running sums of differing bits before `cell`, one entry per width up to small_widths().
    const uint32_t* differing_row(uint64_t cell) const {
        return &diff_prefix_[(cell - first_) * static_cast<size_t>(small_)];
    }
    int small_widths() const { return small_; }

private:
    void differences(uint64_t cell_index, int widths, const uint32_t* before, uint32_t* row) const {
        const uint64_t start = cell_index * CELL;
        const uint64_t n = cell_length(cell_index);
        const uint8_t* cell = bytes_.data() + start;
        const size_t w = static_cast<size_t>(widths);
        if (n == 0) {
            std::copy(before, before + w, row);
        } else if (start + n + w + 16 <= bytes_.size()) {
            count_shifted_differences(cell, n, widths, before, row);
        } else {
            for (size_t i = 0; i < w; ++i) {
                const uint64_t shift = i + 1;
                const uint64_t pairs =
                    start + shift >= bytes_.size() ? 0 : std::min(n, bytes_.size() - start - shift);
                row[i] = before[i] +
                         static_cast<uint32_t>(pairs ? count_differing_bits(cell, cell + shift, pairs) : 0);
            }
        }
    }

    std::span<const uint8_t> bytes_;
    uint64_t first_, count_;
    int max_width_;
    int small_;
    std::vector<uint32_t> diff_prefix_;  // running sums, widths 1..small_
    // Buffers of a few megabytes kept by each thread from block to block: fresh ones for every
    // block cost more in page faults than the counting that fills them.
    struct Scratch {
        std::vector<uint32_t> all_widths;  // per cell, widths 1..max_width_, filled on demand
        std::array<std::vector<uint32_t>, std::size(WINDOW_KINDS)> groups;
    };
    static Scratch& scratch() {
        thread_local Scratch buffers;
        return buffers;
    }
    std::vector<int> all_widths_done_;  // per cell, the widths filled
    struct Groups {
        uint64_t cells = 0;
        std::vector<bool> done;
    };
    std::array<Groups, std::size(WINDOW_KINDS)> groups_;
    std::vector<uint64_t> ones_prefix_;
    std::vector<bool> blank_;
    std::vector<ByteTraits> traits_;  // running sums before each cell
};

// Calls f(row index, row) for the rows of a window, each row read as one number, when rows are
// 1 to 6 or 8 bytes wide (the common widths: a byte-at-a-time loop made the checks below a third
// of the scan's time); false for other widths, which the callers handle byte by byte.
template <int W, typename F>
void each_narrow_row(const uint8_t* data, uint64_t rows, F&& f) {
    for (uint64_t r = 0; r < rows; ++r) {
        uint64_t v = 0;
        std::memcpy(&v, data + r * W, W);
        f(r, v);
    }
}
template <typename F>
bool each_row_word(const uint8_t* data, uint64_t rows, int width, F&& f) {
    switch (width) {
        case 1:
            each_narrow_row<1>(data, rows, f);
            return true;
        case 2:
            each_narrow_row<2>(data, rows, f);
            return true;
        case 3:
            each_narrow_row<3>(data, rows, f);
            return true;
        case 4:
            each_narrow_row<4>(data, rows, f);
            return true;
        case 5:
            each_narrow_row<5>(data, rows, f);
            return true;
        case 6:
            each_narrow_row<6>(data, rows, f);
            return true;
        case 8:
            each_narrow_row<8>(data, rows, f);
            return true;
        default:
            return false;
    }
}

// Two traits of drawn pictures that tables of numbers rarely share: rows that repeat the row
// above exactly (strokes, fills, blank lines), and neighbouring pixels within a byte that agree
// beyond their positions' densities (horizontal strokes and fills, ByteTraits). Their sum must
// reach DRAWN_MIN; fonts and icons reach it nearly always, the tables and counters in libraries
// and programs mostly not.
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

// The share of the rows with ink (a non-zero byte) that have blank rows above and below: high in
// tables of small numbers among zeros, low in glyphs and icons, whose strokes span rows.
double isolated_rows(const uint8_t* data, uint64_t n, int width) {
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t rows = n / w;
    if (rows == 0) return 0;
    // Inked rows as bits, 64 rows to a word.
    std::array<uint64_t, (LARGEST_WINDOW * SCAN_CELL + 63) / 64 + 1> inked{};
    if (rows > 64 * (inked.size() - 1)) return 0;
    bool narrow = false;
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
        narrow = true;
    }
#endif
    if (!narrow)
        narrow = each_row_word(data, rows, width, [&](uint64_t r, uint64_t v) {
            inked[r / 64] |= static_cast<uint64_t>(v != 0) << (r % 64);
        });
    if (!narrow)
        for (uint64_t r = 0; r < rows; ++r) {
            const uint8_t* row = data + r * w;
            uint8_t any = 0;
            for (uint64_t j = 0; j < w; ++j) any |= row[j];
            inked[r / 64] |= static_cast<uint64_t>(any != 0) << (r % 64);
        }
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

// Whether more than half of the byte columns never change: little-endian numbers, whose high
// bytes stay put, and not a picture. Rows of up to 8 bytes only (where such tables are common and
// the test is cheap); wider rows are left to the whole region's judgement.
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

// The window's verdict: the width of its accepted proposal, or width 0.
// A verdict scoring `settled` or less would change no cell's label, so the choice between widths
// that costs the most is skipped for it.
Label judge_window(std::span<const uint8_t> bytes, CellView& view, uint64_t cell, const WindowKind& kind,
                   int max_width, double min_score, double settled,
                   std::unordered_map<uint64_t, double>& predictions) {
    const uint64_t start = cell * CELL;
    const uint64_t n = start >= view.data_size() ? 0 : std::min(kind.cells * CELL, view.data_size() - start);
    if (n < kind.cells * CELL / 2 + 1) return {};
    const double density = static_cast<double>(view.ones(cell, kind.cells)) / (8.0 * static_cast<double>(n));
    const double spread = 2 * density * (1 - density);
    if (spread < 1e-3) return {};

    // The three widths with the fewest differing bits, i.e. the best agreement (kappa against the
    // window's density), if they pass the gate.
    const int top = std::min<int>({kind.max_width, max_width, static_cast<int>(n / 8)});
    const bool inside = start + n + static_cast<uint64_t>(top) <= view.data_size();
    const double limit = (1 - kind.gate) * 8.0 * static_cast<double>(n) * spread;
    const int small = std::min(top, view.small_widths());
    const uint32_t* lo = view.differing_row(cell);
    const uint32_t* hi = view.differing_row(cell + kind.cells);
    // Most of a file fails the gate at every small width: code, compressed data, noise. Such a
    // window is done here unless the wider widths are to be measured too.
    bool small_pass = !inside;
    if (inside) {
        // For whole counts d, d < limit exactly when d < ceil(limit); compared as 32-bit signed
        // numbers the loop runs on vectors.
        const int32_t bound = static_cast<int32_t>(std::min(std::ceil(limit), 2147483647.0));
        int passing = 0;
        for (int w = 1; w <= small; ++w) passing |= static_cast<int32_t>(hi[w - 1] - lo[w - 1]) < bound;
        small_pass = passing != 0;
        if (!small_pass && top <= small) return {};
    }
    const ByteTraits traits = view.traits(cell, kind.cells);
    if (traits.text()) return {};
    const double horizontal = traits.horizontal_agreement(n);
    if (!small_pass && horizontal < WIDE_TRIGGER) return {};
    int best[3] = {0, 0, 0};
    double fewest[3] = {limit, limit, limit};
    // The column check measures against each column's density, which can only lower the score:
    // already against each bit position's density (the same for every width) a width must reach
    // nearly the bar it will have to pass. Tables of small numbers, whose high bits never change,
    // agree well against the overall density and fail here, before the costlier checks.
    double expected_differing = 0;  // per pair of bytes, against each bit position's density
    for (int k = 0; k < 8; ++k) {
        const double p = traits.ones[k] / static_cast<double>(n);
        expected_differing += 2 * p * (1 - p);
    }
    auto offer = [&](int w, double d) {
        if (d >= fewest[2]) return;
        if (d >= (1 - BIT_POSITION_SHARE * acceptance(n, w)) * expected_differing * static_cast<double>(n))
            return;
        int k = 2;
        while (k > 0 && d < fewest[k - 1]) {
            best[k] = best[k - 1];
            fewest[k] = fewest[k - 1];
            --k;
        }
        best[k] = w;
        fewest[k] = d;
    };
    // First the small widths, from the running sums.
    // Differing bits per width, scaled to the window's length where pairs run past the data;
    // negative where not measured.
    std::array<double, MAX_ROW_WIDTH + 1> measured;
    std::fill(measured.begin(), measured.begin() + top + 1, -1.0);
    auto offer_counts = [&](int w, uint32_t d) {
        if (inside) {
            measured[static_cast<size_t>(w)] = static_cast<double>(d);
        } else {
            const uint64_t pairs = view.pairs(start, n, w);
            if (pairs > 0)
                measured[static_cast<size_t>(w)] =
                    static_cast<double>(d) * static_cast<double>(n) / static_cast<double>(pairs);
        }
        if (measured[static_cast<size_t>(w)] >= 0) offer(w, measured[static_cast<size_t>(w)]);
    };
    // Records of a fixed size seen at a divisor of that size: bytes agree with the same byte of
    // the next record far better than with the row below. A picture's rows agree best with the
    // row straight below, less with rows further down.
    auto periodic_beyond = [&](int w) {
        const double own = measured[static_cast<size_t>(w)];
        for (int m = 2 * w; m <= top; m += w)
            if (measured[static_cast<size_t>(m)] >= 0 &&
                measured[static_cast<size_t>(m)] < PERIOD_RATIO * own)
                return true;
        // And the opposite: shapes span more than two rows, so the row after next still agrees;
        // rows that merely come in identical pairs (a table with doubled entries) do not.
        const double twice = 2 * w <= top ? measured[static_cast<size_t>(2 * w)] : -1;
        if (twice >= 0) {
            const double all = 8.0 * static_cast<double>(n) * spread;
            const double k1 = 1 - own / all, k2 = 1 - twice / all;
            if (k2 < DECAY_MIN * k1) return true;
        }
        return false;
    };
    for (int w = 1; w <= small; ++w) offer_counts(w, hi[w - 1] - lo[w - 1]);
    // Wider widths only where neighbouring pixels agree as in shapes: pictures that wide are
    // icons and drawings, never thin glyphs. Elsewhere (code, tables, compressed data) this is
    // the bulk of the work and is skipped.
    if (top > small && horizontal >= WIDE_TRIGGER) {
        const size_t slot = static_cast<size_t>(&kind - WINDOW_KINDS);
        // Always the kind's widest widths, so that every group of a slot has one layout.
        const int widths = std::min(kind.max_width, max_width);
        const uint32_t* first_half = view.group_widths(cell, kind.step, widths, slot);
        const uint32_t* second_half = view.group_widths(cell + kind.step, kind.step, widths, slot);
        for (int w = small + 1; w <= top; ++w) offer_counts(w, first_half[w - 1] + second_half[w - 1]);
    }
    if (best[0] == 0) return {};
    // Against each column's density a width scores no more than against each bit position's
    // (finer densities only raise the agreement expected): when no proposal nor any divisor of
    // one can beat the labels the window's cells already have, its verdict changes nothing.
    {
        double fewest_differing = -1;
        auto consider = [&](int d) {
            const double m = measured[static_cast<size_t>(d)];
            if (m >= 0 && (fewest_differing < 0 || m < fewest_differing)) fewest_differing = m;
        };
        for (int proposal : best)
            for (int d = 1; proposal != 0 && d * d <= proposal; ++d)
                if (proposal % d == 0) {
                    consider(d);
                    consider(proposal / d);
                }
        const double reach =
            fewest_differing < 0 ? 0 : 1 - fewest_differing / (expected_differing * static_cast<double>(n));
        if (reach <= settled) return {};
    }

    // The proposals must pass the column check; a passing proposal's divisors that pass too are
    // weighed against it by row prediction, the measure that ranks a picture's own width first.
    std::vector<std::pair<int, double>> accepted;
    auto drawn = [&](int w) {
        if (horizontal < DRAWN_MIN && repeated_rows(bytes.data() + start, n, w) + horizontal < DRAWN_MIN)
            return false;
        if (mostly_constant_columns(bytes.data() + start, n, w)) return false;
        // Each isolated row of ink has blank rows on both sides, so isolated rows are at most
        // twice the blank rows: with under an eighth of the bytes zero they stay below the bar.
        return traits.nonzero * 8 > n * 7 || isolated_rows(bytes.data() + start, n, w) < ISOLATED_MAX;
    };
    for (int proposal : best) {
        // The first proposal (in order of agreement) that passes leads; its divisors are weighed
        // against it below. Checking the weaker proposals as well changed no picture found on
        // the corpus and cost an eighth of the scan's time in libraries.
        if (!accepted.empty()) break;
        if (proposal == 0 || periodic_beyond(proposal) || !drawn(proposal)) continue;
        const ColumnAgreement check = column_agreement_detail(bytes, start, n, proposal);
        const double score = check.score;
        // Tables and padding agree by their columns alone: when the best proposal checks far
        // below the bar, the weaker ones are not worth checking.
        if (proposal == best[0] && score < REJECT_SHARE * acceptance(n, proposal)) return {};
        if (score >= acceptance(n, proposal) && score >= min_score &&
            check.weakest_byte_column >= BYTE_COLUMN_MIN)
            accepted.push_back({proposal, score});
    }
    if (accepted.empty()) return {};
    std::sort(accepted.begin(), accepted.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
    const int leader = accepted.front().first;
    for (int d = 1; d < leader; ++d) {
        if (leader % d != 0 ||
            std::any_of(accepted.begin(), accepted.end(), [&](const auto& a) { return a.first == d; }))
            continue;
        if (periodic_beyond(d) || !drawn(d)) continue;
        const ColumnAgreement check = column_agreement_detail(bytes, start, n, d);
        if (check.score >= acceptance(n, d) && check.score >= min_score &&
            check.weakest_byte_column >= BYTE_COLUMN_MIN)
            accepted.push_back({d, check.score});
    }
    // Row prediction decides only between the leader and its accepted divisors: the case where
    // the column check cannot tell a picture's width from its multiples.
    std::vector<std::pair<int, double>> related{accepted.front()};
    for (size_t i = 1; i < accepted.size(); ++i)
        if (leader % accepted[i].first == 0 || accepted[i].first % leader == 0)
            related.push_back(accepted[i]);
    if (related.size() == 1) return {leader, accepted.front().second, density};
    if (std::all_of(related.begin(), related.end(), [&](const auto& r) { return r.second <= settled; }))
        return {};
    accepted = related;
    std::vector<double> predicted(accepted.size());
    // Prediction settles the width within a few hundred rows; more only costs time.
    const uint64_t sample = std::min<uint64_t>(n, PREDICTION_SAMPLE);
    for (size_t i = 0; i < accepted.size(); ++i) {
        // Windows of several sizes start at the same cell and ask the same question.
        const uint64_t key =
            (start * (PREDICTION_SAMPLE + 1) + sample) * 256 + static_cast<uint64_t>(accepted[i].first);
        const auto known = predictions.find(key);
        predicted[i] = known != predictions.end()
                           ? known->second
                           : predictions[key] = row_prediction_score(bytes, start, sample, accepted[i].first);
    }
    size_t pick = 0;
    for (size_t i = 1; i < accepted.size(); ++i)
        if (predicted[i] > predicted[pick]) pick = i;
    // A divisor that predicts nearly as well as the pick wins.
    for (size_t i = 0; i < accepted.size(); ++i) {
        const int d = accepted[i].first, w = accepted[pick].first;
        if (d >= w || w % d != 0) continue;
        const double ratio = d == 1 ? WIDTH_ONE_RATIO : WIDTH_MULTIPLE_RATIO;
        if (predicted[i] >= ratio * predicted[pick]) pick = i;
    }
    return {accepted[pick].first, accepted[pick].second, density};
}

// Differing bits between byte i and the byte `width` further on (backwards: before); 8 when the
// other byte lies outside the data.
// Set bits of a byte by table: these run byte by byte, where a call per byte costs more than
// the count on processors the build does not assume to have a population-count instruction.
int byte_bits(unsigned b) {
    static const auto table = [] {
        std::array<uint8_t, 256> t{};
        for (unsigned v = 0; v < 256; ++v) t[v] = static_cast<uint8_t>(__builtin_popcount(v));
        return t;
    }();
    return table[b & 0xFF];
}
int differing_below(std::span<const uint8_t> bytes, uint64_t i, int width) {
    const uint64_t j = i + static_cast<uint64_t>(width);
    if (j >= bytes.size()) return 8;
    return byte_bits(static_cast<unsigned>(bytes[i] ^ bytes[j]));
}
int differing_above(std::span<const uint8_t> bytes, uint64_t i, int width) {
    const uint64_t w = static_cast<uint64_t>(width);
    if (i < w) return 8;
    return byte_bits(static_cast<unsigned>(bytes[i] ^ bytes[i - w]));
}

// The first byte of the picture: in [lo, hi), the start after which bytes agree with the row below
// best, summed up to `horizon`.
uint64_t refine_start(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t horizon, int width) {
    double sum = 0, best = -1e300;
    uint64_t best_at = hi;
    for (uint64_t i = horizon; i > lo; --i) {
        sum += EDGE_TOLERANCE - differing_below(bytes, i - 1, width);
        if (i - 1 < hi && sum >= best) {
            best = sum;
            best_at = i - 1;
        }
    }
    return best_at;
}

// The end (exclusive) of the picture: in (lo, hi], the end before which bytes agree with the
// row above best, summed from `horizon`.
uint64_t refine_end(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t horizon, int width) {
    double sum = 0, best = -1e300;
    uint64_t best_at = lo;
    for (uint64_t i = horizon; i < hi; ++i) {
        sum += EDGE_TOLERANCE - differing_above(bytes, i, width);
        if (i + 1 > lo && sum >= best) {
            best = sum;
            best_at = i + 1;
        }
    }
    return best_at;
}

// The regions of the cells [lo, hi) (absolute), cut to [begin, end).
void scan_block(std::span<const uint8_t> bytes, uint64_t lo, uint64_t hi, uint64_t begin, uint64_t end,
                int max_width, double min_score, std::vector<PictureRegion>& out) {
    const uint64_t total_cells = (bytes.size() + CELL - 1) / CELL;
    const uint64_t view_lo = lo > MARGIN_CELLS ? lo - MARGIN_CELLS : 0;
    const uint64_t view_hi = std::min(total_cells, hi + MARGIN_CELLS);
    CellView view(bytes, view_lo, view_hi - view_lo, max_width);
    std::unordered_map<uint64_t, double> predictions;

    // Labels for the cells within reach of [lo, hi): from every window covering them.
    const uint64_t label_reach = LABEL_REACH;
    const uint64_t label_lo = lo > label_reach ? lo - label_reach : 0;
    const uint64_t label_hi = std::min(total_cells, hi + label_reach);
    std::vector<Label> label(label_hi - label_lo);
    // The largest windows first: their labels let most smaller windows end early.
    for (auto kind_at = std::rbegin(WINDOW_KINDS); kind_at != std::rend(WINDOW_KINDS); ++kind_at) {
        const WindowKind& kind = *kind_at;
        // Window starts are multiples of the kind's step, so that every block sees the same windows.
        uint64_t first = label_lo >= kind.cells ? label_lo - kind.cells + 1 : 0;
        first -= first % kind.step;
        for (uint64_t cell = first; cell < label_hi; cell += kind.step) {
            if (!view.holds(cell, kind.cells)) continue;
            const uint64_t from = std::max(cell, label_lo), to = std::min(cell + kind.cells, label_hi);
            double settled = label[from - label_lo].score;
            for (uint64_t c = from + 1; c < to; ++c) settled = std::min(settled, label[c - label_lo].score);
            const Label verdict =
                judge_window(bytes, view, cell, kind, max_width, min_score, settled, predictions);
            if (verdict.width == 0) continue;
            for (uint64_t c = std::max(cell, label_lo); c < std::min(cell + kind.cells, label_hi); ++c)
                if (verdict.score > label[c - label_lo].score) label[c - label_lo] = verdict;
        }
    }

    // A run of glyphs or an icon part where lines repeat exactly can favour a multiple of the
    // width around it (two rows side by side look alike too); such a cell takes the divisor that
    // labels at least as many cells nearby, so one picture keeps one width.
    {
        std::vector<Label> smoothed(label);
        for (uint64_t c = label_lo + SMOOTH_CELLS; c + SMOOTH_CELLS < label_hi; ++c) {
            const int w = label[c - label_lo].width;
            if (w < 2) continue;
            std::array<int, MAX_ROW_WIDTH + 1> count;  // read at 0 and the divisors of w only
            count[0] = 0;
            for (int d = 1; d <= w; ++d)
                if (w % d == 0) count[static_cast<size_t>(d)] = 0;
            for (uint64_t k = c - SMOOTH_CELLS; k <= c + SMOOTH_CELLS; ++k) {
                const int other = label[k - label_lo].width;
                if (other >= 1 && other <= w && w % other == 0) ++count[static_cast<size_t>(other)];
            }
            int pick = w;
            for (int d = 1; d < w; ++d)
                if (w % d == 0 && count[static_cast<size_t>(d)] >= count[static_cast<size_t>(w)] &&
                    count[static_cast<size_t>(d)] > count[static_cast<size_t>(pick == w ? 0 : pick)])
                    pick = d;
            // Only where the cell's own rows bear the divisor out: an icon's cells beside
            // glyph-like neighbours keep the icon's width.
            if (pick != w && w <= view.small_widths()) {
                const double density = label[c - label_lo].density;
                auto own = [&](int width) {
                    const uint64_t pairs = view.pairs(c * CELL, view.cell_length(c), width);
                    const double spread = 2 * density * (1 - density);
                    if (pairs == 0 || spread <= 0) return 0.0;
                    return 1 - static_cast<double>(view.differing(c, 1, width)) /
                                   (8.0 * static_cast<double>(pairs) * spread);
                };
                if (own(pick) < SMOOTH_OWN_RATIO * own(w)) pick = w;
            }
            smoothed[c - label_lo].width = pick;
        }
        label.swap(smoothed);
    }

    // Strong cells: their own bytes agree at the label's width.
    auto strong = [&](uint64_t c) {
        const Label& l = label[c - label_lo];
        if (l.width == 0 || view.blank(c)) return false;
        const uint64_t n = view.cell_length(c);
        const uint64_t pairs = view.pairs(c * CELL, n, l.width);
        if (pairs == 0) return false;
        // The running sums hold the small widths only; the wide ones are per cell.
        const uint32_t differing = l.width <= view.small_widths() ? view.differing(c, 1, l.width)
                                                                  : view.all_widths(c, l.width)[l.width - 1];
        const double spread = 2 * l.density * (1 - l.density);
        const double own = 1 - static_cast<double>(differing) / (8.0 * static_cast<double>(pairs) * spread);
        return own >= CELL_MIN;
    };
    std::vector<bool> is_strong(label.size());
    for (uint64_t c = label_lo; c < label_hi; ++c) is_strong[c - label_lo] = strong(c);
    auto strong_with = [&](uint64_t c, int width) {
        return c >= label_lo && c < label_hi && is_strong[c - label_lo] && label[c - label_lo].width == width;
    };
    const uint64_t wide_lo = lo > 2 + ABSORB_CELLS ? lo - 2 - ABSORB_CELLS : 0;
    const uint64_t wide_hi = std::min(total_cells, hi + 2 + ABSORB_CELLS);
    std::vector<int> wide(wide_hi - wide_lo, 0);  // width kept, or 0
    for (uint64_t c = wide_lo; c < wide_hi; ++c) {
        const Label& l = label[c - label_lo];
        if (l.width == 0) continue;
        bool keep = is_strong[c - label_lo];
        if (!keep) {
            bool before = false, after = false;
            for (uint64_t k = 1; k <= BRIDGE_CELLS && !before; ++k)
                before = c >= k && strong_with(c - k, l.width);
            for (uint64_t k = 1; k <= BRIDGE_CELLS && !after; ++k) after = strong_with(c + k, l.width);
            keep = before && after;
        }
        if (keep) wide[c - wide_lo] = l.width;
    }

    // Glyphs that happen to line up make a few cells of a font agree better at twice or four
    // times its width; such a sliver would cut the font in pieces. A cell beside cells kept at a
    // divisor of its width takes the divisor when its own rows agree there nearly as well.
    const uint64_t keep_lo = lo > 2 ? lo - 2 : 0;
    const uint64_t keep_hi = std::min(total_cells, hi + 2);
    std::vector<int> kept(keep_hi - keep_lo, 0);
    for (uint64_t c = keep_lo; c < keep_hi; ++c) {
        const int w = wide[c - wide_lo];
        kept[c - keep_lo] = w;
        if (w < 2) continue;
        // The smallest divisor kept before the cell and after it, within reach.
        auto smallest_divisor = [&](uint64_t from, uint64_t to) {
            int divisor = 0;
            for (uint64_t k = from; k < to; ++k) {
                const int d = wide[k - wide_lo];
                if (d >= 1 && d < w && w % d == 0 && (divisor == 0 || d < divisor)) divisor = d;
            }
            return divisor;
        };
        const uint64_t from = c > wide_lo + ABSORB_CELLS ? c - ABSORB_CELLS : wide_lo;
        const uint64_t to = std::min(wide_hi, c + ABSORB_CELLS + 1);
        const int before = smallest_divisor(from, c);
        const int after = smallest_divisor(c + 1, to);
        const int divisor = before == 0 ? after : after == 0 ? before : std::min(before, after);
        if (divisor == 0) continue;
        // A wide icon whose halves look alike shows its divisor in places: there the multiple
        // holds most of the cells around, and stays.
        const auto cells_at = [&](int width) {
            return std::count(wide.begin() + static_cast<std::ptrdiff_t>(from - wide_lo),
                              wide.begin() + static_cast<std::ptrdiff_t>(to - wide_lo), width);
        };
        if (cells_at(divisor) < cells_at(w)) continue;
        // Enclosed on both sides: a short stretch of glyphs such as shading, drawn at the
        // multiple by nature, inside the font.
        if (before == divisor && after == divisor) {
            kept[c - keep_lo] = divisor;
            continue;
        }
        const uint64_t n = view.cell_length(c);
        const double density = label[c - label_lo].density;
        const double spread = 2 * density * (1 - density);
        const uint32_t* differing = view.all_widths(c, w);
        auto own = [&](int width) {
            const uint64_t pairs = view.pairs(c * CELL, n, width);
            if (pairs == 0 || spread <= 0) return 0.0;
            return 1 -
                   static_cast<double>(differing[width - 1]) / (8.0 * static_cast<double>(pairs) * spread);
        };
        const double at_width = own(w);
        if (view.blank(c) || at_width <= 0 || own(divisor) >= ABSORB_OWN_RATIO * at_width)
            kept[c - keep_lo] = divisor;
    }
    auto kept_width = [&](uint64_t c) -> int { return c >= keep_lo && c < keep_hi ? kept[c - keep_lo] : 0; };

    // Runs of kept cells with one width, their ends refined; the run's part in [lo, hi) is ours.
    for (uint64_t c = keep_lo; c < keep_hi;) {
        const int width = kept_width(c);
        if (width == 0) {
            ++c;
            continue;
        }
        uint64_t run_end = c;
        double score = 0;
        while (run_end < keep_hi && kept_width(run_end) == width) {
            if (run_end >= lo && run_end < hi) score = std::max(score, label[run_end - label_lo].score);
            ++run_end;
        }
        const uint64_t run_start = c;
        c = run_end;
        if (score == 0) score = label[(run_start >= lo ? run_start : run_end - 1) - label_lo].score;

        const uint64_t first_byte = run_start * CELL;
        const uint64_t end_byte = std::min<uint64_t>(run_end * CELL, bytes.size());
        uint64_t start = first_byte, stop = end_byte;
        // A run that began before our reach is cut anyway; one at the start of the file is not.
        if (run_start > keep_lo || run_start == 0) {
            // Reach back into the free cell before; only half of it when another run lies beyond.
            uint64_t reach = run_start >= 1 ? first_byte - CELL : 0;
            if (kept_width(run_start - 1) != 0)
                reach = first_byte;
            else if (run_start >= 2 && kept_width(run_start - 2) != 0)
                reach += CELL / 2;
            const uint64_t horizon = std::min(end_byte, first_byte + 2 * CELL);
            start = refine_start(bytes, reach, std::min(end_byte, first_byte + CELL), horizon, width);
        }
        if (run_end < keep_hi || run_end == total_cells) {
            uint64_t reach = std::min<uint64_t>(bytes.size(), end_byte + CELL);
            if (kept_width(run_end) != 0)
                reach = end_byte;
            else if (kept_width(run_end + 1) != 0)
                reach = std::min<uint64_t>(reach, end_byte + CELL / 2);
            const uint64_t last_cell = (run_end - 1) * CELL;
            const uint64_t horizon = run_end - run_start >= 2 ? last_cell - CELL : first_byte;
            stop = refine_end(bytes, std::max(first_byte, last_cell), reach, horizon, width);
        }
        // Our share: the bytes of [lo, hi) cells, within [begin, end).
        const uint64_t own_lo = std::max(begin, lo * CELL);
        const uint64_t own_hi = std::min(end, hi * CELL);
        const uint64_t s = std::max(start, own_lo), e = std::min(stop, own_hi);
        if (s < e) out.push_back({s, e, width, score});
    }
}

}  // namespace

std::vector<PictureRegion> scan_regions(std::span<const uint8_t> bytes, const ScanOptions& options) {
    const uint64_t begin = std::min<uint64_t>(options.begin, bytes.size());
    const uint64_t end = std::min<uint64_t>(options.end, bytes.size());
    if (begin >= end) return {};
    const int max_width = std::clamp(options.max_width, 1, MAX_ROW_WIDTH);

    std::vector<PictureRegion> found;
    const uint64_t first_cell = begin / CELL;
    const uint64_t last_cell = (end + CELL - 1) / CELL;
    for (uint64_t lo = first_cell - first_cell % BLOCK_CELLS; lo < last_cell; lo += BLOCK_CELLS)
        scan_block(bytes, std::max(lo, first_cell), std::min(lo + BLOCK_CELLS, last_cell), begin, end,
                   max_width, options.min_score, found);
    std::vector<PictureRegion> regions = merge_regions(std::move(found));
    if (options.judge_whole_regions)
        std::erase_if(regions, [&](const PictureRegion& r) { return !region_looks_drawn(bytes, r); });
    return regions;
}

bool region_looks_drawn(std::span<const uint8_t> bytes, const PictureRegion& region) {
    if (region.width < 1) return false;
    const uint64_t start = std::min<uint64_t>(region.start, bytes.size());
    const uint64_t end = std::clamp<uint64_t>(region.end, start, bytes.size());
    const uint64_t w = static_cast<uint64_t>(region.width);
    const uint64_t rows = (end - start) / w;
    if (rows < 2) return true;  // too little to judge: the windows' verdict stands
    const uint8_t* data = bytes.data() + start;
    const uint64_t n = rows * w;

    uint64_t nonzero = 0, printable = 0, letters = 0;
    for (uint64_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        nonzero += b != 0;
        printable += b >= 0x20 && b < 0x7F;
        letters += (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == ' ';
    }
    const double inked = static_cast<double>(nonzero);
    if (nonzero == 0 || printable > REGION_TEXT_SHARE * inked || letters > REGION_LETTER_SHARE * inked)
        return false;

    if (w == 1) {
        if (inked < REGION_SPARSE_SHARE * static_cast<double>(n)) return false;
        uint64_t rises = 0, falls = 0;
        for (uint64_t i = 1; i < n; ++i) {
            rises += data[i] > data[i - 1];
            falls += data[i] < data[i - 1];
        }
        const uint64_t changes = rises + falls;
        const uint64_t lead = rises > falls ? rises - falls : falls - rises;
        return changes < REGION_MIN_CHANGES ||
               static_cast<double>(lead) <= REGION_SORTED_SHARE * static_cast<double>(changes);
    }
    uint64_t constant = 0;
    for (uint64_t j = 0; j < w; ++j) {
        uint64_t r = 1;
        while (r < rows && data[r * w + j] == data[j]) ++r;
        constant += r == rows;
    }
    return 2 * constant <= w;
}

std::vector<PictureRegion> merge_regions(std::vector<PictureRegion> pieces) {
    std::vector<PictureRegion> merged;
    for (const auto& r : pieces) {
        if (!merged.empty() && merged.back().end == r.start && merged.back().width == r.width) {
            merged.back().end = r.end;
            merged.back().score = std::max(merged.back().score, r.score);
        } else {
            merged.push_back(r);
        }
    }
    return merged;
}
