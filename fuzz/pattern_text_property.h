#pragma once
// The pattern readers on any bytes: a reading either fails with a one-line message or gives a
// pattern within the limits that reads back the same when written out again (as rows, as P1 and
// as P4); and the search with that pattern over the rest of the input agrees with the
// pixel-by-pixel reference.
#include <string>
#include <vector>

#include "analysis/find_pattern.h"
#include "analysis/pattern_text.h"
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"
#include "tests/analysis/reference.h"

inline std::string pattern_as_rows(const Pattern& p) {
    std::string text;
    for (int r = 0; r < p.height; ++r) {
        if (r) text += ',';
        for (int c = 0; c < p.width; ++c) text += p.pixels[static_cast<size_t>(r * p.width + c)] ? '#' : '.';
    }
    return text;
}

inline std::string pattern_as_pbm(const Pattern& p, bool raw) {
    std::string out = std::string(raw ? "P4" : "P1") + "\n" + std::to_string(p.width) + " " +
                      std::to_string(p.height) + "\n";
    for (int r = 0; r < p.height; ++r) {
        if (raw) {
            for (int c = 0; c < p.width; c += 8) {
                unsigned byte = 0;
                for (int k = 0; k < 8 && c + k < p.width; ++k)
                    if (p.pixels[static_cast<size_t>(r * p.width + c + k)]) byte |= 0x80u >> k;
                out += static_cast<char>(byte);
            }
        } else {
            for (int c = 0; c < p.width; ++c)
                out += p.pixels[static_cast<size_t>(r * p.width + c)] ? "1 " : "0 ";
            out += "\n";
        }
    }
    return out;
}

inline bool same_pattern(const Pattern& a, const Pattern& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

inline std::string check_pattern_text(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.byte();
    const std::string text = in.text(4096);
    const std::string rest = in.rest();
    CheckReport report;

    std::string error;
    const auto bytes = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const auto pattern = (mode & 1) ? parse_pattern_pbm(bytes, &error) : parse_pattern_rows(text, &error);
    if (!pattern) {
        report.expect(!error.empty(), "a rejected pattern has a message: " + printable(text));
        report.expect(error.find('\n') == std::string::npos, "the message is one line: " + printable(error));
        return report.message();
    }
    const Pattern& p = *pattern;
    report.expect(
        p.width >= 1 && p.width <= MAX_PATTERN_WIDTH && p.height >= 1 && p.height <= MAX_PATTERN_HEIGHT,
        "size within the limits: " + std::to_string(p.width) + "x" + std::to_string(p.height));
    report.expectEqual(p.pixels.size(), static_cast<size_t>(p.width) * static_cast<size_t>(p.height),
                       "pixel count");
    for (uint8_t px : p.pixels) report.expect(px <= 1, "pixels are 0 or 1");
    if (report.failed()) return report.message();

    const auto rows = parse_pattern_rows(pattern_as_rows(p), nullptr);
    report.expect(rows && same_pattern(*rows, p), "rows written out read back the same");
    for (const bool raw : {false, true}) {
        const std::string pbm = pattern_as_pbm(p, raw);
        const auto again = parse_pattern_pbm(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pbm.data()), pbm.size()), nullptr);
        report.expect(again && same_pattern(*again, p),
                      std::string(raw ? "P4" : "P1") + " written out reads back the same");
    }

    // The search, kept small so the reference stays quick.
    if (p.width * p.height <= 256 && rest.size() >= 2) {
        FuzzInput more(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
        FindOptions options;
        options.row_width = static_cast<int>(more.range(1, 12));
        options.max_errors = static_cast<int>(more.range(-1, 4));
        options.all_forms = more.byte() & 1;
        options.begin = static_cast<uint64_t>(more.range(0, 8));
        options.end = static_cast<uint64_t>(more.range(0, 200));
        options.max_hits = 1000000;
        const std::string haystack = more.rest().substr(0, 96);
        const std::vector<uint8_t> hay(haystack.begin(), haystack.end());
        report.expect(find_pattern(hay, p, options) == reference_find(hay, p, options),
                      "find_pattern agrees with the reference for " + pattern_as_rows(p));
    }
    return report.message();
}
