#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <ostream>
#include <string>

#include "runtime/files/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Paths = TempDir;

TEST_F(Paths, FileSizeTellsFilesFromFoldersAndMissingNames) {
    std::ofstream(path("empty.bin"));
    std::ofstream(path("five.bin")) << "12345";
    EXPECT_EQ(fileSizeOf(path("empty.bin")), 0);
    EXPECT_EQ(fileSizeOf(path("five.bin")), 5);
    EXPECT_EQ(fileSizeOf(path("missing.bin")), -1);
    EXPECT_EQ(fileSizeOf(""), -1);
    EXPECT_EQ(fileSizeOf(dir_.string()), -2);
    EXPECT_EQ(fileSizeOf(dir_.string() + "/"), -2);
    EXPECT_EQ(fileSizeOf("/"), -2);
    EXPECT_EQ(fileSizeOf(path("five.bin") + "/"), -1);
    EXPECT_EQ(fileSizeOf("C:"), -1);
    EXPECT_EQ(fileSizeOf(path("five.bin") + std::string(1, '\0') + "x"), -1);
}

TEST_F(Paths, FileSizeIsSixtyFourBits) {
    const std::string file = path("sparse.bin");
    std::ofstream(file).close();
    const int64_t size = (int64_t{1} << 32) + 17;
    if (::truncate(file.c_str(), size) != 0) {
        GTEST_SKIP() << "no sparse files here";
    }
    EXPECT_EQ(fileSizeOf(file), size);
}

TEST_F(Paths, CurrentDirectoryEndsInASlash) {
    char* before = ::getcwd(nullptr, 0);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(currentDirectory(), std::string(before) + "/");
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(currentDirectory(), "/");
    ASSERT_EQ(::chdir(dir_.c_str()), 0);
    EXPECT_EQ(currentDirectory(), std::filesystem::canonical(dir_).string() + "/");
    // A directory removed while it is the current one has no name left; "./" still reaches it.
    ASSERT_EQ(::mkdir(path("gone").c_str(), 0700), 0);
    ASSERT_EQ(::chdir(path("gone").c_str()), 0);
    ASSERT_EQ(::rmdir(path("gone").c_str()), 0);
    EXPECT_EQ(currentDirectory(), "./");
    ASSERT_EQ(::chdir(before), 0);
    ::free(before);
}

struct SplitCase {
    const char* path;
    const char* directory;
    const char* name;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) { return out << '"' << c.path << '"'; }

class SplitPath : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitPath, AtTheLastSlashOrBackslash) {
    EXPECT_EQ(directoryPartOf(GetParam().path), GetParam().directory) << GetParam().path;
    EXPECT_EQ(namePartOf(GetParam().path), GetParam().name) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitPath,
                         testing::Values(SplitCase{"/home/u/sprite.bin", "/home/u/", "sprite.bin"},
                                         SplitCase{"sprite.bin", "", "sprite.bin"}, SplitCase{"", "", ""},
                                         SplitCase{"/home/u/", "/home/u/", ""},
                                         SplitCase{"dir\\", "dir\\", ""},
                                         SplitCase{"a\\b/c.d.e", "a\\b/", "c.d.e"}, SplitCase{"/x", "/", "x"},
                                         SplitCase{"\"/tmp/q.bin\"", "/tmp/", "q.bin"},
                                         SplitCase{"\"name.bin\" tail", "", "name.bin"},
                                         SplitCase{"/a/b|/c/d", "/a/", "d"}));

}  // namespace
