#include "runtime/store/prefs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

class Prefs : public TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        ini_ = path("pv2.ini");
    }
    void TearDown() override {
        closePrefs();
        TempDir::TearDown();
    }
    [[nodiscard]] long entryCount() const {
        return std::distance(std::filesystem::directory_iterator(dir_),
                             std::filesystem::directory_iterator());
    }
    std::string ini_;
};

// --- Reading -------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string file;
    int32_t expected;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) { return out << c.name; }

class PrefsRead : public Prefs, public testing::WithParamInterface<ReadCase> {};

TEST_P(PrefsRead, FindsZoomInOptions) {
    writeFile(ini_, GetParam().file);
    ASSERT_NE(openPrefs(ini_), 0);
    EXPECT_EQ(selectPrefGroup("Options"), 1);
    EXPECT_EQ(readPrefInt("zoom", 99), GetParam().expected);
}

const std::string BOM = "\xEF\xBB\xBF";
constexpr int32_t MAX = std::numeric_limits<int32_t>::max();
constexpr int32_t MIN = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Cases, PrefsRead,
    testing::Values(ReadCase{"crlf", "[Options]\r\nZoom=2\r\n", 2},
                    ReadCase{"lf", "[options]\nzoom = 2\n", 2}, ReadCase{"cr", "[OPTIONS]\rzoom=2\r", 2},
                    ReadCase{"bom_crlf", BOM + "[Options]\r\nzoom=2\r\n", 2},
                    ReadCase{"bom_lf", BOM + "[Options]\nzoom=2", 2},
                    ReadCase{"blanks", "  [Options]\r\n \t zoom \t=\t 2 \t\r\n", 2},
                    ReadCase{"blank_lines", "\r\n\n\r[Options]\n\n\r\n  \t\r\nzoom=2\n\n", 2},
                    ReadCase{"empty_value", "[Options]\r\nzoom=\r\n", 0},
                    ReadCase{"no_equals", "[Options]\r\nzoom\r\n", 0},
                    ReadCase{"trailing_letters", "[Options]\r\nzoom=12abc\r\n", 12},
                    ReadCase{"hex_form", "[Options]\r\nzoom=0x10\r\n", 0},
                    ReadCase{"letters", "[Options]\r\nzoom=abc\r\n", 0},
                    ReadCase{"signs", "[Options]\r\nzoom= -7 ;x\r\n", -7},
                    ReadCase{"plus", "[Options]\r\nzoom=+5\r\n", 5},
                    ReadCase{"first_of_two", "[Options]\r\nzoom=1\r\nZOOM=2\r\n", 1},
                    ReadCase{"missing", "[Options]\r\nzoomed=1\r\n", 99},
                    ReadCase{"above_first_group", "zoom=3\r\n[Options]\r\nx=1\r\n", 99},
                    ReadCase{"in_other_group", "[Other]\r\nzoom=3\r\n[Options]\r\n", 99},
                    ReadCase{"after_next_group", "[Options]\r\n[Other]\r\nzoom=3\r\n", 99},
                    ReadCase{"comment_skipped", "[Options]\r\n; zoom=5\r\n;zoom=6\r\nzoom=4\r\n", 4},
                    ReadCase{"text_after_bracket", "[Options] junk\r\nzoom=4\r\n", 4},
                    ReadCase{"no_closing_bracket", "[Options\r\nzoom=4\r\n", 4},
                    ReadCase{"first_group_counts", "[Options]\r\nzoom=4\r\n[options]\r\nzoom=5\r\n", 4},
                    ReadCase{"zero_byte_ends_line", std::string("[Options]\0zoom=6", 16), 6},
                    ReadCase{"saturates_up", "[Options]\r\nzoom=99999999999\r\n", MAX},
                    ReadCase{"saturates_down", "[Options]\r\nzoom=-99999999999\r\n", MIN},
                    ReadCase{"most_negative", "[Options]\r\nzoom=-2147483648\r\n", MIN},
                    ReadCase{"largest", "[Options]\r\nzoom=2147483647\r\n", MAX},
                    ReadCase{"leading_zeros", "[Options]\r\nzoom=-0000000000002147483647\r\n", -MAX},
                    ReadCase{"beyond_64_bits", "[Options]\r\nzoom=" + std::string(40, '9') + "\r\n", MAX},
                    ReadCase{"second_sign", "[Options]\r\nzoom=+-5\r\n", 0},
                    ReadCase{"blank_after_sign", "[Options]\r\nzoom=- 5\r\n", 0},
                    ReadCase{"sign_alone", "[Options]\r\nzoom=-\r\n", 0}));

