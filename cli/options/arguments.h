#pragma once
// The argument types the subcommands share, read from the text a user typed. Pure functions:
// each returns nullopt for a text it does not take and then, when `error` is given, one line
// saying why (without the option's name, which the caller puts in front).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/row_width.h"

// A byte offset or count: decimal digits, or hexadecimal digits after "0x", "0X" or "$".
// Nothing else is allowed around or between the digits (no sign, no spaces, no separators),
// and the value must fit in 64 bits.
[[nodiscard]] std::optional<uint64_t> parse_offset(std::string_view text, std::string* error = nullptr);

// Where a view starts: `in_file` bytes into the file, or, when `before_file` is above 0, that
// many positions before its first byte, which are drawn black as the window draws a negative
// fine offset at row 0 (`in_file` is then 0).
struct ViewOffset {
    uint64_t in_file = 0;
    int before_file = 0;
    bool operator==(const ViewOffset&) const = default;
};

// The window's fine offset reaches -W before the file, and W is at most 255.
constexpr int MAX_BYTES_BEFORE_FILE = MAX_ROW_WIDTH;

// An offset as parse_offset reads it, or "-" followed by one from 1 to MAX_BYTES_BEFORE_FILE
// ("-5", "-0x10"; "-0" is 0).
[[nodiscard]] std::optional<ViewOffset> parse_view_offset(std::string_view text,
                                                          std::string* error = nullptr);

// A whole number written as parse_offset reads it, inside [low, high].
[[nodiscard]] std::optional<int64_t> parse_number_in(std::string_view text, int64_t low, int64_t high,
                                                     std::string* error = nullptr);

// The largest side of a picture the command line draws. A 600 x 512 view is 0.9 MB of pixels;
// this keeps the largest request (about 800 MB) within what a desktop machine can hold.
constexpr int MAX_PICTURE_SIDE = 16384;

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// "WxH" ('x' or 'X'), both sides decimal from 1 to MAX_PICTURE_SIDE.
[[nodiscard]] std::optional<PictureSize> parse_picture_size(std::string_view text,
                                                            std::string* error = nullptr);

constexpr int MIN_ROW_WIDTH = 1;
constexpr int MAX_ROW_WIDTH_ARGUMENT = MAX_ROW_WIDTH;

struct WidthRange {
    int first = 0;
    int last = 0;
    bool operator==(const WidthRange&) const = default;
};

// "A-B" or a single width "A"; each a number as parse_offset reads it, from 1 to 255, A <= B.
[[nodiscard]] std::optional<WidthRange> parse_width_range(std::string_view text,
                                                          std::string* error = nullptr);

// A score from 0 to 1 in decimal notation: digits with an optional fraction ("0.5", ".25", "1",
// "1.0"); no sign, exponent or spaces.
[[nodiscard]] std::optional<double> parse_score(std::string_view text, std::string* error = nullptr);

// 1, 2, 4 or 8.
[[nodiscard]] std::optional<int> parse_zoom(std::string_view text, std::string* error = nullptr);

// The three byte transforms of the view, applied in its order: inverse (every bit flipped),
// then reverse (bit order inside the byte), then nibble swap (the two halves exchanged).
struct Transforms {
    bool inverse = false;
    bool reverse = false;
    bool nibble_swap = false;
};

// The byte as the view shows it.
[[nodiscard]] uint8_t transformed_byte(uint8_t value, const Transforms& transforms);
