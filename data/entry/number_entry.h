#pragma once
// Strict number entry: decimal, or hexadecimal after a leading "$"; nothing else.
#include <cstdint>
#include <string>

struct EnteredNumber {
    int32_t value = 0;  // 32-bit wrap-around; 0 when not ok
    bool ok = true;
};

EnteredNumber parse_entered_number(const std::string& text);