TEST_F(Prefs, AFileWithoutGroupsHasNoOptions) {
    writeFile(ini_, "zoom=3\r\n");
    ASSERT_NE(openPrefs(ini_), 0);
    EXPECT_EQ(selectPrefGroup("Options"), 0);
    EXPECT_EQ(readPrefInt("zoom", 7), 7);
    // The top of the file is still there, and a failed select does not move the current group.
    EXPECT_EQ(selectPrefGroup(""), 1);
    EXPECT_EQ(readPrefInt("ZOOM", 7), 3);
}

TEST_F(Prefs, NothingOpenReadsDefaults) {
    EXPECT_EQ(selectPrefGroup("Options"), 0);
    EXPECT_EQ(selectPrefGroup(""), 0);
    EXPECT_EQ(readPrefInt("zoom", 5), 5);
    writePrefInt("zoom", 1);
    closePrefs();
}

// --- Writing -------------------------------------------------------------------------------

TEST_F(Prefs, ExitSequenceWritesExactlyEightLines) {
    const std::string old = "; old\r\n[Other]\r\nk=1\r\n[Options]\r\nZoom=8\r\nExtra=1\r\n";
    writeFile(ini_, old);
    ASSERT_NE(createPrefs(ini_), 0);
    EXPECT_EQ(contentsOf(ini_), old) << "the old file stays until the new one is complete";
    EXPECT_EQ(selectPrefGroup("Options"), 0);
    writePrefInt("Zoom", 1);
    writePrefInt("Multi", 0);
    writePrefInt("Grid", 0);
    writePrefInt("Inverse", 0);
    writePrefInt("Reverse", 0);
    writePrefInt("maxwidth", 255);
    writePrefInt("ontop", 0);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_),
              "[Options]\r\nZoom = 1\r\nMulti = 0\r\nGrid = 0\r\nInverse = 0\r\nReverse = 0\r\n"
              "maxwidth = 255\r\nontop = 0\r\n");
}

TEST_F(Prefs, WritesReplaceInPlaceOrInsertAtTheGroupsEnd) {
    writeFile(ini_, std::string("[A]\r\nx=1\r\n;c\r\n\r\n\r\n[Options]\r\nZOOM  =  1\r\n") + "Grid" +
                        std::string(60, ' ') + "=" + std::string(60, ' ') +
                        "0\r\nv = a;b=c \r\n=5\r\n[B]\r\ny=2\r\n");
    ASSERT_NE(openPrefs(ini_), 0);
    ASSERT_EQ(selectPrefGroup("options"), 1);
    writePrefInt("Zoom", -3);
    writePrefInt("multi", 1);
    closePrefs();
    // The rebuilt text is shorter than the old file, so it must also have been cut.
    EXPECT_EQ(contentsOf(ini_),
              "[A]\r\nx = 1\r\n; c\r\n[Options]\r\nZoom = -3\r\nGrid = 0\r\n"
              "v = a;b=c \r\n = 5\r\nmulti = 1\r\n[B]\r\ny = 2\r\n");
}

TEST_F(Prefs, WritesAtTheTopGoBeforeTheFirstGroup) {
    writeFile(ini_, "; head\r\n[G]\r\nk=1\r\n");
    ASSERT_NE(openPrefs(ini_), 0);
    ASSERT_EQ(selectPrefGroup(""), 1);
    writePrefInt("t", 5);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), "; head\r\nt = 5\r\n[G]\r\nk = 1\r\n");

    writeFile(ini_, "[G]\r\n");
    ASSERT_NE(openPrefs(ini_), 0);
    writePrefInt("t", 6);  // nothing selected yet: the top
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), "t = 6\r\n[G]\r\n");
}

