#pragma once
// Searching for a drawn 1-bit pattern at a given row width.
//
// A row of W bytes shows 8W pixels, most significant bit leftmost, and row r of a picture
// starting at byte offset o begins at o + r*W. A hit at (offset, bit) means that pattern pixel
// (r, c) is compared with bit number bit + c, counted from the most significant bit of the byte
// at offset + r*W (so it may run on into the following bytes of the same row). The pattern must
// fit inside the row: bit + pattern width <= 8W.
//
// A form is the data as the viewer shows it with inverse (every bit flipped), reverse (the bit
// order inside each byte reversed) and nibble swap (the byte's halves exchanged) switched on;
// the three commute. A hit in a form means the pattern appears in the data transformed that way,
// with offset and bit counted in the transformed picture.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct Pattern {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // row-major, 1 = set, 0 = clear; width * height entries
};

// Bit 0 = inverted, bit 1 = reversed, bit 2 = nibble swapped.
enum class PatternForm : uint8_t {
    Plain = 0,
    Inverted = 1,
    Reversed = 2,
    InvertedReversed = 3,
    NibbleSwapped = 4,
    InvertedNibbleSwapped = 5,
    ReversedNibbleSwapped = 6,
    InvertedReversedNibbleSwapped = 7,
};
constexpr int PATTERN_FORM_COUNT = 8;

// "plain", "inverted", "reversed", "nibble-swapped", and for combinations the names joined by
// '+' in that order, e.g. "inverted+reversed+nibble-swapped".
[[nodiscard]] const char* pattern_form_name(PatternForm form);

struct FindOptions {
    int row_width = 1;       // W in bytes, 1..255; anything else finds nothing
    int max_errors = 0;      // wrong pixels allowed per hit; negative counts as 0
    bool all_forms = false;  // also try the seven transformed forms
    // Hits start in [begin, end) (clamped to the span); the whole pattern must lie in the span.
    uint64_t begin = 0;
    uint64_t end = UINT64_MAX;
    size_t max_hits = 10000;  // the search stops once this many hits are found
};

struct PatternHit {
    uint64_t offset = 0;
    int bit = 0;
    int errors = 0;
    PatternForm form = PatternForm::Plain;
    bool operator==(const PatternHit&) const = default;
};

// The hits in order of offset, then bit, then form (at most max_hits of them: the first ones in
// that order). A pattern with no pixels, whose pixel count does not match its size, or wider
// than a row finds nothing. Pure: no threads, no I/O.
[[nodiscard]] std::vector<PatternHit> find_pattern(std::span<const uint8_t> bytes, const Pattern& pattern,
                                                   const FindOptions& options);
