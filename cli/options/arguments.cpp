#include "cli/options/arguments.h"

#include "common/byte_tables.h"

namespace {

void say(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

// Quoted for a message; a text that is very long or holds control bytes is shown shortened.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    size_t shown = 0;
    for (const char c : text) {
        if (++shown > 40) {
            out += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        out += u >= 0x20 && u < 0x7F ? c : '?';
    }
    return out + "\"";
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

}  // namespace

std::optional<uint64_t> parse_offset(std::string_view text, std::string* error) {
    uint64_t base = 10;
    std::string_view digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.starts_with("$")) {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        say(error, quoted(text) + " is not a number (decimal, 0x or $ hexadecimal)");
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char c : digits) {
        const auto digit = static_cast<uint64_t>(digitValue(c));
        if (digit >= base) {
            say(error, quoted(text) + " is not a number (decimal, 0x or $ hexadecimal)");
            return std::nullopt;
        }
        if (value > (UINT64_MAX - digit) / base) {
            say(error, quoted(text) + " does not fit in 64 bits");
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

std::optional<ViewOffset> parse_view_offset(std::string_view text, std::string* error) {
    if (!text.starts_with('-')) {
        const std::optional<uint64_t> offset = parse_offset(text, error);
        return offset ? std::optional(ViewOffset{*offset, 0}) : std::nullopt;
    }
    const std::optional<uint64_t> before = parse_offset(text.substr(1));
    if (!before) {
        say(error, quoted(text) + " is not a number (decimal, 0x or $ hexadecimal)");
        return std::nullopt;
    }
    if (*before > MAX_BYTES_BEFORE_FILE) {
        say(error, quoted(text) + " starts more than " + std::to_string(MAX_BYTES_BEFORE_FILE) +
                       " bytes before the file");
        return std::nullopt;
    }
    return ViewOffset{0, static_cast<int>(*before)};
}

std::optional<int64_t> parse_number_in(std::string_view text, int64_t low, int64_t high, std::string* error) {
    const std::optional<uint64_t> value = parse_offset(text, error);
    if (!value) {
        return std::nullopt;
    }
    if (*value > static_cast<uint64_t>(INT64_MAX) || static_cast<int64_t>(*value) < low ||
        static_cast<int64_t>(*value) > high) {
        say(error, quoted(text) + " is out of range " + std::to_string(low) + " to " + std::to_string(high));
        return std::nullopt;
    }
    return static_cast<int64_t>(*value);
}

std::optional<PictureSize> parse_picture_size(std::string_view text, std::string* error) {
    const size_t cross = text.find_first_of("xX");
    if (cross == std::string_view::npos) {
        say(error, quoted(text) + " is not a size WIDTHxHEIGHT, such as 600x512");
        return std::nullopt;
    }
    PictureSize size;
    for (const bool first : {true, false}) {
        const std::string_view side = first ? text.substr(0, cross) : text.substr(cross + 1);
        bool decimal = !side.empty() && side.size() <= 9;
        for (const char c : side) {
            decimal = decimal && c >= '0' && c <= '9';
        }
        if (!decimal) {
            say(error, quoted(text) + " is not a size WIDTHxHEIGHT, such as 600x512");
            return std::nullopt;
        }
        const int value = std::stoi(std::string(side));
        if (value < 1 || value > MAX_PICTURE_SIDE) {
            say(error,
                quoted(text) + ": each side must be 1 to " + std::to_string(MAX_PICTURE_SIDE) + " pixels");
            return std::nullopt;
        }
        (first ? size.width : size.height) = value;
    }
    return size;
}

std::optional<WidthRange> parse_width_range(std::string_view text, std::string* error) {
    const size_t dash = text.find('-');
    const std::string_view from = text.substr(0, dash);
    const std::string_view to = dash == std::string_view::npos ? from : text.substr(dash + 1);
    std::string why;
    const auto first = parse_number_in(from, MIN_ROW_WIDTH, MAX_ROW_WIDTH_ARGUMENT, &why);
    const auto last = first ? parse_number_in(to, MIN_ROW_WIDTH, MAX_ROW_WIDTH_ARGUMENT, &why) : std::nullopt;
    if (!first || !last) {
        say(error, quoted(text) + " is not a range of widths A-B: " + why);
        return std::nullopt;
    }
    if (*first > *last) {
        say(error, quoted(text) + ": the first width is larger than the last");
        return std::nullopt;
    }
    return WidthRange{static_cast<int>(*first), static_cast<int>(*last)};
}

std::optional<double> parse_score(std::string_view text, std::string* error) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    bool digits = !(whole.empty() && fraction.empty()) && whole.size() <= 9 && fraction.size() <= 17;
    for (const char c : whole) digits = digits && c >= '0' && c <= '9';
    for (const char c : fraction) digits = digits && c >= '0' && c <= '9';
    if (!digits) {
        say(error, quoted(text) + " is not a score from 0 to 1, such as 0.5");
        return std::nullopt;
    }
    std::string decimal(whole);
    decimal.insert(decimal.begin(), '0');  // "" and ".5" read as 0 and 0.5
    decimal += '.';
    decimal += fraction;
    decimal += '0';
    const double value = std::stod(decimal);
    if (value > 1.0) {
        say(error, quoted(text) + " is more than 1");
        return std::nullopt;
    }
    return value;
}

std::optional<int> parse_zoom(std::string_view text, std::string* error) {
    if (text == "1" || text == "2" || text == "4" || text == "8") {
        return text[0] - '0';
    }
    say(error, quoted(text) + " is not 1, 2, 4 or 8");
    return std::nullopt;
}

uint8_t transformed_byte(uint8_t value, const Transforms& transforms) {
    if (transforms.inverse) {
        value = static_cast<uint8_t>(~value);
    }
    if (transforms.reverse) {
        value = reverse_table[value];
    }
    if (transforms.nibble_swap) {
        value = nibble_table[value];
    }
    return value;
}