TEST_F(Prefs, AMissingGroupIsAppendedOnTheFirstWrite) {
    writeFile(ini_, "[G]\nk=1\n");
    ASSERT_NE(openPrefs(ini_), 0);
    EXPECT_EQ(selectPrefGroup("New"), 0);
    EXPECT_EQ(readPrefInt("k", 9), 9);  // pending: nothing is found
    writePrefInt("a", 1);
    EXPECT_EQ(readPrefInt("a", 9), 1);
    writePrefInt("b", 2);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), "[G]\r\nk = 1\r\n[New]\r\na = 1\r\nb = 2\r\n");
}

TEST_F(Prefs, TheUtf8MarkSurvivesARewrite) {
    writeFile(ini_, BOM + "[Options]\nzoom=1\n");
    ASSERT_NE(openPrefs(ini_), 0);
    ASSERT_EQ(selectPrefGroup("Options"), 1);
    writePrefInt("Zoom", 2);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), BOM + "\r\n[Options]\r\nZoom = 2\r\n");
    ASSERT_NE(openPrefs(ini_), 0);
    ASSERT_EQ(selectPrefGroup("Options"), 1);
    EXPECT_EQ(readPrefInt("zoom", 0), 2);
}

TEST_F(Prefs, UnchangedStoresAreNotRewritten) {
    const std::string original = "[Options]\nzoom=2\n\n";
    writeFile(ini_, original);
    ASSERT_NE(openPrefs(ini_), 0);
    selectPrefGroup("Options");
    EXPECT_EQ(readPrefInt("zoom", 0), 2);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), original);
}

TEST_F(Prefs, OpeningAnotherStoreWritesThePreviousOne) {
    const std::string other = path("other.ini");
    writeFile(ini_, "");
    ASSERT_NE(openPrefs(ini_), 0);
    writePrefInt("k", 1);
    EXPECT_EQ(openPrefs(other), 0);
    EXPECT_EQ(contentsOf(ini_), "k = 1\r\n");
}

// --- Files that are missing, or must not be written ------------------------------------------

TEST_F(Prefs, AMissingFileIsCreatedAtCloseOnlyWhenWritten) {
    EXPECT_EQ(openPrefs(ini_), 0);
    EXPECT_EQ(selectPrefGroup("Options"), 0);
    EXPECT_EQ(readPrefInt("zoom", 4), 4);
    closePrefs();
    EXPECT_FALSE(std::filesystem::exists(ini_));

    EXPECT_EQ(openPrefs(ini_), 0);
    EXPECT_EQ(selectPrefGroup("Options"), 0);
    writePrefInt("Zoom", 1);
    EXPECT_FALSE(std::filesystem::exists(ini_));
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), "[Options]\r\nZoom = 1\r\n");
}

TEST_F(Prefs, ADirectoryIsNeverAStore) {
    const std::string folder = path("pv2.ini.d");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(openPrefs(folder), 0);
    EXPECT_EQ(selectPrefGroup("Options"), 0);
    writePrefInt("Zoom", 1);
    closePrefs();
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(createPrefs(folder), 0);
    EXPECT_EQ(createPrefs(path("no/such/dir/pv2.ini")), 0);
    const std::string cut = path("cut") + std::string(1, '\0') + ".ini";
    EXPECT_EQ(createPrefs(cut), 0);
    EXPECT_EQ(openPrefs(cut), 0);
    writePrefInt("Zoom", 1);
    closePrefs();
    EXPECT_FALSE(std::filesystem::exists(path("cut")));
}

