// Loading a whole file, and the three ways it can fail.
#include "data/load_data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr int ROW_BAR = 1;

class LoadDataFileTest : public TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        ASSERT_NE(openWindow(0, 0, 0, 100, 100, "load", 0), 0);
        ASSERT_NE(createScrollBar(ROW_BAR, 0, 0, 20, 100, 0, 32, 1, 1), 0);
        targets_.last_folder = &folder_;
        targets_.last_file_name = &name_;
        targets_.row_scroll_bar = ROW_BAR;
    }
    void TearDown() override {
        closeWindow(0);
        data_.release();
        TempDir::TearDown();
    }
    std::string write(const std::string& name, const std::string& bytes) {
        writeFile(path(name), bytes);
        return path(name);
    }
    // Loads and expects the one message box of a failure.
    void expect_failure(const std::string& path, const std::string& title, const std::string& text) {
        ModalDriver dialogs;
        dialogs.dismiss();
        EXPECT_FALSE(load_data_file(path, data_, targets_));
        ASSERT_EQ(dialogs.seen().size(), 1u) << path;
        EXPECT_EQ(dialogs.seen()[0].title, title);
        EXPECT_EQ(dialogs.seen()[0].text, text);
        EXPECT_FALSE(data_.loaded());
        EXPECT_EQ(data_.len, 0);
    }

    DataBuffer data_;
    std::string folder_ = "unchanged/";
    std::string name_ = "unchanged";
    LoadTargets targets_;
};

TEST_F(LoadDataFileTest, LoadsTheBytesFollowedBySixteenZerosAndSetsTheRange) {
    std::string bytes(1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 1);
    const std::string p = write("thousand.bin", bytes);
    targets_.row_width = 8;
    ASSERT_TRUE(load_data_file(p, data_, targets_));
    ASSERT_EQ(data_.len, 1000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data_.bytes.get()), 1000), bytes);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(data_.bytes[1000 + i], 0) << i;
    EXPECT_EQ(controlAttribute(ROW_BAR, 2), 125);
    EXPECT_EQ(folder_, dir_.string() + "/");
    EXPECT_EQ(name_, "thousand.bin");

    // A second load replaces the first; the range follows the width.
    targets_.row_width = 3;
    ASSERT_TRUE(load_data_file(p, data_, targets_));
    EXPECT_EQ(controlAttribute(ROW_BAR, 2), 333);
}

TEST_F(LoadDataFileTest, FailuresShowTheirMessageAndLeaveNoData) {
    const std::string empty = write("empty.bin", "");
    expect_failure(empty, "File Read Error", "Unable to read:" + empty);
    const std::string missing = (dir_ / "missing.bin").string();
    expect_failure(missing, "File Error", "Unable to open:" + missing);
    expect_failure(dir_.string(), "File Error", "Unable to open:" + dir_.string());
    const std::string fifo = (dir_ / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    expect_failure(fifo, "File Error", "Unable to open:" + fifo);  // and no hang
    EXPECT_EQ(folder_, "unchanged/");
    EXPECT_EQ(name_, "unchanged");
}

// Sparse files: refused from their size alone. Were they read, the test would take minutes and
// the 5 GiB one would first be cut to a wrong 32-bit length.
TEST_F(LoadDataFileTest, FilesTooLargeForTheLengthAreRefusedBeforeAnyRead) {
    for (const int64_t size :
         {int64_t{INT32_MAX} - 15, int64_t{1} << 32, int64_t{5} << 30, (int64_t{1} << 32) + 100}) {
        const std::string p = (dir_ / ("big" + std::to_string(size))).string();
        { std::ofstream touch(p); }
        fs::resize_file(p, static_cast<uintmax_t>(size));
        expect_failure(p, "Memory", "Unable to allocate memory!");
        fs::remove(p);
    }
}

}  // namespace
