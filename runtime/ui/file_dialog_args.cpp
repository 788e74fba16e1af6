#include "runtime/ui/file_dialog_args.h"

#include <cstring>

namespace {

constexpr size_t MAX_NAME = 259;

bool usableName(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name) {
        if (c < 32 || std::strchr("\"*/:<>?\\|", c) != nullptr) return false;
    }
    return true;
}

}  // namespace

std::vector<FilePattern> parsePatternList(const std::string& patterns) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= patterns.size()) {
        const size_t bar = patterns.find('|', start);
        const size_t end = bar == std::string::npos ? patterns.size() : bar;
        parts.push_back(patterns.substr(start, end - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<FilePattern> list;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() || parts[i + 1].empty()) break;
        list.push_back({parts[i], parts[i + 1]});
    }
    return list;
}

InitialLocation splitDefaultPath(const std::string& defaultPath) {
    InitialLocation location;
    std::string name = defaultPath;
    const size_t separator = defaultPath.find_last_of("/\\");
    if (separator != std::string::npos && separator > 0) {
        location.folder = defaultPath.substr(0, separator);
        name = defaultPath.substr(separator + 1);
    } else if (separator == 0 && defaultPath[0] == '/') {
        location.folder = "/";
        name = defaultPath.substr(1);
    }
    if (name.size() > MAX_NAME) name.resize(MAX_NAME);
    if (usableName(name)) location.name = name;
    return location;
}
