#pragma once
// A fresh directory under the system's temporary folder, removed with everything in it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TempDir : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "pixelsieve-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    [[nodiscard]] std::string path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};
