#pragma once
// Runs the real pixelsieve-cli binary in a child process: its exit code, what it printed and
// its peak resident memory, optionally under a file-size limit.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef PIXELSIEVE_CLI
#error "PIXELSIEVE_CLI names the binary under test"
#endif

struct CliRun {
    int exit_code = -1;  // -1 when the child did not exit normally
    int signal = 0;
    std::string out;
    std::string err;
    int64_t peak_rss_kib = 0;
};

struct CliLimits {
    int64_t file_size = -1;  // RLIMIT_FSIZE in bytes; -1 for none
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline CliRun runCli(const std::vector<std::string>& args, const CliLimits& limits = {}) {
    const std::filesystem::path scratch = std::filesystem::temp_directory_path();
    std::string outPath = (scratch / "pixelsieve-cli-out.XXXXXX").string();
    std::string errPath = (scratch / "pixelsieve-cli-err.XXXXXX").string();
    const int outFd = ::mkstemp(outPath.data());
    const int errFd = ::mkstemp(errPath.data());
    CliRun run;
    if (outFd < 0 || errFd < 0) return run;

    std::vector<std::string> argv = {PIXELSIEVE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(outFd, STDOUT_FILENO);
        ::dup2(errFd, STDERR_FILENO);
        if (limits.file_size >= 0) {
            const rlimit cap{static_cast<rlim_t>(limits.file_size), static_cast<rlim_t>(limits.file_size)};
            ::setrlimit(RLIMIT_FSIZE, &cap);
        }
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
        run.peak_rss_kib = usage.ru_maxrss;
    }
    ::close(outFd);
    ::close(errFd);
    run.out = readAll(outPath);
    run.err = readAll(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return run;
}

// How a run is shown when a check on it fails.
inline std::string describe(const CliRun& run) {
    return "exit " + std::to_string(run.exit_code) +
           (run.signal != 0 ? " signal " + std::to_string(run.signal) : "") + ", stderr: " + run.err;
}
