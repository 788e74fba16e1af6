#include "analysis/pictures/font_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace {

// Cell heights are judged locally over windows of this many glyphs, every WINDOW_STEP rows.
constexpr uint64_t WINDOW_GLYPHS = 8;
constexpr uint64_t WINDOW_STEP = 32;
// A window counts towards a font when its rows show the cell at least this clearly.
constexpr double WINDOW_STRUCTURE_MIN = 0.1;
// Fonts of fewer glyphs are not told apart from their neighbours.
constexpr uint64_t MIN_SPLIT_GLYPHS = 32;
// A region is a font when its rows show a cell at least this clearly over at least MIN_GLYPHS.
// The installed console fonts reach 0.03 and more; tables of records often reach more, which the
// picture score then weighs.
constexpr double FONT_STRUCTURE_MIN = 0.02;
constexpr uint64_t MIN_GLYPHS = 16;
// A glyph's fit gains CONTINUITY_WEIGHT for each share of its ink that continues straight below,
// beyond CONTINUITY_MID: glyphs of the fonts installed here have 0.4 to 0.8, records of numbers
// and colour tables 0 to 0.3.
constexpr double CONTINUITY_WEIGHT = 10;
constexpr double CONTINUITY_MID = 0.3;
// Each non-zero byte adds VALUE_WEIGHT times the log-odds of its value in the font's core: row
// patterns recur from glyph to glyph, the bytes of pointers and numbers mostly do not.
constexpr double VALUE_WEIGHT = 0.5;
// Glyph counts fonts are made with: a font up to ROUND_SLACK glyphs short of one is completed
// when the glyphs added fit it ROUND_FIT_MIN or better on average (blank and sparse glyphs of the
// console fonts score about -5, records of numbers about -3 or less), one up to ROUND_SLACK over
// is cut back.
constexpr uint64_t ROUND_COUNTS[] = {96, 128, 256, 512};
constexpr uint64_t ROUND_SLACK = 16;
constexpr double ROUND_FIT_MIN = -8;
// A font's first glyph lying at a multiple of 2^ALIGNMENT_BITS adds ALIGNMENT_WEIGHT to its fit,
// less at lower powers of two: worth a few glyphs' fit, enough to choose between places within a
// font's blank rows.
constexpr int ALIGNMENT_BITS = 8;
constexpr double ALIGNMENT_WEIGHT = 4;
// Where a round count is completed, the place of the first glyph weighs more: the glyphs in
// question are few and often blank, their fit tells little.
constexpr double COMPLETION_ALIGNMENT_WEIGHT = 8;
// A font of a round count moves by at most this many glyphs.
constexpr int64_t SHIFT_GLYPHS = 4;
// Where a font of a round count lies, a blank glyph 32 (the space) counts SPACE_WEIGHT, a blank
// glyph 0 FIRST_BLANK_WEIGHT: worth the fit of a few glyphs, since data rarely leaves exactly these
// two glyphs blank.
constexpr double SPACE_WEIGHT = 32;
constexpr double FIRST_BLANK_WEIGHT = 4;
// Fonts grow beyond the scanned region by at most this many glyphs: the scan's edges lie within a
// few glyphs of a font's.
constexpr uint64_t EDGE_GLYPHS = 32;
// A boundary between two fonts moves by at most this many glyphs of the later one.
constexpr uint64_t REFINE_GLYPHS = 64;

// Runs of at most this many windows between two runs of one height are taken as part of them, and
// windows showing no clear cell over at most BRIDGED_GLYPHS glyphs of that height.
constexpr size_t SHORT_RUN = 6;
constexpr size_t BRIDGED_GLYPHS = 64;

