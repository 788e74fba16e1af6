// What a script sees when something is wrong: exit code 2 and one line for bad arguments, exit
// code 1 and one line naming the file for a file that cannot be read or written.
#include "tests/cli/cli_fixture.h"

namespace {

bool oneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

class ExitCodes : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        input_ = writeInput("input.bin", realBytes(5000));
    }
    std::string input_;
};

TEST_F(ExitCodes, BadArgumentsGiveTwoAndOneLine) {
    const std::string out = path("out.png");
    const std::vector<std::vector<std::string>> cases = {
        {"render", input_, "--width", "0", "-o", out},
        {"render", input_, "--width", "256", "-o", out},
        {"render", input_, "--width", "12z", "-o", out},
        {"render", input_, "--offset", "0x", "-o", out},
        {"render", input_, "--offset", "-256", "-o", out},
        {"sheet", input_, "--widths", "1-2", "--offset", "-0x100", "-o", out},
        {"render", input_, "--offset", "18446744073709551616", "-o", out},
        {"render", input_, "--zoom", "3", "-o", out},
        {"render", input_, "-o", path("out.gif")},
        {"render", input_, "--grid", "-o", path("out.pbm")},
        {"render", input_},
        {"render", input_, "--no-such-option", "-o", out},
        {"sheet", input_, "--widths", "0-4", "-o", out},
        {"sheet", input_, "--widths", "8-2", "-o", out},
        {"sheet", input_, "--widths", "1-256", "-o", out},
        {"sheet", input_, "--widths", "1-255", "--zoom", "8", "--rows", "2000", "-o", out},
        {"export", input_, "--offset", "0", "--width", "1", "--height", "8", "--format", "gif"},
        {"export", input_, "--offset", "4990", "--width", "1", "--height", "8", "--count", "2", "--format",
         "c"},
        {"export", input_, "--offset", "0", "--width", "1", "--height", "8", "--format", "bdf", "--first",
         "0x10FFFF", "--count", "2"},
        {"export", input_, "--width", "1", "--height", "8", "--format", "c"},
        {"frobnicate", input_},
        {},
    };
    for (const auto& args : cases) {
        const CliRun run = runCli(args);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(run.exit_code, 2) << shown << describe(run);
        EXPECT_TRUE(oneLine(run.err)) << shown << "[" << run.err << "]";
        EXPECT_TRUE(run.err.starts_with("pixelsieve-cli: ")) << run.err;
        EXPECT_TRUE(run.out.empty()) << shown;
    }
    EXPECT_EQ(entries(), std::vector<std::string>{"input.bin"}) << "nothing may be written";
}

TEST_F(ExitCodes, MessagesSayWhatIsWrong) {
    const std::string out = path("out.png");
    EXPECT_NE(runCli({"render", input_, "--width", "300", "-o", out})
                  .err.find("--width: \"300\" is out of range 1 to 255"),
              std::string::npos);
    EXPECT_NE(runCli({"render", input_, "--offset", "12q", "-o", out})
                  .err.find("--offset: \"12q\" is not a number"),
              std::string::npos);
    EXPECT_NE(runCli({"widths", input_, "--offset", "-5"}).err.find("--offset: \"-5\" is not a number"),
              std::string::npos)
        << "only render and sheet start before the file";
    EXPECT_NE(runCli({"sheet", input_, "--widths", "3-400", "-o", out}).err.find("--widths"),
              std::string::npos);
}

