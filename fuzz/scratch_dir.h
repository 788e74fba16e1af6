#pragma once
// A private temporary folder for checks that need real files; made on first use, removed
// with its content when the process exits normally.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

inline const std::string& scratchDir() {
    // Never destroyed, so the exit handler can still read it after static destructors ran.
    static const std::string* dir = [] {
        auto* made =
            new std::string((std::filesystem::temp_directory_path() / "pixelsieve-check-XXXXXX").string());
        if (mkdtemp(made->data()) == nullptr) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*dir, ignored);
        });
        return made;
    }();
    return *dir;
}

inline std::string scratchPath(const std::string& name) { return scratchDir() + "/" + name; }

inline bool writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The file's bytes; `exists` tells a missing file from an empty one.
inline std::string readWholeFile(const std::string& path, bool* exists = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (exists) *exists = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
