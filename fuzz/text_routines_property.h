#pragma once
// The text routines through properties that hold whatever their loops look like: round trips
// (numbers written and read back, fields joined and split, a text cut and put together again,
// UTF-8 characters reversed as wholes), fixed points (case conversion), and agreement with
// differently written references (std::from_chars for the digits, <cctype> in the C locale for
// case, a brute-force search). Texts carry no zero byte here: whether a routine stops at one is
// a representation choice, not a fault.
#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"
#include "runtime/text/text.h"

namespace text_check {

inline std::string noZero(std::string s) {
    std::replace(s.begin(), s.end(), '\0', '\x01');
    return s;
}

inline std::string show(int64_t v) { return std::to_string(v); }

// parseNumber against std::from_chars on the digits after the blanks, the sign and the prefix.
// Only digit runs that fit 64 bits are compared; wrapping is checked on its own.
inline void checkParse(CheckReport& r, const std::string& text) {
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) at = text.size();
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    int base = 10;
    if (at < text.size() && (text[at] == '$' || text[at] == '%')) base = text[at++] == '$' ? 16 : 2;
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), magnitude, base);
    if (error == std::errc::result_out_of_range) return;
    const uint64_t want = negative ? 0 - magnitude : magnitude;
    r.expectEqual(parseNumber(text), static_cast<int64_t>(want), "parseNumber(" + printable(text) + ")");
    (void)end;
}

