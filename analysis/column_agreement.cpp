#include "analysis/column_agreement.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <numeric>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/kappa.h"
#include "common/instruction_sets.h"

namespace {

// Widths up to this keep their counts on the stack; the scan never asks for wider rows.
constexpr uint64_t STACK_WIDTH = 255;
// Parts of fewer rows than this divide each possible count once and look the quotients up.
constexpr uint64_t QUOTIENT_TABLE = 512;

// Agreement expected by chance for one bit column from its densities over the upper and over
// the lower members of its pairs.
inline double agreement_by_chance(double upper, double lower) {
    return upper * lower + (1 - upper) * (1 - lower);
}

// Counts of one part, cleared by the caller: ones per bit column, bit k of byte column j at
// ones[k * width + j] (bit 0 the lowest), and bits that differ between each row and the next per
// byte column.
struct ColumnCounts {
    uint64_t* ones;       // 8 * width entries
    uint64_t* differing;  // width entries
};

// Each bit of a byte moved to its own byte lane, so that adding spreads counts eight columns at
// once (lane k counts bit k).
const std::array<uint64_t, 256>& spread_table() {
    static const std::array<uint64_t, 256> table = [] {
        std::array<uint64_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k)
                if (b & (1 << k)) t[static_cast<size_t>(b)] |= uint64_t{1} << (8 * k);
        return t;
    }();
    return table;
}

// Ones per bit column row by row through the spread table, in blocks of rows that cannot
// overflow the byte lanes: for short parts of narrow rows that do not tile 16-byte vectors (with
// the width known to the compiler, so that the lanes stay in registers), and for rows too wide
// for the vector counter.
template <typename Lanes>
void count_ones_by_rows(const uint8_t* data, uint64_t w, uint64_t rows, uint64_t* ones, Lanes& lanes) {
    const auto& spread = spread_table();
    for (uint64_t first = 0; first < rows; first += 255) {
        const uint64_t last = std::min(rows, first + 255);
        for (uint64_t j = 0; j < w; ++j) lanes[j] = 0;
        for (uint64_t r = first; r < last; ++r)
            for (uint64_t j = 0; j < w; ++j) lanes[j] += spread[data[r * w + j]];
        for (uint64_t k = 0; k < 8; ++k)
            for (uint64_t j = 0; j < w; ++j) ones[k * w + j] += (lanes[j] >> (8 * k)) & 0xFF;
    }
}

template <uint64_t W>
void count_ones_by_narrow_rows(const uint8_t* data, uint64_t rows, uint64_t* ones) {
    std::array<uint64_t, W> lanes;
    count_ones_by_rows(data, W, rows, ones, lanes);
}

template <uint64_t... WIDTHS>
void count_ones_by_rows_of(std::integer_sequence<uint64_t, WIDTHS...>, const uint8_t* data, uint64_t w,
                           uint64_t rows, uint64_t* ones) {
    if (!((w == WIDTHS + 1 && (count_ones_by_narrow_rows<WIDTHS + 1>(data, rows, ones), true)) || ...)) {
        std::vector<uint64_t> lanes(w);
        count_ones_by_rows(data, w, rows, ones, lanes);
    }
}

void count_ones_by_rows(const uint8_t* data, uint64_t w, uint64_t rows, uint64_t* ones) {
    count_ones_by_rows_of(std::make_integer_sequence<uint64_t, 15>(), data, w, rows, ones);
}

#if defined(__SSE2__)
// The rows are walked as one stream cut into stretches: lcm(width, 16) bytes of whole rows where
// that is short, otherwise one row, whose last vector overlaps the one before with the shared
// bytes masked off. Every byte of a stretch then always lands in the same counter lane, so the
// counts of one vector position over a block of stretches add up in registers, byte lanes that
// are added into the byte columns before they could overflow.
class StreamCounter {
public:
    // Widest rows taken this way.
    static constexpr uint64_t WIDTH_LIMIT = 256;

    // `lanes` holds LANE_BYTES bytes.
    static constexpr uint64_t LANE_BYTES = 8 * WIDTH_LIMIT + 16;
    StreamCounter(uint64_t width, uint8_t* lanes) : w_(width), lanes_(lanes) {
        const uint64_t tiled = std::lcm(width, uint64_t{16});
        stretch_ = tiled <= WIDTH_LIMIT ? tiled : width;
        vectors_ = (stretch_ + 15) / 16;
        stride_ = vectors_ * 16;
        overlap_ = stride_ - stretch_;
        alignas(16) uint8_t keep[16];
        for (uint64_t k = 0; k < 16; ++k) keep[k] = k < overlap_ ? 0 : 0xFF;
        tail_keep_ = _mm_load_si128(reinterpret_cast<const __m128i*>(keep));
    }

