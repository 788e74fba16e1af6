// Files above 4 GiB: an 8 GiB sparse file, drawn at an offset past 4 GiB without being read
// whole (the child's peak resident memory stays far below the file's size).
#include "tests/cli/cli_fixture.h"
#include "tests/cli/decoded_picture.h"

namespace {

constexpr uint64_t GIB = uint64_t{1} << 30;
constexpr int64_t MEMORY_CEILING_KIB = 256 * 1024;  // 256 MiB, 1/32 of the file

class LargeFile : public CliTest {
protected:
    // An 8 GiB file of holes with `bytes` written at `at`.
    bool makeSparse(const std::string& name, uint64_t at, const std::vector<uint8_t>& bytes) {
        return writeSparse(name, 8 * GIB, at, bytes);
    }
};

TEST_F(LargeFile, RenderAtAnOffsetAboveFourGibibytes) {
    const std::vector<uint8_t> sprite = realBytes(30000);
    const uint64_t at = 5 * GIB + 12345;
    if (!makeSparse("big.bin", at, sprite)) GTEST_SKIP() << "no 8 GiB sparse file here";
    const std::string small = writeInput("small.bin", sprite);

    // The same bytes at offset 0 of a small file give the reference picture: 256 rows of 3 bytes
    // at zoom 2 lie inside them, so the big file's zeros after them never show.
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(at));
    const CliRun big = runCli(
        {"render", path("big.bin"), "--offset", hex, "--width", "3", "--zoom", "2", "-o", path("big.png")});
    ASSERT_EQ(big.exit_code, 0) << describe(big);
    EXPECT_LT(big.peak_rss_kib, MEMORY_CEILING_KIB) << "the file must not be read whole";
    ASSERT_EQ(runCli({"render", small, "--width", "3", "--zoom", "2", "-o", path("small.png")}).exit_code, 0);
    EXPECT_EQ(
        firstDifference(decodePng(contentsOf(path("big.png"))), decodePng(contentsOf(path("small.png")))),
        "");

    // Near the end of the 8 GiB: the past-the-end blue starts exactly where the file ends.
    const CliRun end = runCli({"render", path("big.bin"), "--offset", std::to_string(8 * GIB - 100),
                               "--width", "1", "-o", path("end.png")});
    ASSERT_EQ(end.exit_code, 0) << describe(end);
    const DecodedPicture picture = decodePng(contentsOf(path("end.png")));
    ASSERT_EQ(picture.width, 600);
    EXPECT_EQ(picture.at(0, 99), 0x000000u);   // the last byte: a zero, black
    EXPECT_EQ(picture.at(0, 100), 0xFF0000u);  // one past it: blue
    EXPECT_EQ(picture.at(8, 99), 0x000000u);   // the lone column's edge is blue only from the end on
    EXPECT_EQ(picture.at(8, 100), 0xFF0000u);
}

TEST_F(LargeFile, ExportAndSheetAboveFourGibibytes) {
    std::vector<uint8_t> glyphs(64);
    for (size_t i = 0; i < glyphs.size(); ++i) glyphs[i] = static_cast<uint8_t>(i * 37 + 11);
    const uint64_t at = 6 * GIB + 3;
    if (!makeSparse("big.bin", at, glyphs)) GTEST_SKIP() << "no 8 GiB sparse file here";
    const CliRun run = runCli(
        {"export", path("big.bin"), "-d", std::to_string(at), "-w", "1", "-H", "8", "-n", "8", "-f", "psf"});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    ASSERT_EQ(run.out.size(), 32u + 64u);
    EXPECT_EQ(run.out.substr(32), std::string(glyphs.begin(), glyphs.end()));
    EXPECT_LT(run.peak_rss_kib, MEMORY_CEILING_KIB);

    const CliRun sheet = runCli({"sheet", path("big.bin"), "-d", std::to_string(at), "--widths", "1-4",
                                 "--rows", "16", "-o", path("sheet.png")});
    ASSERT_EQ(sheet.exit_code, 0) << describe(sheet);
    EXPECT_LT(sheet.peak_rss_kib, MEMORY_CEILING_KIB);
}

}  // namespace
