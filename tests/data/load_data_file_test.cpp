// Loading a whole file, and the three ways it can fail.
#include "data/load_data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/modal_driver.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class LoadDataFileTest : public TempDir {
protected:
    void TearDown() override {
        data_.release();
        TempDir::TearDown();
    }
    std::string write(const std::string& name, const std::string& bytes) {
        writeFile(path(name), bytes);
        return path(name);
    }
    // Loads and expects the one message box of a failure, and the data as it was before.
    void expect_failure(const std::string& path, const std::string& title, const std::string& text) {
        const std::string before =
            data_.loaded() ? std::string(reinterpret_cast<const char*>(data_.bytes.get()), data_.len + 16)
                           : "";
        const int32_t len_before = data_.len;
        ModalDriver dialogs;
        dialogs.dismiss();
        const LoadResult result = load_data_file(path, data_);
        EXPECT_FALSE(result.loaded);
        EXPECT_EQ(result.folder, "");
        EXPECT_EQ(result.name, "");
        ASSERT_EQ(dialogs.seen().size(), 1u) << path;
        EXPECT_EQ(dialogs.seen()[0].title, title);
        EXPECT_EQ(dialogs.seen()[0].text, text);
        EXPECT_EQ(data_.len, len_before) << path;
        const std::string after =
            data_.loaded() ? std::string(reinterpret_cast<const char*>(data_.bytes.get()), data_.len + 16)
                           : "";
        EXPECT_EQ(after, before) << path;
    }

    DataBuffer data_;
};

TEST_F(LoadDataFileTest, LoadsTheBytesFollowedBySixteenZerosAndTellsFolderAndName) {
    std::string bytes(1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 1);
    const std::string p = write("thousand.bin", bytes);
    const LoadResult result = load_data_file(p, data_);
    ASSERT_TRUE(result.loaded);
    ASSERT_EQ(data_.len, 1000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data_.bytes.get()), 1000), bytes);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(data_.bytes[1000 + i], 0) << i;
    EXPECT_EQ(result.folder, dir_.string() + "/");
    EXPECT_EQ(result.name, "thousand.bin");

    // A second load replaces the first.
    ASSERT_TRUE(load_data_file(write("three.bin", "abc"), data_).loaded);
    EXPECT_EQ(data_.len, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data_.bytes.get()), 3 + 16),
              std::string("abc") + std::string(16, '\0'));
}

// With nothing loaded a failure leaves nothing loaded; with a file loaded it leaves that file.
TEST_F(LoadDataFileTest, FailuresShowTheirMessageAndLeaveTheDataAsItWas) {
    for (const bool loaded_before : {false, true}) {
        SCOPED_TRACE(loaded_before ? "a file loaded before" : "nothing loaded before");
        data_.release();
        if (loaded_before) {
            ASSERT_TRUE(load_data_file(write("shown.bin", "shown bytes"), data_).loaded);
        }
        const std::string empty = write("empty.bin", "");
        expect_failure(empty, "File Read Error", "Unable to read:" + empty);
        const std::string missing = (dir_ / "missing.bin").string();
        expect_failure(missing, "File Error", "Unable to open:" + missing);
        expect_failure(dir_.string(), "File Error", "Unable to open:" + dir_.string());
        const std::string fifo = (dir_ / "fifo").string();
        fs::remove(fifo);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        expect_failure(fifo, "File Error", "Unable to open:" + fifo);  // and no hang
        EXPECT_EQ(data_.loaded(), loaded_before);
    }
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
