// "Save binary...": the command run end to end with its dialogs answered from a timer.
#include "data/binary_slice.h"

#include "tests/support/modal_driver.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

std::string oneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

class BinarySliceTest : public TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        fresh();
    }

    // A new driver for a further run of the command within one test.
    ModalDriver& fresh() {
        driver_.reset();
        driver_ = std::make_unique<ModalDriver>();
        return *driver_;
    }
    void load(const Bytes& bytes) {
        data_.bytes = std::make_unique<uint8_t[]>(bytes.size() + 16);
        std::copy(bytes.begin(), bytes.end(), data_.bytes.get());
        data_.len = static_cast<int32_t>(bytes.size());
    }
    static Bytes counting(size_t n) {
        Bytes b(n);
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
        return b;
    }
    std::string folder() const { return dir_.string() + "/"; }
    std::string at(const std::string& name) const { return path(name); }
    static Bytes contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    size_t filesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }
    void run(int32_t displayOffset, bool inverse = false, bool reverse = false) {
        save_binary_slice(data_, displayOffset, inverse, reverse, folder());
        EXPECT_TRUE(driver_->allStepsUsed()) << "a dialog the test answers never appeared";
    }
    // Exactly one message box with this title and text was shown, and nothing after it.
    void expectOnlyMessage(const std::string& title, const std::string& text) {
        const auto& seen = driver_->seen();
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().kind, "message");
        EXPECT_EQ(seen.back().title, title);
        EXPECT_EQ(oneLine(seen.back().text), oneLine(text));
        size_t messages = 0;
        for (const auto& d : seen) messages += d.kind == "message";
        EXPECT_EQ(messages, 1u);
    }

    DataBuffer data_;
    std::unique_ptr<ModalDriver> driver_;
};

struct TransformCase {
    bool inverse, reverse;
    Bytes expected;
};

void PrintTo(const TransformCase& c, std::ostream* os) {
    *os << "inverse " << c.inverse << ", reverse " << c.reverse;
}

std::string transformCaseName(const ::testing::TestParamInfo<TransformCase>& c) {
    if (!c.param.inverse && !c.param.reverse) return "Plain";
    return std::string(c.param.inverse ? "Inverse" : "") + (c.param.reverse ? "Reverse" : "");
}

class SliceTransform : public BinarySliceTest, public ::testing::WithParamInterface<TransformCase> {};

// Two positions before the data stay 0 under every option; data bytes are inverted first and
// reversed second (0x01 inverted and reversed is 0x7F, not 0x80 inverted).
TEST_P(SliceTransform, WritesViewBytesWithLeadingZeros) {
    load({0x01, 0x80, 0xF0, 0x0F, 0x35, 0x99});
    driver_->enterText("7");
    driver_->chooseFile(at("cut.bin"));
    run(-2, GetParam().inverse, GetParam().reverse);
    EXPECT_EQ(contents(at("cut.bin")), GetParam().expected);
    EXPECT_EQ(driver_->seen().size(), 2u);  // the prompt and the file dialog; no message
}

INSTANTIATE_TEST_SUITE_P(Options, SliceTransform,
                         ::testing::Values(TransformCase{false, false, {0, 0, 0x01, 0x80, 0xF0, 0x0F, 0x35}},
                                           TransformCase{true, false, {0, 0, 0xFE, 0x7F, 0x0F, 0xF0, 0xCA}},
                                           TransformCase{false, true, {0, 0, 0x80, 0x01, 0x0F, 0xF0, 0xAC}},
                                           TransformCase{true, true, {0, 0, 0x7F, 0xFE, 0xF0, 0x0F, 0x53}}),
                         transformCaseName);

struct SizeCase {
    const char* label;
    int32_t len;
    int32_t start;
    const char* typed;
    int64_t written;  // bytes expected in the file; -1: "Too big value!" and no file dialog
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.label; }

std::string sizeCaseName(const ::testing::TestParamInfo<SizeCase>& c) { return c.param.label; }