TEST_F(ExitCodes, UnreadableInputGivesOneNamingTheFile) {
    const std::string missing = path("missing.bin");
    std::filesystem::create_directory(dir_ / "folder");
    const std::string unreadable = writeInput("locked.bin", {1, 2, 3});
    ::chmod(unreadable.c_str(), 0);
    const bool root = ::geteuid() == 0;  // root reads any file
    for (const std::string& bad : {missing, path("folder"), unreadable}) {
        if (bad == unreadable && root) continue;
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"render", bad, "-o", path("out.png")},
              std::vector<std::string>{"sheet", bad, "--widths", "1-2", "-o", path("out.png")},
              std::vector<std::string>{"export", bad, "-d", "0", "-w", "1", "-H", "1", "-f", "c"}}) {
            const CliRun run = runCli(args);
            EXPECT_EQ(run.exit_code, 1) << bad << " " << describe(run);
            EXPECT_TRUE(oneLine(run.err)) << run.err;
            EXPECT_NE(run.err.find(bad), std::string::npos) << run.err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.png")));
}

TEST_F(ExitCodes, UnwritableOutputGivesOneNamingTheFile) {
    std::filesystem::create_directory(dir_ / "readonly");
    ::chmod(path("readonly").c_str(), 0500);
    std::vector<std::string> targets = {path("no/such/folder/out.png"), path("readonly/out.png")};
    if (::geteuid() == 0) targets.pop_back();               // root writes anywhere
    std::filesystem::create_directory(dir_ / "taken.png");  // a folder where the file should go
    targets.push_back(path("taken.png"));
    for (const std::string& target : targets) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"render", input_, "-o", target},
              std::vector<std::string>{"sheet", input_, "--widths", "1-3", "-o", target},
              std::vector<std::string>{"export", input_, "-d", "0", "-w", "1", "-H", "4", "-f", "c", "-o",
                                       target}}) {
            const CliRun run = runCli(args);
            EXPECT_EQ(run.exit_code, 1) << target << " " << describe(run);
            EXPECT_TRUE(oneLine(run.err)) << run.err;
            EXPECT_NE(run.err.find(target), std::string::npos) << run.err;
        }
    }
    ::chmod(path("readonly").c_str(), 0700);
    EXPECT_TRUE(std::filesystem::is_empty(dir_ / "readonly"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "taken.png"));
}

TEST_F(ExitCodes, FailedWriteOverAnExistingOutputKeepsItWhole) {
    const std::string old(3000, 'o');
    for (const char* name : {"view.bmp", "view.png", "font.psf"}) {
        writeFile(path(name), old);
    }
    // A BMP of the view is 921,654 bytes, far above the limit; the others are a few KiB.
    const CliLimits small{.file_size = 2048};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"render", input_, "-w", "1", "--multi", "-o", path("view.bmp")},
          std::vector<std::string>{"render", input_, "-w", "1", "--multi", "-o", path("view.png")},
          std::vector<std::string>{"export", input_, "-d", "0", "-w", "1", "-H", "16", "-n", "256", "-f",
                                   "psf", "-o", path("font.psf")}}) {
        const CliRun run = runCli(args, small);
        EXPECT_EQ(run.exit_code, 1) << args.back() << " " << describe(run);
        EXPECT_NE(run.err.find(args.back()), std::string::npos) << run.err;
        EXPECT_EQ(contentsOf(args.back()), old) << args.back();
    }
    EXPECT_EQ(entries(), (std::vector<std::string>{"font.psf", "input.bin", "view.bmp", "view.png"}))
        << "no temporary file may stay behind";
}

TEST_F(ExitCodes, HelpForTheProgramAndEachCommandAndTheVersion) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                                 {"render", "--help"},
                                                 {"sheet", "--help"},
                                                 {"export", "--help"}}) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exit_code, 0) << args[0];
        EXPECT_NE(run.out.find("Usage: pixelsieve-cli"), std::string::npos) << run.out;
        EXPECT_NE(
            run.out.find(
                "Exit codes: 0 done; 1 an input file cannot be read or an output cannot be written; 2 bad"),
            std::string::npos)
            << run.out;
    }
    EXPECT_NE(runCli({"export", "--help"}).out.find("--first"), std::string::npos);
    const CliRun version = runCli({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, std::string("pixelsieve-cli ") + PIXELSIEVE_VERSION + "\n");
}

}  // namespace
