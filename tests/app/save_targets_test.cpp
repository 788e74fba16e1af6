// Every writer of the program against the targets that can cost a user data: a save that fails
// part-way over an existing file, a FIFO, a symbolic link and a private file. Each case runs in
// a child started afresh from this executable, so that a file-size limit stays in the child and
// a save that blocks for ever ends in a failed case instead of a hung suite.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/image_export.h"
#include "app/settings.h"
#include "data/binary_slice.h"
#include "runtime/image/encoders.h"
#include "tests/app/shell_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr int DATA_SIZE = 4096;
constexpr const char* SLICE_SIZE = "1000";
// Smaller than anything a writer produces, so every save fails once it has begun writing.
constexpr rlim_t SIZE_LIMIT = 16;
// A save that blocks (a FIFO opened for writing) ends the child after this long.
constexpr unsigned WATCHDOG_SECONDS = 20;

std::vector<uint8_t> counting_bytes() {
    std::vector<uint8_t> bytes(DATA_SIZE);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

struct Writer {
    const char* name;
    const char* file_name;      // a name the writer keeps as it is
    const char* message_title;  // shown when the save fails; nullptr for a writer that fails silently
    const char* message_text;   // followed by the file name
    // Runs the save over `target`, its dialogs answered the way a user would.
    void (*save)(ModalDriver& dialogs, const std::string& target);
    // True when `bytes` are what the writer writes.
    bool (*wrote)(const std::string& bytes);
};

void PrintTo(const Writer& writer, std::ostream* out) { *out << writer.name; }

bool starts_with(const std::string& bytes, const std::string& head) { return bytes.rfind(head, 0) == 0; }

const Writer WRITERS[] = {
    {"Png", "shot.png", "Save Image Error", "Error saving\r\n",
     [](ModalDriver& dialogs, const std::string& target) {
         dialogs.chooseFile(target, 0);
         export_image(shell_state);
     },
     [](const std::string& bytes) { return starts_with(bytes, "\x89PNG\r\n\x1a\n") && bytes.size() > 100; }},
    {"Bmp", "shot.bmp", "Save Image Error", "Error saving\r\n",
     [](ModalDriver& dialogs, const std::string& target) {
         dialogs.chooseFile(target, 1);
         export_image(shell_state);
     },
     [](const std::string& bytes) { return starts_with(bytes, "BM") && bytes.size() == 921654; }},
    {"Slice", "cut.bin", "Save binary file", "Cannot save\r\n",
     [](ModalDriver& dialogs, const std::string& target) {
         dialogs.enterText(SLICE_SIZE);
         dialogs.chooseFile(target);
         save_binary_slice(loaded_data, 0, false, false, fs::path(target).parent_path().string() + "/");
     },
     [](const std::string& bytes) {
         const std::vector<uint8_t> data = counting_bytes();
         return bytes == std::string(data.begin(), data.begin() + std::stoi(SLICE_SIZE));
     }},
    {"Settings", "pv2.ini", nullptr, nullptr,
     [](ModalDriver&, const std::string& target) { write_settings(target); },
     [](const std::string& bytes) { return starts_with(bytes, "[Options]\r\nZoom = 1\r\n"); }},
};

enum class Target { FailingSave, Fifo, SymbolicLink, PrivateFile };

void PrintTo(Target target, std::ostream* out) {
    const char* names[] = {"FailingSave", "Fifo", "SymbolicLink", "PrivateFile"};
    *out << names[static_cast<int>(target)];
}

std::string one_line(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

class SaveTargetTest : public ShellTest, public ::testing::WithParamInterface<std::tuple<Writer, Target>> {
protected:
    // The names and kinds of everything in the two folders a case uses.
    std::set<std::string> listing() const {
        std::set<std::string> entries;
        for (const char* folder : {"out", "real"}) {
            for (const auto& entry : fs::directory_iterator(dir_ / folder)) {
                const auto kind = static_cast<int>(fs::symlink_status(entry.path()).type());
                entries.insert(std::string(folder) + "/" + entry.path().filename().string() + " " +
                               std::to_string(kind));
            }
        }
        return entries;
    }

    // Prepares the target, saves over it and checks the outcome; ends the process with 0 when
    // everything held, else with 1 after naming each fault on stderr.
    [[noreturn]] void run_case(const Writer& writer, Target kind) {
        ::alarm(WATCHDOG_SECONDS);
        std::vector<std::string> faults;
        auto check = [&faults](bool held, const std::string& fault) {
            if (!held) faults.push_back(fault);
        };
        registerPngEncoder();
        load(counting_bytes());
        fs::create_directory(dir_ / "out");
        fs::create_directory(dir_ / "real");
        const std::string target = path(std::string("out/") + writer.file_name);
        const std::string old_bytes(3000, 'o');
        // The regular file whose bytes the save replaces or must keep.
        std::string file = target;
        switch (kind) {
            case Target::FailingSave:
            case Target::PrivateFile:
                write_text(std::string("out/") + writer.file_name, old_bytes);
                if (kind == Target::PrivateFile) ::chmod(target.c_str(), 0600);
                break;
            case Target::Fifo:
                check(::mkfifo(target.c_str(), 0600) == 0, "cannot make the FIFO");
                break;
            case Target::SymbolicLink:
                file = write_text(std::string("real/") + writer.file_name, old_bytes);
                fs::create_symlink(std::string("../real/") + writer.file_name, target);
                break;
        }
        const std::set<std::string> before = listing();

        ModalDriver dialogs;
        if (kind == Target::FailingSave) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit cap{SIZE_LIMIT, SIZE_LIMIT};
            check(::setrlimit(RLIMIT_FSIZE, &cap) == 0, "cannot limit the file size");
        }
        writer.save(dialogs, target);

        const bool fails = kind == Target::FailingSave || kind == Target::Fifo;
        std::vector<std::string> messages;
        for (const SeenDialog& seen : dialogs.seen()) {
            if (seen.kind == "message") messages.push_back(seen.title + ": " + one_line(seen.text));
        }
        std::vector<std::string> expected;
        if (fails && writer.message_title != nullptr) {
            expected.push_back(std::string(writer.message_title) + ": " +
                               one_line(writer.message_text + target));
        }
        check(messages == expected, "messages shown: " + std::to_string(messages.size()) +
                                        (messages.empty() ? "" : ", the first: " + messages[0]));
        check(listing() == before, "the folders hold other entries after the save");

        struct stat info {};
        const bool examined = ::lstat(target.c_str(), &info) == 0;
        switch (kind) {
            case Target::FailingSave:
                check(read_text(target) == old_bytes, "the old file lost its bytes");
                break;
            case Target::Fifo:
                check(examined && S_ISFIFO(info.st_mode), "the FIFO is gone");
                break;
            case Target::SymbolicLink:
                check(examined && S_ISLNK(info.st_mode) &&
                          fs::read_symlink(target) == fs::path("../real") / writer.file_name,
                      "the link did not stay");
                check(writer.wrote(read_text(file)), "the file the link points to did not get the new bytes");
                break;
            case Target::PrivateFile:
                check(examined && (info.st_mode & 07777) == 0600,
                      "the mode became " + std::to_string(info.st_mode & 07777));
                check(writer.wrote(read_text(file)), "the file did not get the new bytes");
                break;
        }
        for (const std::string& fault : faults) std::fprintf(stderr, "%s\n", fault.c_str());
        std::fflush(stderr);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);  // the fixture's clean-up never runs in the child
        ::_exit(faults.empty() ? 0 : 1);
    }
};

TEST_P(SaveTargetTest, ReplacesWholeOrLeavesTheTargetAsItWas) {
    // The child starts from exec, not from a fork of this process with its toolkit threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto& [writer, kind] = GetParam();
    EXPECT_EXIT(run_case(writer, kind), ::testing::ExitedWithCode(0), "");
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<Writer, Target>>& info) {
    std::ostringstream name;
    PrintTo(std::get<1>(info.param), &name);
    return std::get<0>(info.param).name + std::string("_") + name.str();
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveTargetTest,
                         ::testing::Combine(::testing::ValuesIn(WRITERS),
                                            ::testing::Values(Target::FailingSave, Target::Fifo,
                                                              Target::SymbolicLink, Target::PrivateFile)),
                         case_name);

}  // namespace