// The best height of each window of WINDOW_GLYPHS glyphs, every WINDOW_STEP rows; 0 where the
// window shows no cell clearly.
std::vector<int> local_heights(const std::vector<uint8_t>& ink) {
    std::vector<int> heights;
    for (uint64_t at = 0; at + WINDOW_GLYPHS * MIN_CELL_HEIGHT <= ink.size(); at += WINDOW_STEP) {
        int best = 0;
        double most = WINDOW_STRUCTURE_MIN;
        for (int h = MIN_CELL_HEIGHT; h <= MAX_CELL_HEIGHT; ++h) {
            const uint64_t rows = WINDOW_GLYPHS * static_cast<uint64_t>(h);
            if (at + rows > ink.size()) break;
            const double s = cell_structure(std::span(ink).subspan(at, rows), h);
            if (s > most) {
                best = h;
                most = s;
            }
        }
        // A multiple of the cell explains at least as much as the cell: a divisor explaining nearly
        // as much over the same rows is the cell.
        if (best != 0) {
            const auto rows = std::span(ink).subspan(at, WINDOW_GLYPHS * static_cast<uint64_t>(best));
            for (int d = MIN_CELL_HEIGHT; d < best; ++d)
                if (best % d == 0 && cell_structure(rows, d) >= CELL_DIVISOR_SHARE * most) {
                    best = d;
                    break;
                }
        }
        heights.push_back(best);
    }
    return heights;
}

struct Run {
    size_t first, end;  // windows
    int height;
};

// Runs of windows of one height; a short run between two runs of the same height takes theirs
// (a stretch of box-drawing glyphs, blank glyphs), until nothing changes.
std::vector<Run> height_runs(std::vector<int> heights) {
    auto runs_of = [&] {
        std::vector<Run> runs;
        for (size_t i = 0; i < heights.size();) {
            size_t j = i;
            while (j < heights.size() && heights[j] == heights[i]) ++j;
            runs.push_back({i, j, heights[i]});
            i = j;
        }
        return runs;
    };
    for (bool changed = true; changed;) {
        changed = false;
        const std::vector<Run> runs = runs_of();
        for (size_t r = 1; r + 1 < runs.size(); ++r) {
            const int around = runs[r - 1].height;
            const size_t length = runs[r].end - runs[r].first;
            // Unclear windows (box-drawing glyphs, blank glyphs) are bridged over a longer stretch
            // than windows that show another height.
            const bool bridged =
                around != 0 && runs[r + 1].height == around && runs[r].height != around &&
                (runs[r].height == 0 ? length * WINDOW_STEP <= BRIDGED_GLYPHS * static_cast<size_t>(around)
                                     : length <= SHORT_RUN && length < runs[r - 1].end - runs[r - 1].first &&
                                           length < runs[r + 1].end - runs[r + 1].first);
            if (!bridged) continue;
            std::fill(heights.begin() + static_cast<std::ptrdiff_t>(runs[r].first),
                      heights.begin() + static_cast<std::ptrdiff_t>(runs[r].end), around);
            changed = true;
        }
    }
    return runs_of();
}

// The rows of each font's core: the runs long enough to hold MIN_SPLIT_GLYPHS glyphs.
struct Core {
    uint64_t first_row, end_row;
    int height;
};
std::vector<Core> font_cores(const std::vector<uint8_t>& ink) {
    std::vector<Core> cores;
    for (const Run& run : height_runs(local_heights(ink))) {
        if (run.height == 0) continue;
        const uint64_t h = static_cast<uint64_t>(run.height);
        const uint64_t first = run.first * WINDOW_STEP;
        const uint64_t end = std::min<uint64_t>(ink.size(), (run.end - 1) * WINDOW_STEP + WINDOW_GLYPHS * h);
        if ((end - first) / h < MIN_SPLIT_GLYPHS) continue;
        if (!cores.empty() && cores.back().height == run.height)
            cores.back().end_row = end;
        else
            cores.push_back({first, end, run.height});
    }
    return cores;
}

