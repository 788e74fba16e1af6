#pragma once
// The text form of the settings file: parsing it into entries and writing entries back.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class PrefEntryKind { Group, Comment, Key };

// One stored line. `text` is the group name, the comment text or the value.
struct PrefEntry {
    PrefEntryKind kind = PrefEntryKind::Key;
    std::string key;
    std::string text;
};

// Splits the text (without any UTF-8 mark) into entries in file order. Blank lines vanish;
// a line ends at CR, LF or a zero byte, and any run of those ends it.
std::vector<PrefEntry> parsePrefText(std::string_view text);

// The file text for the entries: CR LF after every line, " = " between key and value, and the
// UTF-8 mark on a line of its own first when `utf8Mark` is set.
std::string buildPrefText(const std::vector<PrefEntry>& entries, bool utf8Mark);

// The value read like "%d": leading white space, an optional sign, decimal digits up to the
// first other character; 0 when no digit reads. Values beyond 32 bits saturate at the
// nearest limit.
int32_t prefValueAsInt(std::string_view value);

// True when both names are equal apart from the case of ASCII letters.
bool prefNamesMatch(std::string_view a, std::string_view b);
