#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST_F(NumberedFiles, ReadingAfterWritingFlushesFirst) {
    const std::string file = path("mixed.bin");
    ASSERT_NE(createForWriting(0, file), 0);
    const std::string first = patternOf(3000);
    EXPECT_EQ(writeBlock(0, first.data(), 3000), 3000);
    char c = 0;
    EXPECT_EQ(readBlock(0, &c, 1), 0);  // at the end, but the buffer went out
    EXPECT_EQ(contentsOf(file), first);
    writeOneByte(0, 'z');
    EXPECT_NE(closeFileNumber(0), 0);
    EXPECT_EQ(contentsOf(file), first + "z");
}

// Data read ahead into the buffer but not delivered must not move the next write.
TEST_F(NumberedFiles, WritingAfterReadingContinuesWhereTheReaderStopped) {
    const std::string file = path("rw.bin");
    ASSERT_NE(createForWriting(0, file), 0);
    writeBlock(0, "AB", 2);
    char c = 0;
    ASSERT_EQ(readBlock(0, &c, 1), 0);
    std::ofstream(file, std::ios::binary | std::ios::app) << patternOf(6000);

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

TEST_F(NumberedFiles, CloseReportsBytesThatNeverReachedTheFile) {
    struct stat info {};
    if (::stat("/dev/full", &info) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    ASSERT_NE(createForWriting(0, "/dev/full"), 0);
    EXPECT_EQ(writeOneByte(0, 1), 1);  // buffered: the error cannot show yet
    EXPECT_EQ(closeFileNumber(0), 0);

    // A failure during a flush in the middle of writing is remembered until the close.
    ASSERT_NE(createForWriting(0, "/dev/full"), 0);
    for (int i = 0; i < 5000; ++i) {
        writeOneByte(0, i);
    }
    EXPECT_EQ(closeFileNumber(0), 0);
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