// How a font's rows look by their place in the cell: the share of glyphs whose row at each place
// is blank, from the rows [first, end) (first at place 0).
std::vector<double> blank_profile(const std::vector<uint8_t>& ink, uint64_t first, uint64_t end, int height) {
    const uint64_t h = static_cast<uint64_t>(height);
    std::vector<double> blank(h, 0);
    const uint64_t cells = (end - first) / h;
    for (uint64_t c = 0; c < cells; ++c)
        for (uint64_t k = 0; k < h; ++k) blank[k] += ink[first + c * h + k] == 0;
    for (double& b : blank) b /= static_cast<double>(std::max<uint64_t>(cells, 1));
    return blank;
}

// How well each glyph fits a font, from which rows the font leaves blank: the log-likelihood of
// its rows being blank or not under the font's own blank shares, against the same rows under the
// font's average share. Glyphs of the font score above 0, data and glyphs of other fonts below.
class GlyphFit {
public:
    // `blank[j]`: the share of the font's glyphs whose row j (from the glyph's top) is blank;
    // `core`: bytes of the font, whose byte values glyphs share.
    GlyphFit(std::span<const uint8_t> bytes, uint64_t width, const std::vector<double>& blank,
             std::span<const uint8_t> core)
        : bytes_(bytes), w_(width) {
        double mean = 0;
        for (double b : blank) mean += b;
        mean /= static_cast<double>(blank.size());
        mean = std::clamp(mean, 0.02, 0.98);
        for (double b : blank) {
            const double p = std::clamp(b, 0.02, 0.98);
            if_blank_.push_back(std::log(p / mean));
            if_inked_.push_back(std::log((1 - p) / (1 - mean)));
        }
        // Log-odds of each non-zero byte value: as common in the font as elsewhere in glyph-sized
        // samples of anything (every value alike), or less.
        std::array<double, 256> seen{};
        double inked = 0;
        for (uint8_t b : core)
            if (b != 0) {
                ++seen[b];
                ++inked;
            }
        for (int v = 1; v < 256; ++v)
            value_[static_cast<size_t>(v)] =
                std::log((seen[static_cast<size_t>(v)] + 0.5) / (inked + 127.5) * 255);
    }
    [[nodiscard]] double score(uint64_t at) const {
        if (const auto known = memo_.find(at); known != memo_.end()) return known->second;
        return memo_[at] = measure(at);
    }
    // Where a round count is completed, blank glyphs (a font's first and last are often blank) are
    // taken before anything else; they score as a glyph that fits neither way.
    [[nodiscard]] double completing_score(uint64_t at) const { return blank(at) ? 0 : score(at); }
    [[nodiscard]] bool blank(uint64_t at) const {
        for (uint64_t i = 0; i < w_ * if_blank_.size(); ++i)
            if (bytes_[at + i] != 0) return false;
        return true;
    }
    [[nodiscard]] uint64_t data_size() const { return bytes_.size(); }

private:
    [[nodiscard]] double measure(uint64_t at) const {
        double sum = 0;
        uint64_t ink = 0, shared = 0;
        uint32_t previous = 0;
        for (size_t j = 0; j < if_blank_.size(); ++j) {
            uint32_t row = 0;
            for (uint64_t k = 0; k < w_; ++k) {
                const uint8_t b = bytes_[at + j * w_ + k];
                row = row << 8 | b;
                if (b != 0) sum += VALUE_WEIGHT * value_[b];
            }
            sum += row == 0 ? if_blank_[j] : if_inked_[j];
            ink += static_cast<uint64_t>(std::popcount(row));
            if (j > 0) shared += static_cast<uint64_t>(std::popcount(row & previous));
            previous = row;
        }
        // Strokes run on from row to row in a glyph; numbers in records and tables do not.
        if (ink > 0)
            sum +=
                CONTINUITY_WEIGHT * (static_cast<double>(shared) / static_cast<double>(ink) - CONTINUITY_MID);
        return sum;
    }

    std::span<const uint8_t> bytes_;
    uint64_t w_;
    std::vector<double> if_blank_, if_inked_;
    std::array<double, 256> value_{};
    mutable std::unordered_map<uint64_t, double> memo_;  // glyph start -> fit
};

