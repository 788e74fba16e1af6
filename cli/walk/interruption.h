#pragma once
// Ctrl+C during a long walk: the walk stops at its next check and the results found so far are
// still printed, marked as incomplete, instead of being lost with the process.
#include <atomic>

// Raised by SIGINT while a Interruptible is alive; the previous handler is back afterwards.
class Interruptible {
public:
    Interruptible();
    ~Interruptible();
    Interruptible(const Interruptible&) = delete;
    Interruptible& operator=(const Interruptible&) = delete;
    [[nodiscard]] const std::atomic<bool>& flag() const;
    [[nodiscard]] bool raised() const { return flag().load(); }
};

// The exit code of a walk that was interrupted, as a shell reports a process ended by SIGINT.
constexpr int EXIT_INTERRUPTED = 130;
