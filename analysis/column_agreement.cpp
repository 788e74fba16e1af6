#include "analysis/column_agreement.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/bit_count.h"

namespace {

// Widths up to this keep their counts on the stack; the scan never asks for wider rows.
constexpr uint64_t STACK_WIDTH = 255;
constexpr uint64_t QUOTIENT_TABLE = 512;

// Counts of one part: ones per bit column (index 8 * byte column + bit, bit 0 the lowest) and
// differing bits per byte column between each row and the next.
struct ColumnCounts {
    uint64_t* ones;       // 8 * width entries, cleared by the caller
    uint64_t* differing;  // width entries, cleared by the caller
};

#if defined(__SSE2__)
// The rows are walked as one stream cut into stretches of `stretch` bytes, a whole number of rows
// that is also a whole number of 16-byte vectors where the width allows (lcm(width, 16) for
// widths below 16, one row otherwise, its last vector overlapping the one before with the shared
// bytes masked off). Every byte of a stretch then always lands in the same counter lane, so the
// counts go into byte lanes by plain vector adds and are folded into the byte columns only when
// the lanes could overflow.
class StreamCounter {
public:
    StreamCounter(uint64_t width, uint8_t* lanes) : w_(width), lanes_(lanes) {
        stretch_ = width < 16 ? std::lcm(width, uint64_t{16}) : width;
        vectors_ = (stretch_ + 15) / 16;
        const uint64_t overlap = vectors_ * 16 - stretch_;
        alignas(16) uint8_t keep[16];
        for (uint64_t k = 0; k < 16; ++k) keep[k] = k < overlap ? 0 : 0xFF;
        tail_keep_ = _mm_load_si128(reinterpret_cast<const __m128i*>(keep));
    }
    [[nodiscard]] uint64_t stretch() const { return stretch_; }

    // Ones per bit column over bytes [0, n) of `data`, n a whole number of rows.
    void count_ones(const uint8_t* data, uint64_t n, uint64_t* ones) {
        clear(8);
        const __m128i one = _mm_set1_epi8(1);
        uint64_t since_fold = 0;
        auto add = [&](const uint8_t* stretch) {
            for (uint64_t v = 0; v < vectors_; ++v) {
                const uint64_t at = vector_offset(v);
                __m128i bits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stretch + at));
                if (v + 1 == vectors_) bits = _mm_and_si128(bits, tail_keep_);
                for (uint64_t k = 0; k < 8; ++k) {
                    auto* lane = reinterpret_cast<__m128i*>(lanes_ + k * stretch_ + at);
                    const __m128i bit = _mm_and_si128(_mm_srli_epi16(bits, static_cast<int>(k)), one);
                    _mm_storeu_si128(lane, _mm_add_epi8(_mm_loadu_si128(lane), bit));
                }
            }
            if (++since_fold == 255) {
                fold(8, ones);
                since_fold = 0;
            }
        };
        walk(data, nullptr, n, add);
        fold(8, ones);
    }

    // Differing bits per byte column between bytes [0, n) and [w, w + n), n a whole number of
    // rows, data[0, n + w) readable.
    void count_differing(const uint8_t* data, uint64_t n, uint64_t* differing) {
        clear(1);
        const __m128i m1 = _mm_set1_epi8(0x55), m2 = _mm_set1_epi8(0x33), m4 = _mm_set1_epi8(0x0F);
        uint64_t since_fold = 0;
        auto add = [&](const uint8_t* stretch) {
            for (uint64_t v = 0; v < vectors_; ++v) {
                const uint64_t at = vector_offset(v);
                __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stretch + at));
                if (v + 1 == vectors_) x = _mm_and_si128(x, tail_keep_);
                x = _mm_sub_epi8(x, _mm_and_si128(_mm_srli_epi16(x, 1), m1));
                x = _mm_add_epi8(_mm_and_si128(x, m2), _mm_and_si128(_mm_srli_epi16(x, 2), m2));
                x = _mm_and_si128(_mm_add_epi8(x, _mm_srli_epi16(x, 4)), m4);
                auto* lane = reinterpret_cast<__m128i*>(lanes_ + at);
                _mm_storeu_si128(lane, _mm_add_epi8(_mm_loadu_si128(lane), x));
            }
            if (++since_fold == 31) {  // eight at most per stretch
                fold(1, differing);
                since_fold = 0;
            }
        };
        walk(data, data + w_, n, add);
        fold(1, differing);
    }

