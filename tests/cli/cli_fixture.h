#pragma once
// A scratch folder and input files made from real data of this machine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"
#include "view/layout/sprite_layout.h"

// Machine code with its tables and strings: the program under test's own bytes, from a point
// past the ELF header.
inline std::vector<uint8_t> realBytes(size_t count, size_t from = 4096) {
    std::ifstream binary(PIXELSIEVE_CLI, std::ios::binary);
    binary.seekg(static_cast<std::streamoff>(from));
    std::vector<uint8_t> bytes(count);
    binary.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(binary.gcount()));
    return bytes;
}

class CliTest : public TempDir {
protected:
    std::string writeInput(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string at = path(name);
        writeFile(at, std::string(bytes.begin(), bytes.end()));
        return at;
    }
    // A file of `size` bytes of holes with `bytes` written at `at`; false where the file system
    // cannot hold such a file.
    bool writeSparse(const std::string& name, uint64_t size, uint64_t at = 0,
                     const std::vector<uint8_t>& bytes = {}) {
        const int fd = ::open(path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0 &&
                        ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)) ==
                            static_cast<ssize_t>(bytes.size());
        ::close(fd);
        return ok;
    }
    // The names in the scratch folder, to find temporary files left behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};