// Trailing zero bits of an offset, at most ALIGNMENT_BITS: fonts start at aligned places in the
// files that hold them.
int alignment(uint64_t offset) {
    return offset == 0 ? ALIGNMENT_BITS : std::min(ALIGNMENT_BITS, __builtin_ctzll(offset));
}

// The fit of the glyphs [s, e).
double total_fit(const GlyphFit& fit, uint64_t glyph, uint64_t s, uint64_t e) {
    double sum = 0;
    for (uint64_t at = s; at < e; at += glyph) sum += fit.score(at);
    return sum;
}

// Fonts come with round glyph counts: a font a few glyphs short of one is completed with the
// glyphs on either side (blank or sparse glyphs, which fit the rows' blank shares poorly) unless
// they look like data, and one a few glyphs over is cut back; the change goes to the ends where
// it costs the least fit.
// How well a font starting at `s` keeps to the layout nearly every font of 128 glyphs and more
// has: a blank glyph 0 (no character) and a blank glyph 32 (the space).
double layout_evidence(const GlyphFit& fit, uint64_t glyph, uint64_t s) {
    double evidence = 0;
    if (s + 33 * glyph <= fit.data_size()) {
        evidence += fit.blank(s + 32 * glyph) ? SPACE_WEIGHT : 0;
        evidence += fit.blank(s) ? FIRST_BLANK_WEIGHT : 0;
    }
    return evidence;
}

// A font of a round count may still lie a few glyphs off: blank and sparse glyphs at one end
// taken for glyphs beyond the other. It moves as a whole where its ends fit best, its first
// glyph's alignment and the blank glyphs of the layout counted in.
void shift_round_font(const GlyphFit& fit, uint64_t glyph, uint64_t lower, uint64_t upper, uint64_t& s,
                      uint64_t& e) {
    double best = -1e300;
    int64_t best_shift = 0;
    for (int64_t shift = -SHIFT_GLYPHS; shift <= SHIFT_GLYPHS; ++shift) {
        const uint64_t moved = static_cast<uint64_t>(shift < 0 ? -shift : shift) * glyph;
        if (shift < 0 ? s < lower + moved : e + moved > upper) continue;
        const uint64_t start = shift < 0 ? s - moved : s + moved;
        double change = COMPLETION_ALIGNMENT_WEIGHT * alignment(start) / ALIGNMENT_BITS +
                        layout_evidence(fit, glyph, start);
        for (uint64_t g = 0; g < moved / glyph; ++g)
            change += shift < 0 ? fit.completing_score(s - (g + 1) * glyph) -
                                      fit.completing_score(e - (g + 1) * glyph)
                                : fit.completing_score(e + g * glyph) - fit.completing_score(s + g * glyph);
        if (change > best) {
            best = change;
            best_shift = shift;
        }
    }
    const uint64_t moved = static_cast<uint64_t>(best_shift < 0 ? -best_shift : best_shift) * glyph;
    s = best_shift < 0 ? s - moved : s + moved;
    e = best_shift < 0 ? e - moved : e + moved;
}

void round_count(const GlyphFit& fit, uint64_t glyph, uint64_t lower, uint64_t upper, uint64_t& s,
                 uint64_t& e) {
    const uint64_t count = (e - s) / glyph;
    if (std::find(std::begin(ROUND_COUNTS), std::end(ROUND_COUNTS), count) != std::end(ROUND_COUNTS))
        return shift_round_font(fit, glyph, lower, upper, s, e);
    for (const uint64_t round : ROUND_COUNTS) {
        const uint64_t change = count > round ? count - round : round - count;
        if (change > ROUND_SLACK) continue;
        const bool grow = count < round;
        double best = -1e300;
        uint64_t best_front = 0;
        for (uint64_t front = 0; front <= change; ++front) {
            const uint64_t back = change - front;
            if (grow && (s < lower + front * glyph || e + back * glyph > upper)) continue;
            double kept = 0;
            for (uint64_t g = 0; g < front; ++g)
                kept +=
                    grow ? fit.completing_score(s - (g + 1) * glyph) : -fit.completing_score(s + g * glyph);
            for (uint64_t g = 0; g < back; ++g)
                kept +=
                    grow ? fit.completing_score(e + g * glyph) : -fit.completing_score(e - (g + 1) * glyph);
            if (kept > best) {
                best = kept;
                best_front = front;
            }
        }
        if (best < -1e299 || (grow && best < ROUND_FIT_MIN * static_cast<double>(change))) return;
        s = grow ? s - best_front * glyph : s + best_front * glyph;
        e = grow ? e + (change - best_front) * glyph : e - (change - best_front) * glyph;
        return shift_round_font(fit, glyph, lower, upper, s, e);
    }
}

