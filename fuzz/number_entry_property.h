#pragma once
// Strict number entry through properties that do not restate its loop: a text is accepted
// exactly when every byte after an optional leading "$" is a digit of its base (decided with
// <cctype> in the C locale), a refused text reads as 0, an accepted one agrees with
// std::from_chars reading its digits in pieces, and the numbers the standard library writes read
// back (hexadecimal in any mix of cases, leading zeros, any multiple of 2^32 added).
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <string>

#include "data/entry/number_entry.h"
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"

namespace entry_check {

// The digits' value modulo 2^32, read by std::from_chars a few digits at a time, so that no
// piece overflows 64 bits.
inline uint32_t wrappedValue(const std::string& digits, int base) {
    const size_t piece = base == 16 ? 7 : 9;
    uint64_t value = 0;
    for (size_t at = 0; at < digits.size(); at += piece) {
        const size_t length = std::min(piece, digits.size() - at);
        uint64_t part = 0;
        std::from_chars(digits.data() + at, digits.data() + at + length, part, base);
        uint64_t scale = 1;
        for (size_t i = 0; i < length; ++i) scale *= static_cast<uint64_t>(base);
        value = (value * scale + part) & 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}

inline std::string hexText(uint64_t value) {
    char buffer[20];
    const auto written = std::to_chars(std::begin(buffer), std::end(buffer), value, 16);
    return std::string(buffer, written.ptr);
}

}  // namespace entry_check

inline std::string check_number_entry(const uint8_t* data, size_t size) {
    using namespace entry_check;
    CheckReport r;

    // The bytes as typed text.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const EnteredNumber got = parse_entered_number(text);
    const bool hex = !text.empty() && text[0] == '$';
    const std::string digits = hex ? text.substr(1) : text;
    const bool digitsOnly = std::all_of(digits.begin(), digits.end(), [hex](char c) {
        const auto u = static_cast<unsigned char>(c);
        return hex ? std::isxdigit(u) != 0 : std::isdigit(u) != 0;
    });
    r.expectEqual(got.ok, digitsOnly, "parse_entered_number(" + printable(text) + ").ok");
    const int32_t want = digitsOnly ? static_cast<int32_t>(wrappedValue(digits, hex ? 16 : 10)) : 0;
    r.expectEqual(got.value, want, "parse_entered_number(" + printable(text) + ").value");

    // The same bytes as a number and a multiple of 2^32, written and read back.
    FuzzInput in(data, size);
    const uint32_t u = in.u32();
    const uint64_t k = in.byte();
    const uint8_t cases = in.byte();
    const auto expectNumber = [&](const std::string& typed) {
        const EnteredNumber back = parse_entered_number(typed);
        r.expect(back.ok, "parse_entered_number(" + printable(typed) + ") refused");
        r.expectEqual(back.value, static_cast<int32_t>(u), "parse_entered_number(" + printable(typed) + ")");
    };
    expectNumber(std::to_string(u));
    expectNumber("000" + std::to_string(u));
    expectNumber(std::to_string(u + (k << 32)));
    std::string hexDigits = hexText(u + (k << 32));
    for (size_t i = 0; i < hexDigits.size(); ++i) {
        if ((cases >> (i % 8)) & 1)
            hexDigits[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(hexDigits[i])));
    }
    expectNumber("$" + hexDigits);
    return r.message();
}
