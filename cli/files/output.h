#pragma once
// Where the command line's results go: a file, replaced only once it is whole, or standard
// output. Messages follow one rule: one line on standard error, naming the file.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Exit codes, as --help documents them.
constexpr int EXIT_DONE = 0;
constexpr int EXIT_FILE_PROBLEM = 1;  // an input cannot be read or an output cannot be written
constexpr int EXIT_BAD_ARGUMENTS = 2;

constexpr const char* PROGRAM_NAME = "pixelsieve-cli";

// Writes "pixelsieve-cli: <message>" and a line break to standard error, with any line breaks
// inside the message turned into spaces so that it stays one line; returns `code`.
int report(int code, std::string_view message);

// "-" is standard output.
[[nodiscard]] bool is_standard_output(const std::string& path);

// Writes all bytes to `path` through a temporary file renamed over it (without waiting for the
// disk), or to standard output for "-". False on failure, with `error` naming the file and the reason; a file
// that was there before is then untouched and no temporary file is left.
[[nodiscard]] bool write_output(const std::string& path, std::span<const uint8_t> bytes, std::string* error);
[[nodiscard]] bool write_output(const std::string& path, std::string_view text, std::string* error);

// Text written to standard output as it is made (for results of long runs), checked for errors.
class TextOut {
public:
    void line(std::string_view text);
    // True when every write so far reached standard output; flushes it first.
    [[nodiscard]] bool finish();

private:
    bool failed_ = false;
};