// The font around the glyphs [first, end) (byte offsets): the stretch of whole glyphs within
// [lower, upper) that holds the core's middle glyph and fits best, summed glyph by glyph, brought
// to a round count.
FontSpan grow_font(const GlyphFit& fit, uint64_t glyph, uint64_t first, uint64_t end, uint64_t lower,
                   uint64_t upper) {
    const uint64_t middle = first + (end - first) / glyph / 2 * glyph;
    uint64_t s = middle, e = middle + glyph;
    double sum = 0, best = -1e300;
    for (uint64_t at = middle + glyph; at >= lower + glyph;) {
        at -= glyph;
        sum += fit.score(at);
        if (sum > best) {
            best = sum;
            s = at;
        }
    }
    sum = 0;
    best = 0;
    for (uint64_t at = middle + glyph; at + glyph <= upper; at += glyph) {
        sum += fit.score(at);
        if (sum > best) {
            best = sum;
            e = at + glyph;
        }
    }
    round_count(fit, glyph, lower, upper, s, e);
    FontSpan font;
    font.start = s;
    font.end = e;
    font.glyphs = (e - s) / glyph;
    return font;
}

struct Placed {
    FontSpan span;
    std::optional<GlyphFit> fit;
};

// The font whose core is `core`, at the place of its glyph boundaries where it fits best with its
// first glyph's alignment counted in: a font's blank rows above and below its letters leave the
// boundary free to move within them, and the fonts in files start at aligned places.
Placed place_font(std::span<const uint8_t> bytes, const std::vector<uint8_t>& ink, uint64_t start, uint64_t w,
                  const Core& core, uint64_t lower, uint64_t upper) {
    const uint64_t h = static_cast<uint64_t>(core.height);
    const std::vector<double> blank = blank_profile(ink, core.first_row, core.end_row, core.height);
    const auto core_bytes = bytes.subspan(start + core.first_row * w, (core.end_row - core.first_row) * w);
    Placed best;
    double best_score = -1e300;
    const double most = *std::max_element(blank.begin(), blank.end());
    for (uint64_t k = 0; k < h; ++k) {
        // Glyph boundaries lie next to rows that are mostly blank.
        if (blank[k] < 0.5 * most && blank[(k + h - 1) % h] < 0.5 * most) continue;
        const uint64_t first_row = core.first_row + k;
        const uint64_t cells = first_row < core.end_row ? (core.end_row - first_row) / h : 0;
        if (cells == 0) continue;
        std::vector<double> from_top(h);
        for (uint64_t j = 0; j < h; ++j) from_top[j] = blank[(k + j) % h];
        const GlyphFit fit(bytes, w, from_top, core_bytes);
        FontSpan font =
            grow_font(fit, w * h, start + first_row * w, start + (first_row + cells * h) * w, lower, upper);
        const double score = total_fit(fit, w * h, font.start, font.end) +
                             ALIGNMENT_WEIGHT * alignment(font.start) / ALIGNMENT_BITS +
                             layout_evidence(fit, w * h, font.start);
        if (score > best_score) {
            best_score = score;
            best = {font, fit};
            best.span.height = core.height;
        }
    }
    return best;
}

