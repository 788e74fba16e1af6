#pragma once
// File names out of URI lists, checked two ways that do not repeat the decoder:
// - round trip: names of arbitrary bytes, written as file URIs the way file managers write them
//   (escaped in upper or lower case, bytes above 0x7F sometimes left raw, with or without
//   "localhost", CR LF or LF between lines, comment lines), come back byte for byte;
// - any list at all: what comes back are absolute names without a zero byte, each no longer than
//   its line, and none at all unless every line that is not a comment is a local file URI.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"
#include "runtime/files/file_uri.h"

// Bytes a URI path carries as they are; every other byte is escaped, or left raw when above 0x7F
// and the input says so.
inline bool uri_plain_byte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
           c == '-' || c == '.' || c == '_' || c == '~';
}

inline std::string file_uri_written(const std::string& name, FuzzInput& in) {
    static const char* const PREFIXES[] = {"file://", "file://localhost", "FILE://LocalHost", "file:"};
    // "file:" followed by "//" would make the name's start a host.
    const bool bare_allowed = name.size() < 2 || name[1] != '/';
    const int choice = static_cast<int>(in.byte() % (bare_allowed ? 4 : 3));
    const bool lower_hex = (in.byte() & 1) != 0;
    const uint8_t raw_high = in.byte();
    std::string uri = PREFIXES[choice];
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (uri_plain_byte(byte) || (byte >= 0x80 && (raw_high & 1))) {
            uri += c;
        } else {
            const char* digits = lower_hex ? "0123456789abcdef" : "0123456789ABCDEF";
            uri += '%';
            uri += digits[byte >> 4];
            uri += digits[byte & 15];
        }
    }
    return uri;
}

inline std::string check_round_trip(FuzzInput& in) {
    CheckReport r;
    const int count = 1 + static_cast<int>(in.byte() % 4);
    const bool crlf = (in.byte() & 1) != 0;
    std::vector<std::string> names;
    std::string list;
    if (in.byte() & 1) list += std::string("# dragged") + (crlf ? "\r\n" : "\n");
    for (int i = 0; i < count; ++i) {
        std::string name = "/";
        for (const char c : in.text(40))
            if (c != '\0') name += c;
        const std::string uri = file_uri_written(name, in);
        r.expectEqual(localPathOfFileUri(uri).value_or("(none)"), name,
                      "localPathOfFileUri(" + printable(uri) + ")");
        names.push_back(name);
        list += uri + (crlf ? "\r\n" : "\n");
    }
    const auto got = localPathsOfUriList(list);
    if (r.expect(got.has_value(), "localPathsOfUriList(" + printable(list) + ") gave nothing")) {
        r.expectEqual(got->size(), names.size(), "number of names from " + printable(list));
        for (size_t i = 0; i < names.size() && i < got->size(); ++i)
            r.expectEqual((*got)[i], names[i], "name " + std::to_string(i) + " of " + printable(list));
    }
    return r.message();
}

inline std::string check_any_list(const std::string& list) {
    CheckReport r;
    const auto got = localPathsOfUriList(list);
    if (!got) return r.message();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find('\n', start);
        std::string line = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    r.expectEqual(got->size(), lines.size(), "names from " + printable(list));
    for (size_t i = 0; i < got->size() && i < lines.size(); ++i) {
        const std::string& name = (*got)[i];
        const std::string& line = lines[i];
        r.expect(!name.empty() && name[0] == '/', "not absolute: " + printable(name));
        r.expect(name.find('\0') == std::string::npos, "zero byte in " + printable(name));
        r.expect(name.size() <= line.size(), printable(name) + " longer than its line " + printable(line));
        r.expect(line.size() >= 5 && (line[0] | 0x20) == 'f' && (line[1] | 0x20) == 'i' &&
                     (line[2] | 0x20) == 'l' && (line[3] | 0x20) == 'e' && line[4] == ':',
                 "a name from a line that is no file URI: " + printable(line));
    }
    return r.message();
}

// The first byte picks the check; the rest is its input.
inline std::string check_file_uri(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    if (in.byte() & 1) return check_round_trip(in);
    return check_any_list(in.rest());
}
