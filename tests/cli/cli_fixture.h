#pragma once
// A scratch folder and input files made from real data of this machine.
#include <gtest/gtest.h>

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
    // The names in the scratch folder, to find temporary files left behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};
