#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/files/files.h"
#include "tests/support/temp_dir.h"

namespace {

std::string patternOf(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

class NumberedFiles : public TempDir {
protected:
    void TearDown() override {
        closeAllFiles();
        TempDir::TearDown();
    }
    [[nodiscard]] int entryCount() const {
        return static_cast<int>(
            std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()));
    }
    // The one other file in the target's folder: where a created file's bytes wait for the close.
    [[nodiscard]] std::string temporaryBeside(const std::string& target) const {
        std::string found;
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            if (entry.path().string() != target) {
                EXPECT_TRUE(found.empty()) << "more than one file beside " << target;
                found = entry.path().string();
            }
        }
        EXPECT_FALSE(found.empty()) << "no file beside " << target;
        return found;
    }
};

TEST_F(NumberedFiles, SingleByteWritesArriveInOrder) {
    const std::string file = path("slice.bin");
    const std::string expected = patternOf(10000);
    ASSERT_NE(createForWriting(0, file), 0);
    for (char c : expected) {
        ASSERT_EQ(writeOneByte(0, static_cast<unsigned char>(c)), 1);
    }
    EXPECT_NE(closeFileNumber(0), 0);
    EXPECT_EQ(contentsOf(file), expected);
}

TEST_F(NumberedFiles, CreatingEmptiesALongerFile) {
    const std::string file = path("old.bin");
    writeFile(file, std::string(5000, 'x'));
    ASSERT_NE(createForWriting(0, file), 0);
    writeOneByte(0, 'a');
    writeOneByte(0, 'b');
    EXPECT_NE(closeFileNumber(0), 0);
    EXPECT_EQ(contentsOf(file), "ab");
}

TEST_F(NumberedFiles, ReadsInPiecesOfEverySizeReassembleTheFile) {
    const std::string file = path("data.bin");
    const std::string expected = patternOf(30000);
    writeFile(file, expected);
    ASSERT_NE(openForReading(0, file), 0);
    // Pieces below, at and above the buffer size, so buffered, refilled and direct reads mix.
    const std::vector<int64_t> pieces = {1, 7, 4095, 4096, 1, 9000, 3, 4097, 100, 2};
    std::string got;
    for (size_t i = 0; got.size() < expected.size(); ++i) {
        std::vector<char> chunk(static_cast<size_t>(pieces[i % pieces.size()]));
        const int64_t n = readBlock(0, chunk.data(), static_cast<int64_t>(chunk.size()));
        ASSERT_GT(n, 0);
        got.append(chunk.data(), static_cast<size_t>(n));
    }
    EXPECT_EQ(got, expected);
    char extra = 0;
    EXPECT_EQ(readBlock(0, &extra, 1), 0);
    EXPECT_NE(closeFileNumber(0), 0);
}

TEST_F(NumberedFiles, AskingForMoreThanTheFileHoldsGivesTheFile) {
    for (const size_t size : {size_t{10}, size_t{5000}, size_t{100000}}) {
        const std::string file = path("whole.bin");
        const std::string expected = patternOf(size);
        writeFile(file, expected);
        std::vector<char> block(size + 16, '\0');
        ASSERT_NE(openForReading(0, file), 0);
        EXPECT_EQ(readBlock(0, block.data(), static_cast<int64_t>(block.size())), static_cast<int64_t>(size));
        EXPECT_EQ(std::string(block.data(), size), expected);
        EXPECT_EQ(closeFileNumber(0), 1);
    }
}

TEST_F(NumberedFiles, ReadingAfterWritingFlushesFirstAndTheTargetWaitsForTheClose) {
    const std::string file = path("mixed.bin");
    writeFile(file, "old");
    ASSERT_NE(createForWriting(0, file), 0);
    const std::string first = patternOf(3000);
    EXPECT_EQ(writeBlock(0, first.data(), 3000), 3000);
    char c = 0;
    EXPECT_EQ(readBlock(0, &c, 1), 0);  // at the end, but the buffer went out
    EXPECT_EQ(contentsOf(temporaryBeside(file)), first);
    EXPECT_EQ(contentsOf(file), "old");
    writeOneByte(0, 'z');
    EXPECT_NE(closeFileNumber(0), 0);
    EXPECT_EQ(contentsOf(file), first + "z");
    EXPECT_EQ(entryCount(), 1) << "the temporary file became the target";
}

// Data read ahead into the buffer but not delivered must not move the next write. Until the
// close the bytes live in the file beside the target, so that is where another writer appends.
TEST_F(NumberedFiles, WritingAfterReadingContinuesWhereTheReaderStopped) {
    const std::string file = path("rw.bin");
    ASSERT_NE(createForWriting(0, file), 0);
    writeBlock(0, "AB", 2);
    char c = 0;
    ASSERT_EQ(readBlock(0, &c, 1), 0);
    std::ofstream(temporaryBeside(file), std::ios::binary | std::ios::app) << patternOf(6000);

    char head[10];
    ASSERT_EQ(readBlock(0, head, 10), 10);
    writeOneByte(0, 'Z');
    ASSERT_NE(closeFileNumber(0), 0);

    std::string expected = "AB" + patternOf(6000);
    expected[12] = 'Z';
    EXPECT_EQ(contentsOf(file), expected);
}

