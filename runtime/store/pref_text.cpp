#include "runtime/store/pref_text.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsLine(char c) { return c == '\r' || c == '\n' || c == '\0'; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<PrefEntry> parsePrefText(std::string_view text) {
    std::vector<PrefEntry> entries;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at])) {
            ++at;
        }
        size_t end = at;
        while (end < text.size() && !endsLine(text[end])) {
            ++end;
        }
        const std::string_view line = text.substr(at, end - at);
        if (!line.empty()) {
            PrefEntry entry;
            if (line.front() == ';') {
                entry.kind = PrefEntryKind::Comment;
                std::string_view comment = line.substr(1);
                if (!comment.empty() && comment.front() == ' ') {
                    comment.remove_prefix(1);
                }
                entry.text = comment;
            } else if (line.front() == '[') {
                entry.kind = PrefEntryKind::Group;
                const std::string_view inside = line.substr(1);
                entry.text = inside.substr(0, inside.find(']'));
            } else {
                entry.kind = PrefEntryKind::Key;
                const size_t equals = line.find('=');
                std::string_view key = line.substr(0, equals);
                while (!key.empty() && isBlank(key.back())) {
                    key.remove_suffix(1);
                }
                entry.key = key;
                if (equals != std::string_view::npos) {
                    std::string_view value = line.substr(equals + 1);
                    while (!value.empty() && isBlank(value.front())) {
                        value.remove_prefix(1);
                    }
                    entry.text = value;
                }
            }
            entries.push_back(std::move(entry));
        }
        at = end;
        while (at < text.size() && endsLine(text[at])) {
            ++at;
        }
    }
    return entries;
}

std::string buildPrefText(const std::vector<PrefEntry>& entries, bool utf8Mark) {
    static const std::string markLine = "\xEF\xBB\xBF\r\n";
    std::string text;
    for (const PrefEntry& entry : entries) {
        switch (entry.kind) {
            case PrefEntryKind::Group:
                text += "[" + entry.text + "]\r\n";
                break;
            case PrefEntryKind::Comment:
                text += "; " + entry.text + "\r\n";
                break;
            case PrefEntryKind::Key:
                text += entry.key + " = " + entry.text + "\r\n";
                break;
        }
    }
    // A first name that itself begins with the mark's bytes would be taken for the mark when the
    // file is read again, losing them and changing what the line means; the mark line in front
    // keeps them part of the name.
    if (utf8Mark || text.compare(0, 3, markLine, 0, 3) == 0) {
        text.insert(0, markLine);
    }
    return text;
}

int32_t prefValueAsInt(std::string_view value) {
    size_t at = 0;
    // The white space that "%d" skips.
    while (at < value.size() && (value[at] == ' ' || (value[at] >= '\t' && value[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) {
        negative = value[at] == '-';
        ++at;
    }
    // The digits as an unsigned magnitude: from_chars takes no "+" and, for an unsigned type,
    // no "-", so a second sign reads no digit, as it does for "%d".
    uint64_t magnitude = 0;
    const char* first = value.data() + at;
    const auto [end, error] = std::from_chars(first, value.data() + value.size(), magnitude);
    if (end == first) {
        return 0;
    }
    if (error == std::errc::result_out_of_range) {
        magnitude = std::numeric_limits<uint64_t>::max();
    }
    // Beyond 32 bits the value saturates at the nearest limit.
    constexpr uint64_t LARGEST = std::numeric_limits<int32_t>::max();
    if (negative) {
        return magnitude > LARGEST ? std::numeric_limits<int32_t>::min()
                                   : static_cast<int32_t>(-static_cast<int64_t>(magnitude));
    }
    return magnitude > LARGEST ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

bool prefNamesMatch(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}
