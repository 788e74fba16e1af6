// Every kept fuzz input (the seeds under fuzz/seeds/<check>/ and the findings under
// tests/data_files/malformed/<check>/) still passes its property check in this build: one case
// per input, named after its check and its file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/cli_arguments_property.h"
#include "fuzz/file_layer_property.h"
#include "fuzz/file_uri_property.h"
#include "fuzz/number_entry_property.h"
#include "fuzz/pattern_text_property.h"
#include "fuzz/pictures_property.h"
#include "fuzz/prefs_property.h"
#include "fuzz/region_scan_property.h"
#include "fuzz/scratch_dir.h"
#include "fuzz/sprite_layout_property.h"
#include "fuzz/text_routines_property.h"

namespace {

struct Check {
    const char* name;
    std::string (*run)(const uint8_t*, size_t);
};

const Check CHECKS[] = {
    {"cli_arguments", check_cli_arguments}, {"file_layer", check_file_layer},
    {"file_uri", check_file_uri},           {"number_entry", check_number_entry},
    {"pattern_text", check_pattern_text},   {"prefs", check_prefs},
    {"region_scan", check_region_scan},     {"pictures", check_pictures},
    {"sprite_layout", check_sprite_layout}, {"text_routines", check_text_routines},
};

const std::filesystem::path SOURCE_ROOT = PIXELSIEVE_SOURCE_DIR;

std::vector<std::filesystem::path> keptInputs(const std::string& check) {
    std::vector<std::filesystem::path> found;
    for (const auto& dir : {SOURCE_ROOT / "fuzz" / "seeds" / check,
                            SOURCE_ROOT / "tests" / "data_files" / "malformed" / check}) {
        if (!std::filesystem::is_directory(dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.is_regular_file()) found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct KeptInput {
    const Check* check;
    std::filesystem::path path;
};

void PrintTo(const KeptInput& input, std::ostream* out) { *out << input.path.string(); }

std::vector<KeptInput> allKeptInputs() {
    std::vector<KeptInput> all;
    for (const Check& check : CHECKS) {
        for (const auto& path : keptInputs(check.name)) all.push_back({&check, path});
    }
    return all;
}

std::string caseName(const ::testing::TestParamInfo<KeptInput>& info) {
    std::string name = std::string(info.param.check->name) + "_" + info.param.path.filename().string();
    for (char& c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
    }
    return name + "_" + std::to_string(info.index);
}

class FuzzReplay : public ::testing::TestWithParam<KeptInput> {};

TEST_P(FuzzReplay, PassesItsCheck) {
    const std::string bytes = readWholeFile(GetParam().path.string());
    EXPECT_EQ(GetParam().check->run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
        << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzReplay, ::testing::ValuesIn(allKeptInputs()), caseName);

TEST(FuzzReplayInputs, EveryCheckHasKeptInputs) {
    for (const Check& check : CHECKS) {
        EXPECT_FALSE(keptInputs(check.name).empty())
            << "no kept inputs for " << check.name << " under " << SOURCE_ROOT;
    }
}

}  // namespace
