#include "cli/files/output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/files/replacing_file.h"

namespace {

bool writeStandardOutput(const void* source, size_t count) {
    std::fflush(stdout);  // anything printed before goes first
    const auto* p = static_cast<const uint8_t*>(source);
    while (count > 0) {
        const ssize_t done = ::write(STDOUT_FILENO, p, count);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        p += done;
        count -= static_cast<size_t>(done);
    }
    return true;
}

}  // namespace

int report(int code, std::string_view message) {
    std::string line = std::string(PROGRAM_NAME) + ": ";
    for (const char c : message) {
        line += c == '\n' || c == '\r' ? ' ' : c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    line += '\n';
    std::fflush(stdout);
    std::fputs(line.c_str(), stderr);
    return code;
}

bool is_standard_output(const std::string& path) { return path == "-"; }

bool write_output(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
    if (is_standard_output(path)) {
        if (!writeStandardOutput(bytes.data(), bytes.size())) {
            *error = std::string("cannot write to standard output: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    // Like the other tools of a shell (cp, convert), the command line leaves the write-back to
    // the kernel instead of waiting for the disk at every output; the rename still makes each
    // output whole or untouched.
    ReplacingFile file(path);
    if (file.isOpen() && file.write(bytes.data(), bytes.size()) &&
        file.commit(ReplacingFile::Durability::Written)) {
        return true;
    }
    // The runtime's text names the temporary file or the link's end; the user named `path`.
    const std::string& why = file.error();
    const size_t colon = why.rfind(": ");
    *error = "cannot write " + path + ": " + (colon == std::string::npos ? why : why.substr(colon + 2));
    return false;
}

bool write_output(const std::string& path, std::string_view text, std::string* error) {
    return write_output(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error);
}

void TextOut::line(std::string_view text) {
    if (failed_) return;
    failed_ =
        std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fputc('\n', stdout) == EOF;
}

bool TextOut::finish() {
    failed_ = std::fflush(stdout) != 0 || std::ferror(stdout) || failed_;
    return !failed_;
}
