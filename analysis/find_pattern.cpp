#include "analysis/find_pattern.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr uint64_t CHUNK = 1 << 20;

uint8_t transformed(uint8_t b, int form) {
    if (form & 4) b = static_cast<uint8_t>((b << 4) | (b >> 4));
    if (form & 2) {
        uint8_t r = 0;
        for (int i = 0; i < 8; ++i)
            if (b & (1 << i)) r = static_cast<uint8_t>(r | (0x80 >> i));
        b = r;
    }
    if (form & 1) b = static_cast<uint8_t>(~b);
    return b;
}

// A pattern row as 64-bit segments, leftmost pixel in the top bit of the first.
struct RowBits {
    std::vector<uint64_t> segments;
};

uint64_t load_be64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_bswap64(v);
}

}  // namespace

const char* pattern_form_name(PatternForm form) {
    static const char* const NAMES[PATTERN_FORM_COUNT] = {"plain",
                                                          "inverted",
                                                          "reversed",
                                                          "inverted+reversed",
                                                          "nibble-swapped",
                                                          "inverted+nibble-swapped",
                                                          "reversed+nibble-swapped",
                                                          "inverted+reversed+nibble-swapped"};
    const auto i = static_cast<size_t>(form);
    return i < PATTERN_FORM_COUNT ? NAMES[i] : "unknown";
}

std::vector<PatternHit> find_pattern(std::span<const uint8_t> bytes, const Pattern& pattern,
                                     const FindOptions& options) {
    std::vector<PatternHit> hits;
    const int w = pattern.width, h = pattern.height;
    const int row_width = options.row_width;
    if (w < 1 || h < 1 || row_width < 1 || row_width > 255 || options.max_hits == 0 ||
        pattern.pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h) || w > 8 * row_width)
        return hits;
    const int max_errors = std::max(0, options.max_errors);
    const uint64_t stride = static_cast<uint64_t>(row_width);
    const int segments = (w + 63) / 64;

    std::vector<RowBits> rows(static_cast<size_t>(h));
    for (int r = 0; r < h; ++r) {
        rows[static_cast<size_t>(r)].segments.assign(static_cast<size_t>(segments), 0);
        for (int c = 0; c < w; ++c)
            if (pattern.pixels[static_cast<size_t>(r) * static_cast<size_t>(w) + static_cast<size_t>(c)])
                rows[static_cast<size_t>(r)].segments[static_cast<size_t>(c / 64)] |= uint64_t{1}
                                                                                      << (63 - c % 64);
    }
    // The bits of the last segment of a row that the pattern covers.
    const int tail_bits = w - 64 * (segments - 1);
    const uint64_t tail_mask = tail_bits == 64 ? ~uint64_t{0} : ~(~uint64_t{0} >> tail_bits);

    // The bytes one placement reads, from its offset: h - 1 rows down, then up to 8 + 8*segments
    // bytes of the last row.
    const uint64_t reach = static_cast<uint64_t>(h - 1) * stride + static_cast<uint64_t>(8 * segments + 1);
    const uint64_t needed_last = static_cast<uint64_t>(h - 1) * stride;  // plus the row's own bytes
    const uint64_t first = std::min<uint64_t>(options.begin, bytes.size());
    const uint64_t last = std::min<uint64_t>(options.end, bytes.size());

    std::vector<int> forms{0};
    if (options.all_forms)
        for (int f = 1; f < PATTERN_FORM_COUNT; ++f) forms.push_back(f);
    std::array<std::array<uint8_t, 256>, PATTERN_FORM_COUNT> tables{};
    for (int f = 0; f < PATTERN_FORM_COUNT; ++f)
        for (int b = 0; b < 256; ++b)
            tables[static_cast<size_t>(f)][static_cast<size_t>(b)] = transformed(static_cast<uint8_t>(b), f);

    // Each form's bytes for the chunk's placements, zero-padded past the end of the data (those
    // bits never count: a placement must fit in the data).
    std::vector<std::vector<uint8_t>> view(forms.size());
    for (uint64_t chunk = first; chunk < last; chunk += CHUNK) {
        const uint64_t chunk_end = std::min(last, chunk + CHUNK);
        const uint64_t span_end = std::min<uint64_t>(bytes.size(), chunk_end + reach);
        for (size_t f = 0; f < forms.size(); ++f) {
            auto& v = view[f];
            v.assign(chunk_end - chunk + reach + 8, 0);
            const auto& table = tables[static_cast<size_t>(forms[f])];
            for (uint64_t i = chunk; i < span_end; ++i) v[i - chunk] = table[bytes[i]];
        }
        for (uint64_t offset = chunk; offset < chunk_end; ++offset) {
            for (int bit = 0; bit < 8 && bit + w <= 8 * row_width; ++bit) {
                // The placement's last row must end inside the data.
                const uint64_t last_byte = offset + needed_last + static_cast<uint64_t>((bit + w - 1) / 8);
                if (last_byte >= bytes.size()) continue;
                for (size_t f = 0; f < forms.size(); ++f) {
                    const uint8_t* base = view[f].data() + (offset - chunk);
                    int errors = 0;
                    for (int r = 0; r < h && errors <= max_errors; ++r) {
                        const uint8_t* row = base + static_cast<uint64_t>(r) * stride;
                        const auto& want = rows[static_cast<size_t>(r)].segments;
                        for (int s = 0; s < segments; ++s) {
                            const uint8_t* p = row + 8 * s;
                            uint64_t got = load_be64(p) << bit;
                            if (bit) got |= static_cast<uint64_t>(p[8]) >> (8 - bit);
                            uint64_t diff = got ^ want[static_cast<size_t>(s)];
                            if (s == segments - 1) diff &= tail_mask;
                            errors += __builtin_popcountll(diff);
                        }
                    }
                    if (errors > max_errors) continue;
                    hits.push_back({offset, bit, errors, static_cast<PatternForm>(forms[f])});
                    if (hits.size() >= options.max_hits) return hits;
                }
            }
        }
    }
    return hits;
}
