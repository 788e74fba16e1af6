#pragma once
// The settings store on an arbitrary file: every lookup agrees with a reference reading of the
// text, a rewrite keeps every other line and is a fixed point, the written values read back,
// and the store never hangs or runs past its buffer. The reference reading is only consulted
// for texts without a zero byte and for names of plain ASCII, where the contract leaves no
// room for choice.
#include "fuzz/check_report.h"
#include "fuzz/scratch_dir.h"

#include "runtime/store/prefs.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace prefs_model {

enum class Kind { Group, Comment, Key };

struct Entry {
    Kind kind;
    std::string key;
    std::string text;
};

struct Store {
    bool utf8 = false;
    std::vector<Entry> entries;
    // Index of the current group entry; -1 for the top of the file.
    long current = -1;
    std::optional<std::string> pending;
};

inline bool sameName(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

inline bool plainAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

inline Store parse(const std::string& bytes) {
    Store s;
    size_t i = 0;
    const size_t n = bytes.size();
    if (n >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        s.utf8 = true;
        i = 3;
    }
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < n) {
        while (i < n && blank(bytes[i])) ++i;
        const size_t start = i;
        while (i < n && bytes[i] != '\r' && bytes[i] != '\n') ++i;
        const std::string line = bytes.substr(start, i - start);
        while (i < n && (bytes[i] == '\r' || bytes[i] == '\n')) ++i;
        if (line.empty()) continue;
        if (line[0] == ';') {
            s.entries.push_back({Kind::Comment, "", line.substr(line.size() > 1 && line[1] == ' ' ? 2 : 1)});
        } else if (line[0] == '[') {
            const size_t close = line.find(']');
            s.entries.push_back({Kind::Group, "", line.substr(1, close == std::string::npos ? std::string::npos : close - 1)});
        } else {
            const size_t eq = line.find('=');
            std::string key = line.substr(0, eq);
            while (!key.empty() && blank(key.back())) key.pop_back();
            std::string value;
            if (eq != std::string::npos) {
                size_t v = eq + 1;
                while (v < line.size() && blank(line[v])) ++v;
                value = line.substr(v);
            }
            s.entries.push_back({Kind::Key, key, value});
        }
    }
    return s;
}

// First entry of the group named `name` (after its group line), or -1 when there is no such group.
inline long groupStart(const Store& s, const std::string& name) {
    if (name.empty()) return 0;
    for (size_t j = 0; j < s.entries.size(); ++j)
        if (s.entries[j].kind == Kind::Group && sameName(s.entries[j].text, name)) return static_cast<long>(j) + 1;
    return -1;
}

inline long findKey(const Store& s, long from, const std::string& key) {
    for (size_t j = static_cast<size_t>(from); j < s.entries.size() && s.entries[j].kind != Kind::Group; ++j)
        if (s.entries[j].kind == Kind::Key && sameName(s.entries[j].key, key)) return static_cast<long>(j);
    return -1;
}

inline std::optional<std::string> lookup(const Store& s, const std::string& group, const std::string& key) {
    const long from = groupStart(s, group);
    if (from < 0) return std::nullopt;
    const long at = findKey(s, from, key);
    if (at < 0) return std::nullopt;
    return s.entries[static_cast<size_t>(at)].text;
}

// "%d" on a value text. Empty when the value lies outside 32 bits (saturating and wrapping are
// both allowed there). sscanf skips every white-space byte; a store that skips only blanks and
// tabs is accepted too, so both readings are returned.
inline std::vector<int32_t> scanInt(const std::string& value) {
    std::vector<int32_t> readings;
    for (const bool allSpace : {true, false}) {
        size_t i = 0;
        auto skip = [&](char c) {
            return c == ' ' || c == '\t' || (allSpace && (c == '\n' || c == '\r' || c == '\v' || c == '\f'));
        };
        while (i < value.size() && skip(value[i])) ++i;
        bool negative = false;
        if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
        int64_t v = 0;
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
            v = v * 10 + (value[i] - '0');
            if (v > 2147483648LL) return {};
        }
        if (negative) v = -v;
        if (v > INT32_MAX) return {};
        readings.push_back(static_cast<int32_t>(v));
    }
    return readings;
}

inline void select(Store& s, const std::string& name) {
    s.pending.reset();
    if (name.empty()) {
        s.current = -1;
        return;
    }
    const long from = groupStart(s, name);
    if (from < 0) s.pending = name;
    else s.current = from - 1;
}