// The decimal digits of u + 2^64 x times, through 128-bit arithmetic.
inline std::string decimalPlusWraps(uint64_t u, unsigned times) {
    unsigned __int128 value = (static_cast<unsigned __int128>(times) << 64) + u;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

// A code point written as UTF-8 by the textbook formula.
inline std::string utf8(uint32_t code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

}  // namespace text_check

inline std::string check_text_routines(const uint8_t* data, size_t size) {
    using namespace text_check;
    FuzzInput in(data, size);
    CheckReport r;

    int64_t wide = 0;
    for (int i = 0; i < 8; ++i) wide = static_cast<int64_t>((static_cast<uint64_t>(wide) << 8) | in.byte());
    const int32_t i1 = in.edgyInt(40);
    const int32_t i2 = in.edgyInt(40);
    const int padWidth = (in.byte() % 5 == 0) ? INT_MIN : static_cast<int>(in.range(-8, 300));
    const std::string fill = noZero(in.text(3));
    const std::string sep = noZero(in.text(3));
    const std::string pattern = noZero(in.text(6));
    const std::string text = noZero(in.rest());
    const auto u = static_cast<uint64_t>(wide);

    // Numbers written and read back, and the digits as the standard library reads them.
    checkParse(r, text);
    const std::string decimal = decimalText(wide);
    r.expectEqual(parseNumber(decimal), wide, "parseNumber(decimalText(" + show(wide) + "))");
    const size_t firstDigit = wide < 0 ? 1 : 0;
    r.expect(decimal.find_first_not_of("0123456789", firstDigit) == std::string::npos &&
                 decimal.size() > firstDigit &&
                 (decimal[firstDigit] != '0' || decimal.size() == firstDigit + 1),
             "decimalText(" + show(wide) + ") is " + printable(decimal));
    r.expectEqual(parseNumber(decimalText(i1)), int64_t{i1},
                  "parseNumber(decimalText(int32 " + show(i1) + "))");
    const std::string binary = binaryText(wide);
    r.expectEqual(binary.size(), size_t(u == 0 ? 1 : std::bit_width(u)),
                  "the length of binaryText(" + show(wide) + ")");
    r.expect(binary.find_first_not_of("01") == std::string::npos,
             "binaryText(" + show(wide) + ") is " + binary);
    r.expectEqual(parseNumber("%" + binary), wide, "parseNumber(\"%\" + binaryText(" + show(wide) + "))");
    r.expectEqual(parseNumber(" \t-" + decimalPlusWraps(0 - u, static_cast<unsigned>(i2 & 7))), wide,
                  "parseNumber of minus the digits of -v plus a multiple of 2^64, v = " + show(wide));

    // padLeft: exactly the width; the start of the text, or all of it behind the fill.
    const size_t wanted = padWidth < 0 ? 0 : static_cast<size_t>(padWidth);
    const char fillChar = fill.empty() ? ' ' : fill[0];
    for (const bool defaultFill : {false, true}) {
        const std::string padded = defaultFill ? padLeft(text, padWidth) : padLeft(text, padWidth, fill);
        const char f = defaultFill ? ' ' : fillChar;
        const std::string what = "padLeft(" + printable(text) + ", " + show(padWidth) +
                                 (defaultFill ? ")" : ", " + printable(fill) + ")");
        r.expectEqual(padded.size(), wanted, what + " length");
        if (wanted <= text.size()) {
            r.expect(text.compare(0, wanted, padded) == 0, what + " is not the start of the text");
        } else {
            const size_t extra = wanted - text.size();
            r.expect(
                padded.compare(extra, std::string::npos, text) == 0 && padded.find_first_not_of(f) >= extra,
                what + " is " + printable(padded));
        }
    }

    // reverseText: whole UTF-8 characters in the opposite order; any text keeps its bytes.
    std::vector<std::string> characters;
    {
        FuzzInput chars(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        while (!chars.empty() && characters.size() < 64) {
            const uint8_t kind = chars.byte();
            uint32_t code = 0x20 + kind % 0x5F;
            if (kind >= 0xC0) code = 0x80 + chars.byte() % 0x780;
            if (kind >= 0xE0) code = 0x800 + (chars.u32() % 0xF000);
            if (kind >= 0xF0) code = 0x10000 + (chars.u32() % 0x100000);
            if (code >= 0xD800 && code < 0xE000) code -= 0x800;  // no surrogate halves
            characters.push_back(utf8(code));
        }
    }
    std::string forwards, backwards;
    for (const std::string& c : characters) forwards += c;
    for (auto c = characters.rbegin(); c != characters.rend(); ++c) backwards += *c;
    r.expectEqual(reverseText(forwards), backwards, "reverseText(" + printable(forwards) + ")");
    r.expectEqual(reverseText(backwards), forwards, "reverseText(" + printable(backwards) + ")");
    std::string sortedReversed = reverseText(text), sortedText = text;
    std::sort(sortedReversed.begin(), sortedReversed.end());
    std::sort(sortedText.begin(), sortedText.end());
    r.expectEqual(sortedReversed, sortedText, "reverseText(" + printable(text) + ") keeps every byte");

    // fieldOf: fields free of the separator's bytes, joined by it, come back one by one.
    if (!sep.empty()) {
        std::vector<std::string> fields(1);
        for (const char c : text) {
            if (sep.find(c) != std::string::npos) {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        std::string joined = fields[0];
        for (size_t f = 1; f < fields.size(); ++f) joined += sep + fields[f];
        for (size_t f = 0; f < fields.size() && f < 20; ++f) {
            r.expectEqual(fieldOf(joined, static_cast<int>(f + 1), sep), fields[f],
                          "fieldOf(" + printable(joined) + ", " + show(static_cast<int64_t>(f + 1)) + ", " +
                              printable(sep) + ")");
        }
        r.expectEqual(fieldOf(joined, static_cast<int>(fields.size() + 1), sep), std::string(),
                      "fieldOf past the last field of " + printable(joined));
    }
    r.expectEqual(fieldOf(text, i1 < 1 ? i1 : 0, sep), std::string(),
                  "fieldOf with index " + show(i1 < 1 ? i1 : 0));
    r.expectEqual(fieldOf(text, 1, ""), text, "fieldOf(text, 1, \"\")");

    // Cutting: a text cut anywhere and put together again is the text.
    r.expectEqual(textLength(text), static_cast<int>(text.size()), "textLength(" + printable(text) + ")");
    const int cut = static_cast<int>(std::clamp<int64_t>(i2, 0, static_cast<int64_t>(text.size())));
    r.expectEqual(substring(text, 1, cut) + substringFrom(text, cut + 1), text,
                  "substring(text, 1, " + show(cut) + ") + substringFrom(text, " + show(cut + 1) + ")");
    const std::string piece = substring(text, i1, i2);
    const std::string rest = substringFrom(text, i1);
    r.expect(rest.compare(0, piece.size(), piece) == 0 &&
                 piece.size() == std::min(static_cast<size_t>(std::max(i2, 0)), rest.size()),
             "substring(" + printable(text) + ", " + show(i1) + ", " + show(i2) + ") is " + printable(piece) +
                 ", substringFrom " + printable(rest));
    r.expectEqual(rest.size(),
                  i1 <= 1 ? text.size() : text.size() - std::min(text.size(), static_cast<size_t>(i1) - 1),
                  "substringFrom(" + printable(text) + ", " + show(i1) + ") length");

    // Case: the C library's conversion in the C locale, and fixed points.
    std::string lower = text, upper = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    r.expectEqual(toLowerCase(text), lower, "toLowerCase(" + printable(text) + ")");
    r.expectEqual(toUpperCase(text), upper, "toUpperCase(" + printable(text) + ")");
    r.expectEqual(toLowerCase(toUpperCase(text)), lower, "toLowerCase(toUpperCase(" + printable(text) + "))");

    // findText against a brute-force search.
    int first = 0;
    if (!pattern.empty()) {
        for (size_t at = 0; at + pattern.size() <= text.size() && first == 0; ++at) {
            if (std::equal(pattern.begin(), pattern.end(), text.begin() + static_cast<std::ptrdiff_t>(at)))
                first = static_cast<int>(at) + 1;
        }
    }
    r.expectEqual(findText(text, pattern), first,
                  "findText(" + printable(text) + ", " + printable(pattern) + ")");
    return r.message();
}
