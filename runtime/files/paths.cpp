// File sizes, the current directory and splitting paths.
//
// Paths use "/"; the splitting routines also accept "\" so that names typed or pasted in the
// other convention still split where the user expects. There are no drive letters here: a
// name such as "C:" is looked up like any other relative name.
#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "runtime/files/files.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

int64_t fileSizeOf(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return -1;
    }
    // Trailing slashes stay: "dir/" is the directory, while "file/" names no file, just as
    // opening it would fail.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return -1;
    }
    if (S_ISDIR(info.st_mode)) {
        return -2;
    }
    // FIFOs, sockets and devices have no size a reader could rely on; a FIFO read to its end
    // could wait forever. They count as no file.
    if (!S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

std::string currentDirectory() {
    std::error_code error;
    std::string directory = std::filesystem::current_path(error).string();
    if (error) {
        // The directory was removed under us; "./" still names it for relative lookups.
        return "./";
    }
    if (directory.empty() || directory.back() != '/') {
        directory.push_back('/');
    }
    return directory;
}

std::string directoryPartOf(const std::string& path) {
    const size_t begin = !path.empty() && path.front() == '"' ? 1 : 0;
    size_t end = path.find('|', begin);
    if (end == std::string::npos) {
        end = path.size();
    }
    size_t cut = std::string::npos;
    for (size_t i = begin; i < end; ++i) {
        if (isSeparator(path[i])) {
            cut = i;
        }
    }
    return cut == std::string::npos ? std::string() : path.substr(begin, cut + 1 - begin);
}

std::string namePartOf(const std::string& path) {
    size_t begin = !path.empty() && path.front() == '"' ? 1 : 0;
    for (size_t i = begin; i < path.size(); ++i) {
        if (isSeparator(path[i])) {
            begin = i + 1;
        }
    }
    const size_t quote = path.find('"', begin);
    return path.substr(begin, quote == std::string::npos ? std::string::npos : quote - begin);
}
