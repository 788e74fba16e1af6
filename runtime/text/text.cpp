#include "runtime/text/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstddef>
#include <iterator>

// Every routine here works on bytes, so a position or a length is a byte count. The only
// places where that could tear a UTF-8 sequence apart are the case conversions, which touch
// ASCII letters alone, and reverseText, which keeps each sequence whole.
//
// Number arithmetic is carried out in uint64_t: overflow then wraps by definition, and the
// sign is applied last as a two's-complement negation.

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The value of c as a digit in the given base, or -1 when c is not one.
int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// Length of the UTF-8 sequence that starts at text[at], or 1 when the bytes there do not
// form a well-formed sequence (a stray byte then stands for itself).
size_t sequenceLength(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length == 1 || at + length > text.size()) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// The text with the 26 ASCII letters from `from` on replaced by those from `to` on; every other
// byte, UTF-8 sequences included, stays as it is.
std::string withLettersMoved(const std::string& text, char from, char to) {
    std::string result = text;
    for (char& c : result) {
        if (c >= from && c < from + 26) {
            c = static_cast<char>(c - from + to);
        }
    }
    return result;
}

}  // namespace

std::string decimalText(int64_t value) { return std::to_string(value); }

std::string binaryText(int64_t value) {
    char digits[64];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), static_cast<uint64_t>(value), 2);
    return std::string(digits, written.ptr);
}

std::string padLeft(const std::string& text, int width, const std::string& fill) {
    const size_t wanted = width < 0 ? 0 : static_cast<size_t>(width);
    const size_t kept = std::min(text.size(), wanted);
    const char fillChar = fill.empty() ? ' ' : fill.front();
    std::string result(wanted - kept, fillChar);
    result.append(text, 0, kept);
    return result;
}

std::string reverseText(const std::string& text) {
    std::string result(text.size(), '\0');
    size_t out = text.size();
    for (size_t at = 0; at < text.size();) {
        const size_t length = sequenceLength(text, at);
        out -= length;
        std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(at), length,
                    result.begin() + static_cast<std::ptrdiff_t>(out));
        at += length;
    }
    return result;
}

int64_t parseNumber(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < text.size() && text[at] == '$') {
        base = 16;
        ++at;
    } else if (at < text.size() && text[at] == '%') {
        base = 2;
        ++at;
    }
    uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const int digit = digitValue(text[at], base);
        if (digit < 0) {
            break;
        }
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (negative) {
        value = ~value + 1u;
    }
    return static_cast<int64_t>(value);
}

std::string fieldOf(const std::string& text, int index, const std::string& separator) {
    if (index < 1) {
        return {};
    }
    if (separator.empty()) {
        return index == 1 ? text : std::string();
    }
    size_t start = 0;
    for (int field = 1; field < index; ++field) {
        const size_t found = text.find(separator, start);
        if (found == std::string::npos) {
            return {};
        }
        start = found + separator.size();
    }
    const size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int textLength(const std::string& text) {
    return text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

std::string substring(const std::string& text, int start, int length) {
    const int64_t from = start < 1 ? 1 : start;
    if (length < 1 || from > static_cast<int64_t>(text.size())) {
        return {};
    }
    return text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(length));
}

std::string substringFrom(const std::string& text, int start) {
    // Same as substring with the length running to the end; computed without forming
    // textLength - start + 1, which would overflow for very negative starts.
    const int64_t from = start < 1 ? 1 : start;
    if (from > static_cast<int64_t>(text.size())) {
        return {};
    }
    return text.substr(static_cast<size_t>(from - 1));
}

std::string toLowerCase(const std::string& text) { return withLettersMoved(text, 'A', 'a'); }

std::string toUpperCase(const std::string& text) { return withLettersMoved(text, 'a', 'A'); }

int findText(const std::string& text, const std::string& pattern) {
    if (text.empty() || pattern.empty()) {
        return 0;
    }
    const size_t found = text.find(pattern);
    if (found == std::string::npos || found >= static_cast<size_t>(INT_MAX)) {
        return 0;
    }
    return static_cast<int>(found) + 1;
}
