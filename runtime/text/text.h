#pragma once
// Text and number routines. Texts are UTF-8 byte strings; positions count bytes from 1.
#include <cstdint>
#include <string>

std::string decimalText(int64_t value);
// The bits of the value as unsigned 64-bit, without leading zeros; 0 gives "0".
std::string binaryText(int64_t value);
// Exactly `width` characters: the start of the text, preceded by the first character of
// `fill` (a space when fill is empty) as often as needed. A longer text is cut at its end.
std::string padLeft(const std::string& text, int width, const std::string& fill = " ");
std::string reverseText(const std::string& text);
// Blanks, one sign, then "$" hexadecimal, "%" binary or decimal digits; stops silently at the
// first other character; 64-bit wrap-around.
int64_t parseNumber(const std::string& text);
// The index-th field (from 1) split at `separator`; empty when out of range.
std::string fieldOf(const std::string& text, int index, const std::string& separator);
int textLength(const std::string& text);
std::string substring(const std::string& text, int start, int length);
std::string substringFrom(const std::string& text, int start);
// ASCII letters only; every other byte is kept as it is.
std::string toLowerCase(const std::string& text);
std::string toUpperCase(const std::string& text);
// 1-based position of the first occurrence; 0 when none or when either text is empty.
int findText(const std::string& text, const std::string& pattern);