    [[nodiscard]] uint64_t stretch() const { return stretch_; }

    // Ones per bit column over bytes [0, n) of `data`, n a whole number of rows, added to
    // ones[bit * width + column].
    void count_ones(const uint8_t* data, uint64_t n, uint64_t* ones) {
        const __m128i one = _mm_set1_epi8(1);
        Source source(*this, data, nullptr, n);
        for (uint64_t first = 0; first < source.stretches; first += 255) {
            const uint64_t last = std::min(source.stretches, first + 255);
            for (uint64_t v = 0; v < vectors_; ++v) {
                __m128i sums[8];
                for (auto& sum : sums) sum = _mm_setzero_si128();
                for (uint64_t t = first; t < last; ++t) {
                    const __m128i bits = source.load(t, v);
                    for (int k = 0; k < 8; ++k)
                        sums[k] = _mm_add_epi8(sums[k], _mm_and_si128(_mm_srli_epi16(bits, k), one));
                }
                for (uint64_t k = 0; k < 8; ++k)
                    _mm_store_si128(reinterpret_cast<__m128i*>(lanes_ + k * stride_ + 16 * v), sums[k]);
            }
            fold(8, ones);
        }
    }

    // Differing bits per byte column between bytes [0, n) and [w, w + n), n a whole number of
    // rows, data[0, n + w) readable.
    void count_differing(const uint8_t* data, uint64_t n, uint64_t* differing) {
        const __m128i m1 = _mm_set1_epi8(0x55), m2 = _mm_set1_epi8(0x33), m4 = _mm_set1_epi8(0x0F);
        Source source(*this, data, data + w_, n);
        for (uint64_t first = 0; first < source.stretches; first += 31) {  // eight at most per stretch
            const uint64_t last = std::min(source.stretches, first + 31);
            for (uint64_t v = 0; v < vectors_; ++v) {
                __m128i sum = _mm_setzero_si128();
                for (uint64_t t = first; t < last; ++t) {
                    __m128i x = source.load(t, v);
                    x = _mm_sub_epi8(x, _mm_and_si128(_mm_srli_epi16(x, 1), m1));
                    x = _mm_add_epi8(_mm_and_si128(x, m2), _mm_and_si128(_mm_srli_epi16(x, 2), m2));
                    sum = _mm_add_epi8(sum, _mm_and_si128(_mm_add_epi8(x, _mm_srli_epi16(x, 4)), m4));
                }
                _mm_store_si128(reinterpret_cast<__m128i*>(lanes_ + 16 * v), sum);
            }
            fold(1, differing);
        }
    }

private:
    // The stretches of bytes [0, n) of `a` (XORed with the same bytes of `b` when given); the
    // last, partial stretch when n is not a whole number of them comes from copies whose missing
    // bytes are clear.
    struct Source {
        Source(const StreamCounter& counter, const uint8_t* a, const uint8_t* b, uint64_t n)
            : c(counter), a_(a), b_(b), whole(n / counter.stretch_) {
            const uint64_t rest = n - whole * c.stretch_;
            stretches = whole + (rest > 0);
            if (rest == 0) return;
            std::memcpy(rest_a_, a + whole * c.stretch_, rest);
            std::memset(rest_a_ + rest, 0, c.stretch_ - rest);
            if (b) {
                std::memcpy(rest_b_, b + whole * c.stretch_, rest);
                std::memset(rest_b_ + rest, 0, c.stretch_ - rest);
            }
        }
        // Vector v of stretch t, its bytes shared with the vector before masked off.
        [[nodiscard]] __m128i load(uint64_t t, uint64_t v) const {
            const bool last_vector = v + 1 == c.vectors_;
            const uint64_t at = last_vector ? c.stretch_ - 16 : 16 * v;
            const uint8_t* pa = t < whole ? a_ + t * c.stretch_ : rest_a_;
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa + at));
            if (b_) {
                const uint8_t* pb = t < whole ? b_ + t * c.stretch_ : rest_b_;
                x = _mm_xor_si128(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + at)));
            }
            return last_vector ? _mm_and_si128(x, c.tail_keep_) : x;
        }

        const StreamCounter& c;
        const uint8_t *a_, *b_;
        uint64_t whole, stretches = 0;
        // A partial stretch only happens where stretches tile vectors, so never beyond 256 bytes.
        alignas(16) uint8_t rest_a_[WIDTH_LIMIT], rest_b_[WIDTH_LIMIT];
    };

    // Adds the lanes into the per-column counts. Lane p belongs to stretch byte p (byte
    // p - overlap in the masked last vector), which is byte column (stretch byte) mod width.
    void fold(uint64_t planes, uint64_t* out) const {
        for (uint64_t k = 0; k < planes; ++k) {
            const uint8_t* lane = lanes_ + k * stride_;
            uint64_t* column = out + k * w_;
            if (stretch_ == w_) {
                const uint64_t shifted_from = 16 * (vectors_ - 1);
                for (uint64_t j = 0; j < shifted_from; ++j) column[j] += lane[j];
                for (uint64_t j = shifted_from; j < w_; ++j) column[j] += lane[j + overlap_];
            } else if (stretch_ == 16) {
                // Widths dividing 16: halve the vector onto itself in 16-bit sums until one
                // sum per column is left.
                const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(lane));
                const __m128i zero = _mm_setzero_si128();
                __m128i sums = _mm_add_epi16(_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero));
                if (w_ <= 4) sums = _mm_add_epi16(sums, _mm_srli_si128(sums, 8));
                if (w_ <= 2) sums = _mm_add_epi16(sums, _mm_srli_si128(sums, 4));
                if (w_ == 1) sums = _mm_add_epi16(sums, _mm_srli_si128(sums, 2));
                alignas(16) uint16_t per_column[8];
                _mm_store_si128(reinterpret_cast<__m128i*>(per_column), sums);
                for (uint64_t j = 0; j < w_; ++j) column[j] += per_column[j];
            } else {
                // Several rows per stretch: for 16 columns at a time, the lanes of each row of
                // the stretch, in 16-bit sums. The loads run up to 15 bytes past the stretch,
                // into bytes that land in no column kept.
                const __m128i zero = _mm_setzero_si128();
                for (uint64_t j = 0; j < w_; j += 16) {
                    __m128i low = zero, high = zero;
                    for (uint64_t t = j; t < stretch_; t += w_) {
                        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane + t));
                        low = _mm_add_epi16(low, _mm_unpacklo_epi8(bytes, zero));
                        high = _mm_add_epi16(high, _mm_unpackhi_epi8(bytes, zero));
                    }
                    alignas(16) uint16_t per_column[16];
                    _mm_store_si128(reinterpret_cast<__m128i*>(per_column), low);
                    _mm_store_si128(reinterpret_cast<__m128i*>(per_column + 8), high);
                    for (uint64_t c = 0; c < 16 && j + c < w_; ++c) column[j + c] += per_column[c];
                }
            }
        }
    }

    uint64_t w_, stretch_ = 0, vectors_ = 0, stride_ = 0, overlap_ = 0;
    uint8_t* lanes_;
    __m128i tail_keep_;
};
#endif

