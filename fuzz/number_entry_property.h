#pragma once
// Strict number entry against a reference model written from its contract: every byte of the
// text must be a digit of the chosen base, the value wraps in 32 bits, and a rejected text
// always reads as 0.
#include "fuzz/check_report.h"

#include "data/entry/number_entry.h"

#include <cstdint>
#include <string>

inline EnteredNumber entered_number_model(const std::string& typed) {
    std::string text = typed;
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    std::string digits = "0123456789";
    size_t from = 0;
    if (!text.empty() && text[0] == '$') {
        digits = "0123456789ABCDEF";
        from = 1;
    }
    uint32_t value = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const size_t digit = digits.find(text[i]);
        if (digit == std::string::npos) return {0, false};
        value = value * static_cast<uint32_t>(digits.size()) + static_cast<uint32_t>(digit);
    }
    return {static_cast<int32_t>(value), true};
}

inline std::string check_number_entry(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const EnteredNumber got = parse_entered_number(text);
    const EnteredNumber want = entered_number_model(text);
    CheckReport r;
    r.expectEqual(got.ok, want.ok, "parse_entered_number(" + printable(text) + ").ok");
    r.expectEqual(got.value, want.value, "parse_entered_number(" + printable(text) + ").value");
    return r.message();
}
