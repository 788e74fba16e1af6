#pragma once
// The inputs every run of a property check starts from: the hand-made seeds under fuzz/seeds/
// and the findings kept under tests/data_files/malformed/, one folder per check.
#include "fuzz/scratch_dir.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

inline std::filesystem::path sourceRoot() {
    // This header lies in <root>/fuzz/. A compiler run through ccache with a base folder sees
    // the header by a path relative to the build folder, which is not where CTest runs the
    // tests; there the test environment's data folder (<root>/tests/data_files) tells.
    const std::filesystem::path here = std::filesystem::path(__FILE__).parent_path().parent_path();
    const char* data = std::getenv("PIXELSIEVE_TEST_DATA");
    if (here.is_relative() && data != nullptr) return std::filesystem::path(data).parent_path().parent_path();
    return here;
}

inline std::vector<std::filesystem::path> keptInputs(const std::string& check) {
    std::vector<std::filesystem::path> found;
    for (const auto& dir : {sourceRoot() / "fuzz" / "seeds" / check,
                            sourceRoot() / "tests" / "data_files" / "malformed" / check}) {
        if (!std::filesystem::is_directory(dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file()) found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Runs the check over every kept input; the failures come back as "file: what failed".
inline std::vector<std::string> replayKeptInputs(const std::string& check,
                                                 std::string (*run)(const uint8_t*, size_t),
                                                 size_t* replayed) {
    std::vector<std::string> failures;
    *replayed = 0;
    for (const auto& path : keptInputs(check)) {
        const std::string bytes = readWholeFile(path.string());
        const std::string failure = run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++*replayed;
        if (!failure.empty()) failures.push_back(path.filename().string() + ": " + failure);
    }
    return failures;
}