// Differing bits row by row, for rows too wide for the vector counter.
PIXELSIEVE_KERNEL_BODY void count_differing_by_rows_body(const uint8_t* data, uint64_t w, uint64_t rows,
                                                         uint64_t* differing) {
    for (uint64_t r = 0; r + 1 < rows; ++r)
        for (uint64_t j = 0; j < w; ++j)
            differing[j] += static_cast<uint64_t>(
                __builtin_popcount(static_cast<unsigned>(data[r * w + j] ^ data[(r + 1) * w + j])));
}
PIXELSIEVE_TARGET_POPCNT void count_differing_by_rows_popcnt(const uint8_t* data, uint64_t w, uint64_t rows,
                                                             uint64_t* differing) {
    count_differing_by_rows_body(data, w, rows, differing);
}
void count_differing_by_rows(const uint8_t* data, uint64_t w, uint64_t rows, uint64_t* differing) {
    if (active_instruction_set() == InstructionSet::Baseline)
        count_differing_by_rows_body(data, w, rows, differing);
    else
        count_differing_by_rows_popcnt(data, w, rows, differing);
}

void count_columns(const uint8_t* data, uint64_t w, uint64_t rows, const ColumnCounts& out) {
#if defined(__SSE2__)
    if (w <= StreamCounter::WIDTH_LIMIT) {
        alignas(16) uint8_t lanes[StreamCounter::LANE_BYTES];
        StreamCounter counter(w, lanes);
        // Narrow rows that do not tile a vector make long stretches, whose folding outweighs
        // counting a part of a few of them row by row.
        if (counter.stretch() > 16 && w < 16 && rows * w < 4 * counter.stretch())
            count_ones_by_rows(data, w, rows, out.ones);
        else
            counter.count_ones(data, rows * w, out.ones);
        counter.count_differing(data, (rows - 1) * w, out.differing);
        return;
    }
#endif
    count_ones_by_rows(data, w, rows, out.ones);
    count_differing_by_rows(data, w, rows, out.differing);
}

