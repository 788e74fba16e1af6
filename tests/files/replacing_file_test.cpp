#include "runtime/files/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

class ReplacingFileTest : public TempDir {
protected:
    [[nodiscard]] int entryCount() const {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) {
            ++count;
        }
        return count;
    }
    static unsigned modeOf(const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
};

TEST_F(ReplacingFileTest, NewAndExistingTargetsGetTheBytesAndKeepTheirPermissions) {
    const std::string fresh = path("fresh.bin");
    ASSERT_TRUE(replaceFileWith(fresh, "abc", 3));
    EXPECT_EQ(contentsOf(fresh), "abc");
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), 0666u & ~mask);

    const std::string kept = path("private.bin");
    writeFile(kept, "old contents that are longer");
    ASSERT_EQ(::chmod(kept.c_str(), 0600), 0);
    ASSERT_TRUE(replaceFileWith(kept, "new", 3));
    EXPECT_EQ(contentsOf(kept), "new");
    EXPECT_EQ(modeOf(kept), 0600u);
    EXPECT_EQ(entryCount(), 2) << "no temporary file may stay behind";
}

TEST_F(ReplacingFileTest, SymbolicLinkStaysAndTheFileItPointsToIsReplaced) {
    std::filesystem::create_directory(dir_ / "real");
    writeFile(path("real/data.bin"), "before");
    std::filesystem::create_symlink("real/data.bin", dir_ / "link.bin");
    ReplacingFile file(path("link.bin"));
    ASSERT_TRUE(file.isOpen()) << file.error();
    ASSERT_TRUE(file.write("after", 5));
    ASSERT_TRUE(file.commit());
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.bin"));
    EXPECT_EQ(contentsOf(path("real/data.bin")), "after");
}

TEST_F(ReplacingFileTest, TargetsThatAreNotRegularFilesAreRefusedUntouched) {
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(dir_ / "folder");
    for (const std::string& target : {fifo, path("folder"), std::string("/dev/null")}) {
        ReplacingFile file(target);  // a FIFO must not block here
        EXPECT_FALSE(file.isOpen()) << target;
        EXPECT_FALSE(file.error().empty());
        EXPECT_FALSE(file.commit());
    }
    EXPECT_EQ(entryCount(), 2);
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(ReplacingFileTest, AbandonedOrFailedWriteLeavesTheOldTargetByteForByte) {
    const std::string target = path("keep.bin");
    const std::string old(10000, 'k');
    writeFile(target, old);
    {
        ReplacingFile file(target);
        ASSERT_TRUE(file.write("partial", 7));
    }  // destroyed without commit
    EXPECT_EQ(contentsOf(target), old);
    EXPECT_EQ(entryCount(), 1);

    // A write past a file-size limit fails in a child, so the limit does not reach this process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        const std::string big(100000, 'n');
        std::string error;
        const bool ok = replaceFileWith(target, big.data(), big.size(), &error);
        ::_exit(!ok && !error.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save must report failure";
    EXPECT_EQ(contentsOf(target), old);
    EXPECT_EQ(entryCount(), 1);
}

TEST_F(ReplacingFileTest, CommitWithoutWaitingForTheDiskStillReplacesWholeOrNotAtAll) {
    const std::string target = path("quick.bin");
    writeFile(target, "old");
    {
        ReplacingFile file(target);
        ASSERT_TRUE(file.write("new bytes", 9));
        ASSERT_TRUE(file.commit(ReplacingFile::Durability::Written)) << file.error();
    }
    EXPECT_EQ(contentsOf(target), "new bytes");
    {
        ReplacingFile file(target);
        ASSERT_TRUE(file.write("more", 4));
        file.abandon();
        EXPECT_FALSE(file.write("x", 1));
        EXPECT_FALSE(file.commit(ReplacingFile::Durability::Written));
    }
    EXPECT_EQ(contentsOf(target), "new bytes");
    EXPECT_EQ(entryCount(), 1);
}

// The rename needs only the folder's permission, so the file's own protection must be checked:
// an ordinary user may not replace a write-protected file in a folder open to all.
TEST_F(ReplacingFileTest, AWriteProtectedTargetIsRefusedToAnOrdinaryUser) {
    const std::string locked = path("locked.bin");
    const std::string open = path("open.bin");
    writeFile(locked, "kept");
    writeFile(open, "old");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        const bool refused = !replaceFileWith(locked, "new", 3);
        const bool replaced = replaceFileWith(open, "new", 3);
        ::_exit(refused && replaced ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(contentsOf(locked), "kept");
    EXPECT_EQ(contentsOf(open), "new");
    EXPECT_EQ(entryCount(), 2);
}

// The temporary file's name is made from the target's, and must stay within the 255 bytes a
// name may have.
TEST_F(ReplacingFileTest, TheLongestNameCanBeReplaced) {
    const std::string target = path(std::string(255, 'n'));
    writeFile(target, "old");
    std::string error;
    EXPECT_TRUE(replaceFileWith(target, "new", 3, &error)) << error;
    EXPECT_EQ(contentsOf(target), "new");
    EXPECT_EQ(entryCount(), 1);
}

TEST_F(ReplacingFileTest, MissingFolderFailsWithAMessage) {
    std::string error;
    EXPECT_FALSE(replaceFileWith(path("no/such/folder/x.bin"), "x", 1, &error));
    EXPECT_NE(error.find("no/such/folder"), std::string::npos) << error;
}

}  // namespace
