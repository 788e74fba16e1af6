#pragma once
// "Suggest width" as arithmetic apart from the controls: which widths are offered, how the
// offers are stepped through, and how long an offer holds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Width suggestions look at this much data from the first byte shown (less at the end).
constexpr uint64_t SUGGEST_SPAN = 64 * 1024;
// The candidates offered, best first.
constexpr size_t SUGGESTED_WIDTHS = 5;

// The best widths, 1 .. max_width, for the `length` bytes of `data` from `offset` onwards (an
// offset before the data counts from its first byte): at most SUGGESTED_WIDTHS, and only widths
// that show some structure (score above 0). Empty past the end of the data or where nothing
// stands out (noise, a run of one value).
[[nodiscard]] std::vector<int> suggested_widths(std::span<const uint8_t> data, int64_t offset, int max_width);

// What the view looks like, as far as the width suggestions care: any difference is a change.
struct ViewMark {
    int64_t first_byte = 0;
    int32_t width = 0;
    int32_t zoom = 0;
    uint32_t flags = 0;        // the view options' check boxes, one bit each
    uint64_t data_serial = 0;  // counts the loads
    bool operator==(const ViewMark&) const = default;
};

// Stepping through width suggestions: the first request takes the candidates for the view and
// offers the best; each further request while the view is still the one the last suggestion
// left offers the next, after the last the best again. Any change in between starts over.
class WidthSuggestions {
public:
    struct Offer {
        int width = 0;
        size_t rank = 0;  // 1 = best
        size_t count = 0;
        int64_t first_byte = 0;  // the byte the candidates were taken from, kept at the top left
    };

    // True when the next request steps on rather than starting over.
    [[nodiscard]] bool continues(const ViewMark& now) const { return active_ && now == left_; }

    // Starts over with the candidates taken at `first_byte` (an empty list offers nothing).
    void begin(std::vector<int> widths, int64_t first_byte);
    // The offer after the current one (the first after begin()). Without candidates: width 0.
    [[nodiscard]] Offer step();
    // Records the view the offer left; the offer holds while the view stays so.
    void shown(const ViewMark& left);
    // The offer now shown, while the view is still the one it left; width 0 otherwise.
    [[nodiscard]] Offer current(const ViewMark& now) const;
    void forget();
    [[nodiscard]] bool active() const { return active_; }

private:
    std::vector<int> widths_;
    size_t index_ = 0;
    int64_t first_byte_ = 0;
    ViewMark left_;
    bool active_ = false;
};

// The title's note for an offer: " — width 2 (1/5)".
[[nodiscard]] std::string offer_title_note(const WidthSuggestions::Offer& offer);