inline void write(Store& s, const std::string& key, int32_t value) {
    if (s.pending) {
        s.entries.push_back({Kind::Group, "", *s.pending});
        s.current = static_cast<long>(s.entries.size()) - 1;
        s.pending.reset();
    }
    const long from = s.current + 1;
    const long at = findKey(s, from, key);
    if (at >= 0) {
        s.entries[static_cast<size_t>(at)].key = key;
        s.entries[static_cast<size_t>(at)].text = std::to_string(value);
        return;
    }
    size_t end = static_cast<size_t>(from);
    while (end < s.entries.size() && s.entries[end].kind != Kind::Group) ++end;
    s.entries.insert(s.entries.begin() + static_cast<long>(end), {Kind::Key, key, std::to_string(value)});
}

inline std::string serialise(const Store& s) {
    const std::string markLine = "\xEF\xBB\xBF\r\n";
    std::string out;
    for (const Entry& e : s.entries) {
        if (e.kind == Kind::Group) out += "[" + e.text + "]\r\n";
        else if (e.kind == Kind::Comment) out += "; " + e.text + "\r\n";
        else out += e.key + " = " + e.text + "\r\n";
    }
    // A text that would begin with the mark's bytes gets the mark line in front, so they stay
    // part of the first name when the file is read again.
    if (s.utf8 || out.compare(0, 3, markLine, 0, 3) == 0) out.insert(0, markLine);
    return out;
}

} // namespace prefs_model

inline std::string check_prefs(const uint8_t* data, size_t size) {
    namespace pm = prefs_model;
    CheckReport r;
    const std::string original(reinterpret_cast<const char*>(data), size);
    const std::string path = scratchPath("pv2.ini");
    if (!writeWholeFile(path, original)) return "cannot write the scratch file " + path;
    const bool modelled = original.find('\0') == std::string::npos;
    const pm::Store model = modelled ? pm::parse(original) : pm::Store{};

    // Reading: every plain-ASCII (group, key) pair of the text, and the keys above any group.
    if (!r.expect(openPrefs(path) != 0, "openPrefs on an existing readable file")) {
        closePrefs();
        return r.message();
    }
    std::set<std::pair<std::string, std::string>> asked;
    std::string group;
    for (const pm::Entry& e : model.entries) {
        if (e.kind == pm::Kind::Group) group = e.text;
        if (e.kind != pm::Kind::Key || e.key.empty() || !pm::plainAscii(group) || !pm::plainAscii(e.key)) continue;
        if (!asked.insert({group, e.key}).second) continue;
        const int selected = selectPrefGroup(group);
        const long start = pm::groupStart(model, group);
        r.expectEqual(selected, start >= 0 ? 1 : 0, "selectPrefGroup(" + printable(group) + ")");
        if (start < 0) continue;
        const int32_t got = readPrefInt(e.key, -77);
        const std::optional<std::string> text = pm::lookup(model, group, e.key);
        const std::vector<int32_t> want = text ? pm::scanInt(*text) : std::vector<int32_t>{-77};
        if (!want.empty() && std::find(want.begin(), want.end(), got) == want.end())
            r.expectEqual(got, want.front(), "readPrefInt(" + printable(e.key) + ") in group " + printable(group) +
                                                 " of value " + printable(text.value_or("")));
    }
    // A name holding "]" cannot be a group: nothing is found while it is pending.
    r.expectEqual(selectPrefGroup("no]such"), 0, "selectPrefGroup of a name no file can hold");
    r.expectEqual(readPrefInt("Zoom", -5), -5, "readPrefInt while a missing group is selected");
    selectPrefGroup("Options");
    for (const char* key : {"zoom", "Multi", "Grid", "Inverse", "Reverse", "ontop", "maxwidth"}) (void)readPrefInt(key, 1);
    closePrefs();
    r.expectEqual(readWholeFile(path), original, "the file after a store that only read");

    // Rewriting: the two writes land, every other entry is kept, and a second rewrite changes nothing.
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    const int32_t zoom = static_cast<int32_t>(hash);
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
    if (modelled) {
        pm::Store expected = model;
        pm::select(expected, "Options");
        pm::write(expected, "Zoom", zoom);
        pm::write(expected, "maxwidth", maxwidth);
        r.expectEqual(rewritten, pm::serialise(expected), "the rewritten file");
    }
    if (r.expect(openPrefs(path) != 0, "openPrefs on the rewritten file")) {
        r.expectEqual(selectPrefGroup("OPTIONS"), 1, "selectPrefGroup after the rewrite");
        r.expectEqual(readPrefInt("zoom", -1), zoom, "Zoom read back");
        r.expectEqual(readPrefInt("MAXWIDTH", -1), maxwidth, "maxwidth read back");
    }
    closePrefs();
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
    r.expectEqual(readWholeFile(path),
                  "[Options]\r\nZoom = " + std::to_string(zoom) + "\r\nontop = " + std::to_string(maxwidth) + "\r\n",
                  "the created file");
    return r.message();
}