TEST_F(NumberedFiles, LargeWritesGoStraightThroughInOrder) {
    const std::string file = path("big.bin");
    const std::string block = patternOf(10000);
    ASSERT_NE(createForWriting(0, file), 0);
    writeOneByte(0, '<');
    EXPECT_EQ(writeBlock(0, block.data(), 10000), 10000);
    writeOneByte(0, '>');
    EXPECT_NE(closeFileNumber(0), 0);
    EXPECT_EQ(contentsOf(file), "<" + block + ">");
}

// Runs `writes` on a file created over an old one, in a child whose files may not grow past
// `limit` bytes. The child's exit code is 0 when the close reported the failure.
template <typename Writes>
void expectFailedCloseUnderLimit(const std::string& file, rlim_t limit, Writes writes) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap{limit, limit};
        const bool limited = ::setrlimit(RLIMIT_FSIZE, &cap) == 0;
        const bool created = createForWriting(0, file) != 0;
        const bool written = writes();
        ::_exit(limited && created && written && closeFileNumber(0) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "limit " << limit;
}

// Whether the failure shows while bytes are buffered, in a flush along the way or in a direct
// write, the close reports it, the old file keeps its bytes and nothing is left beside it.
TEST_F(NumberedFiles, CloseReportsBytesThatNeverReachedTheFileAndKeepsTheOldOne) {
    const std::string file = path("kept.bin");
    const std::string old = patternOf(20000);
    writeFile(file, old);
    expectFailedCloseUnderLimit(file, 0, [] {
        return writeOneByte(0, 1) == 1;  // buffered: the error cannot show yet
    });
    expectFailedCloseUnderLimit(file, 4096, [] {
        for (int i = 0; i < 5000; ++i) {
            writeOneByte(0, i);
        }
        return true;
    });
    expectFailedCloseUnderLimit(file, 4096, [] {
        const std::string block = patternOf(10000);
        return writeBlock(0, block.data(), 10000) == 4096;  // what the direct write managed
    });
    EXPECT_EQ(contentsOf(file), old);
    EXPECT_EQ(entryCount(), 1);
}

TEST_F(NumberedFiles, CreatingRefusesWhatIsNotARegularFileWithoutOpeningIt) {
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(createForWriting(0, fifo), 0);  // must neither block nor replace the FIFO
    EXPECT_EQ(createForWriting(0, "/dev/null"), 0);
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(entryCount(), 1);
}

TEST_F(NumberedFiles, NumbersWithoutAFileDoNothing) {
    char c = 'q';
    EXPECT_EQ(readBlock(3, &c, 1), 0);
    EXPECT_EQ(writeOneByte(3, 1), 0);
    EXPECT_EQ(writeBlock(3, &c, 1), 0);
    EXPECT_EQ(closeFileNumber(3), 0);
    EXPECT_EQ(createForWriting(-1, path("neg.bin")), 0);
    EXPECT_FALSE(std::filesystem::exists(path("neg.bin")));

    EXPECT_EQ(openForReading(0, path("missing.bin")), 0);
    EXPECT_EQ(readBlock(0, &c, 1), 0);
    EXPECT_EQ(openForReading(0, dir_.string()), 0);
    EXPECT_EQ(createForWriting(0, dir_.string()), 0);
    EXPECT_EQ(createForWriting(0, path("no/such/folder.bin")), 0);
    // An embedded zero byte must not silently shorten the name.
    EXPECT_EQ(createForWriting(0, path("cut") + std::string(1, '\0') + ".bin"), 0);
    EXPECT_FALSE(std::filesystem::exists(path("cut")));
    EXPECT_EQ(c, 'q');
}

TEST_F(NumberedFiles, ReopeningANumberOrShuttingDownFlushesThePreviousFile) {
    ASSERT_NE(createForWriting(0, path("a.bin")), 0);
    writeOneByte(0, 'a');
    ASSERT_NE(createForWriting(0, path("b.bin")), 0);
    writeOneByte(0, 'b');
    ASSERT_NE(createForWriting(5, path("c.bin")), 0);
    writeOneByte(5, 'c');
    EXPECT_EQ(contentsOf(path("a.bin")), "a");
    EXPECT_FALSE(std::filesystem::exists(path("b.bin"))) << "a file appears only once it is complete";
    closeAllFiles();
    EXPECT_EQ(contentsOf(path("b.bin")), "b");
    EXPECT_EQ(contentsOf(path("c.bin")), "c");
    EXPECT_EQ(closeFileNumber(5), 0);
}

TEST_F(NumberedFiles, AFifoWithoutWriterNeverBlocks) {
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(fileSizeOf(fifo), -1);
    ASSERT_NE(openForReading(0, fifo), 0);
    char c = 0;
    EXPECT_EQ(readBlock(0, &c, 1), 0);
    EXPECT_EQ(readBlock(0, &c, -1), 0);
    closeFileNumber(0);
}

}  // namespace