private:
    [[nodiscard]] uint64_t vector_offset(uint64_t v) const {
        return v + 1 == vectors_ ? stretch_ - 16 : v * 16;
    }

    // Hands `add` each stretch of bytes [0, n) of a (XORed with b when given); the last, partial
    // stretch goes through a zeroed copy, whose clear bytes add nothing. With b, a stretch is
    // XORed into a scratch copy first.
    template <typename Add>
    void walk(const uint8_t* a, const uint8_t* b, uint64_t n, Add& add) {
        alignas(16) uint8_t scratch[STRETCH_LIMIT];
        uint64_t done = 0;
        for (; done + stretch_ <= n; done += stretch_) {
            if (!b) {
                add(a + done);
                continue;
            }
            for (uint64_t k = 0; k < stretch_; k += 16) {
                const uint64_t at = std::min(k, stretch_ - 16);
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + done + at));
                const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + done + at));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(scratch + at), _mm_xor_si128(x, y));
            }
            add(scratch);
        }
        if (done < n) {
            std::memset(scratch, 0, stretch_);
            for (uint64_t k = done; k < n; ++k)
                scratch[k - done] = static_cast<uint8_t>(a[k] ^ (b ? b[k] : 0));
            add(scratch);
        }
    }

    void clear(uint64_t planes) { std::memset(lanes_, 0, planes * stretch_); }

    // Adds the lanes into the per-column counts (lane p belongs to byte column p mod width) and
    // clears them.
    void fold(uint64_t planes, uint64_t* out) {
        for (uint64_t k = 0; k < planes; ++k) {
            uint8_t* lane = lanes_ + k * stretch_;
            uint64_t column = 0;
            for (uint64_t p = 0; p < stretch_; ++p) {
                out[column * planes + k] += lane[p];
                if (++column == w_) column = 0;
            }
        }
        clear(planes);
    }

public:
    // Widest stretch: lcm(width, 16) for widths below 16 is at most 240; otherwise the width.
    static constexpr uint64_t STRETCH_LIMIT = 256;

private:
    uint64_t w_, stretch_ = 0, vectors_ = 0;
    uint8_t* lanes_;
    __m128i tail_keep_;
};
#endif

// Plain loops, for processors without the vector unit and for rows too wide for the stack.
PIXELSIEVE_BIT_CLONES void count_columns_plainly(const uint8_t* data, uint64_t w, uint64_t rows, const ColumnCounts& out) {
    for (uint64_t r = 0; r < rows; ++r)
        for (uint64_t j = 0; j < w; ++j) {
            const unsigned byte = data[r * w + j];
            for (uint64_t k = 0; k < 8; ++k) out.ones[j * 8 + k] += (byte >> k) & 1;
            if (r + 1 < rows)
                out.differing[j] += static_cast<uint64_t>(__builtin_popcount(byte ^ data[(r + 1) * w + j]));
        }
}

void count_columns(const uint8_t* data, uint64_t w, uint64_t rows, const ColumnCounts& out) {
#if defined(__SSE2__)
    if (w <= StreamCounter::STRETCH_LIMIT) {
        alignas(16) uint8_t lanes[8 * StreamCounter::STRETCH_LIMIT];
        StreamCounter counter(w, lanes);
        counter.count_ones(data, rows * w, out.ones);
        counter.count_differing(data, (rows - 1) * w, out.differing);
        return;
    }
#endif
    count_columns_plainly(data, w, rows, out);
}

}  // namespace

double column_agreement(std::span<const uint8_t> bytes, uint64_t begin, uint64_t length, int width) {
    return column_agreement_detail(bytes, begin, length, width).score;
}

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
    const uint64_t* ones = column_counts.ones;
    const uint64_t* column_differing = column_counts.differing;

    const uint64_t pair_rows = rows - 1;
    const double m = static_cast<double>(pair_rows);
    // Every quotient below is (a count of at most `rows`) / m; where there are fewer such
    // numerators than quotients, each is divided once up front (the same division, so the same
    // doubles) and looked up.
    std::array<double, QUOTIENT_TABLE> quotients;
    const bool tabled = rows < QUOTIENT_TABLE && rows + 1 < 16 * w;
    if (tabled)
        for (uint64_t i = 0; i <= rows; ++i) quotients[i] = static_cast<double>(i) / m;
    auto over_m = [&](uint64_t i) { return tabled ? quotients[i] : static_cast<double>(i) / m; };
    const uint8_t* first_row = data;
    const uint8_t* last_row = data + (rows - 1) * w;
    double pairs_all = 0, agreeing_all = 0, expected_all = 0;
    double weakest = 1;
    bool any_column = false;
    for (uint64_t j = 0; j < w; ++j) {
        double expected = 0, ink = 0;
        for (int k = 0; k < 8; ++k) {
            const uint64_t all = ones[j * 8 + static_cast<uint64_t>(k)];
            ink += static_cast<double>(all);
            const double upper = over_m(all - ((last_row[j] >> k) & 1));
            const double lower = over_m(all - ((first_row[j] >> k) & 1));
            expected += upper * lower + (1 - upper) * (1 - lower);
        }
        expected *= m;
        const double pairs = 8.0 * m;
        const double agreeing = pairs - static_cast<double>(column_differing[j]);
        pairs_all += pairs;
        agreeing_all += agreeing;
        expected_all += expected;
        if (ink * 20 >= static_cast<double>(rows) && pairs - expected >= 1e-9) {
            weakest = std::min(weakest, (agreeing - expected) / (pairs - expected));
            any_column = true;
        }
    }
    ColumnAgreement result;
    if (pairs_all - expected_all >= 1e-9)
        result.score = std::max(0.0, (agreeing_all - expected_all) / (pairs_all - expected_all));
    result.weakest_byte_column = any_column ? weakest : 0;
    return result;
}