// Where two fonts meet, the boundary between them goes where the glyphs on either side fit their
// own font best: each font grew over its neighbour's first or last glyphs as far as they fit it
// at all, not as far as they fit it better than their own.
void refine_boundary(Placed& a, Placed& b, uint64_t w) {
    const uint64_t ga = w * static_cast<uint64_t>(a.span.height),
                   gb = w * static_cast<uint64_t>(b.span.height);
    const uint64_t reach = REFINE_GLYPHS * gb;
    const uint64_t lowest =
        std::max(a.span.start + MIN_GLYPHS * ga, b.span.start > reach ? b.span.start - reach : 0);
    const uint64_t highest =
        std::min(b.span.end >= MIN_GLYPHS * gb ? b.span.end - MIN_GLYPHS * gb : 0, b.span.start + reach);
    double best = -1e300;
    uint64_t best_t = b.span.start;
    for (uint64_t t = b.span.start - (b.span.start - std::min(lowest, b.span.start)) / gb * gb; t <= highest;
         t += gb) {
        const uint64_t a_end = a.span.start + (t - a.span.start) / ga * ga;
        const double sum = total_fit(*a.fit, ga, a.span.start, a_end) + total_fit(*b.fit, gb, t, b.span.end);
        if (sum > best) {
            best = sum;
            best_t = t;
        }
    }
    if (best < -1e299) return;
    b.span.start = best_t;
    a.span.end = a.span.start + (best_t - a.span.start) / ga * ga;
    a.span.glyphs = (a.span.end - a.span.start) / ga;
    b.span.glyphs = (b.span.end - b.span.start) / gb;
}

// The columns in use: up to the rightmost set bit of any row.
int pixel_width(std::span<const uint8_t> bytes, const FontSpan& font, uint64_t w) {
    uint32_t used = 0;
    for (uint64_t at = font.start; at + w <= font.end; at += w) {
        uint32_t row = 0;
        for (uint64_t j = 0; j < w; ++j) row = row << 8 | bytes[at + j];
        used |= row;
    }
    const int bits = static_cast<int>(8 * w);
    return used == 0 ? bits : bits - __builtin_ctz(used);
}

}  // namespace