TEST_F(Prefs, AFifoIsNeitherReadNorWritten) {
    const std::string fifo = path("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(openPrefs(fifo), 0);
    writePrefInt("Zoom", 1);
    closePrefs();  // would block forever if it opened the FIFO for writing without a reader
    EXPECT_EQ(createPrefs(fifo), 0);
}

// Runs `check` without the power to write read-only files: directly for an ordinary user, in
// a child that gave up root otherwise. Fails the test if `check` returns false.
template <typename Check>
void asUnprivileged(Check check) {
    if (::geteuid() != 0) {
        EXPECT_TRUE(check());
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Also, run as root, a file of another user that its owner may write: the folder being open to
// all must not let the new file be renamed over it.
TEST_F(Prefs, AFileTheProcessMayNotWriteIsReadButNeverWritten) {
    const std::string original = "[Options]\nzoom=2\n";
    writeFile(ini_, original);
    ASSERT_EQ(::chmod(ini_.c_str(), 0444), 0);
    std::vector<std::string> files = {ini_};
    if (::geteuid() == 0) {
        files.push_back(path("others.ini"));
        writeFile(files.back(), original);
        ASSERT_EQ(::chmod(files.back().c_str(), 0644), 0);
    }
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    asUnprivileged([&files] {
        bool ok = true;
        for (const std::string& file : files) {
            if (openPrefs(file) == 0 || selectPrefGroup("Options") != 1) {
                return false;
            }
            ok = ok && readPrefInt("zoom", 0) == 2;
            writePrefInt("zoom", 5);
            closePrefs();
            ok = ok && createPrefs(file) == 0;
        }
        return ok;
    });
    for (const std::string& file : files) {
        EXPECT_EQ(contentsOf(file), original) << file;
    }
    EXPECT_EQ(entryCount(), static_cast<long>(files.size()));
}

// Read-only is the owner's write permission, whoever runs the program: root, too, leaves such
// a file alone, both when a store read from it changed and when the exit replaces it.
struct ModeCase {
    mode_t mode;
    bool rewritten;
};

std::ostream& operator<<(std::ostream& out, const ModeCase& c) {
    return out << std::oct << c.mode << std::dec << (c.rewritten ? " rewritten" : " read-only");
}

class PrefsMode : public Prefs, public testing::WithParamInterface<ModeCase> {};

TEST_P(PrefsMode, TheOwnersWritePermissionDecides) {
    const std::string original = "[Options]\nzoom=2\n";
    const std::string updated = "[Options]\r\nzoom = 5\r\n";
    writeFile(ini_, original);
    ASSERT_EQ(::chmod(ini_.c_str(), GetParam().mode), 0);

    ASSERT_NE(openPrefs(ini_), 0);
    ASSERT_EQ(selectPrefGroup("Options"), 1);
    EXPECT_EQ(readPrefInt("zoom", 0), 2);
    writePrefInt("zoom", 5);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), GetParam().rewritten ? updated : original);

    EXPECT_EQ(createPrefs(ini_) != 0, GetParam().rewritten);
    writePrefInt("k", 1);
    closePrefs();
    EXPECT_EQ(contentsOf(ini_), GetParam().rewritten ? "k = 1\r\n" : original);

    struct stat info {};
    ASSERT_EQ(::stat(ini_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, GetParam().mode);
    EXPECT_EQ(entryCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, PrefsMode,
                         testing::Values(ModeCase{0444, false}, ModeCase{0400, false}, ModeCase{0464, false},
                                         ModeCase{0466, false}, ModeCase{0644, true}, ModeCase{0600, true},
                                         ModeCase{0640, true}));

// A rewrite that fails part-way (here at a file-size limit) keeps the old file whole.
TEST_F(Prefs, AFailedRewriteKeepsTheOldFile) {
    const std::string original = "[Options]\r\nZoom = 1\r\n; " + std::string(100, 'c') + "\r\n";
    writeFile(ini_, original);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        openPrefs(ini_);
        selectPrefGroup("Options");
        writePrefInt("Zoom", 4);
        closePrefs();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(contentsOf(ini_), original);
    EXPECT_EQ(entryCount(), 1);
}

TEST_F(Prefs, AStoreStillOpenAtExitIsWritten) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        openPrefs(ini_);
        selectPrefGroup("Options");
        writePrefInt("Zoom", 4);
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(contentsOf(ini_), "[Options]\r\nZoom = 4\r\n");
}

}  // namespace