// The agreement from the counts of a part of `rows` rows of `w` bytes, whose first and last rows
// are given (their bits leave the upper and the lower members of the pairs).
ColumnAgreement score_columns(const ColumnCounts& counts, const uint8_t* first_row, const uint8_t* last_row,
                              uint64_t w, uint64_t rows) {
    const uint64_t* ones = counts.ones;
    const uint64_t* column_differing = counts.differing;
    const uint64_t pair_rows = rows - 1;
    const double m = static_cast<double>(pair_rows);
    // Every quotient below is (a count of at most `rows`) / m, and every expected agreement of a
    // bit column follows from its count and its bits in the first and last rows. Where there are
    // fewer such inputs than columns ask for, each result is computed once up front by the same
    // operations (so to the same double) and looked up.
    std::array<double, QUOTIENT_TABLE> quotients;
    const bool quotients_tabled = rows < QUOTIENT_TABLE && rows + 1 < 16 * w;
    if (quotients_tabled)
        for (int i = 0; i <= static_cast<int>(rows); ++i) quotients[static_cast<size_t>(i)] = i / m;
    auto divided = [&](uint64_t all, unsigned in_last, unsigned in_first) {
        return agreement_by_chance(static_cast<double>(all - in_last) / m,
                                   static_cast<double>(all - in_first) / m);
    };
    auto looked_up = [&](uint64_t all, unsigned in_last, unsigned in_first) {
        return agreement_by_chance(quotients[all - in_last], quotients[all - in_first]);
    };
    std::array<double, 4 * QUOTIENT_TABLE> by_chance;  // [4 * count + 2 * in_last + in_first]
    const bool by_chance_tabled = quotients_tabled && rows + 1 <= 2 * w;
    if (by_chance_tabled)
        for (uint64_t i = 0; i <= rows; ++i)
            for (unsigned edges = 0; edges < 4; ++edges)
                if (i >= (edges >> 1) && i >= (edges & 1))
                    by_chance[4 * i + edges] = looked_up(i, edges >> 1, edges & 1);

    double pairs_all = 0, agreeing_all = 0, expected_all = 0;
    double weakest = 1;
    bool any_column = false;
    auto add_columns = [&](auto chance) {
        for (uint64_t j = 0; j < w; ++j) {
            double expected = 0;
            uint64_t ink = 0;  // an integer sum equals the double one while both are exact (below 2^53)
            for (uint64_t k = 0; k < 8; ++k) {
                const uint64_t all = ones[k * w + j];
                ink += all;
                expected += chance(all, (last_row[j] >> k) & 1u, (first_row[j] >> k) & 1u);
            }
            expected *= m;
            const double pairs = 8.0 * m;
            const double agreeing = pairs - static_cast<double>(column_differing[j]);
            pairs_all += pairs;
            agreeing_all += agreeing;
            expected_all += expected;
            if (static_cast<double>(ink) * 20 >= static_cast<double>(rows) && pairs - expected >= 1e-9) {
                weakest = std::min(weakest, kappa_of_sums(pairs, agreeing, expected));
                any_column = true;
            }
        }
    };
    if (by_chance_tabled)
        add_columns([&](uint64_t all, unsigned in_last, unsigned in_first) {
            return by_chance[4 * all + 2 * in_last + in_first];
        });
    else if (quotients_tabled)
        add_columns(looked_up);
    else
        add_columns(divided);
    ColumnAgreement result;
    result.score = std::max(0.0, kappa_of_sums(pairs_all, agreeing_all, expected_all));
    result.weakest_byte_column = any_column ? weakest : 0;
    return result;
}

}  // namespace

ColumnAgreement column_agreement_detail(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length,
                                        int width) {
    if (width < 1 || begin >= bytes.size()) return {};
    length = std::min<uint64_t>(length, bytes.size() - begin);
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t rows = length / w;
    if (rows < 2) return {};
    const uint8_t* data = bytes.data() + begin;

    std::array<uint64_t, 9 * STACK_WIDTH> stack_counts;
    std::vector<uint64_t> heap_counts;
    uint64_t* counts = stack_counts.data();
    if (w > STACK_WIDTH) {
        heap_counts.resize(9 * w);
        counts = heap_counts.data();
    }
    std::fill(counts, counts + 9 * w, 0);
    const ColumnCounts column_counts{counts, counts + 8 * w};
    count_columns(data, w, rows, column_counts);
    return score_columns(column_counts, data, data + (rows - 1) * w, w, rows);
}
