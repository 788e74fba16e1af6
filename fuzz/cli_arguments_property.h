#pragma once
// The command line's readers of typed numbers (offsets, view offsets, sizes, width ranges, zooms,
// scores) against models written from their contracts, on any text. A rejected text must come
// with a one-line reason.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "cli/options/arguments.h"
#include "fuzz/check_report.h"

namespace cli_arguments_check {

// Decimal, or hexadecimal after 0x, 0X or $; digits only; 64 bits. Accumulates in 128 bits
// and checks the bound at the end instead of before each step.
inline std::optional<uint64_t> offsetModel(const std::string& text) {
    std::string digits = text;
    unsigned base = 10;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) {
        base = 16;
        digits.erase(0, 2);
    } else if (!digits.empty() && digits[0] == '$') {
        base = 16;
        digits.erase(0, 1);
    }
    if (digits.empty()) return std::nullopt;
    unsigned __int128 value = 0;
    for (const char c : digits) {
        const std::string alphabet = base == 10 ? "0123456789" : "0123456789abcdef";
        const char lower = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
        const size_t digit = alphabet.find(lower);
        if (digit == std::string::npos) return std::nullopt;
        value = value * base + digit;
        if (value > UINT64_MAX) return std::nullopt;
    }
    return static_cast<uint64_t>(value);
}

// An offset, or "-" and one of 0 to 255 before the file.
inline std::optional<ViewOffset> viewOffsetModel(const std::string& text) {
    if (text.empty() || text[0] != '-') {
        const auto offset = offsetModel(text);
        return offset ? std::optional(ViewOffset{*offset, 0}) : std::nullopt;
    }
    const auto before = offsetModel(text.substr(1));
    if (!before || *before > 255) return std::nullopt;
    return ViewOffset{0, static_cast<int>(*before)};
}

inline bool allDecimal(const std::string& s) {
    if (s.empty() || s.size() > 9) return false;
    for (const char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

inline std::optional<PictureSize> sizeModel(const std::string& text) {
    const size_t cross = text.find_first_of("xX");
    if (cross == std::string::npos) return std::nullopt;
    const std::string w = text.substr(0, cross);
    const std::string h = text.substr(cross + 1);
    if (!allDecimal(w) || !allDecimal(h)) return std::nullopt;
    const long width = std::stol(w);
    const long height = std::stol(h);
    if (width < 1 || height < 1 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE) return std::nullopt;
    return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

inline std::optional<WidthRange> rangeModel(const std::string& text) {
    const size_t dash = text.find('-');
    const auto first = offsetModel(text.substr(0, dash));
    const auto last = dash == std::string::npos ? first : offsetModel(text.substr(dash + 1));
    if (!first || !last || *first < 1 || *last > 255 || *first > *last) return std::nullopt;
    return WidthRange{static_cast<int>(*first), static_cast<int>(*last)};
}

// Digits with an optional fraction, not both empty, at most 9 and 17 of them; from 0 to 1.
inline std::optional<double> scoreModel(const std::string& text) {
    static const std::regex form(R"(([0-9]{0,9})(\.([0-9]{0,17}))?)");
    std::smatch m;
    if (!std::regex_match(text, m, form) || (m[1].length() == 0 && m[3].length() == 0)) return std::nullopt;
    const double value = std::strtod(("0" + m[1].str() + "." + m[3].str() + "0").c_str(), nullptr);
    if (value > 1.0) return std::nullopt;
    return value;
}

template <typename T>
void compare(CheckReport& r, const std::optional<T>& got, const std::optional<T>& want,
             const std::string& error, const std::string& what) {
    r.expectEqual(got.has_value(), want.has_value(), what + " accepted");
    if (got && want) r.expect(*got == *want, what + " value");
    if (!got) {
        r.expect(!error.empty(), what + ": a rejection needs a reason");
        r.expect(error.find('\n') == std::string::npos && error.find('\r') == std::string::npos,
                 what + ": the reason must be one line");
    }
}

}  // namespace cli_arguments_check

inline std::string check_cli_arguments(const uint8_t* data, size_t size) {
    using namespace cli_arguments_check;
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckReport r;
    std::string error;
    compare(r, parse_offset(text, &error), offsetModel(text), error, "parse_offset(" + printable(text) + ")");
    error.clear();
    compare(r, parse_view_offset(text, &error), viewOffsetModel(text), error,
            "parse_view_offset(" + printable(text) + ")");
    error.clear();
    compare(r, parse_picture_size(text, &error), sizeModel(text), error,
            "parse_picture_size(" + printable(text) + ")");
    error.clear();
    compare(r, parse_width_range(text, &error), rangeModel(text), error,
            "parse_width_range(" + printable(text) + ")");
    error.clear();
    const auto offset = offsetModel(text);
    const std::optional<int64_t> inRange = offset && *offset >= 1 && *offset <= 4096
                                               ? std::optional<int64_t>(static_cast<int64_t>(*offset))
                                               : std::nullopt;
    compare(r, parse_number_in(text, 1, 4096, &error), inRange, error,
            "parse_number_in(" + printable(text) + ")");
    error.clear();
    const std::optional<int> zoom = text == "1" || text == "2" || text == "4" || text == "8"
                                        ? std::optional<int>(text[0] - '0')
                                        : std::nullopt;
    compare(r, parse_zoom(text, &error), zoom, error, "parse_zoom(" + printable(text) + ")");
    error.clear();
    compare(r, parse_score(text, &error), scoreModel(text), error, "parse_score(" + printable(text) + ")");
    return r.message();
}
