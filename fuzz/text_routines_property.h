#pragma once
// The text routines against small reference models written from their contracts. Texts carry
// no zero byte here: whether a routine stops at one is a representation choice, not a fault.
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"

#include "runtime/text/text.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace text_model {

inline int64_t parseNumber(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i < s.size() && s[i] == '%') {
        base = 2;
        ++i;
    }
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0 || digit >= base) break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return static_cast<int64_t>(negative ? 0 - value : value);
}

inline std::string binaryText(int64_t v) {
    uint64_t u = static_cast<uint64_t>(v);
    if (u == 0) return "0";
    std::string out;
    for (; u != 0; u >>= 1) out.insert(out.begin(), static_cast<char>('0' + (u & 1)));
    return out;
}

inline std::string padLeft(const std::string& text, int width, const std::string& fill) {
    const size_t w = width < 0 ? 0 : static_cast<size_t>(width);
    const size_t keep = std::min(text.size(), w);
    return std::string(w - keep, fill.empty() ? ' ' : fill[0]) + text.substr(0, keep);
}

inline std::string fieldOf(const std::string& text, int index, const std::string& sep) {
    if (index < 1) return "";
    if (sep.empty()) return index == 1 ? text : "";
    std::vector<std::string> fields;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(sep, from);
        if (at == std::string::npos) {
            fields.push_back(text.substr(from));
            break;
        }
        fields.push_back(text.substr(from, at - from));
        from = at + sep.size();
    }
    return static_cast<size_t>(index) <= fields.size() ? fields[index - 1] : "";
}

inline std::string substring(const std::string& text, int64_t start, int64_t length) {
    if (start < 1) start = 1;
    const int64_t size = static_cast<int64_t>(text.size());
    if (start > size || length < 1) return "";
    return text.substr(static_cast<size_t>(start - 1),
                       static_cast<size_t>(std::min(length, size - start + 1)));
}

inline std::string mapAscii(std::string s, char from, char to, int shift) {
    for (char& c : s)
        if (c >= from && c <= to) c = static_cast<char>(c + shift);
    return s;
}

} // namespace text_model

inline std::string check_text_routines(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckReport r;
    auto noZero = [](std::string s) {
        std::replace(s.begin(), s.end(), '\0', '\x01');
        return s;
    };

    int64_t wide = 0;
    for (int i = 0; i < 8; ++i) wide = static_cast<int64_t>((static_cast<uint64_t>(wide) << 8) | in.byte());
    const int32_t i1 = in.edgyInt(40);
    const int32_t i2 = in.edgyInt(40);
    const int padWidth = (in.byte() % 5 == 0) ? INT_MIN : static_cast<int>(in.range(-8, 300));
    const std::string fill = noZero(in.text(3));
    const std::string sep = noZero(in.text(3));
    const std::string pattern = noZero(in.text(6));
    const std::string text = noZero(in.rest());

    r.expectEqual(parseNumber(text), text_model::parseNumber(text), "parseNumber(" + printable(text) + ")");
    r.expectEqual(decimalText(wide), std::to_string(wide), "decimalText(" + std::to_string(wide) + ")");
    r.expectEqual(parseNumber(decimalText(wide)), wide, "parseNumber(decimalText(v))");
    r.expectEqual(decimalText(i1), std::to_string(i1), "decimalText(int32 " + std::to_string(i1) + ")");
    r.expectEqual(binaryText(wide), text_model::binaryText(wide), "binaryText(" + std::to_string(wide) + ")");
    r.expectEqual(parseNumber("%" + binaryText(wide)), wide, "parseNumber(\"%\" + binaryText(v))");
    r.expectEqual(padLeft(text, padWidth, fill), text_model::padLeft(text, padWidth, fill),
                  "padLeft(" + printable(text) + ", " + std::to_string(padWidth) + ", " + printable(fill) + ")");
    r.expectEqual(padLeft(text, padWidth), text_model::padLeft(text, padWidth, " "),
                  "padLeft(" + printable(text) + ", " + std::to_string(padWidth) + ") with the default fill");
    // Multi-byte UTF-8 sequences may be kept whole, so only plain ASCII reverses byte by byte.
    const std::string reversed = reverseText(text);
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        r.expectEqual(reversed, std::string(text.rbegin(), text.rend()), "reverseText(" + printable(text) + ")");
    } else {
        std::string a = reversed, b = text;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        r.expectEqual(a, b, "reverseText(" + printable(text) + ") keeps every byte");
    }
    r.expectEqual(fieldOf(text, i1, sep), text_model::fieldOf(text, i1, sep),
                  "fieldOf(" + printable(text) + ", " + std::to_string(i1) + ", " + printable(sep) + ")");
    r.expectEqual(textLength(text), static_cast<int>(text.size()), "textLength(" + printable(text) + ")");
    r.expectEqual(substring(text, i1, i2), text_model::substring(text, i1, i2),
                  "substring(" + printable(text) + ", " + std::to_string(i1) + ", " + std::to_string(i2) + ")");
    r.expectEqual(substringFrom(text, i1),
                  text_model::substring(text, i1, static_cast<int64_t>(text.size()) - (i1 < 1 ? 1 : i1) + 1),
                  "substringFrom(" + printable(text) + ", " + std::to_string(i1) + ")");
    r.expectEqual(toLowerCase(text), text_model::mapAscii(text, 'A', 'Z', 'a' - 'A'), "toLowerCase(" + printable(text) + ")");
    r.expectEqual(toUpperCase(text), text_model::mapAscii(text, 'a', 'z', 'A' - 'a'), "toUpperCase(" + printable(text) + ")");
    const size_t at = pattern.empty() || text.empty() ? std::string::npos : text.find(pattern);
    r.expectEqual(findText(text, pattern), at == std::string::npos ? 0 : static_cast<int>(at) + 1,
                  "findText(" + printable(text) + ", " + printable(pattern) + ")");
    return r.message();
}
