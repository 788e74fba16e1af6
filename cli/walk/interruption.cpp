#include "cli/walk/interruption.h"

#include <csignal>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "stored from a signal handler");

struct sigaction previous {};

extern "C" void raiseInterruption(int) { interrupted.store(true); }

}  // namespace

Interruptible::Interruptible() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = raiseInterruption;
    action.sa_flags = SA_RESETHAND;  // a second Ctrl+C ends the process at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
}

Interruptible::~Interruptible() { sigaction(SIGINT, &previous, nullptr); }

const std::atomic<bool>& Interruptible::flag() const { return interrupted; }