std::vector<FontSpan> find_fonts(std::span<const uint8_t> bytes, uint64_t start, uint64_t end, int width,
                                 uint64_t lower_limit, uint64_t upper_limit) {
    if (width < 1 || width > MAX_FONT_WIDTH) return {};
    const uint64_t w = static_cast<uint64_t>(width);
    start = std::min<uint64_t>(start, bytes.size());
    // Bytes before the lower limit belong to a picture before: the rows start after it, on the
    // region's own grid of rows.
    if (lower_limit > start) start += (lower_limit - start + w - 1) / w * w;
    end = std::clamp<uint64_t>(end, std::min<uint64_t>(start, bytes.size()), bytes.size());
    start = std::min(start, end);
    const std::vector<uint8_t> ink = row_ink(bytes, start, end, width);
    const CellFit whole = best_cell_height(ink);
    if (whole.height == 0 || whole.structure < FONT_STRUCTURE_MIN ||
        ink.size() / static_cast<uint64_t>(whole.height) < MIN_GLYPHS)
        return {};
    std::vector<Core> cores = font_cores(ink);
    const bool several = std::any_of(cores.begin(), cores.end(),
                                     [&](const Core& c) { return c.height != cores.front().height; });
    if (!several) {
        // One font: its core spans the windows that show its height, or the whole range.
        std::erase_if(cores, [&](const Core& c) { return c.height != whole.height; });
        cores = {cores.empty() ? Core{0, ink.size(), whole.height}
                               : Core{cores.front().first_row, cores.back().end_row, whole.height}};
    }
    lower_limit = std::min(lower_limit, start);
    upper_limit = std::clamp<uint64_t>(upper_limit, end, bytes.size());
    // Each font grows between its neighbours' cores; where two fonts then overlap, the later one
    // keeps the bytes and the earlier is placed again before it; then each boundary between two
    // fonts moves to where both fit best.
    std::vector<Placed> placed(cores.size());
    auto place = [&](size_t i, uint64_t upper) {
        const uint64_t reach = EDGE_GLYPHS * w * static_cast<uint64_t>(cores[i].height);
        const uint64_t lower = i > 0 ? start + cores[i - 1].end_row * w
                                     : std::max(lower_limit, start > reach ? start - reach : 0);
        placed[i] = place_font(bytes, ink, start, w, cores[i], lower, upper);
    };
    for (size_t i = cores.size(); i-- > 0;) {
        const uint64_t reach = EDGE_GLYPHS * w * static_cast<uint64_t>(cores[i].height);
        place(i,
              i + 1 < cores.size() ? start + cores[i + 1].first_row * w : std::min(upper_limit, end + reach));
        if (i + 1 < cores.size() && placed[i].span.end > placed[i + 1].span.start)
            place(i, placed[i + 1].span.start);
    }
    for (size_t i = 0; i + 1 < placed.size(); ++i)
        if (placed[i].fit && placed[i + 1].fit &&
            placed[i].span.end + w * MAX_CELL_HEIGHT >= placed[i + 1].span.start)
            refine_boundary(placed[i], placed[i + 1], w);
    // Moved boundaries may have left a font a few glyphs off a round count again; the last first,
    // so that a font cut back leaves room for the one before. A neighbour of no round count (a
    // stretch of data with a cell, often) does not hold a font of one back: it gives way.
    auto round_glyphs = [](const FontSpan& f) {
        return std::find(std::begin(ROUND_COUNTS), std::end(ROUND_COUNTS), f.glyphs) !=
               std::end(ROUND_COUNTS);
    };
    for (size_t i = placed.size(); i-- > 0;) {
        Placed& p = placed[i];
        if (!p.fit) continue;
        const uint64_t glyph = w * static_cast<uint64_t>(p.span.height);
        const uint64_t reach = EDGE_GLYPHS * glyph;
        const uint64_t outer_lower = std::max(lower_limit, start > reach ? start - reach : 0);
        const uint64_t outer_upper = std::min(upper_limit, end + reach);
        const uint64_t lower = i == 0 ? outer_lower
                               : round_glyphs(placed[i - 1].span)
                                   ? placed[i - 1].span.end
                                   : std::max(outer_lower, placed[i - 1].span.start);
        const uint64_t upper = i + 1 == placed.size() ? outer_upper
                               : round_glyphs(placed[i + 1].span)
                                   ? placed[i + 1].span.start
                                   : std::min(outer_upper, placed[i + 1].span.end);
        round_count(*p.fit, glyph, lower, upper, p.span.start, p.span.end);
        p.span.glyphs = (p.span.end - p.span.start) / glyph;
        for (const size_t n : {i - 1, i + 1}) {
            if (n >= placed.size()) continue;
            FontSpan& other = placed[n].span;
            const uint64_t other_glyph = w * static_cast<uint64_t>(other.height);
            if (n > i && other.start < p.span.end)
                other.start = std::min(other.end, other.start + (p.span.end - other.start + other_glyph - 1) /
                                                                    other_glyph * other_glyph);
            if (n < i && other.end > p.span.start)
                other.end = std::max(other.start, other.end - (other.end - p.span.start + other_glyph - 1) /
                                                                  other_glyph * other_glyph);
            other.glyphs = (other.end - other.start) / other_glyph;
        }
    }
    std::vector<FontSpan> fonts;
    for (const Placed& p : placed) fonts.push_back(p.span);
    std::erase_if(fonts, [](const FontSpan& f) { return f.glyphs < MIN_GLYPHS; });
    for (FontSpan& font : fonts) {
        font.pixel_width = pixel_width(bytes, font, w);
    }
    return fonts;
}
