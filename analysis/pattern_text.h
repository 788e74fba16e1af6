#pragma once
// Readers for patterns typed or drawn by the user: text rows and PBM files. Both accept any
// bytes; on bad input they return nullopt and, when `error` is given, a one-line message.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/find_pattern.h"

// Patterns wider than a row of the widest width can never match.
constexpr int MAX_PATTERN_WIDTH = 8 * 255;
constexpr int MAX_PATTERN_HEIGHT = 4096;

// Rows separated by ',' or line breaks, e.g. "..##..,.####.": '#', 'X' or '1' is a set pixel,
// '.', '_' or '0' a clear one. Spaces and tabs around a row are ignored, and so are empty rows
// at the start and end (a trailing line break); an empty row between others is an error. All
// rows must have the same length.
[[nodiscard]] std::optional<Pattern> parse_pattern_rows(std::string_view text, std::string* error);

// A PBM image, plain (P1) or raw (P4): 1 (black) is a set pixel. Comments ('#' to the end of the
// line) are allowed in the header, and in P1 also between pixels. Only the first image of the
// file is read. Width and height are limited to MAX_PATTERN_WIDTH and MAX_PATTERN_HEIGHT.
[[nodiscard]] std::optional<Pattern> parse_pattern_pbm(std::span<const uint8_t> file, std::string* error);
