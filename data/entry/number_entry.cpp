#include "data/entry/number_entry.h"

#include <string_view>

EnteredNumber parse_entered_number(const std::string& text) {
    std::string_view digits = text;
    uint32_t base = 10;
    if (!digits.empty() && digits.front() == '$') {
        base = 16;
        digits.remove_prefix(1);
    }
    // Unsigned accumulation: the entry wraps at 32 bits by design ($FFFFFFFF is -1), and
    // unsigned overflow is defined where signed overflow is not.
    uint32_t value = 0;
    for (const char c : digits) {
        uint32_t digit = base;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        }
        if (digit >= base) {
            return EnteredNumber{0, false};
        }
        value = value * base + digit;
    }
    return EnteredNumber{static_cast<int32_t>(value), true};
}
