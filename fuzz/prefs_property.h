#pragma once
// The settings store through properties that need no second parser:
//  - on any file: reading changes nothing; a rewrite of two Options keys changes what the store
//    reads for those two and for nothing else (every group and key name the text suggests is
//    read before and after) and keeps every comment and group line; a second identical rewrite
//    is a fixed point; the written values
//    read back; a created store holds exactly what was written;
//  - on a settings file written from the same bytes with known contents (groups, keys in any
//    letter case, blanks around "=", values with signs, trailing text or none, duplicates,
//    comments, every kind of line end, the UTF-8 mark): every lookup gives the value written.
#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/scratch_dir.h"
#include "runtime/store/prefs.h"

namespace prefs_check {

inline bool sameName(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

inline bool plainAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return c != 0 && static_cast<unsigned char>(c) < 0x80; });
}

// Group and key names a text might hold, read loosely: whatever a line holds after "[", or
// before "=". Too many or wrong ones cost nothing, since the store is compared with itself.
inline std::pair<std::set<std::string>, std::set<std::string>> suggestedNames(const std::string& text) {
    std::set<std::string> groups = {"", "Options", "no]such"};
    std::set<std::string> keys = {"Zoom", "maxwidth", "ontop", "Multi"};
    size_t start = 0;
    while (start < text.size() && groups.size() < 24 && keys.size() < 40) {
        size_t end = text.find_first_of(std::string("\r\n\0", 3), start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line.erase(0, std::min(line.size(), line.find_first_not_of(" \t")));
        if (line.empty() || line.size() > 80 || !plainAscii(line)) continue;
        if (line[0] == '[') {
            groups.insert(line.substr(1, line.find(']') - 1));
        } else if (line[0] != ';') {
            std::string key = line.substr(0, line.find('='));
            key.erase(key.find_last_not_of(" \t") + 1);
            keys.insert(key);
        }
    }
    return {groups, keys};
}

// The comment and group lines a rewrite must keep, in the form it writes them: "; " and the
// comment's text (one space after ";" dropped), or the group name in brackets.
inline std::vector<std::string> keptLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < 40) {
        size_t end = text.find_first_of(std::string("\r\n\0", 3), start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line.erase(0, std::min(line.size(), line.find_first_not_of(" \t")));
        if (line.empty() || !plainAscii(line)) continue;
        if (line[0] == ';') lines.push_back("; " + line.substr(line.size() > 1 && line[1] == ' ' ? 2 : 1));
        if (line[0] == '[') lines.push_back(line.substr(0, line.find(']')) + "]");
    }
    return lines;
}

// What the store reads for every (group, key) pair: the group's selection result, and the
// value, or a mark for a missing key (found by reading with two defaults).
using Reading = std::map<std::pair<std::string, std::string>, std::pair<int, std::string>>;

inline Reading readAll(const std::set<std::string>& groups, const std::set<std::string>& keys) {
    Reading reading;
    for (const std::string& group : groups) {
        const int selected = selectPrefGroup(group);
        for (const std::string& key : keys) {
            const int32_t first = readPrefInt(key, -77);
            const int32_t second = readPrefInt(key, -78);
            reading[{group, key}] = {selected, first == second ? std::to_string(first) : "missing"};
        }
    }
    return reading;
}

// A settings file with known contents, built from the fuzzer's bytes.
struct KnownFile {
    std::string text;
    struct Lookup {
        std::string group;  // "" for the keys above the first group line
        std::string key;
        int32_t value;
    };
    std::vector<Lookup> lookups;
    std::vector<std::string> groups;
};