class SliceSize : public BinarySliceTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SliceSize, AcceptsRunsEndingAtTheEndAndRefusesLonger) {
    const SizeCase& c = GetParam();
    if (c.len > 0) load(counting(static_cast<size_t>(c.len)));
    driver_->enterText(c.typed);
    if (c.written >= 0) driver_->chooseFile(at("slice"));
    run(c.start);
    if (c.written < 0) {
        expectOnlyMessage("Save binary file", "Too big value!");
        EXPECT_EQ(driver_->seen().size(), 2u) << "no file dialog after a refused size";
        EXPECT_EQ(filesInFolder(), 0u);
        return;
    }
    const Bytes all = counting(static_cast<size_t>(c.len));
    const Bytes got = contents(at("slice.bin"));
    ASSERT_EQ(static_cast<int64_t>(got.size()), c.written);
    for (int64_t i = 0; i < c.written; ++i) {
        const int64_t p = c.start + i;
        ASSERT_EQ(got[i], p < 0 ? 0 : all[p]) << "position " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, SliceSize,
                         ::testing::Values(SizeCase{"ToTheEnd", 1000, 100, "900", 900},
                                           SizeCase{"HexToTheEnd", 1000, 100, "$384", 900},
                                           SizeCase{"OnePast", 1000, 100, "901", -1},
                                           SizeCase{"DefaultText", 1000, 100, "0000", 0},
                                           SizeCase{"DefaultAtEnd", 1000, 1000, "0000", 0},
                                           SizeCase{"NothingLoadedZero", 0, 0, "0", 0},
                                           SizeCase{"NothingLoadedOne", 0, 0, "1", -1},
                                           SizeCase{"WrapsToMinusOne", 1000, 0, "$FFFFFFFF", 0},
                                           SizeCase{"StartsBeforeData", 10, -5, "15", 15},
                                           SizeCase{"BeforeDataOnePast", 10, -5, "16", -1},
                                           // A 32-bit sum would wrap to a negative end and let these through.
                                           SizeCase{"SumOverflows", 10, INT32_MAX - 10, "100", -1},
                                           SizeCase{"BothHuge", 10, 2147483000, "2147483647", -1}),
                         sizeCaseName);

TEST_F(BinarySliceTest, RefusesTextsThatAreNotNumbersShowingThemAsTyped) {
    load(counting(64));
    for (const char* typed : {"12 ", " 12", "-5", "0x10", "FF", "$$1"}) {
        ModalDriver& driver = fresh();
        driver.enterText(typed);
        save_binary_slice(data_, 0, false, false, folder());
        ASSERT_EQ(driver.seen().size(), 2u) << typed;
        EXPECT_EQ(driver.seen()[1].title, "wrong input") << typed;
        EXPECT_EQ(driver.seen()[1].text, std::string("can't convert:") + typed);
    }
    EXPECT_EQ(filesInFolder(), 0u);
}

TEST_F(BinarySliceTest, CancelsSilently) {
    load(counting(64));
    {
        ModalDriver& driver = fresh();
        driver.escape();
        save_binary_slice(data_, 0, false, false, folder());
        EXPECT_EQ(driver.seen().size(), 1u) << "Escape in the prompt ends the command";
    }
    {
        ModalDriver& driver = fresh();
        driver.enterText("");
        save_binary_slice(data_, 0, false, false, folder());
        EXPECT_EQ(driver.seen().size(), 1u) << "an emptied field counts as a cancel";
    }
    {
        ModalDriver& driver = fresh();
        driver.enterText("4");
        driver.dismiss();
        save_binary_slice(data_, 0, false, false, folder());
        ASSERT_EQ(driver.seen().size(), 2u) << "a cancelled file dialog shows nothing after it";
        EXPECT_EQ(driver.seen()[1].kind, "file");
    }
    EXPECT_EQ(filesInFolder(), 0u);
}

TEST_F(BinarySliceTest, OffersTheFolderAndReplacesAnExistingFile) {
    load(counting(64));
    std::ofstream(at("old.bin"), std::ios::binary) << std::string(500, 'x');
    driver_->enterText("3");
    driver_->chooseFile(at("old.BIN"));
    run(0);
    ASSERT_EQ(driver_->seen().size(), 2u);
    EXPECT_EQ(driver_->seen()[1].title, "Please choose file to save");
    EXPECT_EQ(fs::path(driver_->seen()[1].folder), fs::canonical(dir_));
    EXPECT_EQ(driver_->seen()[1].text, "") << "the name field starts empty";
    // A case-insensitive ".bin" is kept as typed, and the file holds only the new bytes.
    EXPECT_EQ(contents(at("old.BIN")), (Bytes{3, 10, 17}));
}

// The name chosen is free, but with ".bin" added it names a folder: the file cannot be created.
TEST_F(BinarySliceTest, ReportsAFileThatCannotBeCreated) {
    load(counting(64));
    fs::create_directory(at("cut.bin"));
    driver_->enterText("4");
    driver_->chooseFile(at("cut"));
    run(0);
    expectOnlyMessage("Save binary file", "Cannot save\r\n" + at("cut.bin"));
    EXPECT_TRUE(fs::is_directory(at("cut.bin")));
    EXPECT_EQ(filesInFolder(), 1u);
}

// A device behind a link (here the full device) is not a file a slice can replace: the user is
// told before any byte is written, and the link stays as it was.
TEST_F(BinarySliceTest, RefusesADeviceBehindALinkAndKeepsTheLink) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    load(counting(200000));
    fs::create_symlink("/dev/full", at("full.bin"));
    for (const char* size : {"10", "200000"}) {
        ModalDriver& driver = fresh();
        driver.enterText(size);
        driver.chooseFile(at("full.bin"));
        save_binary_slice(data_, 0, false, false, folder());
        ASSERT_EQ(driver.seen().size(), 3u) << size;
        EXPECT_EQ(driver.seen()[2].title, "Save binary file");
        EXPECT_EQ(oneLine(driver.seen()[2].text), "Cannot save\n" + at("full.bin"));
        EXPECT_EQ(fs::read_symlink(at("full.bin")), "/dev/full") << size;
        EXPECT_EQ(filesInFolder(), 1u) << size;
    }
}

// The file-size limit stops the write part-way: the partial file must not survive as if it were
// the slice.
TEST_F(BinarySliceTest, DeletesTheTruncatedFileWhenTheSizeLimitIsHit) {
    load(counting(100000));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit small = saved;
    small.rlim_cur = 10000;

    driver_->enterText("100000");
    driver_->chooseFile(at("big"));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    save_binary_slice(data_, 0, false, false, folder());
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    expectOnlyMessage("Save binary file", "Cannot save\r\n" + at("big.bin"));
    EXPECT_FALSE(fs::exists(at("big.bin")));
}

}  // namespace
