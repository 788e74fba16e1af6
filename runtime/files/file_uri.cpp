#include "runtime/files/file_uri.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool isThisMachine(std::string_view host) {
    if (host.empty() || equalsIgnoringCase(host, "localhost")) return true;
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) return false;
    return equalsIgnoringCase(host, std::string_view(name.data()));
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%XX" becomes its byte; a "%" without two hex digits stays as it is.
std::string percentDecoded(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        bytes += text[i];
    }
    return bytes;
}

}  // namespace

std::optional<std::string> localPathOfFileUri(std::string_view uri) {
    constexpr std::string_view SCHEME = "file:";
    if (uri.size() < SCHEME.size() || !equalsIgnoringCase(uri.substr(0, SCHEME.size()), SCHEME)) {
        return std::nullopt;
    }
    std::string_view rest = uri.substr(SCHEME.size());
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos || !isThisMachine(rest.substr(0, slash))) return std::nullopt;
        rest.remove_prefix(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.empty() || rest.front() != '/') return std::nullopt;
    std::string path = percentDecoded(rest);
    if (path.find('\0') != std::string::npos) return std::nullopt;
    return path;
}

std::optional<std::vector<std::string>> localPathsOfUriList(std::string_view list) {
    std::vector<std::string> paths;
    while (!list.empty()) {
        const size_t end = list.find('\n');
        std::string_view line = list.substr(0, end);
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::optional<std::string> path = localPathOfFileUri(line);
        if (!path) return std::nullopt;
        paths.push_back(std::move(*path));
    }
    if (paths.empty()) return std::nullopt;
    return paths;
}