inline std::string mixedCase(const std::string& name, FuzzInput& in) {
    std::string out = name;
    const uint8_t bits = in.byte();
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (((bits >> (i % 8)) & 1) != 0 && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
        if (((bits >> (i % 8)) & 1) != 0 && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
    }
    return out;
}

inline KnownFile knownFile(FuzzInput& in) {
    static const char* const LINE_ENDS[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\n\r"};
    static const char* const BLANKS[] = {"", " ", "\t", " \t "};
    static const char* const GROUP_NAMES[] = {"Options", "view", "Window Place", "x.y"};
    KnownFile file;
    auto end = [&] { file.text += LINE_ENDS[in.byte() % 5]; };
    if (in.byte() % 4 == 0) file.text += "\xEF\xBB\xBF";
    const int groups = in.byte() % 4;
    for (int g = -1; g < groups; ++g) {
        std::string group;
        if (g >= 0) {
            group = GROUP_NAMES[g] + std::to_string(in.byte() % 3);
            file.groups.push_back(group);
            file.text += BLANKS[in.byte() % 4] + std::string("[") + mixedCase(group, in) + "]";
            if (in.byte() % 3 == 0) file.text += " ignored = 5";
            end();
        }
        const int keys = in.byte() % 5;
        for (int k = 0; k < keys; ++k) {
            const std::string key = "k" + std::to_string(g + 1) + "x" + std::to_string(k);
            const auto value = static_cast<int32_t>(in.u32());
            std::string shown = std::to_string(value);
            int32_t reads = value;
            switch (in.byte() % 6) {
                case 0:
                    break;
                case 1:
                    shown = (value >= 0 ? "+" : "") + shown;
                    break;
                case 2:
                    shown += "abc = 7";
                    break;
                case 3:
                    shown += " \t";
                    break;
                case 4:
                    shown = "";
                    reads = 0;
                    break;
                default:
                    shown = "x" + shown;
                    reads = 0;
                    break;
            }
            if (in.byte() % 5 == 0) {
                file.text += "; " + key + " = 1";  // a comment, not a key
                end();
            }
            file.text += BLANKS[in.byte() % 4] + mixedCase(key, in) + BLANKS[in.byte() % 4] + "=" +
                         BLANKS[in.byte() % 4] + shown;
            end();
            if (in.byte() % 6 == 0) {
                file.text += key + "=" + std::to_string(value ^ 1);  // a later duplicate does not count
                end();
            }
            file.lookups.push_back({group, key, reads});
        }
    }
    return file;
}

}  // namespace prefs_check

inline std::string check_prefs(const uint8_t* data, size_t size) {
    using namespace prefs_check;
    CheckReport r;
    const std::string original(reinterpret_cast<const char*>(data), size);
    const std::string path = scratchPath("pv2.ini");
    if (!writeWholeFile(path, original)) return "cannot write the scratch file " + path;

    // Reading changes nothing.
    if (!r.expect(openPrefs(path) != 0, "openPrefs on an existing readable file")) {
        closePrefs();
        return r.message();
    }
    const auto [groups, keys] = suggestedNames(original);
    const Reading before = readAll(groups, keys);
    r.expectEqual(before.at({"no]such", "Zoom"}).second, std::string("missing"),
                  "readPrefInt while a group no file can hold is selected");
    closePrefs();
    r.expectEqual(readWholeFile(path), original, "the file after a store that only read");

    // A rewrite of two keys changes what the store reads for those two, and nothing else.
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    const auto zoom = static_cast<int32_t>(hash);
    const int32_t maxwidth = static_cast<int32_t>(size) - 128;
    auto rewrite = [&] {
        if (!r.expect(openPrefs(path) != 0, "openPrefs before the rewrite")) return;
        selectPrefGroup("Options");
        writePrefInt("Zoom", zoom);
        writePrefInt("maxwidth", maxwidth);
        closePrefs();
    };
    rewrite();
    const std::string rewritten = readWholeFile(path);
    if (r.expect(openPrefs(path) != 0, "openPrefs on the rewritten file")) {
        const Reading after = readAll(groups, keys);
        for (const auto& [where, was] : before) {
            auto want = was;
            if (sameName(where.first, "Options")) {
                want.first = 1;
                if (sameName(where.second, "Zoom")) want.second = std::to_string(zoom);
                if (sameName(where.second, "maxwidth")) want.second = std::to_string(maxwidth);
            }
            const auto& got = after.at(where);
            r.expectEqual(got.first, want.first,
                          "selectPrefGroup(" + printable(where.first) + ") after the rewrite");
            r.expectEqual(got.second, want.second,
                          "readPrefInt(" + printable(where.second) + ") in " + printable(where.first) +
                              " after the rewrite; before it read " + printable(was.second));
            if (r.failed()) break;
        }
    }
    closePrefs();
    const std::string rewrittenLines = "\r\n" + rewritten;
    for (const std::string& line : keptLines(original)) {
        r.expect(rewrittenLines.find("\r\n" + line + "\r\n") != std::string::npos,
                 "the rewrite lost the line " + printable(line) + ": " + printable(rewritten));
    }
    rewrite();
    r.expectEqual(readWholeFile(path), rewritten, "a second identical rewrite");

    // Creating: the old file stays until the close replaces it with only what was written.
    if (r.expect(createPrefs(path) != 0, "createPrefs")) {
        r.expectEqual(readWholeFile(path), rewritten, "the file right after createPrefs");
        selectPrefGroup("Options");
        writePrefInt("Zoom", zoom);
        writePrefInt("ontop", maxwidth);
    }
    closePrefs();
    r.expectEqual(
        readWholeFile(path),
        "[Options]\r\nZoom = " + std::to_string(zoom) + "\r\nontop = " + std::to_string(maxwidth) + "\r\n",
        "the created file");

    // A file with known contents: every lookup gives what was written.
    FuzzInput in(data, size);
    const KnownFile known = knownFile(in);
    if (!writeWholeFile(path, known.text)) return "cannot write the scratch file " + path;
    if (r.expect(openPrefs(path) != 0, "openPrefs on the written settings file")) {
        for (const std::string& group : known.groups) {
            r.expectEqual(selectPrefGroup(mixedCase(group, in)), 1,
                          "selectPrefGroup(" + printable(group) + ")");
        }
        for (const KnownFile::Lookup& l : known.lookups) {
            r.expectEqual(selectPrefGroup(l.group), 1, "selectPrefGroup(" + printable(l.group) + ")");
            r.expectEqual(readPrefInt(mixedCase(l.key, in), -99), l.value,
                          "readPrefInt(" + printable(l.key) + ") in " + printable(l.group) + " of " +
                              printable(known.text));
            r.expectEqual(readPrefInt(l.key + "x", -99), -99, "readPrefInt of a key no group holds");
        }
    }
    closePrefs();
    return r.message();
}
