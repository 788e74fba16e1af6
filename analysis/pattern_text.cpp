#include "analysis/pattern_text.h"

#include <cctype>
#include <vector>

namespace {

std::optional<Pattern> fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return std::nullopt;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string shown(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (c == ' ') return "a space";
    if (u >= 0x21 && u < 0x7F) return std::string("'") + c + "'";
    static const char* const HEX = "0123456789ABCDEF";
    return std::string("byte 0x") + HEX[u >> 4] + HEX[u & 15];
}

}  // namespace

std::optional<Pattern> parse_pattern_rows(std::string_view text, std::string* error) {
    // Split at ',' and line breaks; trim blanks (and a CR before LF) around each row.
    std::vector<std::string_view> rows;
    size_t from = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ',' && text[i] != '\n') continue;
        std::string_view row = text.substr(from, i - from);
        while (!row.empty() && (is_blank(row.front()) || row.front() == '\r')) row.remove_prefix(1);
        while (!row.empty() && (is_blank(row.back()) || row.back() == '\r')) row.remove_suffix(1);
        rows.push_back(row);
        from = i + 1;
    }
    while (!rows.empty() && rows.front().empty()) rows.erase(rows.begin());
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    if (rows.empty()) return fail(error, "the pattern has no rows");
    if (rows.size() > static_cast<size_t>(MAX_PATTERN_HEIGHT))
        return fail(error, "the pattern has more than " + std::to_string(MAX_PATTERN_HEIGHT) + " rows");

    Pattern pattern;
    pattern.width = static_cast<int>(std::min<size_t>(rows.front().size(), MAX_PATTERN_WIDTH + 1));
    if (rows.front().size() > static_cast<size_t>(MAX_PATTERN_WIDTH))
        return fail(error, "pattern rows are limited to " + std::to_string(MAX_PATTERN_WIDTH) + " pixels");
    pattern.height = static_cast<int>(rows.size());
    pattern.pixels.reserve(rows.size() * rows.front().size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::string_view row = rows[r];
        if (row.empty()) return fail(error, "row " + std::to_string(r + 1) + " is empty");
        if (row.size() != rows.front().size())
            return fail(error, "row " + std::to_string(r + 1) + " has " + std::to_string(row.size()) +
                                   " pixels, row 1 has " + std::to_string(rows.front().size()));
        for (const char c : row) {
            if (c == '#' || c == 'X' || c == '1')
                pattern.pixels.push_back(1);
            else if (c == '.' || c == '_' || c == '0')
                pattern.pixels.push_back(0);
            else
                return fail(error, "row " + std::to_string(r + 1) + ": " + shown(c) +
                                       " is not a pixel (use # X 1 for set, . _ 0 for clear)");
        }
    }
    return pattern;
}

namespace {

// The PBM header reader: whitespace and '#' comments between tokens.
class PbmReader {
public:
    explicit PbmReader(std::span<const uint8_t> file) : file_(file) {}

    void skip_space_and_comments() {
        while (pos_ < file_.size()) {
            const char c = static_cast<char>(file_[pos_]);
            if (c == '#') {
                while (pos_ < file_.size() && file_[pos_] != '\n' && file_[pos_] != '\r') ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else {
                return;
            }
        }
    }

    // A decimal number; false when there is none or it exceeds `limit`.
    bool number(uint64_t limit, uint64_t* value, bool* too_large) {
        skip_space_and_comments();
        *too_large = false;
        uint64_t v = 0;
        size_t digits = 0;
        while (pos_ < file_.size() && file_[pos_] >= '0' && file_[pos_] <= '9') {
            v = v * 10 + (file_[pos_] - '0');
            if (v > limit) *too_large = true;
            if (v > limit) v = limit + 1;
            ++pos_;
            ++digits;
        }
        *value = v;
        return digits > 0;
    }

    bool at_end() const { return pos_ >= file_.size(); }
    uint8_t peek() const { return file_[pos_]; }
    void advance() { ++pos_; }
    size_t pos() const { return pos_; }
    size_t size() const { return file_.size(); }
    const uint8_t* here() const { return file_.data() + pos_; }

private:
    std::span<const uint8_t> file_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<Pattern> parse_pattern_pbm(std::span<const uint8_t> file, std::string* error) {
    if (file.size() < 2 || file[0] != 'P' || (file[1] != '1' && file[1] != '4'))
        return fail(error, "not a PBM image (it must start with P1 or P4)");
    const bool plain = file[1] == '1';
    PbmReader in(file.subspan(2));
    uint64_t width = 0, height = 0;
    bool too_large = false;
    if (!in.number(MAX_PATTERN_WIDTH, &width, &too_large)) return fail(error, "PBM image without a width");
    if (too_large)
        return fail(error, "PBM image wider than " + std::to_string(MAX_PATTERN_WIDTH) + " pixels");
    if (!in.number(MAX_PATTERN_HEIGHT, &height, &too_large)) return fail(error, "PBM image without a height");
    if (too_large)
        return fail(error, "PBM image taller than " + std::to_string(MAX_PATTERN_HEIGHT) + " pixels");
    if (width == 0 || height == 0) return fail(error, "PBM image with no pixels");

    Pattern pattern;
    pattern.width = static_cast<int>(width);
    pattern.height = static_cast<int>(height);
    const uint64_t count = width * height;
    pattern.pixels.reserve(count);
    if (plain) {
        while (pattern.pixels.size() < count) {
            in.skip_space_and_comments();
            if (in.at_end())
                return fail(error, "PBM image ends after " + std::to_string(pattern.pixels.size()) + " of " +
                                       std::to_string(count) + " pixels");
            const uint8_t c = in.peek();
            if (c != '0' && c != '1')
                return fail(error, "PBM pixel " + shown(static_cast<char>(c)) + " is not 0 or 1");
            pattern.pixels.push_back(c == '1' ? 1 : 0);
            in.advance();
        }
        return pattern;
    }
    // P4: exactly one whitespace byte, then rows of ceil(width / 8) bytes.
    if (in.at_end() || !std::isspace(in.peek())) return fail(error, "PBM header does not end in whitespace");
    in.advance();
    const uint64_t row_bytes = (width + 7) / 8;
    if (in.size() - in.pos() < row_bytes * height)
        return fail(error, "PBM image ends after " + std::to_string(in.size() - in.pos()) + " of " +
                               std::to_string(row_bytes * height) + " bytes");
    const uint8_t* data = in.here();
    for (uint64_t r = 0; r < height; ++r)
        for (uint64_t c = 0; c < width; ++c)
            pattern.pixels.push_back((data[r * row_bytes + c / 8] >> (7 - c % 8)) & 1);
    return pattern;
}
